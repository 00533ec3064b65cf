#pragma once
// The application object: one global instance, whose InitInstance runs the program.

#include <windows.h>

namespace fw {

// Restart-manager support: register for restart only (no recovery, no autosave).
inline constexpr DWORD kRestartManagerSupportRestart = 0x01;

class WinApp {
public:
    WinApp();
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    static WinApp* Current() { return s_current; }

    // The base registers with the restart manager when asked to; the program ends when
    // InitInstance returns.
    virtual BOOL InitInstance();
    // The program's exit code, asked for once InitInstance has returned; 0 in the base.
    virtual int ExitInstance() { return 0; }

    HINSTANCE m_hInstance = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

private:
    static WinApp* s_current;
};

// What the entry point runs: the application object's InitInstance; gives ExitInstance's code.
int RunApplication(HINSTANCE instance);

}  // namespace fw
