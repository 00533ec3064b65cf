#include "single_instance.h"

#include <aclapi.h>

#include <cstring>
#include <string>
#include <string_view>

#include "attention_policy.h"
#include "winbase/guarded_file.h"
#include "winbase/portable/instance_name.h"
#include "task_paths.h"
#include "wide_cast.h"

namespace {

// The folder's path as the file system names it, whatever spelling, short name or link the
// program was started by; false when it can't be had.
bool ProgramFolderFinalPath(vantrel::WideString& path) {
    wchar_t module[vantrel::kPathSize] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, module, vantrel::kPathSize);
    if (length == 0 || length >= vantrel::kPathSize) return false;
    const winbase::CheckedFolder folder(module);
    if (!folder.Valid()) return false;
    path = vantrel::FromWin(folder.FinalPath());
    return true;
}

// This process's account as the token names it, in `buffer`; null when it can't be had.
struct TokenUserBuffer {
    alignas(TOKEN_USER) unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};
PSID ProcessUser(TokenUserBuffer& buffer) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    const winbase::UniqueHandle owned(token);
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer.bytes, sizeof buffer.bytes, &size)) {
        return nullptr;
    }
    TOKEN_USER user{};
    std::memcpy(&user, buffer.bytes, sizeof user);
    return user.User.Sid;
}

// Another account's program may have made an object of this name first. Nobody else can make
// one owned by the system, the administrators or this prompt's own account: only such an
// object stands for a running prompt, so that nobody can silence the prompt by making it.
bool TrustedOwner(HANDLE object, PSID self) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool trusted =
        owner != nullptr &&
        (::IsWellKnownSid(owner, WinLocalSystemSid) ||
         ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || ::EqualSid(owner, self));
    ::LocalFree(descriptor);
    return trusted;
}

// The private-namespace calls, taken from kernel32 (in every process: no search) at run time:
// Wine 8 exports none of them but a stub of CreateBoundaryDescriptorW, and an import it lacks
// would end the process when called.
struct NamespaceCalls {
    using CreateBoundary = HANDLE(WINAPI*)(LPCWSTR, ULONG);
    using AddSid = BOOL(WINAPI*)(HANDLE*, PSID);
    using DeleteBoundary = VOID(WINAPI*)(HANDLE);
    using CreateSpace = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
    using OpenSpace = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
    using CloseSpace = BOOLEAN(WINAPI*)(HANDLE, ULONG);

    template <typename T>
    static T Find(const char* name) {
        return reinterpret_cast<T>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): GetProcAddress's contract
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
    }
    CreateBoundary createBoundary = Find<CreateBoundary>("CreateBoundaryDescriptorW");
    AddSid addSid = Find<AddSid>("AddSIDToBoundaryDescriptor");
    DeleteBoundary deleteBoundary = Find<DeleteBoundary>("DeleteBoundaryDescriptor");
    CreateSpace createSpace = Find<CreateSpace>("CreatePrivateNamespaceW");
    OpenSpace openSpace = Find<OpenSpace>("OpenPrivateNamespaceW");
    CloseSpace closeSpace = Find<CloseSpace>("ClosePrivateNamespace");
    bool Complete() const {
        return createBoundary && addSid && deleteBoundary && createSpace && openSpace && closeSpace;
    }
};

// The folder's own private namespace, made or opened under the name `alias`. Its boundary holds
// the local system account, so only a process of that account can make it, and `attributes`
// let nobody else open it: no other account can make, hold or answer for an object in it.
// Null where the system has no private namespaces (Wine) or this process is not the system's.
SingleInstance::Namespace FolderNamespace(const std::wstring& alias, SECURITY_ATTRIBUTES& attributes) {
    const NamespaceCalls calls;
    alignas(SID) unsigned char system[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof system;
    if (!calls.Complete() || !::CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size)) {
        return {};
    }
    HANDLE boundary = calls.createBoundary(alias.c_str(), 0);
    if (boundary == nullptr) return {};
    // The call may move the descriptor: the handle it leaves is the one to delete.
    const bool added = calls.addSid(&boundary, system) != FALSE;
    HANDLE space = added ? calls.createSpace(&attributes, boundary, alias.c_str()) : nullptr;
    if (added && space == nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        space = calls.openSpace(boundary, alias.c_str());
    }
    calls.deleteBoundary(boundary);
    return SingleInstance::Namespace(space);
}

// The process id in the object: written by the first prompt, read by a second.
bool AccessProcessId(HANDLE object, DWORD access, DWORD& processId) {
    void* view = ::MapViewOfFile(object, access, 0, 0, sizeof(DWORD));
    if (view == nullptr) return false;
    if (access == FILE_MAP_WRITE) {
        std::memcpy(view, &processId, sizeof processId);
    } else {
        std::memcpy(&processId, view, sizeof processId);
    }
    ::UnmapViewOfFile(view);
    return true;
}

struct DialogSearch {
    DWORD processId;
    HWND dialog;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    wchar_t className[8] = {};
    ::GetClassNameW(window, className, 8);
    if (processId != search->processId || std::wstring_view(className) != L"#32770") return TRUE;
    search->dialog = window;
    return FALSE;
}

}  // namespace

void SingleInstance::NamespaceTraits::Close(HANDLE space) {
    const NamespaceCalls::CloseSpace close =
        NamespaceCalls::Find<NamespaceCalls::CloseSpace>("ClosePrivateNamespace");
    if (close != nullptr) close(space, 0);
}

SingleInstance::SingleInstance() {
    vantrel::WideString folder;
    if (!ProgramFolderFinalPath(folder)) {
        m_reason = "the program's folder has no final path";
        return;
    }
    TokenUserBuffer tokenUser{};
    const PSID self = ProcessUser(tokenUser);
    if (self == nullptr) {
        m_reason = "the process's account is unknown";
        return;
    }
    // Owned by this account and open to it alone: the owner says who made it (the default
    // owner may be a group, and Wine gives none), and nobody else can write a process id in.
    struct {
        ACL header;
        // cppcheck-suppress unusedStructMember ; where the ACL's one entry goes
        unsigned char room[sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
    } acl{};
    SECURITY_DESCRIPTOR descriptor{};
    if (!::InitializeAcl(&acl.header, sizeof acl, ACL_REVISION) ||
        !::AddAccessAllowedAce(&acl.header, ACL_REVISION, GENERIC_ALL, self) ||
        !::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorOwner(&descriptor, self, FALSE) ||
        !::SetSecurityDescriptorDacl(&descriptor, TRUE, &acl.header, FALSE)) {
        m_reason = "its security descriptor could not be made";
        return;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    char16_t instance[winbase::kInstanceNameLength + 1];
    winbase::InstanceName(folder, instance);
    const std::wstring alias = vantrel::ToWin(vantrel::WideView(instance));
    m_namespace = FolderNamespace(alias, attributes);
    // Without the namespace, the global object of the folder's name, whose owner is checked.
    const std::wstring name = m_namespace ? alias + L"\\prompt" : L"Global\\" + alias;
    // A page-file section of one process id. Refused (access denied) when somebody else's
    // object of this name keeps us out, or when this account may not make global objects.
    winbase::UniqueHandle object(::CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE,
                                                 0, sizeof(DWORD), name.c_str()));
    const DWORD error = ::GetLastError();
    if (!object) {
        m_reason = "its object could not be made or opened";
        return;
    }
    if (error != ERROR_ALREADY_EXISTS) {
        DWORD processId = ::GetCurrentProcessId();
        AccessProcessId(object.get(), FILE_MAP_WRITE, processId);
        m_object = std::move(object);
        m_state = State::kFirst;
        return;
    }
    if (!TrustedOwner(object.get(), self)) {
        m_reason = "an object of its name has an owner that is not trusted";
        return;
    }
    // Between the other's creation and its write the id is still 0.
    AccessProcessId(object.get(), FILE_MAP_READ, m_otherProcess);
    m_state = State::kOther;
}

void SingleInstance::ShowOther() const {
    if (m_otherProcess == 0) return;
    DialogSearch search{m_otherProcess, nullptr};
    ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    // In another session its window is on another desktop: nothing to show here.
    if (search.dialog == nullptr) return;
    // Shown and flashing, but not given the keyboard: the second start may come from the
    // agent while the user types elsewhere.
    attention::Restore(search.dialog);
    attention::RaiseOnTop(search.dialog);
    attention::AskForAttention(search.dialog);
}
