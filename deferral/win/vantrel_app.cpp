#include "vantrel_app.h"

#include <windows.h>
#include <commctrl.h>

#include "vantrel_dlg.h"

CVantrelApp theApp;

CVantrelApp::CVantrelApp() { m_dwRestartManagerSupportFlags = fw::kRestartManagerSupportRestart; }

BOOL CVantrelApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    fw::WinApp::InitInstance();

    CVantrelDlg dialog;
    // Arabic and Hebrew mirror the whole dialog; a window takes its layout when it is made.
    if (dialog.RightToLeft()) ::SetProcessDefaultLayout(LAYOUT_RTL);
    dialog.DoModal();
    // The program ends with the dialog; there is no message loop of its own.
    return FALSE;
}
