// reference_agent: one reboot task done the way docs/integration.md describes it.
//
//   reference_agent <selvaun.exe> <plimsay.exe> [--action WORD] [--delay SECONDS]
//                   [--postpones COUNT] [--cancel-after SECONDS] [--wait SECONDS]
//
// Removes a stale cancel.flag and defer.lock, writes defer.cfg, starts the prompt through the
// launcher from the system directory (as a service would), finds the prompt's process, reads
// the report after every change of defer.cfg while the prompt runs, and prints the outcome in
// one line:
//   restarting                   the countdown ran out or the user chose to restart now
//   restarting (cancel flag)     the agent's cancel.flag made the prompt restart
//   postponed 15 minutes, 2 left the prompt still runs, minimised, when the wait ends
//   counting down                the prompt still runs, nobody answered yet
//   dismissed                    ended with exit code 0 and no restart (Esc, Alt+F4, the
//                                session ended, or killed with exit code 0)
//   ended without a report, exit code N   killed, or crashed
// Exit status 0 with an outcome, 1 when the task could not be done (the line says why),
// 2 for a wrong command line. Progress goes to standard error.
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
    "       [--postpones COUNT] [--cancel-after SECONDS] [--wait SECONDS]\n";

struct Options {
    std::wstring launcher;
    std::wstring prompt;
    std::string action = "Reboot";
    long long delay = 60;
    long long postpones = 3;
    long long cancelAfter = -1;  // never
    long long wait = -1;         // as long as the task can last
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
    if (report.written && !report.postponed) {
        return report.cancel ? "restarting (cancel flag)" : "restarting";
    }
    if (running) return report.written ? Postponed(report) : "counting down";
    // Ended without its final report: nothing restarted the computer.
    if (exitCode == 0) return "dismissed";
    return "ended without a report, exit code " + std::to_string(exitCode);
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
    // Two prompts on one set of task files would overwrite each other's reports.
    if (!agent::OpenPromptProcesses(options.prompt, SYNCHRONIZE).empty()) {
        return Failure("a prompt from this directory is already running");
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
