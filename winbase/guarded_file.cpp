#include "guarded_file.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>
#include <cwchar>
#include <string_view>

#include "winbase/portable/file_trust.h"

namespace winbase {

void FreeMemory::operator()(void* memory) const { std::free(memory); }

template <typename T>
Allocated<T> Allocate(std::size_t count) {
    // Zeroed; the types used here are plain data, which calloc's memory holds as it is.
    return Allocated<T>(static_cast<T*>(std::calloc(count, sizeof(T))));
}

namespace {

std::u16string_view View(std::wstring_view text) {
    // Both are UTF-16 here; the portable rules take char16_t.
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): same UTF-16 units
}

WideText Copy(std::wstring_view text, std::wstring_view more = {}) {
    return WideText::Join({text, more});
}

template <typename T>
struct LocalTraits {
    static T Invalid() { return nullptr; }
    static void Close(T memory) { ::LocalFree(memory); }
};
using LocalText = UniqueResource<LPWSTR, LocalTraits<LPWSTR>>;

LocalText SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (sid == nullptr || !::ConvertSidToStringSidW(sid, &text)) return {};
    return LocalText(text);
}

// The final path of an open file or folder, as "\\?\C:\..."; empty when it can't be read.
WideText FinalPathOf(HANDLE handle) {
    DWORD size = MAX_PATH + 1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        WideText buffer(size);
        if (buffer.data() == nullptr) return {};
        const DWORD length = ::GetFinalPathNameByHandleW(handle, buffer.data(), size,
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < size) return buffer;
        size = length + 1;  // the size it needs
    }
    return {};
}

// Appends `text` to the zero-ended text in `buffer`, cut to its capacity.
void Append(wchar_t* buffer, std::size_t capacity, const wchar_t* text) {
    std::size_t used = std::wcslen(buffer);
    for (; *text != L'\0' && used + 1 < capacity; ++text) buffer[used++] = *text;
    buffer[used] = L'\0';
}

// "DOMAIN\name (SID)", or the SID alone, cut to the buffer. Put together by hand: the printf
// family would add a lot to the launcher.
void NameAccount(const wchar_t* sidText, wchar_t* account, std::size_t capacity) {
    if (account == nullptr || capacity == 0) return;
    wchar_t name[256] = {};
    wchar_t domain[256] = {};
    DWORD nameLength = 256;
    DWORD domainLength = 256;
    SID_NAME_USE use{};
    PSID sid = nullptr;
    const bool named = ::ConvertStringSidToSidW(sidText, &sid) &&
                       ::LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength,
                                           &use);
    ::LocalFree(sid);
    account[0] = L'\0';
    if (named) {
        Append(account, capacity, domain);
        if (domain[0] != L'\0') Append(account, capacity, L"\\");
        Append(account, capacity, name);
        Append(account, capacity, L" (");
        Append(account, capacity, sidText);
        Append(account, capacity, L")");
    } else {
        Append(account, capacity, sidText);
    }
}

// The account this process runs as.
LocalText SelfSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    const UniqueHandle owned(token);
    alignas(TOKEN_USER) unsigned char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) return {};
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): the call's layout
}

// Renames an open file to a name relative to a folder's handle. The kernel's own call: the
// kernel32 one turns a relative name into a path under the current directory on some systems.
bool RenameRelative(HANDLE file, FILE_RENAME_INFO* rename, std::size_t bytes) {
    // The call's IO_STATUS_BLOCK, written by the call and not read here.
    struct IoStatus {
        union {
            LONG status;    // cppcheck-suppress unusedStructMember ; the call's layout
            void* pointer;  // cppcheck-suppress unusedStructMember ; the call's layout
        };
        ULONG_PTR information;  // cppcheck-suppress unusedStructMember ; the call's layout
    };
    constexpr int kFileRenameInformation = 10;
    using SetInformation = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    // ntdll is in every process already: no search happens.
    const auto set = reinterpret_cast<SetInformation>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): GetProcAddress's contract
        reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtSetInformationFile")));
    IoStatus status{};
    return set != nullptr &&
           set(file, &status, rename, static_cast<ULONG>(bytes), kFileRenameInformation) >= 0;
}

using LocalDescriptor = UniqueResource<PSECURITY_DESCRIPTOR, LocalTraits<PSECURITY_DESCRIPTOR>>;

// The rule for `what` on the owner and access list of an open file or folder.
FolderRights Judge(HANDLE handle, Guarded what, wchar_t* account, std::size_t capacity) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(handle, SE_FILE_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                          &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return FolderRights::kUnreadable;
    }
    const LocalDescriptor owned(descriptor);
    // No access list at all is passed on as none: everyone may do anything.
    const std::size_t count = dacl != nullptr ? dacl->AceCount : 0;
    const Allocated<LPWSTR> sids = Allocate<LPWSTR>(count + 1);
    const Allocated<AccessEntry> entries = Allocate<AccessEntry>(count + 1);
    if (!sids || !entries) return FolderRights::kUnreadable;
    // The SIDs' texts come from LocalAlloc; freed however this returns.
    struct FreeSids {
        LPWSTR* sids;
        std::size_t count;
        FreeSids(LPWSTR* texts, std::size_t size) : sids(texts), count(size) {}
        FreeSids(const FreeSids&) = delete;
        FreeSids& operator=(const FreeSids&) = delete;
        ~FreeSids() {
            for (std::size_t i = 0; i < count; ++i) ::LocalFree(sids[i]);
        }
    } const freeSids(sids.get(), count);
    for (DWORD i = 0; i < count; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) return FolderRights::kUnreadable;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        // Every kind has its mask here; only allowed and denied entries have their SID next,
        // and only those are read (the rule judges the others by their kind).
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
            header->AceType == ACCESS_DENIED_ACE_TYPE) {
            sids[i] = SidText(&allowed->SidStart).release();
        }
        entries[i] = {sids[i] != nullptr ? View(sids[i]) : std::u16string_view(), header->AceType,
                      allowed->Mask, header->AceFlags};
    }
    const LocalText ownerSid = SidText(owner);
    const LocalText self = SelfSid();
    const std::u16string_view writer = UntrustedWriter(
        what, ownerSid ? View(ownerSid.get()) : std::u16string_view(),
        dacl != nullptr ? entries.get() : nullptr, count,
        self ? View(self.get()) : std::u16string_view());
    if (writer.empty()) return FolderRights::kTrusted;
    const WideText sid = Copy(std::wstring_view(
        reinterpret_cast<const wchar_t*>(writer.data()), writer.size()));  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): same UTF-16 units
    NameAccount(sid.c_str(), account, capacity);
    return FolderRights::kOpen;
}

// How much of a final path names its volume's root, with its backslash: "\\?\C:\" up to
// its fourth backslash, "\\?\UNC\server\share\" up to its sixth.
std::size_t RootLength(std::wstring_view path) {
    const bool unc = path.size() > 7 && path[4] == L'U' && path[5] == L'N' && path[6] == L'C' &&
                     path[7] == L'\\';
    int separators = unc ? 6 : 4;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == L'\\' && --separators == 0) return i + 1;
    }
    return path.size();
}

}  // namespace

const wchar_t* LeafName(const wchar_t* path) {
    const wchar_t* leaf = path;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/') leaf = p + 1;
    }
    return leaf;
}

CheckedFolder::CheckedFolder(const wchar_t* path) {
    const wchar_t* leaf = LeafName(path);
    if (leaf == path || *leaf == L'\0') return;
    m_path = Copy(std::wstring_view(path, static_cast<std::size_t>(leaf - path)));
    if (m_path.data() == nullptr) return;
    m_handle = UniqueFile(::CreateFileW(
        m_path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES | FILE_TRAVERSE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (m_handle) m_finalPath = FinalPathOf(m_handle.get());
}

bool CheckedFolder::IsOurs(HANDLE file, const wchar_t* name) const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return false;
    }
    // A folder opens only with FILE_FLAG_BACKUP_SEMANTICS. It has no hard links, but Unix
    // counts its entries as links.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && info.nNumberOfLinks != 1) {
        return false;
    }
    const WideText final = FinalPathOf(file);
    // Only a file that a trusted account put here: a user may create files in a folder whose
    // rights are wrong, or move their own in.
    return IsEntryOf(View(final.view()), View(m_finalPath.view()), View(name)) &&
           Judge(file, Guarded::kTaskFile, nullptr, 0) == FolderRights::kTrusted;
}

UniqueFile CheckedFolder::Open(const wchar_t* name, DWORD access, DWORD share,
                                   DWORD disposition, DWORD flags) const {
    const WideText path = Copy(m_path.view(), name);
    if (!Valid() || path.data() == nullptr || *name == L'\0' || std::wcspbrk(name, L"\\/:") != nullptr) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    // READ_CONTROL for the owner's check.
    UniqueFile file(::CreateFileW(path.c_str(), access | READ_CONTROL, share, nullptr,
                                      disposition,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | flags,
                                      nullptr));
    if (file && !IsOurs(file.get(), name)) {
        file.reset();
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
    }
    return file;
}

UniqueFile OpenLogFile(const CheckedFolder& folder, const wchar_t* name, LONGLONG rotateBytes) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    constexpr DWORD kAccess = GENERIC_WRITE | DELETE;
    UniqueFile file = folder.Open(name, kAccess, kShareAll, OPEN_ALWAYS);
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < rotateBytes) return file;

    const WideText aside = Copy(name, L".1");
    const std::size_t length = aside.view().size();
    const std::size_t nameBytes = length * sizeof(wchar_t);
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + nameBytes;
    const Allocated<unsigned char> buffer = Allocate<unsigned char>(bytes);
    if (length != 0 && buffer) {
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.get());  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): a variable-length record
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = folder.Handle();
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        std::wmemcpy(rename->FileName, aside.c_str(), length);
        if (RenameRelative(file.get(), rename, bytes)) {
            return folder.Open(name, kAccess, kShareAll, OPEN_ALWAYS);
        }
    }
    FILE_END_OF_FILE_INFO end{};
    ::SetFileInformationByHandle(file.get(), FileEndOfFileInfo, &end, sizeof end);
    return file;
}

FolderRights CheckedFolder::Rights(wchar_t* account, std::size_t capacity) const {
    if (!Valid()) return FolderRights::kUnreadable;
    FolderRights rights = Judge(m_handle.get(), Guarded::kFolder, account, capacity);
    // Each folder above, up to the volume's root: whoever may rename the one below it away can
    // put another in its place. Opened as they are, not through a link planted under a name.
    const std::wstring_view path = FinalPath();
    const std::size_t root = RootLength(path);
    if (root == 0) return FolderRights::kUnreadable;
    for (std::size_t end = path.size(); rights == FolderRights::kTrusted && end > root;) {
        while (--end > root && path[end] != L'\\') {
        }
        const WideText above = Copy(std::wstring_view(path.data(), end));
        const UniqueFile folder(::CreateFileW(
            above.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (above.data() == nullptr || !folder) return FolderRights::kUnreadable;
        rights = Judge(folder.get(), Guarded::kParent, account, capacity);
        if (rights == FolderRights::kOpen && account != nullptr) {
            Append(account, capacity, L" through the folder above it, ");
            Append(account, capacity, above.c_str());
        }
    }
    return rights;
}

FolderRights ProgramRights(const wchar_t* path, wchar_t* account, std::size_t capacity) {
    const CheckedFolder folder(path);
    const FolderRights rights = folder.Rights(account, capacity);
    if (rights != FolderRights::kTrusted) return rights;
    // The file as the system would start it, an entry of that folder: not one elsewhere that
    // a link under its name leads to.
    const UniqueFile file(::CreateFileW(path, READ_CONTROL | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    const WideText final = file ? FinalPathOf(file.get()) : WideText();
    if (final.view().empty() || !IsEntryOf(View(final.view()), View(folder.FinalPath()),
                                           View(LeafName(final.c_str())))) {
        return FolderRights::kUnreadable;
    }
    return Judge(file.get(), Guarded::kFile, account, capacity);
}

}  // namespace winbase
