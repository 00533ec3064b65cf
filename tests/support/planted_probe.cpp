// A bare program that loads each DLL named on its command line the ordinary way, by name:
// what a program without the prompt's guards gets from DLLs planted beside it. It uses
// user32 as the prompt does, so that Wine loads the window DLLs at its start as it does the
// prompt's (loaded late instead, they pull a planted imm32.dll into a loader deadlock).
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    int loaded = ::IsWindow(nullptr) ? -1 : 0;
    for (int i = 1; i < argc; ++i) {
        if (::LoadLibraryW(argv[i]) != nullptr) ++loaded;
    }
    return loaded;
}
