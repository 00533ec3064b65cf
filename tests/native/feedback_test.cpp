#include <gtest/gtest.h>

#include <climits>

#include "fake_platform.h"
#include "feedback.h"
#include "rewrite.h"

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

// The lock is held across every attempt and goes only with its own handle, never by name
// (that could be another prompt's lock); only a file another process holds is tried again,
// every 100 ms for up to 5 s.
TEST_F(WriteFeedbackFileTest, RewritesUnderTheLockAndWaitsOutABusyFile) {
    using W = WriteOutcome;
    struct Case {
        const char* name;
        std::deque<W> outcomes;
        bool holdFails;
        std::size_t attempts;
        W result;
    };
    const Case cases[] = {
        {"at once", {}, false, 1, W::kWritten},
        {"busy twice", {W::kBusy, W::kBusy}, false, 3, W::kWritten},
        {"busy for good", std::deque<W>(60, W::kBusy), false, 51, W::kBusy},
        {"failed", {W::kFailed}, false, 1, W::kFailed},
        {"no lock", {}, true, 1, W::kWritten},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakePlatform platform;
        platform.m_rewriteOutcomes = c.outcomes;
        platform.m_failHold = c.holdFails;
        const FeedbackWrite write = WriteFeedbackFile(platform, m_paths, "bytes");
        EXPECT_EQ(write.last.outcome, c.result);
        EXPECT_EQ(write.retries + 1u, c.attempts);
        EXPECT_EQ(write.locked, !c.holdFails);

        std::vector<WideString> expected = {u"hold C:\\Agent\\defer.lock"};
        for (std::size_t i = 0; i < c.attempts; ++i) {
            if (i > 0) expected.push_back(u"sleep 100");
            expected.push_back(u"rewrite C:\\Agent\\defer.cfg");
        }
        if (!c.holdFails) expected.push_back(u"release C:\\Agent\\defer.lock");
        EXPECT_EQ(platform.m_log, expected);
        EXPECT_EQ(platform.m_written.count(u"C:\\Agent\\defer.cfg"), c.result == W::kWritten);
    }
}

// Records the steps; the step named in `failing` fails with error 1224.
class RecordingTarget : public RewriteTarget {
public:
    explicit RecordingTarget(std::string failing) : m_failing(std::move(failing)) {}
    std::uint32_t SetLength(std::uint64_t bytes) override {
        return Step("length " + std::to_string(bytes));
    }
    std::uint32_t WriteFromStart(std::string_view bytes) override {
        return Step("write " + std::string(bytes));
    }
    std::uint32_t Flush() override { return Step("flush"); }
    std::vector<std::string> m_steps;

private:
    std::uint32_t Step(const std::string& step) {
        m_steps.push_back(step);
        return step.starts_with(m_failing) ? 1224u : 0u;
    }
    std::string m_failing;
};

// The new length comes first, so that no kill leaves new lines before the old last line; a
// step that fails ends the rewrite, except the flush.
TEST(RewriteInPlace, SetsTheLengthThenWritesThenFlushes) {
    struct Case {
        const char* failing;
        std::vector<std::string> steps;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"none", {"length 3", "write new", "flush"}, 0},
        {"length", {"length 3"}, 1224},
        {"write", {"length 3", "write new"}, 1224},
        {"flush", {"length 3", "write new", "flush"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        RecordingTarget file(c.failing);
        EXPECT_EQ(RewriteInPlace(file, "new"), c.error);
        EXPECT_EQ(file.m_steps, c.steps);
    }
}

}  // namespace
}  // namespace vantrel
