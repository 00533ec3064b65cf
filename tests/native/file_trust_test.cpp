#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_trust.h"

namespace vantrel {
namespace {

constexpr std::u16string_view kSystem = u"S-1-5-18";
constexpr std::u16string_view kAdmins = u"S-1-5-32-544";
constexpr std::u16string_view kInstaller =
    u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr std::u16string_view kUsers = u"S-1-5-32-545";
constexpr std::u16string_view kSelf = u"S-1-5-21-1-2-3-1000";
constexpr std::uint32_t kReadExecute = 0x1200A9;
constexpr std::uint32_t kAddFile = 0x2;
constexpr std::uint32_t kAppend = 0x4;  // "add a folder" on a folder
constexpr std::uint8_t kFiles = 0x1;     // inherited by files
constexpr std::uint8_t kFolders = 0x2;   // inherited by folders
constexpr std::uint8_t kInheritOnly = 0x8;

struct RightsCase {
    const char* name;
    std::u16string_view owner;
    std::vector<AccessEntry> entries;
    std::u16string_view expected;
};

TEST(FolderRights, NameTheFirstAccountOtherThanTheTrustedThatMayWrite) {
    const RightsCase cases[] = {
        {"installer's defaults", kAdmins,
         {{kSystem, true, 0x1F01FF, kFiles | kFolders},
          {kAdmins, true, 0x1F01FF, kFiles | kFolders},
          {kInstaller, true, 0x10000000, kFiles | kFolders | kInheritOnly},
          {kUsers, true, kReadExecute, kFiles | kFolders}},
         u""},
        {"owned by a user", kUsers, {}, kUsers},
        {"owned by the system", kSystem, {}, u""},
        {"owned by the program's own account", kSelf, {{kSelf, true, 0x1F01FF, 0}}, u""},
        {"ProgramData's inherited right to add files", kAdmins,
         {{kUsers, true, kAddFile | kAppend, kFolders}}, kUsers},
        {"append alone", kAdmins, {{kUsers, true, kAppend, 0}}, kUsers},
        {"write inherited by the files only", kAdmins,
         {{kUsers, true, 0x40000000, kFiles | kInheritOnly}}, kUsers},
        {"full control inherited by subfolders only", kAdmins,
         {{kUsers, true, 0x10000000, kFolders | kInheritOnly}}, u""},
        {"a deny entry", kAdmins, {{kUsers, false, 0x1F01FF, 0}}, u""},
        {"the creator of a file", kAdmins,
         {{u"S-1-3-0", true, 0x10000000, kFiles | kFolders | kInheritOnly}}, u""},
        {"rights on the access list", kAdmins, {{kUsers, true, 0x40000, 0}}, kUsers},
        {"no access list: everyone", kAdmins, {{u"S-1-1-0", true, 0x10000000, 0}}, u"S-1-1-0"},
        {"the first of two", kAdmins,
         {{u"S-1-5-11", true, kAddFile, 0}, {kUsers, true, kAddFile, 0}}, u"S-1-5-11"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(UntrustedWriter(row.owner, row.entries.data(), row.entries.size(), kSelf),
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
        {u"defer.cfg", u"", false},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(IsEntryOf(row.finalPath, row.folder, u"defer.cfg"), row.ours)
            << std::string(row.finalPath.begin(), row.finalPath.end());
    }
}

}  // namespace
}  // namespace vantrel
