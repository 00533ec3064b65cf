#include "win_api.h"

#include "winbase/guarded_file.h"

namespace selvaun {

namespace {

// Filled before main runs; a function-local static would need a thread-safe guard.
const WinApi kSystemApi = {
    .GetCurrentProcess = ::GetCurrentProcess,
    .OpenProcessToken = ::OpenProcessToken,
    .LookupPrivilegeValueW = ::LookupPrivilegeValueW,
    .AdjustTokenPrivileges = ::AdjustTokenPrivileges,
    .DuplicateTokenEx = ::DuplicateTokenEx,
    .WTSGetActiveConsoleSessionId = ::WTSGetActiveConsoleSessionId,
    .SetTokenInformation = ::SetTokenInformation,
    .MultiByteToWideChar = ::MultiByteToWideChar,
    .WideCharToMultiByte = ::WideCharToMultiByte,
    .GetCommandLineW = ::GetCommandLineW,
    .GetFileAttributesW = ::GetFileAttributesW,
    .GetSystemDirectoryW = ::GetSystemDirectoryW,
    .GetSystemWindowsDirectoryW = ::GetSystemWindowsDirectoryW,
    .GetEnvironmentVariableW = ::GetEnvironmentVariableW,
    .ProgramRights = winbase::ProgramRights,
    .CreateProcessAsUserW = ::CreateProcessAsUserW,
    .CloseHandle = ::CloseHandle,
    .GetLastError = ::GetLastError,
    .SetLastError = ::SetLastError,
};

}  // namespace

const WinApi& SystemApi() {
    return kSystemApi;
}

}  // namespace selvaun
