// The running dialog in the user's language, from our own language files. Each suite runs
// as its own ctest entry with its LANG.
#include <windows.h>

#include <gtest/gtest.h>

#include "language_files.h"
#include "prompt_run.h"

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

}  // namespace
}  // namespace e2e
