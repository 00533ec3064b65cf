// The guarded open and the rights question on the real API: what a user may plant under a
// task file's name, and folders and program files that other accounts may change, their
// owners and access lists set through the system's own calls.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "winbase/guarded_file.h"
#include "win_files.h"

namespace winbase {
namespace {

using testsupport::TempDirectory;

// Sets what the SDDL text gives: an owner ("O:BU") or an access list ("D:P(A;;FA;;;WD)").
bool SetSecurity(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
        return false;
    }
    const SECURITY_INFORMATION part =
        sddl[0] == L'O' ? OWNER_SECURITY_INFORMATION : DACL_SECURITY_INFORMATION;
    const bool set = ::SetFileSecurityW(path.c_str(), part, descriptor) != FALSE;
    ::LocalFree(descriptor);
    return set;
}

// The owner as a SID's text, read back by name.
std::wstring Owner(const std::wstring& path) {
    DWORD size = 0;
    ::GetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION, nullptr, 0, &size);
    std::string buffer(size, '\0');
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    LPWSTR text = nullptr;
    if (size == 0 ||
        !::GetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION, buffer.data(), size, &size) ||
        !::GetSecurityDescriptorOwner(buffer.data(), &owner, &defaulted) ||
        !::ConvertSidToStringSidW(owner, &text)) {
        return L"";
    }
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

enum class Plant { kFile, kFolder, kHardLink, kSymbolicLink };

struct PlantCase {
    const char* name;
    Plant plant;
    bool opened;  // by CheckedFolder::Open
    bool held;    // by CheckedFolder::Holds, the task files' presence
};

// Each row plants something under cancel.flag that the plain name reaches (the control: a
// program without the guard would act on it).
TEST(GuardedOpen, TakesOnlyAFileOfTheFolderItself) {
    const PlantCase cases[] = {
        {"a plain file", Plant::kFile, true, true},
        {"a folder", Plant::kFolder, false, true},
        {"a hard link", Plant::kHardLink, false, false},
        {"a symbolic link to a same-named file elsewhere", Plant::kSymbolicLink, false, false},
    };
    for (const PlantCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDirectory program(L"prog");
        const TempDirectory other(L"other");
        const std::wstring planted = program / L"cancel.flag";
        const std::wstring elsewhere = other / L"cancel.flag";
        ASSERT_TRUE(testsupport::WriteBytes(elsewhere, "elsewhere"));
        switch (c.plant) {
        case Plant::kFile:
            ASSERT_TRUE(testsupport::WriteBytes(planted, "planted"));
            break;
        case Plant::kFolder:
            ASSERT_TRUE(::CreateDirectoryW(planted.c_str(), nullptr));
            break;
        case Plant::kHardLink:
            ASSERT_TRUE(::CreateHardLinkW(planted.c_str(), elsewhere.c_str(), nullptr));
            break;
        case Plant::kSymbolicLink:
            ASSERT_TRUE(testsupport::SymbolicLink(elsewhere, planted));
            break;
        }
        ASSERT_TRUE(testsupport::Exists(planted));
        const CheckedFolder folder(planted.c_str());
        const winbase::UniqueFile file =
            folder.Open(L"cancel.flag", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        EXPECT_EQ(static_cast<bool>(file), c.opened);
        EXPECT_EQ(folder.Holds(L"cancel.flag"), c.held);
    }
}

// The folder above the program's, the program's, and the program file.
struct Tree {
    TempDirectory root{L"rights"};
    std::wstring above = root / L"above";
    std::wstring folder = above + L"\\prog";
    std::wstring program = folder + L"\\app.exe";
    bool made = ::CreateDirectoryW(above.c_str(), nullptr) &&
                ::CreateDirectoryW(folder.c_str(), nullptr);
};

struct RightsCase {
    const char* name;
    const wchar_t* above;    // SDDL set on the folder above the program's, or null
    const wchar_t* folder;   // on the program's folder
    const wchar_t* program;  // on the program file
    bool link;               // the program file is a link to one elsewhere
    FolderRights rights;
    const wchar_t* named;  // part of the account named
};

// Wine keeps an access list as Unix modes: writing for others is everything but the owner's
// rights, so only whole rows of that kind are tried here; the rule's finer points are the
// native table's. Full control for the administrators keeps each folder the test's to remove.
TEST(ProgramRights, CountTheFolderTheFoldersAboveAndTheFileItself) {
    const RightsCase cases[] = {
        {"as made", nullptr, nullptr, nullptr, false, FolderRights::kTrusted, L""},
        {"everyone may change the folder", nullptr, L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;WD)",
         nullptr, false, FolderRights::kOpen, L"S-1-1-0"},
        {"everyone may change the folder above", L"D:P(A;OICI;FA;;;BA)(A;;FA;;;WD)", nullptr,
         nullptr, false, FolderRights::kOpen, L"S-1-1-0) through the folder above it"},
        {"everyone may write the program", nullptr, nullptr, L"D:P(A;;FA;;;BA)(A;;FW;;;WD)", false,
         FolderRights::kOpen, L"S-1-1-0"},
        {"the program is a link to one elsewhere", nullptr, nullptr, nullptr, true,
         FolderRights::kUnreadable, L""},
    };
    for (const RightsCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Tree tree;
        const TempDirectory elsewhere(L"elsewhere");
        ASSERT_TRUE(tree.made);
        if (c.link) {
            ASSERT_TRUE(testsupport::WriteBytes(elsewhere / L"app.exe", "MZ"));
            ASSERT_TRUE(testsupport::SymbolicLink(elsewhere / L"app.exe", tree.program));
        } else {
            ASSERT_TRUE(testsupport::WriteBytes(tree.program, "MZ"));
        }
        for (const auto& [path, sddl] : {std::pair{tree.program, c.program},
                                         std::pair{tree.folder, c.folder},
                                         std::pair{tree.above, c.above}}) {
            if (sddl != nullptr) {
                ASSERT_TRUE(SetSecurity(path, sddl)) << sddl;
            }
        }
        wchar_t account[512] = {};
        EXPECT_EQ(ProgramRights(tree.program.c_str(), account, 512), c.rights);
        EXPECT_NE(std::wstring(account).find(c.named), std::wstring::npos) << account;
    }
}

// Setting another owner needs the restore privilege, which an elevated run has.
bool MayRestore() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return false;
    TOKEN_PRIVILEGES privileges{1, {{{}, SE_PRIVILEGE_ENABLED}}};
    LUID& restore = privileges.Privileges[0].Luid;
    const bool enabled =
        ::LookupPrivilegeValueW(nullptr, L"SeRestorePrivilege", &restore) &&
        ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        ::GetLastError() == ERROR_SUCCESS;
    ::CloseHandle(token);
    return enabled;
}

// A task file or a program file that the users own is refused; one that the administrators
// own, the control, is taken. Wine keeps no owner that is set: see the README.
TEST(Owner, OfATaskFileOrAProgramMustBeTrusted) {
    for (const bool trusted : {true, false}) {
        SCOPED_TRACE(trusted ? "the administrators" : "the users");
        const wchar_t* owner = trusted ? L"O:BA" : L"O:BU";
        const std::wstring sid = trusted ? L"S-1-5-32-544" : L"S-1-5-32-545";
        const Tree tree;
        ASSERT_TRUE(tree.made);
        const std::wstring flag = tree.folder + L"\\cancel.flag";
        ASSERT_TRUE(testsupport::WriteBytes(tree.program, "MZ"));
        ASSERT_TRUE(testsupport::WriteBytes(flag, ""));
        if (!MayRestore() || !SetSecurity(flag, owner) || Owner(flag) != sid) {
            GTEST_SKIP() << "no other owner can be set here (Wine, or a run without elevation)";
        }
        ASSERT_TRUE(SetSecurity(tree.program, owner));
        const CheckedFolder folder(flag.c_str());
        EXPECT_EQ(static_cast<bool>(
                      folder.Open(L"cancel.flag", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)),
                  trusted);
        EXPECT_EQ(folder.Holds(L"cancel.flag"), trusted);
        wchar_t account[512] = {};
        EXPECT_EQ(ProgramRights(tree.program.c_str(), account, 512),
                  trusted ? FolderRights::kTrusted : FolderRights::kOpen);
        EXPECT_NE(std::wstring(account).find(trusted ? L"" : sid), std::wstring::npos) << account;
    }
}

}  // namespace
}  // namespace winbase
