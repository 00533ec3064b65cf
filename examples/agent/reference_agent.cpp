// reference_agent: one reboot task done the way docs/integration.md describes it.
//
//   reference_agent <selvaun.exe> <plimsay.exe> [--action WORD] [--delay SECONDS]
//                   [--postpones COUNT] [--cancel-after SECONDS] [--wait SECONDS]
//                   [--last-boot SECONDS]
//
// With --last-boot (the boot time an earlier run of this task printed) and a boot time that
// has changed since, the task is done: the computer restarted. Otherwise ends any prompt from
// that directory it did not start (Windows' restart registration can bring one back), removes
// a stale cancel.flag and defer.lock, writes defer.cfg, starts the prompt through the
// launcher from the system directory (as a service would), finds the prompt's process, reads
// the report after every change of defer.cfg while the prompt runs, and prints the outcome in
// one line:
//   restarted since the last run the boot time changed: nothing was started
//   restart requested            a final report and exit code 0: the countdown ran out or
//                                the user chose to restart now; done once the boot time
//                                changes (the next run with --last-boot tells)
//   restart requested (cancel flag)  the same, after the agent's cancel.flag
//   postponed 15 minutes, 2 left the prompt still runs, minimised, when the wait ends
//   counting down                the prompt still runs, nobody answered yet
//   dismissed                    ended with exit code 0 and no final report (Esc, Alt+F4,
//                                the session ended, or killed with exit code 0)
//   ended without a restart, exit code N   killed or crashed, before or after its report
// Exit status 0 with an outcome, 1 when the task could not be done (the line says why),
// 2 for a wrong command line. Progress, with this boot's time, goes to standard error.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <string>

#include "prompt_process.h"
#include "task_files.h"

namespace {

constexpr DWORD kFindPromptMs = 30000;
constexpr DWORD kWatchMs = 500;
// The prompt keeps its lock for up to 5 seconds while another program holds defer.cfg.
constexpr DWORD kReadReportMs = 10000;
constexpr long long kSliderMaximumSeconds = 240 * 60;

constexpr char kUsage[] =
    "usage: reference_agent <selvaun.exe> <plimsay.exe> [--action WORD] [--delay SECONDS]\n"
    "       [--postpones COUNT] [--cancel-after SECONDS] [--wait SECONDS] [--last-boot SECONDS]\n";

struct Options {
    std::wstring launcher;
    std::wstring prompt;
    std::string action = "Reboot";
    long long delay = 60;
    long long postpones = 3;
    long long cancelAfter = -1;  // never
    long long wait = -1;         // as long as the task can last
    long long lastBoot = -1;     // unknown
};

bool ParseCount(const wchar_t* text, long long minimum, long long& value) {
    wchar_t* end = nullptr;
    errno = 0;
    const long long parsed = std::wcstoll(text, &end, 10);
    if (errno != 0 || end == text || *end != L'\0' || parsed < minimum || parsed > 1000000000) {
        return false;
    }
    value = parsed;
    return true;
}

// The action word goes into defer.cfg as it is: printable ASCII only.
bool ParseWord(const wchar_t* text, std::string& word) {
    word.clear();
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        if (*c <= L' ' || *c > L'~' || word.size() >= 99) return false;
        word += static_cast<char>(*c);
    }
    return !word.empty();
}

// Seconds since 1601, as this program printed them.
bool ParseBoot(const wchar_t* text, long long& value) {
    wchar_t* end = nullptr;
    errno = 0;
    const long long parsed = std::wcstoll(text, &end, 10);
    if (errno != 0 || end == text || *end != L'\0' || parsed < 0) return false;
    value = parsed;
    return true;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    if (argc < 3) return false;
    options.launcher = agent::FullPath(argv[1]);
    options.prompt = agent::FullPath(argv[2]);
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const wchar_t* value = argv[i + 1];
        const bool ok = name == L"--action"         ? ParseWord(value, options.action)
                        : name == L"--delay"        ? ParseCount(value, 1, options.delay)
                        : name == L"--postpones"    ? ParseCount(value, 0, options.postpones)
                        : name == L"--cancel-after" ? ParseCount(value, 0, options.cancelAfter)
                        : name == L"--wait"         ? ParseCount(value, 0, options.wait)
                        : name == L"--last-boot"    ? ParseBoot(value, options.lastBoot)
                                                    : false;
        if (!ok) return false;
    }
    return argc % 2 == 1;
}

std::string Utf8(const std::wstring& text) {
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), length, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

int Outcome(const std::string& line) {
    std::printf("%s\n", line.c_str());
    return 0;
}

int Failure(const std::string& line) {
    std::printf("failed: %s\n", line.c_str());
    return 1;
}

void Note(const std::string& line) { std::fprintf(stderr, "agent: %s\n", line.c_str()); }

std::string Postponed(const agent::Report& report) {
    const int minutes = report.postponeSeconds / 60;
    return "postponed " + std::to_string(minutes) + (minutes == 1 ? " minute, " : " minutes, ") +
           std::to_string(report.remaining) + " left";
}

std::string Describe(const agent::Report& report, bool running, DWORD exitCode) {
    if (running) return report.written && report.postponed ? Postponed(report) : "counting down";
    // The same boot: the new one is for the next run to see.
    if (agent::Decide(report, exitCode, false) == agent::Verdict::kRestartRequested) {
        return report.cancel ? "restart requested (cancel flag)" : "restart requested";
    }
    // No restart was asked for; run the task again, after a look at the boot time.
    if (exitCode == 0) return "dismissed";
    return "ended without a restart, exit code " + std::to_string(exitCode);
}

std::wstring SystemDirectory() {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory, length < MAX_PATH ? length : 0);
}

// The prompt's process, once the launcher has started it.
agent::Handle WaitForPrompt(const std::wstring& prompt) {
    const ULONGLONG end = ::GetTickCount64() + kFindPromptMs;
    do {
        auto found = agent::OpenPromptProcesses(prompt, SYNCHRONIZE);
        if (!found.empty()) return std::move(found.front());
        ::Sleep(100);
    } while (::GetTickCount64() < end);
    return agent::Handle();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (::GetFileAttributesW(options.prompt.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return Failure("no prompt at " + Utf8(options.prompt));
    }
    const long long boot = agent::BootTimeSeconds();
    Note("boot time " + std::to_string(boot));
    if (options.lastBoot >= 0 &&
        (boot - options.lastBoot > agent::kBootToleranceSeconds ||
         options.lastBoot - boot > agent::kBootToleranceSeconds)) {
        return Outcome("restarted since the last run");
    }
    // Not started by this agent: Windows' restart registration may have brought it back after
    // a crash. It would count down a restart of its own, and a new prompt would only show it.
    for (const agent::Handle& stray :
         agent::OpenPromptProcesses(options.prompt, PROCESS_TERMINATE | SYNCHRONIZE)) {
        Note("ending a prompt this agent did not start");
        ::TerminateProcess(stray.get(), 1);
        ::WaitForSingleObject(stray.get(), 5000);
    }

    const agent::TaskFiles files(options.prompt);
    if (!files.RemoveStaleFiles()) return Failure("cannot remove a stale cancel.flag or defer.lock");
    const std::string task = agent::TaskBytes(options.action, options.delay, options.postpones);
    if (!files.WriteTask(task)) return Failure("cannot write defer.cfg");

    // From the system directory, as a service runs: the prompt must not depend on it.
    const agent::LaunchResult launch =
        agent::RunLauncher(options.launcher, options.prompt, SystemDirectory());
    if (!launch.ran || launch.exitCode != 0) return Failure(agent::DescribeLaunchFailure(launch));

    const agent::Handle process = WaitForPrompt(options.prompt);
    if (!process) {
        // A task that restarts at once can end before it is seen.
        const auto bytes = files.ReadReport(kReadReportMs);
        const agent::Report report = agent::ParseReport(bytes.value_or(""));
        if (report.written && !report.postponed) return Outcome(Describe(report, false, 0));
        return Failure("the prompt did not appear within 30 seconds");
    }
    Note("the prompt runs");

    // Long enough for the first countdown and every postpone at the slider's default maximum.
    const long long waitSeconds = options.wait >= 0
        ? options.wait
        : options.delay + options.postpones * kSliderMaximumSeconds + 60;
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG stop = start + static_cast<ULONGLONG>(waitSeconds) * 1000;
    std::string seen = task;
    agent::Report report;
    bool flagDue = options.cancelAfter >= 0;
    bool dropped = false;
    for (;;) {
        const bool ended = ::WaitForSingleObject(process.get(), kWatchMs) == WAIT_OBJECT_0;
        // After its end too: the prompt writes its last report before it ends.
        const auto bytes = files.ReadReport(kReadReportMs);
        if (!bytes) Note("defer.cfg could not be read; defer.lock stays or the file is held");
        if (bytes && *bytes != seen) {
            seen = *bytes;
            report = agent::ParseReport(seen);
            if (report.written && report.postponed) Note(Postponed(report));
        }
        if (ended) break;
        const ULONGLONG now = ::GetTickCount64();
        if (flagDue && now >= start + static_cast<ULONGLONG>(options.cancelAfter) * 1000) {
            flagDue = false;
            dropped = files.DropCancelFlag();
            Note(dropped ? "dropped cancel.flag" : "cannot create cancel.flag");
        }
        if (now >= stop) return Outcome(Describe(report, true, 0));  // the prompt runs on
    }

    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    // The next prompt must not find it.
    if (dropped && !files.RemoveCancelFlag()) Note("cannot remove cancel.flag");
    return Outcome(Describe(report, false, exitCode));
}
