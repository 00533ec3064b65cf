// The countdown, postpone and action rules over simulated seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>

#include "countdown.h"
#include "feedback.h"
#include "number.h"

namespace vantrel {
namespace {

using Kind = Effect::Kind;

// The dialog as the effects leave it, with the window and timer semantics the shell gets
// from the system (the bar keeps its position inside its range).
class SimulatedDialog {
public:
    SimulatedDialog(std::int32_t delay, std::int32_t remain) {
        state.m_szAction = u"Reboot";
        state.m_nDelay = delay;
        state.m_nRemainPostpone = remain;
        // What start-up does before the countdown: the bar starts red.
        state.m_nCountdownLength = delay;
        state.m_bBarRed = true;
        Apply(UpdatePostponeAndCountdown(state));
        timers = {1, 3};
    }

    // One second: every running timer ticks once, in identifier order.
    void Second(bool cancelFlag = false) {
        ++elapsed;
        const std::set<std::int64_t> running = timers;
        for (std::int64_t id : running) {
            if (ended || !timers.count(id)) continue;
            Apply(OnTimer(state, static_cast<TimerId>(id), id == 3 && cancelFlag));
        }
    }
    void Seconds(int n) {
        for (int i = 0; i < n && !ended; ++i) Second();
    }
    void Postpone(std::int32_t position) {
        slider = position;
        Apply(OnPostpone(state, position));
    }
    void Apply(const Effects& effects) {
        for (const Effect& e : effects) {
            const auto v = static_cast<std::int32_t>(e.value);
            switch (e.kind) {
                case Kind::kSetPostponeText:
                    postponeText = PostponeButtonText(u"Postpone", u"Remain:", v);
                    break;
                case Kind::kDisablePostpone: postponeEnabled = false; break;
                case Kind::kShowCountdown: digits = FormatCountdown(v); break;
                case Kind::kSetBarRange: barUpper = v; barPos = std::clamp(barPos, 0, barUpper); break;
                case Kind::kSetBarPos: barPos = std::clamp(v, 0, barUpper); break;
                case Kind::kSetBarColor: colour = static_cast<std::uint32_t>(e.value); break;
                case Kind::kMinimize: iconic = true; break;
                case Kind::kRestore: iconic = false; break;
                case Kind::kRaise: raisedAt.push_back(elapsed); break;
                case Kind::kKillTimer: timers.erase(e.value); break;
                case Kind::kSetTimer: timers.insert(e.value); break;
                case Kind::kWriteFeedback:
                    feedback.push_back(
                        BuildFeedback(state, e.value != 0, SaturatingMultiply(slider, 60)));
                    break;
                case Kind::kRunRestart: ++restarts; break;
                case Kind::kEndDialog: ended = true; break;
            }
        }
    }
    std::string Minutes() const { return std::string(digits.minutes.begin(), digits.minutes.end()); }
    std::string Secs() const { return std::string(digits.seconds.begin(), digits.seconds.end()); }

    PromptState state;
    CountdownDigits digits;
    WideString postponeText;
    bool postponeEnabled = true;
    std::int32_t barUpper = 100, barPos = 0;
    std::uint32_t colour = kBarRed;
    bool iconic = false, ended = false;
    std::set<std::int64_t> timers;
    std::vector<std::string> feedback;
    std::vector<int> raisedAt;
    int restarts = 0, elapsed = 0;
    std::int32_t slider = 240;
};

const std::string kSettings =
    "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=3\r\nAction=Reboot\r\n";

TEST(Countdown, TheDefaultTaskCountsAMinuteAndActs) {
    SimulatedDialog d(60, 3);
    EXPECT_EQ(d.Minutes() + d.Secs(), "0100");
    EXPECT_EQ(d.postponeText, u"Postpone (Remain: 3)");
    EXPECT_EQ(d.barUpper, 60);
    EXPECT_EQ(d.barPos, 60);
    for (int t = 1; t < 60; ++t) {
        d.Second();
        ASSERT_FALSE(d.ended) << t;
        EXPECT_EQ(d.barPos, 60 - t);
        EXPECT_EQ(std::stoi(d.Minutes()) * 60 + std::stoi(d.Secs()), 60 - t);
    }
    EXPECT_EQ(d.Minutes() + d.Secs(), "0001");
    const std::vector<int> everyFive = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55};
    EXPECT_EQ(d.raisedAt, everyFive);
    d.Second();
    EXPECT_TRUE(d.ended);
    EXPECT_EQ(d.Minutes() + d.Secs(), "0000");
    EXPECT_EQ(d.restarts, 1);
    ASSERT_EQ(d.feedback.size(), 1u);
    EXPECT_EQ(d.feedback[0], kSettings + "[Feedback]\r\nCancel=no\r\n");
    EXPECT_TRUE(d.timers.empty() || d.timers == std::set<std::int64_t>{3});
}

TEST(Countdown, APostponeAboveTheThresholdWaitsQuietlyThenComesBackRed) {
    SimulatedDialog d(60, 3);
    d.Seconds(7);
    d.Postpone(15);
    EXPECT_TRUE(d.iconic);
    EXPECT_EQ(d.colour, kBarBlue);
    EXPECT_EQ(d.Minutes() + d.Secs(), "1500");
    EXPECT_EQ(d.barUpper, 900);
    EXPECT_EQ(d.barPos, 900);
    EXPECT_EQ(d.postponeText, u"Postpone (Remain: 2)");
    EXPECT_EQ(d.timers, (std::set<std::int64_t>{2, 3}));
    ASSERT_EQ(d.feedback.size(), 1u);
    EXPECT_EQ(d.feedback[0],
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\nAction=Reboot\r\n"
              "[Feedback]\r\nPostponed=yes\r\nPostponeTime=900\r\nCancel=no\r\n");

    d.raisedAt.clear();
    d.Seconds(839);  // 61 seconds left
    EXPECT_TRUE(d.iconic);
    EXPECT_EQ(d.colour, kBarBlue);
    EXPECT_TRUE(d.raisedAt.empty());
    d.Second();  // 60 left: the threshold
    EXPECT_FALSE(d.iconic);
    EXPECT_EQ(d.colour, kBarRed);
    EXPECT_EQ(d.raisedAt.size(), 1u);
    EXPECT_EQ(d.state.m_phase, Phase::kPostponedUrgent);

    std::vector<int> leftWhenRaised;
    const int start = d.elapsed;
    d.raisedAt.clear();
    d.Seconds(59);
    for (int at : d.raisedAt) leftWhenRaised.push_back(60 - (at - start));
    EXPECT_EQ(leftWhenRaised, (std::vector<int>{55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5}));
    EXPECT_FALSE(d.ended);
    d.Second();
    EXPECT_TRUE(d.ended);
    EXPECT_EQ(d.restarts, 1);
    EXPECT_EQ(d.feedback.back(),
              "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\nAction=Reboot\r\n"
              "[Feedback]\r\nCancel=no\r\n");
}

TEST(Countdown, APostponeNotAboveTheThresholdIsUrgentAtOnce) {
    SimulatedDialog d(60, 3);
    const Effects effects = OnPostpone(d.state, 1);
    const auto at = [&](Kind kind) {
        return std::find_if(effects.begin(), effects.end(),
                            [&](const Effect& e) { return e.kind == kind; });
    };
    // Minimised, then restored at once, red.
    ASSERT_NE(at(Kind::kMinimize), effects.end());
    ASSERT_NE(at(Kind::kRestore), effects.end());
    EXPECT_LT(at(Kind::kMinimize), at(Kind::kRestore));
    EXPECT_EQ(at(Kind::kSetBarColor)->value, kBarRed);
    EXPECT_TRUE(d.state.m_bBarRed);
    EXPECT_EQ(d.state.m_phase, Phase::kPostponedUrgent);
    d.Apply(effects);
    d.raisedAt.clear();
    d.Seconds(10);  // 50 left: raised at 55 and 50
    EXPECT_EQ(d.raisedAt.size(), 2u);
}

TEST(Countdown, ThePostponesRunOutForGood) {
    SimulatedDialog d(60, 1);
    EXPECT_TRUE(d.postponeEnabled);
    d.Postpone(5);
    EXPECT_EQ(d.postponeText, u"Postpone (Remain: 0)");
    EXPECT_FALSE(d.postponeEnabled);
    // A click that still reaches the dialog changes nothing.
    EXPECT_TRUE(OnPostpone(d.state, 5).empty());
    EXPECT_EQ(d.state.m_nRemainPostpone, 0);
    EXPECT_EQ(d.feedback.size(), 1u);

    for (std::int32_t remain : {0, -2}) {
        SimulatedDialog none(60, remain);
        EXPECT_FALSE(none.postponeEnabled);
        EXPECT_EQ(none.postponeText,
                  u"Postpone (Remain: " + FormatDecimalWide(remain) + u")");
    }
}

TEST(Countdown, TheCancelFlagActsInEveryState) {
    struct Case {
        const char* name;
        std::int32_t postpone;  // 0: none
        int secondsBefore;
    };
    const Case cases[] = {
        {"counting", 0, 3},
        {"postponed, quiet", 15, 3},
        {"postponed, urgent", 1, 3},
        {"at once", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedDialog d(60, 3);
        if (c.postpone != 0) d.Postpone(c.postpone);
        d.Seconds(c.secondsBefore);
        d.Second(true);
        EXPECT_TRUE(d.ended);
        EXPECT_EQ(d.restarts, 1);
        const std::string& last = d.feedback.back();
        EXPECT_EQ(last.substr(last.size() - 24), "[Feedback]\r\nCancel=yes\r\n");
    }
}

TEST(Countdown, AFirstCountdownOfZeroOrLessActsOnTheFirstTick) {
    for (std::int32_t delay : {0, -5, INT32_MIN}) {
        SCOPED_TRACE(delay);
        SimulatedDialog d(delay, 3);
        EXPECT_EQ(d.barUpper, 1);  // never an empty range
        EXPECT_EQ(d.barPos, 0);    // an empty bar
        d.Second();
        EXPECT_TRUE(d.ended);
        EXPECT_EQ(d.restarts, 1);
    }
}

TEST(Countdown, ASecondPostponeStartsAgainAtFullLength) {
    SimulatedDialog d(60, 3);
    d.Postpone(15);
    d.Seconds(100);
    d.Postpone(10);
    EXPECT_EQ(d.state.m_nSecondsLeft, 600);
    EXPECT_EQ(d.barPos, 600);
    EXPECT_EQ(d.state.m_nRemainPostpone, 1);
    EXPECT_EQ(d.colour, kBarBlue);
    EXPECT_EQ(d.timers, (std::set<std::int64_t>{2, 3}));
    EXPECT_NE(d.feedback.back().find("PostponeTime=600\r\n"), std::string::npos);
}

TEST(Countdown, HugeAndNegativeSliderPositionsNeitherOverflowNorWait) {
    SimulatedDialog d(60, 3);
    d.Postpone(35791395);  // 60 times this passes the 32-bit range
    EXPECT_EQ(d.state.m_nCountdownLength, INT32_MAX);
    EXPECT_EQ(d.barUpper, INT32_MAX);
    EXPECT_NE(d.feedback.back().find("PostponeTime=2147483647\r\n"), std::string::npos);

    SimulatedDialog negative(60, 3);
    negative.Postpone(-1);
    EXPECT_EQ(negative.barUpper, 1);
    EXPECT_EQ(negative.colour, kBarRed);
    negative.Second();
    EXPECT_TRUE(negative.ended);
}

TEST(Countdown, NothingHappensOnceClosed) {
    SimulatedDialog d(60, 3);
    d.Apply(OnActNow(d.state));
    ASSERT_TRUE(d.ended);
    EXPECT_TRUE(OnActNow(d.state).empty());
    EXPECT_TRUE(OnPostpone(d.state, 5).empty());
    EXPECT_TRUE(OnTimer(d.state, TimerId::kCancelFlag, true).empty());
    EXPECT_EQ(d.restarts, 1);
}

TEST(CountdownTexts, FormatLikeTheLabels) {
    struct Case {
        std::int32_t seconds;
        const char16_t* minutes;
        const char16_t* rest;
    };
    const Case cases[] = {{900, u"15", u"00"}, {61, u"01", u"01"}, {7200, u"120", u"00"},
                          {0, u"00", u"00"},   {-1, u"00", u"-1"}, {INT32_MIN, u"-35791394", u"-8"}};
    for (const Case& c : cases) {
        const CountdownDigits d = FormatCountdown(c.seconds);
        EXPECT_EQ(d.minutes, c.minutes) << c.seconds;
        EXPECT_EQ(d.seconds, c.rest) << c.seconds;
    }
    struct Spoken {
        std::int32_t seconds;
        const char16_t* text;
    };
    const Spoken spoken[] = {{88, u"1 min 28 sec"}, {120, u"2 min"}, {5, u"5 sec"},
                             {0, u"0 sec"},         {-3, u"0 sec"},
                             {INT32_MAX, u"35791394 min 7 sec"}};
    for (const Spoken& c : spoken) {
        EXPECT_EQ(SpokenTimeLeft(u"min", u"sec", c.seconds), c.text) << c.seconds;
    }
    EXPECT_EQ(SliderLabel(5), u"05");
    EXPECT_EQ(SliderLabel(240), u"240");
    EXPECT_EQ(PostponeButtonText(u"Verschieben", u"Verbleibend:", 2), u"Verschieben (Verbleibend: 2)");
    EXPECT_EQ(PostponeButtonText(u"100%", u"%d", -1), u"100% (%d -1)");  // never a format
    EXPECT_EQ(PostponeButtonText(WideString(150, u'p'), u"r", 1), WideString(99, u'p') + u" (r 1)");
}

}  // namespace
}  // namespace vantrel
