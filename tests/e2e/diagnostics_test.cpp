// The opt-in log: one timestamped line per decision, on a run through a postpone and the
// cancel flag.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "glob.h"
#include "prompt_run.h"

namespace e2e {
namespace {

TEST(DiagnosticLog, RecordsEveryDecisionOfARun) {
    PromptRun run;
    const std::wstring log = run.WorkDir() + L"\\plimsay.log";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"PLIMSAY_LOG", log.c_str()));
    ASSERT_TRUE(run.WriteProgramFile(
        L"defer.cfg", "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=60\r\nRemainPostponeCount=2\r\n"));
    ASSERT_TRUE(run.Start());
    ::SetEnvironmentVariableW(L"PLIMSAY_LOG", nullptr);
    ASSERT_NE(run.WaitForDialog(), nullptr);
    ::SendMessageW(run.Item(1003), TBM_SETPOS, TRUE, 2);
    ::PostMessageW(run.Item(1004), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && !::IsIconic(run.Dialog()); ++i) ::Sleep(50);
    ASSERT_TRUE(run.WriteProgramFile(L"cancel.flag", ""));
    ASSERT_TRUE(run.WaitForExit(10000));

    const std::vector<std::string> expected = {
        "start: version *, program \"*\\plimsay.exe\"",
        "hardening: DLL search System32 only ok, *, unused privileges removed ok",
        "folder: only the system, administrators and this account may write in it",
        "settings: Action=\"Reboot\" from \"*\\defer.cfg\"; countdown 60 s and 2 postpones from "
        "\"*\\defer.cfg\"",
        "texts: language * from the built-in English; reboot wording; slider 1 to 240 min, at 240",
        "postponed by 2 min (120 s); 1 postpones left",
        "feedback written",
        "cancel flag seen",
        "feedback written",
        "restart command started; it ended with exit code 0",
    };
    const auto messages =
        testsupport::LogMessages(testsupport::ReadBytes(log).value_or(""), "plimsay");
    EXPECT_TRUE(testsupport::MatchesAll(messages, expected))
        << ::testing::PrintToString(messages);
}

}  // namespace
}  // namespace e2e
