// What the launchers start in the benchmark: a GUI program, as the prompt is, that appends
// one line to the .log file next to itself and ends, so that each start can be counted.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t log[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, log, MAX_PATH);
    if (length < 4 || length >= MAX_PATH) return 1;
    lstrcpyW(log + length - 3, L"log");  // name.exe -> name.log
    HANDLE file = ::CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    ::WriteFile(file, "started\r\n", 9, &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
