// marker_holder <path>: takes the prompt's lock file at <path>, says so by creating
// <path>.ready, and holds it until it is killed.
#include <windows.h>

#include <string>

#include "wide_cast.h"
#include "win_platform.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    vantrel::WinPlatform platform;
    const vantrel::WideString path = vantrel::FromWin(argv[1]);
    const auto lock = platform.HoldMarkerFile(path.c_str());
    if (lock == nullptr) return 1;
    const std::wstring ready = std::wstring(argv[1]) + L".ready";
    ::CloseHandle(::CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ::Sleep(INFINITE);
    return 0;
}
