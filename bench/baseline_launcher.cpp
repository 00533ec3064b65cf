// The launcher's baseline: the one call a launcher can't do without, CreateProcessW of the
// command line it is given, and nothing else (no token, no session, no checks).
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // CreateProcessW may write into the command line; argv's storage is ours to change.
    if (!::CreateProcessW(nullptr, argv[1], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                          nullptr, &startup, &process)) {
        return -1;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}
