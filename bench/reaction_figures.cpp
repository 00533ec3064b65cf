// How soon the agent learns the outcome: a click on "Reboot now", and the cancel flag.
#include <windows.h>

#include <string>
#include <vector>

#include "figures.h"
#include "options.h"
#include "prompt_run.h"
#include "prompt_task.h"
#include "resource.h"

namespace bench {

void MeasureReaction(const Options& options) {
    std::vector<double> reboot, cancel;
    std::string failure;
    const auto fedBack = [](const std::string& file, const char* outcome) {
        return file.find(std::string("[Feedback]\r\n") + outcome) != std::string::npos;
    };
    for (int i = 0; i < options.runs && failure.empty(); ++i) {
        {
            e2e::PromptRun run(options.prompt);
            run.WriteProgramFile(L"defer.cfg", Task(600, 3));
            if (!run.Start() || run.WaitForDialog(kStartTimeoutMs) == nullptr) {
                failure = "the prompt did not start";
                break;
            }
            const double start = Now();
            ::PostMessageW(run.Item(IDC_ACT_NOW), BM_CLICK, 0, 0);
            double done = 0;
            bool fed = false, restarted = false;
            while (Now() - start < 10 && !(fed && restarted)) {
                fed = fed || fedBack(run.ReadProgramFile(L"defer.cfg").value_or(""), "Cancel=no");
                restarted = restarted || !run.ShutdownLog().empty();
                done = Now();
                ::Sleep(2);
            }
            if (!fed || !restarted) {
                failure = "Reboot now: no feedback or no restart";
                break;
            }
            reboot.push_back((done - start) * 1000.0);
            run.WaitForExit(10000);
        }
        {
            e2e::PromptRun run(options.prompt);
            run.WriteProgramFile(L"defer.cfg", Task(600, 3));
            if (!run.Start() || run.WaitForDialog(kStartTimeoutMs) == nullptr) {
                failure = "the prompt did not start";
                break;
            }
            // The flag lands at a different moment of the prompt's one-second poll each run.
            ::Sleep(static_cast<DWORD>((i * 1000 / options.runs + 50) % 1000));
            const double start = Now();
            run.WriteProgramFile(L"cancel.flag", "");
            double done = 0;
            bool fed = false;
            while (Now() - start < 10 && !fed) {
                fed = fedBack(run.ReadProgramFile(L"defer.cfg").value_or(""), "Cancel=yes");
                done = Now();
                if (!fed) ::Sleep(2);
            }
            if (!fed) {
                failure = "cancel.flag: no feedback";
                break;
            }
            cancel.push_back((done - start) * 1000.0);
            run.WaitForExit(10000);
        }
    }
    if (!failure.empty()) {
        PrintFailedRow("reaction", failure);
        return;
    }
    const Spread now = SpreadOf(reboot), flag = SpreadOf(cancel);
    PrintRow({"reaction: Reboot now",
              Format("click until the feedback is in defer.cfg and the restart program (the "
                     "stand-in over system32\\shutdown.exe) has started; %s",
                     Runs(now.count).c_str()),
              Show(now, "ms"), "", "printed", "print"});
    PrintRow({"reaction: cancel.flag",
              Format("flag created until the feedback is in defer.cfg, at moments spread over "
                     "the prompt's one-second poll; %s",
                     Runs(flag.count).c_str()),
              Show(flag, "ms"), "", Format("max %s 1.1 s, %s", flag.max <= 1100 ? "within" : "over",
                                              Verdict(flag.max <= 1100)),
              "<= 1.1 s"});
}

}  // namespace bench
