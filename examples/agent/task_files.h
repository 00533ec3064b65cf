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
    bool written = false;    // the prompt wrote it: it ends in its Cancel line
    bool postponed = false;  // by a postpone; otherwise the prompt is restarting
    int postponeSeconds = 0;
    int remaining = 0;       // postpones left
    bool cancel = false;     // the restart came from cancel.flag
};

Report ParseReport(std::string_view bytes);

// The task in the form the prompt reads: section [Settings], lines ended by CR LF.
std::string TaskBytes(std::string_view action, long long delaySeconds, long long postpones);

}  // namespace agent
