#pragma once
// The files the agent shares with the prompt, which lie in the prompt's own directory:
// defer.cfg (the task, rewritten by the prompt as its report), defer.lock (exists while the
// prompt rewrites defer.cfg) and cancel.flag (makes the prompt restart at once).

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace agent {

class TaskFiles {
public:
    // `promptPath` is the full path of plimsay.exe.
    explicit TaskFiles(const std::wstring& promptPath);

    // Before a run: a cancel.flag left behind would restart the computer a second after the
    // prompt starts, and a defer.lock left by a crash would hold up every read.
    bool RemoveStaleFiles() const;
    // Replaces defer.cfg whole, so that no report of an earlier run is left in it.
    bool WriteTask(std::string_view bytes) const;
    // defer.cfg, read only while defer.lock is absent; nothing when no whole read succeeded
    // within `timeoutMs`.
    std::optional<std::string> ReadReport(DWORD timeoutMs) const;
    bool DropCancelFlag() const;
    bool RemoveCancelFlag() const;

private:
    std::wstring m_cfg;
    std::wstring m_lock;
    std::wstring m_cancelFlag;
};

// What defer.cfg says after the prompt wrote it.
struct Report {
    bool written = false;    // a whole report of the prompt's (see ParseReport)
    bool postponed = false;  // by a postpone; otherwise a final report: a restart was requested
    int postponeSeconds = 0;
    int remaining = 0;       // postpones left
    bool cancel = false;     // the restart came from cancel.flag
};

// A report counts only when it is whole: exactly one Cancel= line, and its keys written back
// in the prompt's own order give the very same bytes. A prompt killed during its rewrite
// leaves a prefix of the former contents, or them padded with zero bytes; neither passes.
Report ParseReport(std::string_view bytes);

// When this boot began, in seconds since 1601 (UTC); two readings within one boot agree to
// well under kBootToleranceSeconds, while a restart takes longer than that.
long long BootTimeSeconds();
inline constexpr long long kBootToleranceSeconds = 30;

// What the agent concludes once the prompt has ended.
enum class Verdict {
    kRestarted,         // the boot time changed: the task is done, whoever restarted
    kRestartRequested,  // a final report and exit code 0: done once the boot time changes
    kRunAgain,          // dismissed, killed, or killed after its final report: no restart
};
Verdict Decide(const Report& report, DWORD exitCode, bool bootTimeChanged);

// The task in the form the prompt reads: section [Settings], lines ended by CR LF.
std::string TaskBytes(std::string_view action, long long delaySeconds, long long postpones);

}  // namespace agent
