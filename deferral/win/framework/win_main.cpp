// The program's entry point: everything happens in the application object.
#include <windows.h>

#include "app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return fw::RunApplication(instance);
}
