// The platform services on the real Windows API, and the task files through them.
#include <gtest/gtest.h>

#include "feedback.h"
#include "task_settings.h"
#include "wide_cast.h"
#include "win_files.h"
#include "win_platform.h"

namespace vantrel {
namespace {

using testsupport::ReadBytes;
using testsupport::TempDirectory;
using testsupport::WriteBytes;

class WinPlatformTest : public ::testing::Test {
protected:
    WinPlatformTest() {
        const WideString module = FromWin(m_dir / L"plimsay.exe");
        BuildTaskPaths(module.c_str(), static_cast<std::uint32_t>(module.size()), m_paths);
    }
    std::wstring Cfg() const { return ToWin(m_paths.m_szCfgPath.view()); }
    std::wstring Lock() const { return ToWin(m_paths.m_szLockPath.view()); }
    WideString Read(WideView section, WideView key, std::uint32_t length = 100) {
        return m_platform.ReadProfileString(section, key, u"fallback", length,
                                            m_paths.m_szCfgPath.c_str());
    }

    TempDirectory m_dir;
    TaskPaths m_paths;
    WinPlatform m_platform;
};

TEST_F(WinPlatformTest, ProfileNamesMatchWithoutRegardToCase) {
    ASSERT_TRUE(WriteBytes(Cfg(), "[settings]\r\naction=Shutdown\r\nDELAY=5\r\n"));
    EXPECT_EQ(Read(u"Settings", u"Action"), u"Shutdown");
    EXPECT_EQ(Read(u"SETTINGS", u"delay"), u"5");
}

TEST_F(WinPlatformTest, ProfileMissesGiveTheFallback) {
    EXPECT_EQ(Read(u"Settings", u"Action"), u"fallback");  // no file
    ASSERT_TRUE(WriteBytes(Cfg(), "[Other]\r\nAction=Shutdown\r\n[Settings]\r\nX=1\r\n"));
    EXPECT_EQ(Read(u"Settings", u"Action"), u"fallback");  // no key
    EXPECT_EQ(Read(u"Missing", u"X"), u"fallback");        // no section
}

TEST_F(WinPlatformTest, ProfileValuesAreCutToTheBuffer) {
    ASSERT_TRUE(WriteBytes(Cfg(), "[Settings]\r\nAction=" + std::string(150, 'x') + "\r\n"));
    EXPECT_EQ(Read(u"Settings", u"Action"), WideString(99, u'x'));
    EXPECT_EQ(Read(u"Settings", u"Action", 1), u"");
}

TEST_F(WinPlatformTest, ACustomisedFileWithoutItsKeysGivesTheDefaults) {
    ASSERT_TRUE(WriteBytes(Cfg(), "[Settings]\r\nDefaultPostponeTime=120\r\n"
                                  "RemainPostponeCount=5\r\nAction=Shutdown\r\n"));
    ASSERT_TRUE(WriteBytes(ToWin(m_paths.m_szCustomCfgPath.view()), "[Settings]\r\nTitle=T\r\n"));
    PromptState state;
    ReadTaskSettings(m_platform, m_paths, state);
    EXPECT_EQ(state.m_szAction.view(), u"Shutdown");
    EXPECT_EQ(state.m_nDelay, 60);
    EXPECT_EQ(state.m_nRemainPostpone, 3);
}

TEST_F(WinPlatformTest, FeedbackReachesTheDiskByteForByteAndTheLockGoes) {
    ASSERT_TRUE(WriteBytes(Cfg(), std::string(500, 'x')));  // longer than what replaces it
    PromptState state;
    state.m_szAction = u"Reboot";
    state.m_nDelay = 60;
    state.m_nRemainPostpone = 2;
    state.m_szPostponed = u"yes";
    const std::string bytes = BuildFeedback(state, true, 900);
    WriteFeedbackFile(m_platform, m_paths, bytes);
    EXPECT_EQ(ReadBytes(Cfg()), bytes);
    EXPECT_FALSE(testsupport::Exists(Lock()));
}

TEST_F(WinPlatformTest, TheRewriteKeepsTheFileItself) {
    ASSERT_TRUE(WriteBytes(Cfg(), "[Settings]\r\n"));
    // Hidden files make a plain create-always open fail; the agent may mark the file so.
    ASSERT_TRUE(::SetFileAttributesW(Cfg().c_str(), FILE_ATTRIBUTE_HIDDEN));
    const auto identity = [&] {
        HANDLE file = ::CreateFileW(Cfg().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        ::GetFileInformationByHandle(file, &info);
        ::CloseHandle(file);
        return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    };
    const ULONGLONG before = identity();
    WriteFeedbackFile(m_platform, m_paths, "new");
    EXPECT_EQ(ReadBytes(Cfg()), "new");
    EXPECT_EQ(identity(), before);
}

TEST_F(WinPlatformTest, AReadOnlyDeferCfgIsLeftAloneAndTheLockStillGoes) {
    ASSERT_TRUE(WriteBytes(Cfg(), "agent's"));
    ASSERT_TRUE(::SetFileAttributesW(Cfg().c_str(), FILE_ATTRIBUTE_READONLY));
    WriteFeedbackFile(m_platform, m_paths, "feedback");
    EXPECT_EQ(ReadBytes(Cfg()), "agent's");
    EXPECT_FALSE(testsupport::Exists(Lock()));
}

TEST_F(WinPlatformTest, ADirectoryNamedDeferCfgGetsNoFeedback) {
    ASSERT_TRUE(::CreateDirectoryW(Cfg().c_str(), nullptr));
    WriteFeedbackFile(m_platform, m_paths, "feedback");
    EXPECT_TRUE(::GetFileAttributesW(Cfg().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(testsupport::Exists(Lock()));
}

TEST_F(WinPlatformTest, ExistenceAndRemoval) {
    const std::wstring flag = ToWin(m_paths.m_szCancelFlagPath.view());
    EXPECT_FALSE(m_platform.FileExists(m_paths.m_szCancelFlagPath.c_str()));
    ASSERT_TRUE(WriteBytes(flag, ""));
    EXPECT_TRUE(m_platform.FileExists(m_paths.m_szCancelFlagPath.c_str()));
    EXPECT_TRUE(m_platform.CreateEmptyFile(m_paths.m_szLockPath.c_str()));
    EXPECT_EQ(ReadBytes(Lock()), "");
    m_platform.RemoveFile(m_paths.m_szLockPath.c_str());
    EXPECT_FALSE(testsupport::Exists(Lock()));
}

}  // namespace
}  // namespace vantrel
