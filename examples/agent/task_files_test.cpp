// How the agent reads a report and what it concludes from it.
#include <gtest/gtest.h>

#include <string>

#include "task_files.h"

namespace {

const std::string kPostponed =
    "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\nAction=Reboot\r\n"
    "[Feedback]\r\nPostponed=yes\r\nPostponeTime=900\r\nCancel=no\r\n";
const std::string kFinal =
    "[Settings]\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\nAction=Reboot\r\n"
    "[Feedback]\r\nCancel=yes\r\n";

TEST(ParseReport, AcceptsOnlyAWholeReport) {
    struct Case {
        const char* name;
        std::string bytes;
        bool written;
        bool postponed;
        bool cancel;
    };
    const Case cases[] = {
        {"postpone report", kPostponed, true, true, false},
        {"final report", kFinal, true, false, true},
        // A kill between the write and the cut, in the former order: it ends in a Cancel= line.
        {"final report over the postpone report's tail", kFinal + kPostponed.substr(kFinal.size()),
         false, false, false},
        {"a prefix of the former report", kPostponed.substr(0, kFinal.size()), false, false, false},
        {"the former report padded with zero bytes", kFinal + std::string(32, '\0'), false, false,
         false},
        {"keys in another order",
         "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\n"
         "[Feedback]\r\nCancel=no\r\n",
         false, false, false},
        {"the agent's task", "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=60\r\n", false,
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const agent::Report report = agent::ParseReport(c.bytes);
        EXPECT_EQ(report.written, c.written);
        EXPECT_EQ(report.postponed, c.postponed);
        EXPECT_EQ(report.cancel, c.cancel);
    }
}

// A final report is a request; only a new boot says the restart happened.
TEST(Decide, ReportExitCodeAndBootTime) {
    using V = agent::Verdict;
    const agent::Report final = agent::ParseReport(kFinal);
    const agent::Report postponed = agent::ParseReport(kPostponed);
    const agent::Report none = agent::ParseReport("[Settings]\r\n");
    struct Case {
        const char* name;
        const agent::Report& report;
        DWORD exitCode;
        bool bootChanged;
        V verdict;
    };
    const Case cases[] = {
        {"final, 0, new boot", final, 0, true, V::kRestarted},
        {"final, 0, same boot", final, 0, false, V::kRestartRequested},
        {"final, killed before the restart", final, 1, false, V::kRunAgain},
        {"dismissed, same boot", none, 0, false, V::kRunAgain},
        {"dismissed, new boot", postponed, 0, true, V::kRestarted},
        {"postponed, killed", postponed, 1, false, V::kRunAgain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(agent::Decide(c.report, c.exitCode, c.bootChanged), c.verdict);
    }
}

}  // namespace
