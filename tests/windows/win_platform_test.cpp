// The platform services on the real Windows API, and the task files through them.
#include <gtest/gtest.h>

#include <thread>

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

// A scanner's mapped view of defer.cfg refuses a new length until it goes: the write waits
// it out under the lock and the new report lands whole, never torn.
TEST_F(WinPlatformTest, AMappedViewIsWaitedOutAndTheReportLandsWhole) {
    PromptState state;
    state.m_szAction = u"Reboot";
    state.m_szPostponed = u"yes";
    const std::string postponed = BuildFeedback(state, true, 900);
    state.m_bCancel = true;
    const std::string final = BuildFeedback(state, false, 0);
    ASSERT_TRUE(WriteBytes(Cfg(), postponed));
    HANDLE file = ::CreateFileW(Cfg().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    std::thread scanner([&] {
        ::Sleep(500);
        ::UnmapViewOfFile(view);
        ::CloseHandle(mapping);
        ::CloseHandle(file);
    });
    const FeedbackWrite write = WriteFeedbackFile(m_platform, m_paths, final);
    scanner.join();
    EXPECT_EQ(write.last.outcome, WriteOutcome::kWritten);
    EXPECT_GT(write.retries, 0);
    EXPECT_EQ(ReadBytes(Cfg()), final);
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

TEST_F(WinPlatformTest, Existence) {
    const std::wstring flag = ToWin(m_paths.m_szCancelFlagPath.view());
    EXPECT_FALSE(m_platform.FileExists(m_paths.m_szCancelFlagPath.c_str()));
    ASSERT_TRUE(WriteBytes(flag, ""));
    EXPECT_TRUE(m_platform.FileExists(m_paths.m_szCancelFlagPath.c_str()));
    ASSERT_TRUE(::DeleteFileW(flag.c_str()));
    // A link under the name is not the agent's flag, though the name is there.
    const TempDirectory other(L"other");
    ASSERT_TRUE(WriteBytes(other / L"victim", ""));
    ASSERT_TRUE(::CreateHardLinkW(flag.c_str(), (other / L"victim").c_str(), nullptr));
    ASSERT_TRUE(testsupport::Exists(flag));
    EXPECT_FALSE(m_platform.FileExists(m_paths.m_szCancelFlagPath.c_str()));
}

// Only a file another process holds is worth trying again.
TEST_F(WinPlatformTest, ARewriteTellsABusyFileFromAFailure) {
    struct Case {
        const char* name;
        DWORD share;  // how another process holds defer.cfg; ~0 for not at all
        DWORD attributes;
        WriteOutcome outcome;
    };
    const Case cases[] = {
        {"held without sharing", 0, FILE_ATTRIBUTE_NORMAL, WriteOutcome::kBusy},
        {"held for reading only", FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL, WriteOutcome::kBusy},
        {"shared for writing", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
         FILE_ATTRIBUTE_NORMAL, WriteOutcome::kWritten},
        {"read-only", ~0u, FILE_ATTRIBUTE_READONLY, WriteOutcome::kFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::SetFileAttributesW(Cfg().c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteBytes(Cfg(), "agent's"));
        ASSERT_TRUE(::SetFileAttributesW(Cfg().c_str(), c.attributes));
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.share != ~0u) {
            holder = ::CreateFileW(Cfg().c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        }
        EXPECT_EQ(m_platform.RewriteFile(m_paths.m_szCfgPath.c_str(), "new").outcome, c.outcome);
        if (holder != INVALID_HANDLE_VALUE) ::CloseHandle(holder);
        EXPECT_EQ(ReadBytes(Cfg()), c.outcome == WriteOutcome::kWritten ? "new" : "agent's");
    }
    ::SetFileAttributesW(Cfg().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WinPlatformTest, TheLockTakesOverOneLeftBehindAndGoesWithItsHolder) {
    ASSERT_TRUE(WriteBytes(Lock(), "left by a crash"));
    ASSERT_TRUE(::SetFileAttributesW(Lock().c_str(), FILE_ATTRIBUTE_HIDDEN));
    auto lock = m_platform.HoldMarkerFile(m_paths.m_szLockPath.c_str());
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(ReadBytes(Lock()), "");
    lock.reset();
    EXPECT_FALSE(testsupport::Exists(Lock()));
}

// A process that dies holding the lock must not leave the agent waiting for ever.
TEST_F(WinPlatformTest, TheLockVanishesWhenItsProcessIsKilled) {
    std::wstring command = L"\"" + testsupport::ModuleDirectory() + L"marker_holder.exe\" \"" +
                           Lock() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    const std::wstring ready = Lock() + L".ready";
    for (int i = 0; i < 300 && !testsupport::Exists(ready); ++i) ::Sleep(20);
    EXPECT_TRUE(testsupport::Exists(Lock()));
    ::TerminateProcess(process.hProcess, 9);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ASSERT_TRUE(testsupport::Exists(ready)) << "the holder never took the lock";
    EXPECT_FALSE(testsupport::Exists(Lock()));
}

}  // namespace
}  // namespace vantrel
