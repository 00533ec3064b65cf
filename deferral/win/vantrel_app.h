#pragma once
// The application object: runs the dialog and ends.

#include "framework/app.h"

class CVantrelApp : public fw::WinApp {
public:
    // The exit code of a prompt that refused its folder (ERROR_ACCESS_DENIED); every other
    // end is 0.
    static constexpr int kRefusedExitCode = 5;

    CVantrelApp();
    BOOL InitInstance() override;
    int ExitInstance() override { return m_nExitCode; }

private:
    int m_nExitCode = 0;
};
