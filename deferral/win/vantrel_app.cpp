#include "vantrel_app.h"

#include <windows.h>
#include <commctrl.h>

#include <iterator>
#include <string>
#include <string_view>

#include "log_text.h"
#include "winbase/diagnostic_log.h"
#include "winbase/guarded_file.h"
#include "number.h"
#include "single_instance.h"
#include "task_paths.h"
#include "vantrel_dlg.h"
#include "wide_cast.h"

static_assert(CVantrelApp::kRefusedExitCode == ERROR_ACCESS_DENIED);

CVantrelApp theApp;

namespace {

// Whether only the system, the administrators, the trusted installer or this account can
// change the program, its folder or the folders above it. When another account can, any task
// file, DLL or program beside it may be theirs: the prompt acts on none of it, and says why
// in one log line (the log has its own rule for its folder).
bool TrustedProgram() {
    wchar_t module[vantrel::kPathSize] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, module, vantrel::kPathSize);
    wchar_t account[512] = {};
    const winbase::FolderRights rights =
        length == 0 || length >= vantrel::kPathSize
            ? winbase::FolderRights::kUnreadable
            : winbase::ProgramRights(module, account, std::size(account));
    if (rights == winbase::FolderRights::kTrusted) return true;
    // Without its last backslash; empty when the path could not be read.
    const auto leaf = static_cast<std::size_t>(winbase::LeafName(module) - module);
    const std::wstring_view folder(module, leaf > 0 ? leaf - 1 : 0);
    const std::string who = rights == winbase::FolderRights::kOpen
                                ? Utf8Text(vantrel::FromWin(std::wstring_view(account))) +
                                      " may change it, a folder above it or the program"
                                : std::string("its rights could not be read");
    winbase::DiagnosticLog(L"PLIMSAY_LOG", "plimsay")
        .Write("refused: folder \"" + Utf8Text(vantrel::FromWin(folder)) + "\": " +
               who + "; no task file read, nothing shown or written, no restart, exit code " +
               vantrel::FormatDecimal(CVantrelApp::kRefusedExitCode));
    return false;
}

}  // namespace

CVantrelApp::CVantrelApp() { m_dwRestartManagerSupportFlags = fw::kRestartManagerSupportRestart; }

BOOL CVantrelApp::InitInstance() {
    // First, before any task file, window or object: like sshd's StrictModes, a program of
    // the system account refuses a folder that others can change.
    if (!TrustedProgram()) {
        m_nExitCode = kRefusedExitCode;
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    // Two prompts for one folder would count down two restarts and overwrite each other's
    // reports: a second one shows the first and ends, exit code 0, touching nothing.
    const SingleInstance instance;
    if (instance.state() == SingleInstance::State::kOther) {
        const winbase::DiagnosticLog log(L"PLIMSAY_LOG", "plimsay");
        log.Write("another prompt for this folder runs (process " +
                  vantrel::FormatDecimal(instance.otherProcess()) +
                  "): showed it on top and ended, no report, no restart");
        instance.ShowOther();
        return FALSE;
    }
    if (instance.state() == SingleInstance::State::kUnguarded) {
        winbase::DiagnosticLog(L"PLIMSAY_LOG", "plimsay")
            .Write(std::string("no guard against a second prompt: ") + instance.unguardedReason());
    }

    fw::WinApp::InitInstance();

    CVantrelDlg dialog;
    // Arabic and Hebrew mirror the whole dialog; a window takes its layout when it is made.
    if (dialog.RightToLeft()) ::SetProcessDefaultLayout(LAYOUT_RTL);
    dialog.DoModal();
    // The program ends with the dialog; there is no message loop of its own.
    return FALSE;
}
