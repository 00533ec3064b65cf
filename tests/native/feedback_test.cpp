#include <gtest/gtest.h>

#include <climits>

#include "fake_platform.h"
#include "feedback.h"

namespace vantrel {
namespace {

PromptState Task(WideView action, std::int32_t delay, std::int32_t remain) {
    PromptState state;
    state.m_szAction = action;
    state.m_nDelay = delay;
    state.m_nRemainPostpone = remain;
    return state;
}

TEST(BuildFeedback, AfterAPostponeReportsItsLength) {
    PromptState state = Task(u"Reboot", 60, 2);
    state.m_szPostponed = u"yes";
    EXPECT_EQ(BuildFeedback(state, true, 900),
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\n"
              "Action=Reboot\r\n[Feedback]\r\nPostponed=yes\r\nPostponeTime=900\r\n"
              "Cancel=no\r\n");
}

TEST(BuildFeedback, AtTheActionReportsOnlyCancel) {
    PromptState state = Task(u"Reboot", 60, 2);
    state.m_szPostponed = u"yes";  // an earlier postpone does not show any more
    EXPECT_EQ(BuildFeedback(state, false, 900),
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\n"
              "Action=Reboot\r\n[Feedback]\r\nCancel=no\r\n");
    state.m_bCancel = true;
    EXPECT_EQ(BuildFeedback(state, false, 0),
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\n"
              "Action=Reboot\r\n[Feedback]\r\nCancel=yes\r\n");
}

TEST(BuildFeedback, PostponeTimeOnlyWhenPostponedIsYes) {
    PromptState state = Task(u"Reboot", 60, 2);
    state.m_szPostponed = u"no";
    EXPECT_EQ(BuildFeedback(state, true, 900),
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\n"
              "Action=Reboot\r\n[Feedback]\r\nPostponed=no\r\nCancel=no\r\n");
}

TEST(BuildFeedback, NumbersArePlainSignedDecimal) {
    PromptState state = Task(u"Reboot", INT32_MIN, -1);
    state.m_szPostponed = u"yes";
    EXPECT_EQ(BuildFeedback(state, true, INT32_MAX),
              "[Settings]\r\nDefaultPostponeTime=-2147483648\r\nRemainPostponeCount=-1\r\n"
              "Action=Reboot\r\n[Feedback]\r\nPostponed=yes\r\nPostponeTime=2147483647\r\n"
              "Cancel=no\r\n");
}

TEST(BuildFeedback, ActionCharactersBecomeSingleBytes) {
    struct Case {
        const char16_t* action;
        const char* line;
    };
    const Case cases[] = {
        {u"Shutdown", "Action=Shutdown\r\n"},
        {u"", "Action=\r\n"},
        {u"Neustart \u00E9\u00FF", "Action=Neustart \xE9\xFF\r\n"},  // Latin-1 as its byte
        {u"\u518D\u8D77\u52D5", "Action=???\r\n"},                   // above 255: one "?" each
        {u"a\U0001F600b", "Action=a?b\r\n"},                         // a pair is one character
        {u"a\xD800" u"b", "Action=a?b\r\n"},                         // a lone half too
    };
    for (const Case& c : cases) {
        const std::string bytes = BuildFeedback(Task(c.action, 60, 3), false, 0);
        EXPECT_NE(bytes.find(std::string("\r\n") + c.line + "[Feedback]\r\n"), std::string::npos)
            << c.line;
    }
}

TEST(BuildFeedback, HasNoByteOrderMarkAndOnlyWholeLines) {
    const std::string bytes = BuildFeedback(Task(u"\u0100x", 60, 3), false, 0);
    EXPECT_EQ(bytes.rfind("[Settings]\r\n", 0), 0u);
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(bytes[i - 1], '\r');
            ++lines;
        } else if (bytes[i] == '\r') {
            ASSERT_LT(i + 1, bytes.size());
            EXPECT_EQ(bytes[i + 1], '\n');
        }
    }
    EXPECT_EQ(lines, 6u);
    EXPECT_EQ(bytes.back(), '\n');
}

class WriteFeedbackFileTest : public ::testing::Test {
protected:
    WriteFeedbackFileTest() {
        const WideString module = u"C:\\Agent\\plimsay.exe";
        BuildTaskPaths(module.c_str(), static_cast<std::uint32_t>(module.size()), m_paths);
    }
    testing::FakePlatform m_platform;
    TaskPaths m_paths;
};

TEST_F(WriteFeedbackFileTest, RewritesUnderTheLock) {
    WriteFeedbackFile(m_platform, m_paths, "bytes");
    const std::vector<WideString> expected = {u"create C:\\Agent\\defer.lock",
                                              u"rewrite C:\\Agent\\defer.cfg",
                                              u"remove C:\\Agent\\defer.lock"};
    EXPECT_EQ(m_platform.m_log, expected);
    EXPECT_EQ(m_platform.m_written[u"C:\\Agent\\defer.cfg"], "bytes");
}

TEST_F(WriteFeedbackFileTest, RemovesTheLockWhenTheRewriteFails) {
    m_platform.m_failRewrite = true;
    WriteFeedbackFile(m_platform, m_paths, "bytes");
    ASSERT_EQ(m_platform.m_log.size(), 3u);
    EXPECT_EQ(m_platform.m_log.back(), u"remove C:\\Agent\\defer.lock");
}

}  // namespace
}  // namespace vantrel
