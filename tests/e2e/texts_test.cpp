// Every text of the running dialog: both wordings, the administrator's own, the slider.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "prompt_run.h"

namespace e2e {
namespace {

struct Shown {
    int id;  // 0: the caption
    const wchar_t* text;
};

class TextsTest : public ::testing::Test {
protected:
    void Start(const std::string& action) {
        ASSERT_TRUE(m_run.WriteProgramFile(
            L"defer.cfg", "[Settings]\r\nAction=" + action + "\r\nDefaultPostponeTime=600\r\n"));
        ASSERT_TRUE(m_run.Start());
        ASSERT_NE(m_run.WaitForDialog(), nullptr);
    }
    std::wstring Text(int id) const {
        return id == 0 ? WindowText(m_run.Dialog()) : m_run.Text(id);
    }
    void ExpectTexts(const std::vector<Shown>& shown) const {
        for (const Shown& s : shown) EXPECT_EQ(Text(s.id), s.text) << s.id;
    }
    int Slider(UINT message) const {
        return static_cast<int>(::SendMessageW(m_run.Item(1003), message, 0, 0));
    }
    PromptRun m_run;
};

TEST_F(TextsTest, ARebootTaskHasTheRebootWording) {
    Start("Reboot");
    ExpectTexts({{0, L"Orvex Agent - Reboot Required"},
                 {1000, L"The administrator has made some changes to this computer, and a "
                        L"reboot is required."},
                 {1001, L"System will reboot in:"},
                 {1005, L"Reboot now"},
                 {1006, L"Postpone reboot by:"},
                 {1008, L"min"},
                 {1010, L"min"},
                 {1012, L"sec"},
                 {1004, L"Postpone (Remain: 3)"},
                 {1009, L"10"},
                 {1011, L"00"}});
}

TEST_F(TextsTest, AnyOtherActionHasTheShutdownWording) {
    Start("reboot");
    ExpectTexts({{0, L"Orvex Agent - Shutdown Required"},
                 {1000, L"Shutdown is required."},
                 {1001, L"System will shutdown in:"},
                 {1005, L"Shutdown now"},
                 {1006, L"Postpone shutdown by:"},
                 {1008, L"min"}});
}

TEST_F(TextsTest, TheSliderRunsFromOneTo240AndShowsItsPosition) {
    Start("Reboot");
    EXPECT_EQ(Slider(TBM_GETRANGEMIN), 1);
    EXPECT_EQ(Slider(TBM_GETRANGEMAX), 240);
    EXPECT_EQ(Slider(TBM_GETPOS), 240);
    EXPECT_EQ(Slider(TBM_GETPAGESIZE), 1);
    EXPECT_EQ(m_run.Text(1007), L"240");
    // Moving it repaints it, and the label follows.
    ::SendMessageW(m_run.Item(1003), TBM_SETPOS, TRUE, 5);
    ::RedrawWindow(m_run.Item(1003), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const ULONGLONG end = ::GetTickCount64() + 3000;
    while (m_run.Text(1007) != L"05" && ::GetTickCount64() < end) ::Sleep(50);
    EXPECT_EQ(m_run.Text(1007), L"05");
}

TEST_F(TextsTest, TheAdministratorsTitleMessageAndInterval) {
    ASSERT_TRUE(m_run.WriteProgramFile(
        L"defer_customized.cfg",
        "[Settings]\r\nTitle=IT Department\r\nMsg=Please save your work.\r\nInterval=60\r\n"));
    Start("Shutdown");
    ExpectTexts({{0, L"IT Department"},
                 {1000, L"Please save your work."},
                 {1001, L"System will shutdown in:"},
                 {1005, L"Shutdown now"}});
    EXPECT_EQ(Slider(TBM_GETRANGEMAX), 60);
    EXPECT_EQ(Slider(TBM_GETPOS), 60);
}

TEST_F(TextsTest, AMessageFileShowsOneLineBreakPerLine) {
    for (const char* bytes : {"First line\nSecond line\n", "First line\r\nSecond line\r\n"}) {
        PromptRun run;
        ASSERT_TRUE(run.WriteProgramFile(L"defer.cfg", "[Settings]\r\nAction=Reboot\r\n"));
        ASSERT_TRUE(run.WriteProgramFile(L"defer_customized.cfg",
                                         "[Settings]\r\nTitle=T\r\nMsg=not this\r\n"));
        ASSERT_TRUE(run.WriteProgramFile(L"defer_customized_msg.cfg", bytes));
        ASSERT_TRUE(run.Start());
        ASSERT_NE(run.WaitForDialog(), nullptr);
        EXPECT_EQ(run.Text(1000), L"First line\r\nSecond line\r\n") << bytes;
    }
}

TEST_F(TextsTest, AnIntervalOfZeroStillAllowsOneMinute) {
    ASSERT_TRUE(m_run.WriteProgramFile(L"defer_customized.cfg", "[Settings]\r\nInterval=0\r\n"));
    Start("Reboot");
    EXPECT_EQ(Slider(TBM_GETRANGEMIN), 1);
    EXPECT_EQ(Slider(TBM_GETRANGEMAX), 1);
    EXPECT_EQ(Slider(TBM_GETPOS), 1);
}

}  // namespace
}  // namespace e2e
