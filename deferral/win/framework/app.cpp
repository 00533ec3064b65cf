#include "app.h"

namespace fw {

WinApp* WinApp::s_current = nullptr;

WinApp::WinApp() { s_current = this; }

WinApp::~WinApp() {
    if (s_current == this) s_current = nullptr;
}

BOOL WinApp::InitInstance() {
    if (m_dwRestartManagerSupportFlags & kRestartManagerSupportRestart) {
        // The program takes no arguments, so it restarts with none.
        ::RegisterApplicationRestart(nullptr, 0);
    }
    return TRUE;
}

int RunApplication(HINSTANCE instance) {
    WinApp* app = WinApp::Current();
    if (app == nullptr) return 1;
    app->m_hInstance = instance;
    app->InitInstance();
    return app->ExitInstance();
}

}  // namespace fw
