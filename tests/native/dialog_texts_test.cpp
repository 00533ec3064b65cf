// Which texts the dialog shows, from the action, the catalogue and the customised files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "dialog_texts.h"
#include "fake_platform.h"
#include "number.h"

namespace vantrel {
namespace {

using T = TextTarget;

class DialogTextsTest : public ::testing::Test {
protected:
    DialogTextsTest() {
        const WideString module = u"C:\\Agent\\plimsay.exe";
        BuildTaskPaths(module.c_str(), static_cast<std::uint32_t>(module.size()), m_paths);
    }
    // The catalogue, checking that each key the dialog asks for is one a catalogue keeps.
    TextLookup Lookup() {
        return [this](const char* key, const char* fallback) {
            EXPECT_NE(std::find(std::begin(kDialogKeys), std::end(kDialogKeys), std::string(key)),
                      std::end(kDialogKeys))
                << key;
            auto found = m_catalogue.find(key);
            return found != m_catalogue.end() ? found->second : Widen(fallback);
        };
    }
    DialogTextPlan Plan(WideView action) { return PlanDialogTexts(m_platform, m_paths, action, Lookup()); }
    void Custom(const WideString& key, const WideString& value) {
        m_platform.SetProfile(m_paths.m_szCustomCfgPath.c_str(), u"Settings", key, value);
    }
    void MessageFile(const std::string& bytes) {
        m_platform.AddFile(m_paths.m_szCustomMsgPath.c_str());
        m_platform.m_wideFiles[m_paths.m_szCustomMsgPath.c_str()] = bytes;
    }
    static WideString TextOf(const DialogTextPlan& plan, TextTarget target) {
        for (const DialogText& t : plan.texts) {
            if (t.target == target) return t.text;
        }
        return u"<none>";
    }

    testing::FakePlatform m_platform;
    TaskPaths m_paths;
    std::map<std::string, WideString> m_catalogue;
};

const std::vector<DialogText> kRebootTexts = {
    {T::kCaption, u"Orvex Agent - Reboot Required"},
    {T::kMessage,
     u"The administrator has made some changes to this computer, and a reboot is required."},
    {T::kCountdownLabel, u"System will reboot in:"},
    {T::kActNow, u"Reboot now"},
    {T::kPostponeLabel, u"Postpone reboot by:"},
    {T::kMinutesUnit, u"min"},
    {T::kSecondsUnit, u"sec"},
    {T::kSliderUnit, u"min"},
};
const std::vector<DialogText> kShutdownTexts = {
    {T::kCaption, u"Orvex Agent - Shutdown Required"},
    {T::kMessage, u"Shutdown is required."},
    {T::kCountdownLabel, u"System will shutdown in:"},
    {T::kActNow, u"Shutdown now"},
    {T::kPostponeLabel, u"Postpone shutdown by:"},
    {T::kMinutesUnit, u"min"},
    {T::kSecondsUnit, u"sec"},
    {T::kSliderUnit, u"min"},
};

TEST_F(DialogTextsTest, OnlyExactlyRebootGivesTheRebootWording) {
    struct Case {
        const char16_t* action;
        const std::vector<DialogText>* texts;
    };
    const Case cases[] = {{u"Reboot", &kRebootTexts},   {u"reboot", &kShutdownTexts},
                          {u"REBOOT", &kShutdownTexts}, {u"Reboot ", &kShutdownTexts},
                          {u"Reboo", &kShutdownTexts},  {u"Shutdown", &kShutdownTexts},
                          {u"", &kShutdownTexts}};
    for (const Case& c : cases) {
        const DialogTextPlan plan = Plan(c.action);
        const WideView action(c.action);
        EXPECT_EQ(plan.texts, *c.texts) << std::string(action.begin(), action.end());
        EXPECT_EQ(plan.countdownLabel, (*c.texts)[2].text);
        EXPECT_EQ(plan.sliderMaximum, 240);
        EXPECT_EQ(plan.sliderPosition, 240);
    }
}

TEST_F(DialogTextsTest, TranslationsAreShownAsTheyAre) {
    m_catalogue["CAPTION_DIALOG"] = u"Orvex-Agent";
    m_catalogue["CAPTION_REBOOT"] = u"Neustart erforderlich";
    m_catalogue["IDREBOOT"] = u"100% jetzt %s";  // never used as a format
    m_catalogue["IDC_STATIC_SYSTEM_REBOOT"] = WideString(500, u'x');
    const DialogTextPlan plan = Plan(u"Reboot");
    EXPECT_EQ(TextOf(plan, T::kCaption), u"Orvex-Agent - Neustart erforderlich");
    EXPECT_EQ(TextOf(plan, T::kActNow), u"100% jetzt %s");
    EXPECT_EQ(plan.countdownLabel, WideString(99, u'x'));
    EXPECT_EQ(TextOf(plan, T::kCountdownLabel), WideString(99, u'x'));

    m_catalogue["CAPTION_DIALOG"] = WideString(20000, u'c');
    EXPECT_EQ(TextOf(Plan(u"Reboot"), T::kCaption), WideString(10239, u'c'));
    // The label never ends on half a character.
    m_catalogue["IDC_STATIC_SYSTEM_REBOOT"] = WideString(98, u'x') + u"\U0001F600";
    EXPECT_EQ(Plan(u"Reboot").countdownLabel, WideString(98, u'x'));

    // The postpone button's words come through the same lookup.
    EXPECT_EQ(PostponeButtonText(Lookup(), 3), u"Postpone (Remain: 3)");
    m_catalogue["IDPOSTPONE"] = u"Verschieben";
    m_catalogue["IDPOSTPONE_REMAIN"] = u"Verbleibend:";
    EXPECT_EQ(PostponeButtonText(Lookup(), 2), u"Verschieben (Verbleibend: 2)");
}

TEST_F(DialogTextsTest, TheCustomisedFileGivesTitleAndMessageForBothActions) {
    Custom(u"Title", u"IT Department");
    Custom(u"Msg", u"Please save your work.");
    for (const char16_t* action : {u"Reboot", u"Shutdown"}) {
        const DialogTextPlan plan = Plan(action);
        const auto& standard = WideView(action) == u"Reboot" ? kRebootTexts : kShutdownTexts;
        std::vector<DialogText> expected = standard;
        expected[0].text = u"IT Department";
        expected[1].text = u"Please save your work.";
        EXPECT_EQ(plan.texts, expected);
    }
}

TEST_F(DialogTextsTest, ACustomisedFileWithoutItsKeysLeavesTitleAndMessageEmpty) {
    m_platform.AddFile(m_paths.m_szCustomCfgPath.c_str());
    m_catalogue["CAPTION_REBOOT"] = u"never asked for";
    const DialogTextPlan plan = Plan(u"Reboot");
    EXPECT_EQ(TextOf(plan, T::kCaption), u"");
    EXPECT_EQ(TextOf(plan, T::kMessage), u"");
    EXPECT_EQ(plan.texts.size(), kRebootTexts.size());
}

TEST_F(DialogTextsTest, TheMessageFileWinsButOnlyWithTheCustomisedFile) {
    MessageFile("From the file");
    EXPECT_EQ(TextOf(Plan(u"Reboot"), T::kMessage), kRebootTexts[1].text);  // ignored alone
    Custom(u"Msg", u"From Msg");
    EXPECT_EQ(TextOf(Plan(u"Reboot"), T::kMessage), u"From the file");
}

TEST_F(DialogTextsTest, AMessageFileThatCannotBeReadShowsNothing) {
    Custom(u"Title", u"Leftover title");
    m_platform.AddFile(m_paths.m_szCustomMsgPath.c_str());  // exists, but no bytes to read
    EXPECT_EQ(TextOf(Plan(u"Reboot"), T::kMessage), u"");
}

TEST_F(DialogTextsTest, TheMessageFileGetsOneLineBreakPerLine) {
    Custom(u"Title", u"T");
    struct Case {
        const char* name;
        std::string bytes;
        WideString shown;
    };
    const Case cases[] = {
        {"LF", "one\ntwo\n", u"one\r\ntwo\r\n"},
        {"CR LF", "one\r\ntwo\r\n", u"one\r\ntwo\r\n"},
        {"lone CR", "one\rtwo", u"one\rtwo"},
        {"zero byte", std::string("one\0two", 7), u"one"},
        {"Ctrl-Z", "one\x1Atwo", u"one"},
        {"8-bit ANSI", "Gr\xFC\xDF" "e", u"Gr\u00FC\u00DFe"},
        {"no zero in 10240 bytes", std::string(10240, 'x'), WideString(10239, u'x')},
        {"6000 line feeds", std::string(6000, '\n'), [] {
             WideString pairs;
             for (int i = 0; i < 5119; ++i) pairs += u"\r\n";
             return pairs;
         }()},
        {"CR LF pairs beyond the buffer", [] {
             std::string s;
             for (int i = 0; i < 8000; ++i) s += "a\r\n";
             return s;
         }(), [] {
             WideString w;
             for (int i = 0; i < 3413; ++i) w += u"a\r\n";  // 10239 units
             return w;
         }()},
    };
    for (const Case& c : cases) {
        MessageFile(c.bytes);
        const WideString shown = TextOf(Plan(u"Reboot"), T::kMessage);
        EXPECT_EQ(shown.size(), c.shown.size()) << c.name;
        EXPECT_TRUE(shown == c.shown) << c.name;
    }
}

TEST_F(DialogTextsTest, TheSliderNumbersComeFromTheCustomisedFile) {
    struct Case {
        const char16_t* interval;  // null: no key
        const char16_t* start;
        std::int32_t maximum, position;
    };
    const Case cases[] = {
        {u"60", nullptr, 60, 60},    // the start follows the maximum's text
        {nullptr, u"30", 240, 30},
        {u"120", u"15", 120, 15},
        {u"0", nullptr, 1, 0},       // never a maximum of 0 minutes
        {u"abc", nullptr, 1, 0},
        {u"-5", u"3", 1, 3},         // the control keeps the position in its range
        {u"90min", u" 20", 90, 20},
    };
    for (const Case& c : cases) {
        testing::FakePlatform fresh;
        m_platform = fresh;
        m_platform.AddFile(m_paths.m_szCustomCfgPath.c_str());
        if (c.interval) Custom(u"Interval", c.interval);
        if (c.start) Custom(u"DefaultInterval", c.start);
        const DialogTextPlan plan = Plan(u"Reboot");
        EXPECT_EQ(plan.sliderMaximum, c.maximum);
        EXPECT_EQ(plan.sliderPosition, c.position);
    }
}

}  // namespace
}  // namespace vantrel
