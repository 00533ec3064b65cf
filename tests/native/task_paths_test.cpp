#include <gtest/gtest.h>

#include "task_paths.h"

namespace vantrel {
namespace {

bool Build(const WideString& module, TaskPaths& paths) {
    return BuildTaskPaths(module.c_str(), static_cast<std::uint32_t>(module.size()), paths);
}

TEST(TaskPaths, LieInTheProgramsDirectory) {
    TaskPaths paths;
    ASSERT_TRUE(Build(u"C:\\Agent\\plimsay.exe", paths));
    EXPECT_EQ(paths.m_szCfgPath.view(), u"C:\\Agent\\defer.cfg");
    EXPECT_EQ(paths.m_szLockPath.view(), u"C:\\Agent\\defer.lock");
    EXPECT_EQ(paths.m_szCancelFlagPath.view(), u"C:\\Agent\\cancel.flag");
    EXPECT_EQ(paths.m_szCustomCfgPath.view(), u"C:\\Agent\\defer_customized.cfg");
    EXPECT_EQ(paths.m_szCustomMsgPath.view(), u"C:\\Agent\\defer_customized_msg.cfg");

    ASSERT_TRUE(Build(u"\\\\server\\share\\a.b\\x.exe", paths));
    EXPECT_EQ(paths.m_szCfgPath.view(), u"\\\\server\\share\\a.b\\defer.cfg");
}

TEST(TaskPaths, RefuseAPathTheyCannotTrust) {
    TaskPaths paths;
    const WideString module = u"C:\\Agent\\plimsay.exe";
    EXPECT_FALSE(BuildTaskPaths(module.c_str(), 0, paths));     // the call failed
    EXPECT_FALSE(BuildTaskPaths(module.c_str(), 1024, paths));  // truncated to the buffer
    EXPECT_FALSE(Build(u"plimsay.exe", paths));                 // no directory
    EXPECT_FALSE(BuildTaskPaths(nullptr, 5, paths));
    EXPECT_TRUE(paths.m_szCfgPath.empty());
}

TEST(TaskPaths, RefuseADirectoryTooLongForTheLongestName) {
    // "defer_customized_msg.cfg" is 24 units; with the directory it must fit 1023.
    const auto module = [](std::size_t directoryLength) {
        return WideString(directoryLength - 1, u'd') + u"\\p.exe";
    };
    TaskPaths paths;
    ASSERT_TRUE(Build(module(1023 - 24), paths));
    EXPECT_EQ(paths.m_szCustomMsgPath.size(), 1023u);
    EXPECT_FALSE(Build(module(1023 - 23), paths));
    EXPECT_TRUE(paths.m_szCfgPath.empty());
}

}  // namespace
}  // namespace vantrel
