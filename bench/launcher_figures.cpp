// The launcher against the bare CreateProcessW launcher, both starting the same child.
#include <windows.h>

#include <string>
#include <vector>

#include "figures.h"
#include "options.h"
#include "win_files.h"

namespace bench {
namespace {

std::size_t Starts(const std::wstring& log) {
    const std::string bytes = testsupport::ReadBytes(log).value_or("");
    std::size_t lines = 0;
    for (char c : bytes) lines += c == '\n';
    return lines;
}

struct Launch {
    bool exited = false;
    DWORD exitCode = 0;
    double ms = 0;
};

// From CreateProcess of the launcher until it has ended; launchers run with no window.
Launch RunLauncher(const std::wstring& launcher, const std::wstring& child) {
    std::wstring command = L"\"" + launcher + L"\" \"" + child + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Launch launch;
    const double start = Now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        return launch;
    }
    launch.exited = ::WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0;
    launch.ms = (Now() - start) * 1000.0;
    if (!launch.exited) ::TerminateProcess(process.hProcess, 1);
    ::GetExitCodeProcess(process.hProcess, &launch.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return launch;
}

}  // namespace

void MeasureLauncher(const Options& options) {
    testsupport::TempDirectory directory(L"bchild");
    const std::wstring child = directory / L"launch_child.exe";
    const std::wstring log = directory / L"launch_child.log";
    ::CopyFileW((testsupport::ModuleDirectory() + L"launch_child.exe").c_str(), child.c_str(),
                FALSE);
    const std::wstring launchers[] = {testsupport::ModuleDirectory() + L"selvaun.exe",
                                      testsupport::ModuleDirectory() + L"bare_launcher.exe"};
    std::vector<double> ms[2];
    std::string failure;
    for (int i = options.warmUp ? -1 : 0; i < options.runs && failure.empty(); ++i) {
        for (int l = 0; l < 2 && failure.empty(); ++l) {
            const std::size_t before = Starts(log);
            const Launch launch = RunLauncher(launchers[l], child);
            if (!launch.exited || launch.exitCode != 0) {
                failure = "a launcher failed or did not end";
                break;
            }
            // Not timed: the child must have started; let it end before the next run.
            const ULONGLONG end = ::GetTickCount64() + 10000;
            // cppcheck-suppress knownConditionTrueFalse ; the child appends to the log meanwhile
            while (Starts(log) <= before && ::GetTickCount64() < end) ::Sleep(10);
            // cppcheck-suppress knownConditionTrueFalse ; as above
            if (Starts(log) <= before) failure = "the child did not start";
            ::Sleep(200);
            if (i >= 0) ms[l].push_back(launch.ms);
        }
    }
    if (!failure.empty()) {
        PrintFailedRow("launcher", failure);
        return;
    }
    const Spread selvaun = SpreadOf(ms[0]), bare = SpreadOf(ms[1]);
    PrintRow({"launcher (64-bit build)",
              Format("CreateProcess of the launcher until it has ended, having started a GUI "
                     "child; %s each, alternating; %s",
                     Runs(selvaun.count).c_str(),
                     options.runs32Bit ? "the same code as the shipped 32-bit program"
                                       : "this machine runs no 32-bit code"),
              Show(selvaun, "ms"), Show(bare, "ms") + ", bare CreateProcessW launcher",
              RatioResult(selvaun, bare, 1.15), "ratio <= 1.15"});
}

}  // namespace bench
