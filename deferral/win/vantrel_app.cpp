#include "vantrel_app.h"

#include <windows.h>
#include <commctrl.h>

#include "diagnostic_log.h"
#include "number.h"
#include "single_instance.h"
#include "vantrel_dlg.h"

CVantrelApp theApp;

CVantrelApp::CVantrelApp() { m_dwRestartManagerSupportFlags = fw::kRestartManagerSupportRestart; }

BOOL CVantrelApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    // Two prompts for one folder would count down two restarts and overwrite each other's
    // reports: a second one shows the first and ends, exit code 0, touching nothing.
    const SingleInstance instance;
    if (instance.state() == SingleInstance::State::kOther) {
        const DiagnosticLog log(L"PLIMSAY_LOG", "plimsay");
        log.Write("another prompt for this folder runs (process " +
                  vantrel::FormatDecimal(instance.otherProcess()) +
                  "): showed it on top and ended, no report, no restart");
        instance.ShowOther();
        return FALSE;
    }
    if (instance.state() == SingleInstance::State::kUnguarded) {
        DiagnosticLog(L"PLIMSAY_LOG", "plimsay")
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
