// The prompt's figures against its baselines: start-up, memory, idle cost and no growth.
// Each run starts the real plimsay.exe as the agent would.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "figures.h"
#include "options.h"
#include "prompt_task.h"
#include "process_usage.h"
#include "prompt_run.h"
#include "resource.h"

namespace bench {
namespace {

constexpr wchar_t kBareDialog[] = L"bare_dialog.exe";
constexpr wchar_t kTimerDialog[] = L"timer_dialog.exe";
constexpr wchar_t kWakeupDialog[] = L"wakeup_dialog.exe";
constexpr UINT_PTR kCountdownTimer = 1;
constexpr UINT_PTR kPostponedTimer = 2;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000,
                                 &result) != 0;
}

// A click of the postpone button, handled before this returns.
bool Postpone(const e2e::PromptRun& run) {
    return Send(run.Item(IDC_POSTPONE), BM_CLICK, 0, 0) && ::IsIconic(run.Dialog());
}

// Esc, as a user would end the dialog; what is still running then ends with the run.
void Close(e2e::PromptRun& run) {
    if (run.Dialog() == nullptr || !run.Running()) return;
    run.PressEscape();
    run.WaitForExit(5000);
}

void MoveTo(HWND window, int x, int y) {
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string Kb(double kb) {
    return Format("%.0f KB", kb);
}

// The host's split, where it gives one.
std::string Split(const ProcessUsage& usage) {
    if (!usage.anonKb || !usage.sharedKb) return {};
    return Format(" (private %.0f, shared %.0f)", *usage.anonKb, *usage.sharedKb);
}

void Trace(int ticks, int changes, const ProcessUsage& usage) {
    std::fprintf(stderr,
                 "growth: %d ticks, %d changes: %.0f KB (private %.0f, files %.0f, "
                 "shared %.0f)\n",
                 ticks, changes, usage.residentKb.value_or(0), usage.anonKb.value_or(0),
                 usage.fileKb.value_or(0), usage.sharedKb.value_or(0));
}

}  // namespace

void MeasureStartupAndMemory(const Options& options) {
    std::vector<double> promptMs, bareMs, promptKb, bareKb;
    std::string failure;
    for (int i = options.warmUp ? -1 : 0; i < options.startupRuns && failure.empty(); ++i) {
        for (const wchar_t* program : {options.prompt, kBareDialog}) {
            const bool prompt = program == options.prompt;
            e2e::PromptRun run(program);
            run.WriteProgramFile(L"defer.cfg", Task(600, 3));
            const double start = Now();
            if (!run.Start() || run.WaitForVisible(kStartTimeoutMs) == nullptr) {
                failure = "no dialog appeared";
                break;
            }
            const double shown = Now();
            // The texts come from OnInitDialog, before the dialog is shown: check they are set.
            if (prompt && e2e::WindowText(run.Item(IDC_MINUTES)) != L"10") {
                failure = "the prompt's dialog was visible before its texts were set";
                break;
            }
            ::Sleep(1000);
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            const bool measured = ::GetProcessMemoryInfo(run.Process(), &memory, sizeof memory);
            Close(run);
            if (i < 0) continue;  // the warm-up run
            (prompt ? promptMs : bareMs).push_back((shown - start) * 1000.0);
            if (measured) {
                (prompt ? promptKb : bareKb)
                    .push_back(static_cast<double>(memory.PeakWorkingSetSize) / 1024.0);
            }
        }
    }
    if (!failure.empty()) {
        PrintFailedRow("start-up", failure);
        PrintFailedRow("memory", failure);
        return;
    }
    const Spread prompt = SpreadOf(promptMs), bare = SpreadOf(bareMs);
    PrintRow({"start-up",
              Format("CreateProcess until the dialog is visible with its texts set (language "
                     "files installed); %s each, alternating",
                     Runs(prompt.count).c_str()),
              Show(prompt, "ms"), Show(bare, "ms") + ", bare dialog",
              RatioResult(prompt, bare, 1.15), "ratio <= 1.15"});
    if (promptKb.size() != promptMs.size() || bareKb.size() != bareMs.size()) {
        PrintFailedRow("memory", "GetProcessMemoryInfo failed");
        return;
    }
    const Spread promptPeak = SpreadOf(promptKb), barePeak = SpreadOf(bareKb);
    PrintRow({"memory",
              "peak working set (GetProcessMemoryInfo) 1 s after the dialog appeared; same runs",
              Show(promptPeak, "KB"), Show(barePeak, "KB") + ", bare dialog",
              RatioResult(promptPeak, barePeak, 1.3), "ratio <= 1.3"});
}

namespace {

// The three dialogs of an idle window, and their CPU times over the windows.
enum IdleDialog { kShown, kPostponed, kOneTimer, kIdleDialogs };
struct IdleTimes {
    // The host's run time where it has one, and utime + stime or GetProcessTimes.
    std::vector<double> run, cpu;
};

// One idle window of `program`, the prompt or its baseline: one in a first countdown of an
// hour, shown on the right and raised every 5 s; one minimised by its Postpone button, as
// in a postponed countdown; and beside them on the left the one-timer dialog. Empty, or
// what went wrong.
std::string IdleWindow(const Options& options, const wchar_t* program,
                       IdleTimes (&times)[kIdleDialogs]) {
    // Postponed for the slider's default 240 minutes, with the threshold at 60 s: quiet.
    e2e::PromptRun quiet(program);
    quiet.WriteProgramFile(L"defer.cfg", Task(60, 3));
    if (!quiet.Start() || quiet.WaitForDialog(kStartTimeoutMs) == nullptr || !Postpone(quiet)) {
        return "a dialog to postpone did not start or minimise";
    }
    e2e::PromptRun shown(program), timer(kTimerDialog);
    shown.WriteProgramFile(L"defer.cfg", Task(3600, 3));
    if (!shown.Start() || !timer.Start() || shown.WaitForVisible(kStartTimeoutMs) == nullptr ||
        timer.WaitForVisible(kStartTimeoutMs) == nullptr) {
        return "a dialog did not appear";
    }
    RECT area{};
    ::GetWindowRect(shown.Dialog(), &area);
    MoveTo(timer.Dialog(), 0, 0);
    MoveTo(shown.Dialog(), ::GetSystemMetrics(SM_CXSCREEN) - (area.right - area.left), 0);
    ::Sleep(1500);  // past the start-up's last paints

    const ProcessUsageReader readers[kIdleDialogs] = {
        {shown.Process(), shown.Path(), options.clockTicks},
        {quiet.Process(), quiet.Path(), options.clockTicks},
        {timer.Process(), timer.Path(), options.clockTicks}};
    ProcessUsage before[kIdleDialogs], after[kIdleDialogs];
    for (int d = 0; d < kIdleDialogs; ++d) before[d] = readers[d].Read();
    ::Sleep(static_cast<DWORD>(options.idleSeconds) * 1000);
    for (int d = 0; d < kIdleDialogs; ++d) after[d] = readers[d].Read();
    std::string failure;
    if (!quiet.WaitForExit(0) && !::IsIconic(quiet.Dialog())) {
        failure = "the postponed dialog came back during the window";
    }
    for (e2e::PromptRun* run : {&shown, &quiet, &timer}) Close(*run);
    for (int d = 0; d < kIdleDialogs && failure.empty(); ++d) {
        if (!before[d].cpuMs || !after[d].cpuMs) {
            return "no CPU time: neither Windows nor the host reports it";
        }
        times[d].cpu.push_back(*after[d].cpuMs - *before[d].cpuMs);
        if (before[d].runMs && after[d].runMs)
            times[d].run.push_back(*after[d].runMs - *before[d].runMs);
    }
    return failure;
}

}  // namespace

void MeasureIdle(const Options& options) {
    // The prompt's windows and the baseline's alternate, each going first every other run.
    IdleTimes prompt[kIdleDialogs], baseline[kIdleDialogs];
    std::string failure;
    for (int i = 0; i < options.runs && failure.empty(); ++i) {
        for (int w = 0; w < 2 && failure.empty(); ++w) {
            const bool ours = (i + w) % 2 == 0;
            failure = IdleWindow(options, ours ? options.prompt : kWakeupDialog,
                                 ours ? prompt : baseline);
            if (!failure.empty()) failure = (ours ? "prompt: " : "baseline: ") + failure;
        }
    }
    if (!failure.empty()) {
        for (const char* figure :
             {"idle cost", "idle cost, postponed", "idle cost, one-timer reference"})
            PrintFailedRow(figure, failure);
        return;
    }
    bool precise = true;
    for (const IdleTimes* times : {prompt, baseline}) {
        for (int d = 0; d < kIdleDialogs; ++d)
            precise = precise && times[d].run.size() == times[d].cpu.size();
    }
    const auto figure = [&](const IdleTimes& times) {
        return precise ? SpreadOf(times.run) : SpreadOf(times.cpu);
    };
    const auto cell = [&](const IdleTimes& times) {
        std::string text = Show(figure(times), "ms", precise ? 1 : 0);
        if (precise) text += Format("; utime+stime %.0f ms", SpreadOf(times.cpu).median);
        return text;
    };
    const std::string source =
        precise ? "host: run time of its threads, /proc/<pid>/task/*/schedstat; utime+stime of "
                  "/proc/<pid>/stat, in 10 ms steps, beside it"
                : "GetProcessTimes, or the host's /proc/<pid>/stat utime+stime";
    PrintRow({"idle cost",
              Format("CPU time (%s) over %d s of a first countdown of an hour (raised every 5 s); "
                     "%s, prompt and baseline alternating, each beside one of it minimised and "
                     "the one-timer dialog",
                     source.c_str(), options.idleSeconds, Runs(prompt[kShown].cpu.size()).c_str()),
              cell(prompt[kShown]),
              cell(baseline[kShown]) +
                  ", wake-up dialog: a text set by a 1-s timer, a file looked for by another, "
                  "raised every 5 s as the prompt raises",
              RatioResult(figure(prompt[kShown]), figure(baseline[kShown]), 1.2), "ratio <= 1.2"});
    PrintRow({"idle cost, postponed",
              "the same, in the same windows, for a prompt minimised in a postponed countdown "
              "(blue, not raised)",
              cell(prompt[kPostponed]),
              cell(baseline[kPostponed]) +
                  ", wake-up dialog minimised by its Postpone button, as the prompt is (not "
                  "raised)",
              RatioResult(figure(prompt[kPostponed]), figure(baseline[kPostponed]), 1.2),
              "ratio <= 1.2"});
    const Spread oneTimer = figure(prompt[kOneTimer]);
    const auto ratio = [&](const IdleTimes& times) {
        return oneTimer.median > 0 ? figure(times).median / oneTimer.median : 0.0;
    };
    PrintRow({"idle cost, one-timer reference",
              "the same prompt against the dialog that only sets a text once a second, beside "
              "it in its windows; that dialog beside the baseline too, to show the windows "
              "alike",
              cell(prompt[kShown]),
              cell(prompt[kOneTimer]) +
                  Format(", one-timer dialog; %s beside the baseline",
                         Show(figure(baseline[kOneTimer]), "ms", precise ? 1 : 0).c_str()),
              Format("ratio %.2f, postponed %.2f; printed", ratio(prompt[kShown]),
                     ratio(prompt[kPostponed])),
              "print"});
}

void MeasureGrowth(const Options& options) {
    e2e::PromptRun run(options.prompt);
    // Red at 60 s left; postpones never run out.
    run.WriteProgramFile(L"defer.cfg", Task(60, 1000000));
    if (!run.Start() || run.WaitForDialog(kStartTimeoutMs) == nullptr) {
        PrintFailedRow("no growth", "the prompt did not start");
        return;
    }
    const ProcessUsageReader reader(run.Process(), run.Path(), options.clockTicks);
    Send(run.Item(IDC_SLIDER), TBM_SETPOS, TRUE, 2);

    int ticks = 0, changes = 0;
    std::string failure;
    // A tick of a countdown's timer, handled before this returns.
    const auto tick = [&](UINT_PTR timer) {
        if (!Send(run.Dialog(), WM_TIMER, timer, 0)) failure = "a tick was not handled";
        ++ticks;
    };
    // Both samples with the dialog shown and red, a moment after the last change.
    const auto settled = [&] {
        ::Sleep(1000);
        return reader.Read();
    };
    for (int t = 0; t < 10; ++t) tick(kCountdownTimer);
    const ProcessUsage early = settled();
    const int earlyTicks = ticks;
    if (options.trace) Trace(ticks, changes, early);
    double largest = early.residentKb.value_or(0);
    // Postpone by 2 minutes (blue, minimised), then tick until the threshold turns the bar
    // red and restores the window: 60 ticks, or one less when the real timer ticked meanwhile.
    for (int c = 0; c < options.cycles && failure.empty(); ++c) {
        if (!Postpone(run)) failure = "a postpone did not minimise the prompt";
        ++changes;
        for (int t = 0; t < 61 && failure.empty() && ::IsIconic(run.Dialog()); ++t) {
            tick(kPostponedTimer);
        }
        if (::IsIconic(run.Dialog())) failure = "the threshold did not restore the prompt";
        ++changes;
        const ProcessUsage now = reader.Read();
        largest = std::max(largest, now.residentKb.value_or(0));
        if (options.trace) Trace(ticks, changes, now);
    }
    const ProcessUsage late = settled();
    if (options.trace) Trace(ticks, changes, late);
    Close(run);
    if (!failure.empty() || !early.residentKb || !late.residentKb) {
        PrintFailedRow("no growth", failure.empty() ? "no resident size" : failure);
        return;
    }
    const double growth = *late.residentKb - *early.residentKb;
    PrintRow(
        {"no growth: memory",
         Format("resident size (%s) after %d ticks and %d bar colour changes (%d "
                "postpones), against after the first %d ticks; both shown, 1 s after",
                reader.FromHost() ? "host /proc VmRSS" : "working set", ticks, changes, changes / 2,
                earlyTicks),
         Kb(*late.residentKb) + Split(late) + Format("; largest between %s", Kb(largest).c_str()),
         Kb(*early.residentKb) + Split(early) + " after 10 ticks",
         Format("%+.0f KB, %s", growth, Verdict(growth <= 64 && growth >= -64)),
         "equal, +-64 KB"});

    const auto count = [](const std::optional<unsigned long>& a,
                          const std::optional<unsigned long>& b) {
        return a && b ? Format("%lu -> %lu", *a, *b) : std::string("not reported (0)");
    };
    std::string counts = "handles " + count(early.handles, late.handles) + "; GDI " +
                         count(early.gdiObjects, late.gdiObjects) + "; USER " +
                         count(early.userObjects, late.userObjects);
    const bool descriptors = early.fileDescriptors && late.fileDescriptors;
    if (descriptors) {
        counts += Format("; host file descriptors %d -> %d", *early.fileDescriptors,
                         *late.fileDescriptors);
    }
    const bool equal = early.handles == late.handles && early.gdiObjects == late.gdiObjects &&
                       early.userObjects == late.userObjects &&
                       early.fileDescriptors == late.fileDescriptors;
    PrintRow({"no growth: objects",
              "handle, GDI and USER counts (GetProcessHandleCount, GetGuiResources) and the "
              "host process's open file descriptors, same two moments",
              counts, "", Format("%s, %s", equal ? "equal" : "not equal", Verdict(equal)), "equal"});
}

}  // namespace bench
