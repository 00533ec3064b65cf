#include "start_hardening.h"

#include <cstddef>

#include "winbase/system_library.h"

namespace winbase {
namespace {

char g_note[320] = "hardening: not done";

// Put together by hand: the printf family would add a lot to the launcher.
void Put(std::size_t& used, const char* text) {
    for (; *text != '\0' && used + 1 < sizeof g_note; ++text) g_note[used++] = *text;
    g_note[used] = '\0';
}

void Append(std::size_t& used, const char* name, bool ok, DWORD error) {
    Put(used, used > 0 && g_note[used - 1] == ':' ? " " : ", ");
    Put(used, name);
    if (ok) {
        Put(used, " ok");
        return;
    }
    char digits[12] = {};
    std::size_t at = sizeof digits - 1;
    do {
        digits[--at] = static_cast<char>('0' + error % 10);
        error /= 10;
    } while (error != 0 && at > 0);
    Put(used, " error ");
    Put(used, digits + at);
}

template <typename Function>
Function Kernel32Proc(const char* name) {
    // kernel32 is in every process already: no search happens.
    return reinterpret_cast<Function>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): GetProcAddress's contract
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
}

// Each policy is one DWORD of flags. Left out on purpose: extension points, signed images
// only and dynamic code, which break older input methods and accessibility hooks.
void SetMitigations(std::size_t& used) {
    using SetPolicy = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
    const auto set = Kernel32Proc<SetPolicy>("SetProcessMitigationPolicy");
    struct Policy {
        const char* name;
        int id;       // numbered as the system numbers them; older headers lack the last
        DWORD flags;
    };
    const Policy policies[] = {
        {"image load", 10, 0x7},        // no remote images, no low-label images, System32 first
        {"strict handles", 3, 0x3},     // raise on a bad handle, for good
        {"redirection trust", 16, 0x1}, // Windows 11 22H2 and later
    };
    for (const Policy& policy : policies) {
        DWORD flags = policy.flags;
        const bool ok = set != nullptr &&
                        set(static_cast<PROCESS_MITIGATION_POLICY>(policy.id), &flags, sizeof flags);
        Append(used, policy.name, ok, set == nullptr ? ERROR_PROC_NOT_FOUND : ::GetLastError());
    }
}

// Keeps only what the restart needs and what every process has.
void RemoveUnusedPrivileges(std::size_t& used) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_PRIVILEGES, &token)) {
        Append(used, "privileges", false, ::GetLastError());
        return;
    }
    const winbase::UniqueHandle owned(token);
    alignas(TOKEN_PRIVILEGES) unsigned char buffer[4096] = {};
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer);  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): the call's layout
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenPrivileges, buffer, sizeof buffer, &size)) {
        Append(used, "privileges", false, ::GetLastError());
        return;
    }
    LUID shutdown{};
    LUID changeNotify{};
    ::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown);
    ::LookupPrivilegeValueW(nullptr, L"SeChangeNotifyPrivilege", &changeNotify);
    const auto same = [](const LUID& a, const LUID& b) {
        return a.LowPart == b.LowPart && a.HighPart == b.HighPart;
    };
    // Only the ones to remove go to the call, moved to the front in place.
    DWORD removed = 0;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID luid = privileges->Privileges[i].Luid;  // NOLINT(cppcoreguidelines-pro-bounds-constant-array-index): counted by the call
        if (same(luid, shutdown) || same(luid, changeNotify)) continue;
        privileges->Privileges[removed].Luid = luid;  // NOLINT(cppcoreguidelines-pro-bounds-constant-array-index): removed <= i
        privileges->Privileges[removed++].Attributes = SE_PRIVILEGE_REMOVED;  // NOLINT(cppcoreguidelines-pro-bounds-constant-array-index): removed <= i
    }
    privileges->PrivilegeCount = removed;
    const bool ok = removed == 0 ||
                    (::AdjustTokenPrivileges(token, FALSE, privileges, 0, nullptr, nullptr) &&
                     ::GetLastError() == ERROR_SUCCESS);
    Append(used, "unused privileges removed", ok, ::GetLastError());
}

}  // namespace

void HardenProcess(Program program) {
    std::size_t used = 0;
    Put(used, "hardening:");
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDirectories = Kernel32Proc<SetDirectories>("SetDefaultDllDirectories");
    const bool narrowed =
        setDirectories != nullptr && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    Append(used, "DLL search System32 only", narrowed,
           setDirectories == nullptr ? ERROR_PROC_NOT_FOUND : ::GetLastError());
    SetMitigations(used);
    if (program != Program::kPrompt) return;

    // Common controls 6 load these later by bare name, which a narrowed search does not cover
    // everywhere: loaded now from the system directory, they are found loaded. Kept for the
    // life of the process.
    const bool theme = ::LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const bool image = ::LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    Append(used, "uxtheme.dll and msimg32.dll from System32", theme && image, ::GetLastError());

    // Nothing in the prompt takes typed text, and an input method's menus could start programs
    // on the user's desktop under the system account.
    using DisableIme = BOOL(WINAPI*)(DWORD);
    const winbase::UniqueModule imm = winbase::LoadSystemLibrary(L"imm32.dll");
    const auto disableIme = winbase::SystemProc<DisableIme>(imm, "ImmDisableIME");
    Append(used, "input methods disabled", disableIme != nullptr && disableIme(MAXDWORD),
           ::GetLastError());

    RemoveUnusedPrivileges(used);
}

const char* HardeningNote() { return g_note; }

void DetachInputContexts(HWND dialog) {
    using Associate = BOOL(WINAPI*)(HWND, HANDLE, DWORD);
    const winbase::UniqueModule imm = winbase::LoadSystemLibrary(L"imm32.dll");
    const auto associate = winbase::SystemProc<Associate>(imm, "ImmAssociateContextEx");
    if (associate != nullptr) associate(dialog, nullptr, 0x0001 /* IACE_CHILDREN */);
}

}  // namespace winbase
