// The launcher's text rules: which bytes are UTF-8, how a wide command line splits, and which
// program a command names and how it is started.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "command_line.h"

namespace selvaun {
namespace {

TEST(IsValidUtf8, AcceptsWellFormedTextOnly) {
    struct Case {
        const char* bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"C:\\Program Files\\app.exe", true},
        {"Caf\xC3\xA9", true},
        {"\xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF \xED\x9F\xBF", true},
        {"Caf\xE9", false},           // ANSI Latin-1
        {"\xC3", false},              // cut short
        {"\xE2\x82", false},          // cut short
        {"\x80", false},              // stray continuation
        {"\xC0\xAF", false},          // overlong '/'
        {"\xC1\xBF", false},          // overlong
        {"\xE0\x9F\xBF", false},      // overlong
        {"\xF0\x8F\xBF\xBF", false},  // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\xC3\xA9\xC3", false},
        {"\xE2\x28\xA1", false},  // bad continuation
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << ::testing::PrintToString(std::string(c.bytes));
    }
}

std::vector<std::wstring> Split(const std::wstring& line) {
    std::vector<std::wstring> arguments;
    for (std::size_t i = 0;; ++i) {
        WideText argument;
        const std::size_t count = SplitCommandLine(line, i, argument);
        if (i >= count) return arguments;
        arguments.emplace_back(argument.view());
    }
}

TEST(SplitCommandLine, FollowsTheRuntimeRules) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> arguments;
    };
    const Case cases[] = {
        {L"", {L""}},
        {L"p", {L"p"}},
        {L"p a  b\tc ", {L"p", L"a", L"b", L"c"}},
        {L"\"C:\\Program Files\\selvaun.exe\" \"C:\\Program Files\\App\\app.exe\"",
         {L"C:\\Program Files\\selvaun.exe", L"C:\\Program Files\\App\\app.exe"}},
        // The program name: quotes protect blanks, backslashes are plain, quotes go anywhere.
        {L"\"p q\"x y", {L"p qx", L"y"}},
        {L"C:\\a\\\"b c", {L"C:\\a\\b c"}},
        // Backslashes before a quote halve; an odd one makes the quote literal.
        {L"p a\\\\\\\"b \"c\\\\\" d", {L"p", L"a\\\"b", L"c\\", L"d"}},
        {L"p \\\\\\\\\"a b\"", {L"p", L"\\\\a b"}},
        {L"p a\\b\\\\c", {L"p", L"a\\b\\\\c"}},
        {L"p C:\\dir\\", {L"p", L"C:\\dir\\"}},
        // Doubled quotes inside a quoted part are one literal quote.
        {L"p \"a\"\"b\" c", {L"p", L"a\"b", L"c"}},
        {L"p \"a\"\"\"b\" c", {L"p", L"a\"b c"}},
        {L"p \"a\"\"b c\" d", {L"p", L"a\"b c", L"d"}},
        {L"p x\"y z\"w", {L"p", L"xy zw"}},
        {L"p \"\" e", {L"p", L"", L"e"}},
        {L"p \"unterminated x", {L"p", L"unterminated x"}},
        {L"p \"", {L"p", L""}},
        {L"p \\", {L"p", L"\\"}},
        {L"p Caf\u00E9 \u00C5", {L"p", L"Caf\u00E9", L"\u00C5"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Split(c.line), c.arguments) << ::testing::PrintToString(std::wstring(c.line));
    }
}

TEST(ResolveCommand, EndsTheProgramAtItsExtensionAndSearchesOnlySystemFolders) {
    using Problem = StartCommand::Problem;
    // Planted files sit beside the programs, in the launcher's folder (C:\Agent), in the
    // current one (relative names) and under PATH's relative entry.
    const std::set<std::wstring> files = {
        L"C:\\Program Files\\App\\app.exe",
        L"C:\\Program Files\\App\\app.exe x",
        L"C:\\ProgramData\\Orvex.exe",
        L"C:\\Windows\\system32\\notepad.exe",
        L"C:\\Windows\\notepad.exe",
        L"C:\\Windows\\regedit.exe",
        L"C:\\Tools\\tool.cmd",
        L"C:\\Bin\\run.exe",
        L"C:\\Agent\\helper.exe",
        L"helper.exe",
        L"Tools\\my app.exe",
        L"bin\\tool.cmd",
    };
    const wchar_t* lists[] = {L"C:\\Windows\\system32", L"C:\\Windows",
                              L"bin;;\"C:\\Quoted\";C:\\Tools;C:\\Bin\\"};
    const auto folders = [&](std::size_t n) {
        return n < std::size(lists) ? WideText::Join({lists[n]}) : WideText();
    };
    const auto isFile = [&](const wchar_t* path) { return files.count(path) > 0; };
    struct Case {
        std::wstring command;
        Problem problem;
        std::wstring line;  // when there is no problem
    };
    const Case cases[] = {
        {L"C:\\Program Files\\App\\app.exe", Problem::kNone,
         L"\"C:\\Program Files\\App\\app.exe\""},
        {L"C:\\Program Files\\App\\app.exe\t/s /t", Problem::kNone,
         L"\"C:\\Program Files\\App\\app.exe\"\t/s /t"},
        // The planted longer name beside it is never tried.
        {L"C:\\Program Files\\App\\app.exe x y", Problem::kNone,
         L"\"C:\\Program Files\\App\\app.exe\" x y"},
        // The first extension ends it, in any case; one inside a step does not.
        {L"\\\\srv\\a b.EXE c.exe d", Problem::kNone, L"\"\\\\srv\\a b.EXE\" c.exe d"},
        {L"C:\\x.com\\run.Com a", Problem::kNone, L"\"C:\\x.com\\run.Com\" a"},
        {L"C:\\Program Files\\App\\app.exe \"a b\" c", Problem::kNone,
         L"\"C:\\Program Files\\App\\app.exe\" \"a b\" c"},
        // Missing programs stay themselves: the start fails, no shorter part runs.
        {L"C:\\ProgramData\\Orvex Agent\\task.bat x", Problem::kNone,
         L"\"C:\\ProgramData\\Orvex Agent\\task.bat\" x"},
        {L"C:\\ProgramData\\Orvex Agent\\task.cmd", Problem::kNone,
         L"\"C:\\ProgramData\\Orvex Agent\\task.cmd\""},
        // No extension: the whole argument, with the ".exe" the system would add.
        {L"C:\\ProgramData\\Orvex Agent\\tool x", Problem::kNone,
         L"\"C:\\ProgramData\\Orvex Agent\\tool x.exe\""},
        {L"\"C:\\Program Files\\App\\app\" /x", Problem::kNone,
         L"\"C:\\Program Files\\App\\app.exe\" /x"},
        {L"\"C:\\Program Files\\App\\app.exe\"", Problem::kNone,
         L"\"C:\\Program Files\\App\\app.exe\""},
        // Stray quotes.
        {L"C:\\Program Files\\App\\app.exe\" x", Problem::kStrayQuote, L""},
        {L"C:\\Program Files\\App\\app.exe\"", Problem::kStrayQuote, L""},
        {L"\"C:\\Program Files\\App\\app.exe x", Problem::kStrayQuote, L""},
        {L"\"C:\\Program Files\\App\\app.exe\"x", Problem::kStrayQuote, L""},
        {L"C:\\ProgramData\\Orvex Agent\\tool \"a b\"", Problem::kStrayQuote, L""},
        // Other names: the system directory, the Windows directory, then PATH's full paths.
        {L"notepad.exe a.txt", Problem::kNone, L"\"C:\\Windows\\system32\\notepad.exe\" a.txt"},
        {L"\"regedit\"", Problem::kNone, L"\"C:\\Windows\\regedit.exe\""},
        {L"tool.cmd /c", Problem::kNone, L"\"C:\\Tools\\tool.cmd\" /c"},
        {L"run", Problem::kNone, L"\"C:\\Bin\\run.exe\""},
        {L"notepad a.txt", Problem::kNotFound, L""},  // without its extension: all of it
        // Never the launcher's folder, the current one or a relative PATH entry.
        {L"helper.exe", Problem::kNotFound, L""},
        {L"Tools\\my app.exe /s", Problem::kNotFound, L""},
        {L"", Problem::kNotFound, L""},
        {L"\"\" x", Problem::kNotFound, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.command));
        const StartCommand start = ResolveCommand(c.command, folders, isFile);
        EXPECT_EQ(start.problem, c.problem);
        EXPECT_EQ(start.line.view(), c.line);
    }
}

}  // namespace
}  // namespace selvaun
