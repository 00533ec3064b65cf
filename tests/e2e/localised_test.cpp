// The running dialog in the user's language, from our own language files. Each *Dialog suite
// runs as its own ctest entry with its LANG.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "language_files.h"
#include "prompt_run.h"
#include "win_capture.h"

namespace e2e {
namespace {

struct Shown {
    int id;  // 0: the caption
    const wchar_t* text;
};

class LocalisedDialog : public ::testing::Test {
protected:
    void Run(LANGID language, const char* action, const std::vector<Shown>& expected) {
        ASSERT_EQ(::GetUserDefaultUILanguage(), language) << "the ctest entry's LANG is not in effect";
        testsupport::InstalledLanguageFiles files;
        ASSERT_TRUE(files.InstallAllShipped());
        PromptRun run;
        ASSERT_TRUE(run.WriteProgramFile(
            L"defer.cfg", std::string("[Settings]\r\nAction=") + action + "\r\nDefaultPostponeTime=300\r\n"));
        ASSERT_TRUE(run.Start());
        ASSERT_NE(run.WaitForDialog(), nullptr);
        for (const Shown& s : expected) {
            EXPECT_EQ(s.id == 0 ? WindowText(run.Dialog()) : run.Text(s.id), s.text) << s.id;
        }
        run.PressEscape();
        EXPECT_TRUE(run.WaitForExit(5000));
    }
};

class GermanDialog : public LocalisedDialog {};

TEST_F(GermanDialog, ShowsTheGermanRebootWording) {
    Run(0x0407, "Reboot",
        {{0, L"Orvex Agent - Neustart erforderlich"},
         {1000, L"Der Administrator hat Änderungen an diesem Computer vorgenommen, die einen "
                L"Neustart erfordern."},
         {1001, L"Neustart in:"},
         {1005, L"Jetzt neu starten"},
         {1006, L"Neustart verschieben um:"},
         {1004, L"Verschieben (noch 3)"},
         {1010, L"Min."},
         {1012, L"Sek."},
         {1008, L"Min."},
         {1009, L"05"}});
}

TEST_F(GermanDialog, ShowsTheGermanShutdownWording) {
    Run(0x0407, "Shutdown",
        {{0, L"Orvex Agent - Herunterfahren erforderlich"},
         {1000, L"Der Computer muss heruntergefahren werden."},
         {1001, L"Herunterfahren in:"},
         {1005, L"Jetzt herunterfahren"},
         {1006, L"Herunterfahren verschieben um:"}});
}

class EnglishDialog : public LocalisedDialog {};

TEST_F(EnglishDialog, OurEnglishFileMatchesTheBuiltInTexts) {
    Run(0x0409, "Reboot",
        {{0, L"Orvex Agent - Reboot Required"},
         {1001, L"System will reboot in:"},
         {1005, L"Reboot now"},
         {1004, L"Postpone (Remain: 3)"}});
}

// The dialog is mirrored when the file read is Arabic or Hebrew. The running language is
// mapped to the locale under test, as the fit check does, so any LANG serves.
class RightToLeft : public ::testing::Test {
protected:
    void Start(const char* locale) {
        char index[64];
        std::snprintf(index, sizeof index, "%04X %s\r\n", ::GetUserDefaultUILanguage(), locale);
        ASSERT_TRUE(m_files.Write(L"i18n.ini", index));
        ASSERT_TRUE(m_run.WriteProgramFile(
            L"defer.cfg", "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=10\r\n"));
        ASSERT_TRUE(m_run.Start());
        ASSERT_NE(m_run.WaitForDialog(), nullptr);
    }
    bool Mirrored(int id = 0) const {
        HWND window = id == 0 ? m_run.Dialog() : m_run.Item(id);
        return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    }
    void TearDown() override {
        m_run.PressEscape();
        EXPECT_TRUE(m_run.WaitForExit(5000));
    }

    testsupport::InstalledLanguageFiles m_files;
    PromptRun m_run;
};

TEST_F(RightToLeft, ArabicMirrorsTheDialogAndTheBarFillsFromTheRight) {
    ASSERT_TRUE(m_files.InstallShipped(L"ar_SA.prop"));
    Start("ar_SA");
    EXPECT_TRUE(Mirrored());
    EXPECT_TRUE(Mirrored(1002));
    // A few seconds into the countdown the bar is part empty: its empty end is on the left.
    ::Sleep(2500);
    HWND bar = m_run.Item(1002);
    ASSERT_LT(::SendMessageW(bar, PBM_GETPOS, 0, 0), ::SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(testsupport::WaitForBar(bar, 255), "");
}

TEST_F(RightToLeft, AFallbackToEnglishIsNotMirrored) {
    ASSERT_TRUE(m_files.InstallShipped(L"en_US.prop"));
    Start("he_IL");  // listed, but its file is missing
    EXPECT_EQ(m_run.Text(1005), L"Reboot now");
    EXPECT_FALSE(Mirrored());
}

}  // namespace
}  // namespace e2e
