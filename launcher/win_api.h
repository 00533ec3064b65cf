#pragma once
// The Win32 calls the launcher makes, as a table: the program binds the real API, and the
// tests bind fakes that can fail any call, record what was passed and count handles.

#include <windows.h>

#include <cstddef>

namespace winbase {
enum class FolderRights;  // winbase/guarded_file.h
}

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
    decltype(&::GetSystemDirectoryW) GetSystemDirectoryW;
    decltype(&::GetSystemWindowsDirectoryW) GetSystemWindowsDirectoryW;
    decltype(&::GetEnvironmentVariableW) GetEnvironmentVariableW;
    // winbase::ProgramRights: whether only trusted accounts may change the program file.
    winbase::FolderRights (*ProgramRights)(const wchar_t* path, wchar_t* account,
                                           std::size_t capacity);
    decltype(&::CreateProcessAsUserW) CreateProcessAsUserW;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::GetLastError) GetLastError;
    decltype(&::SetLastError) SetLastError;
};

// The real Windows API.
const WinApi& SystemApi();

}  // namespace selvaun
