#pragma once
// The Win32 calls the launcher makes, as a table: the program binds the real API, and the
// tests bind fakes that can fail any call, record what was passed and count handles.

#include <windows.h>

namespace selvaun {

struct WinApi {
    decltype(&::GetCurrentProcess) GetCurrentProcess;
    decltype(&::OpenProcessToken) OpenProcessToken;
    decltype(&::LookupPrivilegeValueW) LookupPrivilegeValueW;
    decltype(&::AdjustTokenPrivileges) AdjustTokenPrivileges;
    decltype(&::DuplicateTokenEx) DuplicateTokenEx;
    decltype(&::WTSGetActiveConsoleSessionId) WTSGetActiveConsoleSessionId;
    decltype(&::SetTokenInformation) SetTokenInformation;
    decltype(&::MultiByteToWideChar) MultiByteToWideChar;
    decltype(&::WideCharToMultiByte) WideCharToMultiByte;
    decltype(&::GetCommandLineW) GetCommandLineW;
    decltype(&::GetFileAttributesW) GetFileAttributesW;
    decltype(&::CreateProcessAsUserW) CreateProcessAsUserW;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::GetLastError) GetLastError;
    decltype(&::SetLastError) SetLastError;
};

// The real Windows API.
const WinApi& SystemApi();

}  // namespace selvaun
