// The whole task end to end: count down, postpone, come back, act, obey the cancel flag.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "prompt_run.h"
#include "win_capture.h"

namespace e2e {
namespace {

std::string Task(int delay, int remain) {
    return "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=" + std::to_string(delay) +
           "\r\nRemainPostponeCount=" + std::to_string(remain) + "\r\n";
}

std::string Feedback(int delay, int remain, const std::string& feedback) {
    return "[Settings]\r\nDefaultPostponeTime=" + std::to_string(delay) +
           "\r\nRemainPostponeCount=" + std::to_string(remain) + "\r\nAction=Reboot\r\n[Feedback]\r\n" +
           feedback;
}

class CountdownTest : public ::testing::Test {
protected:
    void Start(const std::string& task) {
        ASSERT_TRUE(m_run.WriteProgramFile(L"defer.cfg", task));
        ASSERT_TRUE(m_run.Start());
        ASSERT_NE(m_run.WaitForDialog(), nullptr);
    }
    // Clicks a button the way a user's tools would, without waiting for its handler.
    void Click(int id) const { ::PostMessageW(m_run.Item(id), BM_CLICK, 0, 0); }
    void Postpone(int minutes) const {
        ::SendMessageW(m_run.Item(1003), TBM_SETPOS, TRUE, minutes);
        Click(1004);
    }
    // Waits until `done` holds, checking every 50 ms.
    template <typename F>
    bool WaitFor(F done, DWORD timeoutMs) const {
        const ULONGLONG end = ::GetTickCount64() + timeoutMs;
        while (!done()) {
            if (::GetTickCount64() >= end) return false;
            ::Sleep(50);
        }
        return true;
    }
    bool Ends(DWORD timeoutMs) {
        DWORD code = 1;
        return m_run.WaitForExit(timeoutMs, &code) && code == 0;
    }
    bool Iconic() const { return ::IsIconic(m_run.Dialog()) != FALSE; }

    PromptRun m_run;
};

TEST_F(CountdownTest, RunsDownAndRestartsOnce) {
    Start(Task(3, 3));
    EXPECT_EQ(m_run.Text(1009) + L":" + m_run.Text(1011), L"00:03");
    EXPECT_EQ(::SendMessageW(m_run.Item(1002), PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(testsupport::WaitForBar(m_run.Item(1002), 255), "");  // red
    EXPECT_EQ(m_run.Text(1004), L"Postpone (Remain: 3)");
    ASSERT_TRUE(Ends(10000));
    EXPECT_EQ(m_run.ReadProgramFile(L"defer.cfg"), Feedback(3, 3, "Cancel=no\r\n"));
    EXPECT_EQ(m_run.ShutdownLog(), PromptRun::Restarted());
    EXPECT_FALSE(testsupport::Exists(m_run.ProgramFile(L"defer.lock")));
}

TEST_F(CountdownTest, RebootNowActsAtOnce) {
    Start(Task(60, 3));
    Click(1005);
    ASSERT_TRUE(Ends(5000));
    EXPECT_EQ(m_run.ReadProgramFile(L"defer.cfg"), Feedback(60, 3, "Cancel=no\r\n"));
    EXPECT_EQ(m_run.ShutdownLog(), PromptRun::Restarted());
}

TEST_F(CountdownTest, PostponeReportsMinimisesAndWaits) {
    Start(Task(60, 3));
    Postpone(2);
    ASSERT_TRUE(WaitFor([&] { return Iconic(); }, 5000));
    const std::string expected =
        Feedback(60, 2, "Postponed=yes\r\nPostponeTime=120\r\nCancel=no\r\n");
    ASSERT_TRUE(WaitFor([&] { return m_run.ReadProgramFile(L"defer.cfg") == expected; }, 5000));
    EXPECT_EQ(m_run.Text(1004), L"Postpone (Remain: 2)");
    EXPECT_EQ(m_run.Text(1009) + L":" + m_run.Text(1011).substr(0, 1), L"02:0");
    EXPECT_FALSE(testsupport::Exists(m_run.ProgramFile(L"defer.lock")));
    ::Sleep(1500);
    EXPECT_TRUE(Iconic());  // far above the threshold: it stays down
    EXPECT_EQ(m_run.ShutdownLog(), "");
    ::ShowWindow(m_run.Dialog(), SW_SHOWNORMAL);
    EXPECT_EQ(::SendMessageW(m_run.Item(1002), PBM_GETRANGE, FALSE, 0), 120);
    EXPECT_EQ(testsupport::WaitForBar(m_run.Item(1002), 0xFF8000), "");  // blue

    // Esc keeps the postpone's feedback byte for byte.
    m_run.PressEscape();
    ASSERT_TRUE(Ends(5000));
    EXPECT_EQ(m_run.ReadProgramFile(L"defer.cfg"), expected);
    EXPECT_EQ(m_run.ShutdownLog(), "");
}

TEST_F(CountdownTest, APostponedCountdownComesBackOnTheThresholdSecond) {
    Start(Task(118, 3));
    Postpone(2);  // 120 s, just above the threshold of 118
    ASSERT_TRUE(WaitFor([&] { return Iconic(); }, 5000));
    // Watched closely, so that the time shown is read well before the next tick: the window
    // returns as the countdown reaches 1:58 itself, not a second later.
    const ULONGLONG end = ::GetTickCount64() + 6000;
    while (Iconic() && ::GetTickCount64() < end) ::Sleep(1);
    ASSERT_FALSE(Iconic());
    EXPECT_EQ(m_run.Text(1009) + L":" + m_run.Text(1011), L"01:58");
    EXPECT_EQ(testsupport::WaitForBar(m_run.Item(1002), 255), "");  // red again
    EXPECT_EQ(m_run.ShutdownLog(), "");
}

TEST_F(CountdownTest, TheCancelFlagEndsItWithCancelYes) {
    Start(Task(60, 3));
    Postpone(2);
    ASSERT_TRUE(WaitFor([&] { return Iconic(); }, 5000));
    // A flag in the current directory is not the agent's: nothing happens.
    ASSERT_TRUE(testsupport::WriteBytes(m_run.WorkDir() + L"\\cancel.flag", ""));
    ::Sleep(1500);
    EXPECT_TRUE(m_run.Running());
    const ULONGLONG dropped = ::GetTickCount64();
    ASSERT_TRUE(m_run.WriteProgramFile(L"cancel.flag", "stop"));
    ASSERT_TRUE(Ends(5000));
    EXPECT_LE(::GetTickCount64() - dropped, 2500u);
    EXPECT_EQ(m_run.ReadProgramFile(L"defer.cfg"), Feedback(60, 2, "Cancel=yes\r\n"));
    EXPECT_EQ(m_run.ShutdownLog(), PromptRun::Restarted());
    EXPECT_EQ(m_run.ReadProgramFile(L"cancel.flag"), "stop");  // never touched
}

TEST_F(CountdownTest, TheLastPostponeDisablesTheButtonAndSlider) {
    Start(Task(60, 1));
    EXPECT_TRUE(::IsWindowEnabled(m_run.Item(1004)));
    Postpone(3);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowEnabled(m_run.Item(1004)); }, 5000));
    EXPECT_FALSE(::IsWindowEnabled(m_run.Item(1003)));
    EXPECT_EQ(m_run.Text(1004), L"Postpone (Remain: 0)");
}

}  // namespace
}  // namespace e2e
