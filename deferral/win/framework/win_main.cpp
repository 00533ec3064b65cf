// The program's entry point: everything happens in the application object.
#include <windows.h>

#include "app.h"
#include "winbase/start_hardening.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before any DLL loads late and any window exists.
    winbase::HardenProcess(winbase::Program::kPrompt);
    return fw::RunApplication(instance);
}
