#include <gtest/gtest.h>

#include <climits>

#include "fake_platform.h"
#include "task_settings.h"

namespace vantrel {
namespace {

class TaskSettingsTest : public ::testing::Test {
protected:
    TaskSettingsTest() {
        const WideString module = u"C:\\Agent\\plimsay.exe";
        BuildTaskPaths(module.c_str(), static_cast<std::uint32_t>(module.size()), m_paths);
    }
    void Cfg(const WideString& key, const WideString& value) {
        m_platform.SetProfile(m_paths.m_szCfgPath.c_str(), u"Settings", key, value);
    }
    void Custom(const WideString& key, const WideString& value) {
        m_platform.SetProfile(m_paths.m_szCustomCfgPath.c_str(), u"Settings", key, value);
    }
    PromptState Read() {
        PromptState state;
        ReadTaskSettings(m_platform, m_paths, state);
        return state;
    }

    testing::FakePlatform m_platform;
    TaskPaths m_paths;
};

TEST_F(TaskSettingsTest, NoFilesGiveTheDefaults) {
    const PromptState state = Read();
    EXPECT_EQ(state.m_szAction.view(), u"Reboot");
    EXPECT_EQ(state.m_nDelay, 60);
    EXPECT_EQ(state.m_nRemainPostpone, 3);
}

TEST_F(TaskSettingsTest, DeferCfgGivesTheTask) {
    Cfg(u"Action", u"Shutdown");
    Cfg(u"DefaultPostponeTime", u"120");
    Cfg(u"RemainPostponeCount", u"5");
    const PromptState state = Read();
    EXPECT_EQ(state.m_szAction.view(), u"Shutdown");
    EXPECT_EQ(state.m_nDelay, 120);
    EXPECT_EQ(state.m_nRemainPostpone, 5);
}

TEST_F(TaskSettingsTest, TheCustomisedFileReplacesTheCountdownAndCount) {
    Cfg(u"Action", u"Shutdown");
    Cfg(u"DefaultPostponeTime", u"120");
    Cfg(u"RemainPostponeCount", u"5");
    Custom(u"Delay", u"30");
    Custom(u"Postpone", u"1");
    PromptState state = Read();
    EXPECT_EQ(state.m_szAction.view(), u"Shutdown");  // the action always comes from defer.cfg
    EXPECT_EQ(state.m_nDelay, 30);
    EXPECT_EQ(state.m_nRemainPostpone, 1);
}

TEST_F(TaskSettingsTest, ACustomisedFileWithoutItsKeysGivesDefaultsNotDeferCfg) {
    Cfg(u"DefaultPostponeTime", u"120");
    Cfg(u"RemainPostponeCount", u"5");
    m_platform.AddFile(m_paths.m_szCustomCfgPath.c_str());
    const PromptState state = Read();
    EXPECT_EQ(state.m_nDelay, 60);
    EXPECT_EQ(state.m_nRemainPostpone, 3);
}

TEST_F(TaskSettingsTest, NumbersAreReadThroughAHundredUnitBuffer) {
    struct Case {
        WideString text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {u"90s", 90},
        {u"  45", 45},
        {u"abc", 0},
        {u"-20", -20},
        {u"4294967356", INT32_MAX},
        {u"-4294967356", INT32_MIN},
        {WideString(98, u' ') + u"7", 7},  // 99 units fit
        {WideString(99, u' ') + u"7", 0},  // the digit is cut off
    };
    for (const Case& c : cases) {
        Cfg(u"DefaultPostponeTime", c.text);
        EXPECT_EQ(Read().m_nDelay, c.expected) << c.text.size();
    }
}

TEST_F(TaskSettingsTest, TheActionKeepsAtMostNinetyNineUnits) {
    Cfg(u"Action", WideString(150, u'x'));
    EXPECT_EQ(Read().m_szAction.view(), WideString(99, u'x'));
}

}  // namespace
}  // namespace vantrel
