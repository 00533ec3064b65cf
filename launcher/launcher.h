#pragma once
// selvaun: starts a program in the session attached to the physical console, under a copy
// of the launcher's own token with only its session id changed, and exits without waiting.

#include <cstdio>
#include <initializer_list>

#include "command_line.h"
#include "api_handle.h"
#include "win_api.h"
#include "winbase/diagnostic_log.h"

namespace selvaun {

class Launcher {
public:
    // Usage goes to `out`, failure messages to `err`, and when `log` is enabled one line per
    // decision there.
    Launcher(const WinApi& api, std::FILE* out, std::FILE* err, const winbase::DiagnosticLog& log)
        : m_api(api), m_out(out), m_err(err), m_log(log) {}

    // The entry point's work: the exit status for `argc` and `argv` as the runtime passes them.
    int Main(int argc, char** argv);

    // 0, or the Windows error code of the call that failed.
    DWORD EnableRestorePrivilege();
    // True with a primary token for the console session that the caller must close; false
    // with nothing left open and the failed call's code as the last error.
    bool GetActiveSessionToken(HANDLE* token);
    // 0 when the program was started, -1 otherwise.
    int LaunchInActiveSession(const char* commandLine);

    // UTF-8 to wide text; empty when the conversion fails.
    WideText Utf8ToWide(const char* text) const;
    // The wide command line to start for the runtime's argument.
    WideText WideCommandLine(const char* argument) const;
    // The program `command` names and the command line that starts it by its full path: a
    // name that is no full path is looked for in the system directory, the Windows directory
    // and PATH, in this order.
    StartCommand Resolve(std::wstring_view command) const;
    // True when `start` names a program that only trusted accounts may change; otherwise the
    // log says why not.
    bool MayStart(const StartCommand& start) const;

private:
    bool TokenFailure(DWORD error, UniqueHandle& open);
    bool IsFile(const wchar_t* path) const;
    WideText SearchList(std::size_t n) const;
    AnsiText ToAnsi(const wchar_t* text, UINT codePage = CP_ACP) const;
    UniqueHandle Owned(HANDLE handle = nullptr) const {
        return UniqueHandle(handle, ApiHandleTraits{&m_api});
    }
    void Note(std::initializer_list<winbase::LogPiece> pieces) const { m_log.Write(pieces); }
    void PrintError(std::initializer_list<winbase::LogPiece> pieces) const;

    const WinApi& m_api;
    std::FILE* m_out;
    std::FILE* m_err;
    const winbase::DiagnosticLog& m_log;
};

}  // namespace selvaun
