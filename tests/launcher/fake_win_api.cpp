#include "fake_win_api.h"

#include <cstdio>

namespace selvaun::testing {
namespace {

FakeWinApi* g_fake = nullptr;

// The pseudo handle of the current process, as the real call gives it.
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
}

HANDLE WINAPI FakeGetCurrentProcess() {
    g_fake->calls.push_back("GetCurrentProcess");
    return kCurrentProcess;
}

BOOL WINAPI FakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    FakeWinApi& f = *g_fake;
    f.openAccess.push_back(access);
    std::string call = "OpenProcessToken(" + f.NameOf(process) + ", " + Hex(access) + ")";
    if (!f.Called("OpenProcessToken")) {
        f.calls.push_back(call + " fails");
        *token = nullptr;
        return FALSE;
    }
    *token = f.NewHandle("token");
    f.calls.push_back(call + " -> " + f.NameOf(*token));
    f.Succeeded();
    return TRUE;
}

BOOL WINAPI FakeLookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid) {
    FakeWinApi& f = *g_fake;
    f.lookupSystemName = f.lookupSystemName || systemName != nullptr;
    f.lookups.push_back(name != nullptr ? name : L"<null>");
    if (!f.Called("LookupPrivilegeValueW")) {
        f.calls.push_back("LookupPrivilegeValueW fails");
        return FALSE;
    }
    *luid = f.luid;
    f.calls.push_back("LookupPrivilegeValueW");
    f.Succeeded();
    return TRUE;
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state,
                                      DWORD length, PTOKEN_PRIVILEGES previous,
                                      // cppcheck-suppress constParameter ; the Win32 signature
                                      PDWORD returnLength) {
    FakeWinApi& f = *g_fake;
    FakeWinApi::Privileges record{
        f.NameOf(token),        disableAll, 0, {}, 0, length, previous != nullptr,
        returnLength != nullptr};
    if (state != nullptr) {
        record.count = state->PrivilegeCount;
        record.luid = state->Privileges[0].Luid;
        record.attributes = state->Privileges[0].Attributes;
    }
    f.adjusts.push_back(record);
    if (!f.Called("AdjustTokenPrivileges")) {
        f.calls.push_back("AdjustTokenPrivileges(" + record.token + ") fails");
        return FALSE;
    }
    f.calls.push_back("AdjustTokenPrivileges(" + record.token + ")");
    f.lastError = f.adjustLastError;
    return TRUE;
}

BOOL WINAPI FakeDuplicateTokenEx(HANDLE token, DWORD access, LPSECURITY_ATTRIBUTES attributes,
                                 SECURITY_IMPERSONATION_LEVEL level, TOKEN_TYPE type,
                                 PHANDLE duplicate) {
    FakeWinApi& f = *g_fake;
    f.duplicates.push_back({f.NameOf(token), access, attributes != nullptr, static_cast<int>(level),
                            static_cast<int>(type)});
    std::string call = "DuplicateTokenEx(" + f.NameOf(token) + ")";
    if (!f.Called("DuplicateTokenEx")) {
        f.calls.push_back(call + " fails");
        *duplicate = nullptr;
        return FALSE;
    }
    *duplicate = f.NewHandle("token");
    f.calls.push_back(call + " -> " + f.NameOf(*duplicate));
    f.Succeeded();
    return TRUE;
}

DWORD WINAPI FakeWTSGetActiveConsoleSessionId() {
    g_fake->calls.push_back("WTSGetActiveConsoleSessionId");
    return g_fake->sessionId;
}

BOOL WINAPI FakeSetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info,
                                    DWORD length) {
    FakeWinApi& f = *g_fake;
    DWORD value = 0;
    if (info != nullptr && length == sizeof value) value = *static_cast<DWORD*>(info);
    f.sessionInfos.push_back({f.NameOf(token), static_cast<int>(infoClass), length, value});
    std::string call = "SetTokenInformation(" + f.NameOf(token) + ")";
    if (!f.Called("SetTokenInformation")) {
        f.calls.push_back(call + " fails");
        return FALSE;
    }
    f.calls.push_back(call);
    f.Succeeded();
    return TRUE;
}

// The conversions are the system's own; only their use is recorded.
int WINAPI FakeMultiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int length, LPWSTR wide,
                                   int wideLength) {
    FakeWinApi& f = *g_fake;
    f.conversions.push_back({codePage, flags, length, wideLength});
    if (!f.Called("MultiByteToWideChar")) {
        f.calls.push_back("MultiByteToWideChar fails");
        if (wide != nullptr && wideLength > 0) wide[0] = L'?';  // a failure may leave bytes
        return 0;
    }
    f.calls.push_back("MultiByteToWideChar");
    return ::MultiByteToWideChar(codePage, flags, text, length, wide, wideLength);
}

int WINAPI FakeWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength,
                                   LPSTR text, int length, LPCCH defaultChar, LPBOOL usedDefault) {
    g_fake->calls.push_back("WideCharToMultiByte");
    return ::WideCharToMultiByte(codePage, flags, wide, wideLength, text, length, defaultChar,
                                 usedDefault);
}

LPWSTR WINAPI FakeGetCommandLineW() {
    g_fake->calls.push_back("GetCommandLineW");
    return g_fake->commandLine.data();
}

DWORD WINAPI FakeGetFileAttributesW(LPCWSTR path) {
    FakeWinApi& f = *g_fake;
    f.calls.push_back("GetFileAttributesW");
    f.attributeQueries.push_back(path);
    const auto found = f.files.find(path);
    if (found == f.files.end()) {
        f.lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_FILE_ATTRIBUTES;
    }
    f.Succeeded();
    return found->second;
}

// The folders' calls: the text and its length, or the size needed when it does not fit.
UINT Copied(const std::wstring& text, LPWSTR buffer, UINT size) {
    if (text.size() >= size) return static_cast<UINT>(text.size() + 1);
    text.copy(buffer, text.size());
    buffer[text.size()] = L'\0';
    return static_cast<UINT>(text.size());
}

UINT WINAPI FakeGetSystemDirectoryW(LPWSTR buffer, UINT size) {
    g_fake->calls.push_back("GetSystemDirectoryW");
    return Copied(g_fake->systemDirectory, buffer, size);
}

UINT WINAPI FakeGetSystemWindowsDirectoryW(LPWSTR buffer, UINT size) {
    g_fake->calls.push_back("GetSystemWindowsDirectoryW");
    return Copied(g_fake->windowsDirectory, buffer, size);
}

DWORD WINAPI FakeGetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    FakeWinApi& f = *g_fake;
    f.calls.push_back("GetEnvironmentVariableW");
    const auto found = f.environment.find(name);
    if (found == f.environment.end()) {
        f.lastError = ERROR_ENVVAR_NOT_FOUND;
        return 0;
    }
    return Copied(found->second, buffer, size);
}

winbase::FolderRights FakeProgramRights(const wchar_t* path, wchar_t* account,
                                        std::size_t capacity) {
    FakeWinApi& f = *g_fake;
    f.calls.push_back("ProgramRights");
    f.rightsQueries.push_back(path);
    const auto found = f.rights.find(path);
    if (found == f.rights.end()) return winbase::FolderRights::kTrusted;
    if (account != nullptr && capacity > f.rightsAccount.size()) {
        f.rightsAccount.copy(account, f.rightsAccount.size());
        account[f.rightsAccount.size()] = L'\0';
    }
    return found->second;
}

BOOL WINAPI FakeCreateProcessAsUserW(HANDLE token, LPCWSTR application, LPWSTR commandLine,
                                     LPSECURITY_ATTRIBUTES processAttributes,
                                     LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                     // cppcheck-suppress constParameter ; the Win32 signature
                                     DWORD flags, LPVOID environment, LPCWSTR directory,
                                     LPSTARTUPINFOW startup, LPPROCESS_INFORMATION process) {
    FakeWinApi& f = *g_fake;
    FakeWinApi::Creation record{f.NameOf(token),
                                application != nullptr,
                                commandLine != nullptr ? commandLine : L"<null>",
                                processAttributes != nullptr,
                                threadAttributes != nullptr,
                                inheritHandles,
                                flags,
                                environment != nullptr,
                                directory != nullptr,
                                *startup,
                                startup->lpDesktop != nullptr ? startup->lpDesktop : L"<null>"};
    f.creations.push_back(record);
    std::string call = "CreateProcessAsUserW(" + record.token + ")";
    if (!f.Called("CreateProcessAsUserW")) {
        f.calls.push_back(call + " fails");
        return FALSE;
    }
    process->hProcess = f.NewHandle("process");
    process->hThread = f.NewHandle("thread");
    process->dwProcessId = 1000;
    process->dwThreadId = 1001;
    f.calls.push_back(call);
    f.Succeeded();
    return TRUE;
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
    FakeWinApi& f = *g_fake;
    f.calls.push_back("CloseHandle(" + f.NameOf(handle) + ")");
    if (!f.Close(handle)) {
        ++f.badCloses;
        f.lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    f.Succeeded();
    return TRUE;
}

DWORD WINAPI FakeGetLastError() {
    return g_fake->lastError;
}

void WINAPI FakeSetLastError(DWORD error) {
    g_fake->lastError = error;
}

const WinApi kFakeApi = {
    .GetCurrentProcess = FakeGetCurrentProcess,
    .OpenProcessToken = FakeOpenProcessToken,
    .LookupPrivilegeValueW = FakeLookupPrivilegeValueW,
    .AdjustTokenPrivileges = FakeAdjustTokenPrivileges,
    .DuplicateTokenEx = FakeDuplicateTokenEx,
    .WTSGetActiveConsoleSessionId = FakeWTSGetActiveConsoleSessionId,
    .SetTokenInformation = FakeSetTokenInformation,
    .MultiByteToWideChar = FakeMultiByteToWideChar,
    .WideCharToMultiByte = FakeWideCharToMultiByte,
    .GetCommandLineW = FakeGetCommandLineW,
    .GetFileAttributesW = FakeGetFileAttributesW,
    .GetSystemDirectoryW = FakeGetSystemDirectoryW,
    .GetSystemWindowsDirectoryW = FakeGetSystemWindowsDirectoryW,
    .GetEnvironmentVariableW = FakeGetEnvironmentVariableW,
    .ProgramRights = FakeProgramRights,
    .CreateProcessAsUserW = FakeCreateProcessAsUserW,
    .CloseHandle = FakeCloseHandle,
    .GetLastError = FakeGetLastError,
    .SetLastError = FakeSetLastError,
};

}  // namespace

FakeWinApi::FakeWinApi() {
    g_fake = this;
}

FakeWinApi::~FakeWinApi() {
    g_fake = nullptr;
}

const WinApi& FakeWinApi::Api() const {
    return kFakeApi;
}

void FakeWinApi::Fail(const std::string& name, DWORD error, int occurrence) {
    m_failures[name] = {error, occurrence};
}

bool FakeWinApi::Called(const std::string& name) {
    const int count = ++m_counts[name];
    const auto failure = m_failures.find(name);
    if (failure == m_failures.end() || failure->second.occurrence != count) return true;
    lastError = failure->second.error;
    return false;
}

HANDLE FakeWinApi::NewHandle(const std::string& kind) {
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_next));
    m_next += 4;
    m_handles[handle] = kind == "token" ? kind + std::to_string(++m_kinds[kind]) : kind;
    m_open.insert(handle);
    return handle;
}

bool FakeWinApi::Close(HANDLE handle) {
    return m_open.erase(handle) == 1;
}

std::string FakeWinApi::NameOf(HANDLE handle) const {
    if (handle == kCurrentProcess) return "current process";
    if (handle == nullptr) return "null";
    const auto found = m_handles.find(handle);
    return found != m_handles.end() ? found->second : "unknown handle";
}

std::set<std::string> FakeWinApi::OpenHandles() const {
    std::set<std::string> names;
    for (HANDLE handle : m_open) names.insert(NameOf(handle));
    return names;
}

}  // namespace selvaun::testing
