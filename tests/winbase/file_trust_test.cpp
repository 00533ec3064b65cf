#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winbase/portable/file_trust.h"

namespace winbase {
namespace {

constexpr std::u16string_view kSystem = u"S-1-5-18";
constexpr std::u16string_view kAdmins = u"S-1-5-32-544";
constexpr std::u16string_view kInstaller =
    u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr std::u16string_view kUsers = u"S-1-5-32-545";
constexpr std::u16string_view kSignedIn = u"S-1-5-11";  // Authenticated Users
constexpr std::u16string_view kPackages = u"S-1-15-2-1";
constexpr std::u16string_view kCreator = u"S-1-3-0";
constexpr std::u16string_view kAlice = u"S-1-5-21-7-8-9-1001";
constexpr std::u16string_view kSelf = u"S-1-5-21-1-2-3-1000";
// Masks as icacls names them.
constexpr std::uint32_t kFull = 0x1F01FF;                  // F
constexpr std::uint32_t kModify = 0x1301BF;                // M
constexpr std::uint32_t kReadExecute = 0x1200A9;           // RX
constexpr std::uint32_t kAddFile = 0x2;                    // WD
constexpr std::uint32_t kAddFolder = 0x4;                  // AD; "append" on a file
constexpr std::uint32_t kUsersInProgramData = 0x116;       // WD,AD,WEA,WA
constexpr std::uint32_t kGenericAll = 0x10000000;          // GA
constexpr std::uint32_t kGenericReadExecute = 0xA0000000;  // GR,GE
constexpr std::uint8_t kFiles = 0x1;    // (OI)
constexpr std::uint8_t kFolders = 0x2;  // (CI)
constexpr std::uint8_t kBoth = kFiles | kFolders;
constexpr std::uint8_t kOnlyInherited = 0x8;  // (IO)
constexpr std::uint8_t kInherited = 0x10;     // (I)

AccessEntry Allow(std::u16string_view sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return {sid, kAllowEntry, mask, flags};
}
AccessEntry Deny(std::u16string_view sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return {sid, kDenyEntry, mask, flags};
}

struct RightsCase {
    const char* name;
    Guarded what;
    std::u16string_view owner;
    std::vector<AccessEntry> entries;
    std::u16string_view expected;
    bool noList = false;  // no access list at all, not an empty one
};

// Each access list as icacls shows it on Windows 10.
TEST(Rights, NameTheFirstAccountOtherThanTheTrustedThatMayChangeWhatWeUse) {
    const std::vector<AccessEntry> programFiles = {
        Allow(kInstaller, kFull), Allow(kInstaller, kGenericAll, kFolders | kOnlyInherited),
        Allow(kSystem, kModify), Allow(kSystem, kGenericAll, kBoth | kOnlyInherited),
        Allow(kAdmins, kModify), Allow(kAdmins, kGenericAll, kBoth | kOnlyInherited),
        Allow(kUsers, kReadExecute), Allow(kUsers, kGenericReadExecute, kBoth | kOnlyInherited),
        Allow(kCreator, kGenericAll, kBoth | kOnlyInherited), Allow(kPackages, kReadExecute),
        Allow(kPackages, kGenericReadExecute, kBoth | kOnlyInherited)};
    const std::vector<AccessEntry> driveRoot = {
        Allow(kAdmins, kFull, kBoth), Allow(kSystem, kFull, kBoth),
        Allow(kUsers, kReadExecute, kBoth), Allow(kSignedIn, kModify, kBoth | kOnlyInherited),
        Allow(kSignedIn, kAddFolder)};
    const std::vector<AccessEntry> programData = {
        Allow(kSystem, kFull, kBoth), Allow(kAdmins, kFull, kBoth),
        Allow(kCreator, kFull, kBoth | kOnlyInherited), Allow(kUsers, kReadExecute, kBoth),
        Allow(kUsers, kUsersInProgramData, kFolders)};
    const auto inheritedBy = [](const std::vector<AccessEntry>& parent) {
        std::vector<AccessEntry> child;
        for (AccessEntry entry : parent) {
            if ((entry.flags & kFolders) == 0) continue;
            entry.flags = static_cast<std::uint8_t>((entry.flags & ~kOnlyInherited) | kInherited);
            child.push_back(entry);
        }
        return child;
    };
    const RightsCase cases[] = {
        // Folders that hold our programs and task files.
        {"Program Files", Guarded::kFolder, kInstaller, programFiles, u""},
        {"a folder made in Program Files", Guarded::kFolder, kAdmins, inheritedBy(programFiles),
         u""},
        {"a folder made in C:\\", Guarded::kFolder, kAdmins, inheritedBy(driveRoot), kSignedIn},
        {"ProgramData", Guarded::kFolder, kSystem, programData, kUsers},
        {"a folder made in ProgramData", Guarded::kFolder, kAdmins, inheritedBy(programData),
         kUsers},
        {"broken inheritance, users read", Guarded::kFolder, kAdmins,
         {Allow(kSystem, kFull, kBoth), Allow(kAdmins, kFull, kBoth),
          Allow(kUsers, kReadExecute, kBoth)},
         u""},
        {"broken inheritance, users modify", Guarded::kFolder, kAdmins,
         {Allow(kSystem, kFull, kBoth), Allow(kAdmins, kFull, kBoth),
          Allow(kUsers, kModify, kBoth)},
         kUsers},
        {"a profile folder", Guarded::kFolder, kSystem,
         {Allow(kSystem, kFull, kBoth), Allow(kAdmins, kFull, kBoth), Allow(kAlice, kFull, kBoth)},
         kAlice},
        {"no access list: everyone", Guarded::kFolder, kAdmins, {}, u"S-1-1-0", true},
        {"an empty access list: the owner alone", Guarded::kFolder, kAdmins, {}, u""},
        {"owned by a user", Guarded::kFolder, kUsers, {}, kUsers},
        {"owned by the program's own account", Guarded::kFolder, kSelf, {Allow(kSelf, kFull)}, u""},
        {"an owner that could not be read", Guarded::kFolder, u"", {}, kUnreadAccount},
        {"adding files", Guarded::kFolder, kAdmins, {Allow(kUsers, kAddFile)}, kUsers},
        {"adding folders", Guarded::kFolder, kAdmins, {Allow(kUsers, kAddFolder)}, kUsers},
        {"deleting the folder, so renaming it", Guarded::kFolder, kAdmins,
         {Allow(kUsers, 0x10000)}, kUsers},
        {"deleting what is in it", Guarded::kFolder, kAdmins, {Allow(kUsers, 0x40)}, kUsers},
        {"changing its access list", Guarded::kFolder, kAdmins, {Allow(kUsers, 0x40000)}, kUsers},
        {"taking it over", Guarded::kFolder, kAdmins, {Allow(kUsers, 0x80000)}, kUsers},
        {"generic all", Guarded::kFolder, kAdmins, {Allow(kUsers, kGenericAll)}, kUsers},
        {"generic write inherited by files", Guarded::kFolder, kAdmins,
         {Allow(kUsers, 0x40000000, kFiles | kOnlyInherited)}, kUsers},
        {"deleting inherited by files", Guarded::kFolder, kAdmins,
         {Allow(kUsers, 0x10000, kFiles | kOnlyInherited)}, kUsers},
        {"attributes inherited by files", Guarded::kFolder, kAdmins,
         {Allow(kUsers, 0x100, kFiles | kOnlyInherited)}, kUsers},
        {"deleting inherited by subfolders only", Guarded::kFolder, kAdmins,
         {Allow(kUsers, kGenericAll, kFolders | kOnlyInherited)}, u""},
        {"the creator of a file", Guarded::kFolder, kAdmins,
         {Allow(kCreator, kGenericAll, kBoth | kOnlyInherited)}, u""},
        {"a conditional entry, however narrow", Guarded::kFolder, kAdmins,
         {{kUsers, 9, kReadExecute, 0}}, kUnreadAccount},
        {"a deny entry alone", Guarded::kFolder, kAdmins, {Deny(kUsers, kFull)}, u""},
        {"a deny entry before an allow decides", Guarded::kFolder, kAdmins,
         {Deny(kUsers, 0x40010000, kBoth), Allow(kUsers, kModify, kBoth)}, u""},
        {"a deny entry after an allow decides nothing", Guarded::kFolder, kAdmins,
         {Allow(kUsers, kModify, kBoth), Deny(kUsers, 0x40010000, kBoth)}, kUsers},
        {"a deny entry for another account", Guarded::kFolder, kAdmins,
         {Deny(u"S-1-1-0", 0x40010000, kBoth), Allow(kUsers, kModify, kBoth)}, kUsers},
        {"the first of two", Guarded::kFolder, kAdmins,
         {Allow(kSignedIn, kAddFile), Allow(kUsers, kAddFile)}, kSignedIn},
        // Folders above ours: only what lets ours be renamed away counts.
        {"C:\\ above", Guarded::kParent, kInstaller, driveRoot, u""},
        {"Program Files above", Guarded::kParent, kInstaller, programFiles, u""},
        {"ProgramData above", Guarded::kParent, kSystem, programData, u""},
        {"a folder a user made above", Guarded::kParent, kAlice, inheritedBy(driveRoot), kAlice},
        {"deleting what is in the folder above", Guarded::kParent, kAdmins,
         {Allow(kUsers, 0x40)}, kUsers},
        {"deleting the folder above", Guarded::kParent, kAdmins, {Allow(kUsers, 0x10000)}, kUsers},
        {"a profile folder above", Guarded::kParent, kSystem,
         {Allow(kSystem, kFull, kBoth), Allow(kAlice, kFull, kBoth)}, kAlice},
        // The program file itself.
        {"a program file as installed", Guarded::kFile, kAdmins,
         {Allow(kSystem, kFull, kInherited), Allow(kAdmins, kFull, kInherited),
          Allow(kUsers, kReadExecute, kInherited)},
         u""},
        {"a program file owned by a user", Guarded::kFile, kAlice, {}, kAlice},
        {"a program file users may write", Guarded::kFile, kAdmins,
         {Allow(kSignedIn, kModify, kInherited)}, kSignedIn},
        {"a program file's attributes", Guarded::kFile, kAdmins, {Allow(kUsers, 0x100)}, kUsers},
    };
    static const AccessEntry kNone{};
    for (const auto& row : cases) {
        const AccessEntry* list = row.noList            ? nullptr
                                  : row.entries.empty() ? &kNone
                                                        : row.entries.data();
        EXPECT_EQ(UntrustedWriter(row.what, row.owner, list, row.entries.size(), kSelf),
                  row.expected)
            << row.name;
    }
}

TEST(FinalPath, IsOursOnlyDirectlyInTheFolderUnderItsName) {
    constexpr std::u16string_view kFolder = u"\\\\?\\C:\\ProgramData\\Orvex Agent";
    struct {
        std::u16string_view finalPath;
        std::u16string_view folder;
        bool ours;
    } const cases[] = {
        {u"\\\\?\\C:\\ProgramData\\Orvex Agent\\defer.cfg", kFolder, true},
        {u"\\\\?\\C:\\ProgramData\\Orvex Agent\\DEFER.CFG", kFolder, true},
        {u"\\\\?\\C:\\Windows\\System32\\config\\defer.cfg", kFolder, false},  // a link
        {u"\\\\?\\C:\\ProgramData\\orvex agent\\defer.cfg", kFolder, false},
        {u"\\\\?\\C:\\ProgramData\\Orvex Agent\\sub\\defer.cfg", kFolder, false},
        {u"\\\\?\\C:\\ProgramData\\Orvex Agent\\defer.cfg.bak", kFolder, false},
        {u"\\\\?\\C:\\ProgramData\\Orvex Agentdefer.cfg", kFolder, false},
        {u"\\\\?\\C:\\ProgramData\\Orvex Agent/defer.cfg", kFolder, false},
        {u"\\\\?\\C:\\defer.cfg", u"\\\\?\\C:\\", true},  // a drive's root
        {u"\\\\?\\C:\\other\\defer.cfg", u"\\\\?\\C:\\prog", false},  // same name, another folder
        {u"defer.cfg", u"", false},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(IsEntryOf(row.finalPath, row.folder, u"defer.cfg"), row.ours)
            << std::string(row.finalPath.begin(), row.finalPath.end());
    }
}

}  // namespace
}  // namespace winbase
