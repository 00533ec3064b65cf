// Installed over the test prefix's system32\shutdown.exe, so that a restart is recorded
// instead of done: appends "<its own path>|<its command line>" and CR LF, in UTF-8, to the
// file that VANTREL_RESTART_LOG names. The path tells the system's program from a planted one.
#include <windows.h>

#include <string>

int wmain() {
    wchar_t log[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VANTREL_RESTART_LOG", log, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring line = std::wstring(self) + L"|" + ::GetCommandLineW() + L"\r\n";

    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr,
                                            nullptr);
    if (bytes <= 1) return 1;
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    utf8.pop_back();
    HANDLE file = ::CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
