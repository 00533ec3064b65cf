// The opt-in log: one timestamped line per decision, on a run through a postpone and the
// cancel flag.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string_view>

#include "prompt_run.h"

namespace e2e {
namespace {

// `pattern` with "*" for any run of characters and "#" for a digit.
bool Matches(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return text.empty();
    if (pattern[0] == '*') {
        for (std::size_t at = 0; at <= text.size(); ++at) {
            if (Matches(text.substr(at), pattern.substr(1))) return true;
        }
        return false;
    }
    const bool digit = pattern[0] == '#' && !text.empty() && text[0] >= '0' && text[0] <= '9';
    return !text.empty() && (digit || pattern[0] == text[0]) &&
           Matches(text.substr(1), pattern.substr(1));
}

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

    const std::string expected[] = {
        "start: version *, program \"*\\plimsay.exe\"",
        "settings: Action=\"Reboot\" from \"*\\defer.cfg\"; countdown 60 s and 2 postpones from "
        "\"*\\defer.cfg\"",
        "texts: language * from the built-in English; reboot wording; slider 1 to 240 min, at 240",
        "postponed by 2 min (120 s); 1 postpones left",
        "feedback written",
        "cancel flag seen",
        "feedback written",
        "restart command started",
    };
    std::istringstream lines(testsupport::ReadBytes(log).value_or(""));
    std::string line;
    for (const std::string& want : expected) {
        ASSERT_TRUE(std::getline(lines, line)) << "missing: " << want;
        // "YYYY-MM-DD HH:MM:SS.mmm plimsay[<pid>] <message>" ended by CR LF
        ASSERT_TRUE(Matches(line, "####-##-## ##:##:##.### plimsay[*] *\r")) << line;
        const std::string message = line.substr(line.find("] ") + 2, line.size() - 1 - line.find("] ") - 2);
        EXPECT_TRUE(Matches(message, want)) << message << "\n  expected: " << want;
    }
    EXPECT_FALSE(std::getline(lines, line)) << "unexpected: " << line;
}

}  // namespace
}  // namespace e2e
