#pragma once
// A fake of the launcher's Win32 calls: it hands out numbered handles and counts them, can
// make any call fail with a chosen code, and records the calls in order with what was passed.

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "winbase/guarded_file.h"
#include "win_api.h"

namespace selvaun::testing {

class FakeWinApi {
public:
    FakeWinApi();  // only one at a time: the table's plain function pointers reach it
    ~FakeWinApi();
    FakeWinApi(const FakeWinApi&) = delete;
    FakeWinApi& operator=(const FakeWinApi&) = delete;

    const WinApi& Api() const;

    // Makes the `occurrence`-th call named `name` fail with `error`.
    void Fail(const std::string& name, DWORD error, int occurrence = 1);
    // Successful calls leave this as the last error, as some real ones do, so that a
    // code read too late shows.
    DWORD errorAfterSuccess = 0;
    // The last error that AdjustTokenPrivileges leaves on success (1300 when the caller
    // does not hold the privilege).
    DWORD adjustLastError = 0;
    DWORD sessionId = 3;
    std::wstring commandLine = L"selvaun.exe";
    std::map<std::wstring, DWORD> files;  // path -> attributes, for GetFileAttributesW
    std::wstring systemDirectory = L"C:\\Windows\\system32";
    std::wstring windowsDirectory = L"C:\\Windows";
    std::map<std::wstring, std::wstring> environment;  // for GetEnvironmentVariableW
    // What ProgramRights says of a path (trusted when not listed), and the account it names.
    std::map<std::wstring, winbase::FolderRights> rights;
    std::wstring rightsAccount = L"Everyone (S-1-1-0)";

    // Every call in order, e.g. "OpenProcessToken(0x28) -> token1", "CloseHandle(token1)".
    std::vector<std::string> calls;
    // Handles handed out and not closed yet, by name; closes of anything else.
    std::set<std::string> OpenHandles() const;
    int badCloses = 0;

    // What the calls were given.
    struct Privileges {
        std::string token;
        BOOL disableAll;
        DWORD count;
        LUID luid;
        DWORD attributes;
        DWORD length;
        bool previous, returnLength;
    };
    struct Duplicate {
        std::string token;
        DWORD access;
        bool attributes;
        int level, type;
    };
    struct SessionInfo {
        std::string token;
        int infoClass;
        DWORD length, value;
    };
    struct Conversion {
        UINT codePage;
        DWORD flags;
        int length, wideLength;
    };
    struct Creation {
        std::string token;
        bool application;
        std::wstring commandLine;
        bool processAttributes, threadAttributes;
        BOOL inheritHandles;
        DWORD flags;
        bool environment, directory;
        STARTUPINFOW startup;
        std::wstring desktop;
    };
    std::vector<DWORD> openAccess;
    std::vector<std::wstring> lookups;  // privilege names; system names must be null
    bool lookupSystemName = false;
    LUID luid{0x1234, 0};
    std::vector<Privileges> adjusts;
    std::vector<Duplicate> duplicates;
    std::vector<SessionInfo> sessionInfos;
    std::vector<Conversion> conversions;
    std::vector<std::wstring> attributeQueries;
    std::vector<std::wstring> rightsQueries;
    std::vector<Creation> creations;
    DWORD lastError = 0;

    // Internal to the fake's functions.
    bool Called(const std::string& name);
    HANDLE NewHandle(const std::string& kind);
    bool Close(HANDLE handle);
    std::string NameOf(HANDLE handle) const;
    void Succeeded() { lastError = errorAfterSuccess; }

private:
    struct Failure {
        DWORD error;
        int occurrence;
    };
    std::map<std::string, Failure> m_failures;
    std::map<std::string, int> m_counts;
    std::map<HANDLE, std::string> m_handles;  // every handle handed out
    std::set<HANDLE> m_open;
    int m_next = 0x100;
    std::map<std::string, int> m_kinds;
};

}  // namespace selvaun::testing
