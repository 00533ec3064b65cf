// The launcher's text rules: which bytes are UTF-8, how a wide command line splits, and which
// leading part of a command is quoted.
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

TEST(QuoteLeadingFile, QuotesTheLongestLeadingPartThatIsAFile) {
    // Files whose names (the part after "C:\") have 255 and 256 characters.
    const std::wstring longName = L"C:\\" + std::wstring(253, L'n') + L" x";
    const std::wstring tooLongName = L"C:\\" + std::wstring(254, L'n') + L" x";
    const std::set<std::wstring> files = {
        L"C:\\Program Files\\App\\app.exe",
        L"C:\\Program Files\\App\\tool",
        L"C:\\Tab\\x\ty.exe",
        L"C:\\a b",
        L"C:\\a b c.exe",
        L"C:\\Tools\\app.exe",
        // No real file has these names: a quote, more than 255 characters.
        L"C:\\q \"r",
        longName,
        tooLongName,
    };
    struct Case {
        std::wstring command, expected;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\App\\app.exe", L"\"C:\\Program Files\\App\\app.exe\""},
        {L"C:\\Program Files\\App\\app.exe /s /t", L"\"C:\\Program Files\\App\\app.exe\" /s /t"},
        {L"C:\\Program Files\\App\\app.exe\t/s", L"\"C:\\Program Files\\App\\app.exe\"\t/s"},
        {L"C:\\Tab\\x\ty.exe", L"\"C:\\Tab\\x\ty.exe\""},
        // The longName part wins; one found with ".exe" added is quoted as written.
        {L"C:\\a b c d", L"\"C:\\a b c\" d"},
        {L"C:\\Program Files\\App\\app /s", L"\"C:\\Program Files\\App\\app\" /s"},
        {L"C:\\Program Files\\App\\tool x", L"\"C:\\Program Files\\App\\tool\" x"},
        {L"C:\\Program Files\\App\\app.exe ", L"\"C:\\Program Files\\App\\app.exe\" "},
        {L"C:\\Program Files\\App\\app.exe  \"a b\"",
         L"\"C:\\Program Files\\App\\app.exe\"  \"a b\""},
        {longName + L" y", L"\"" + longName + L"\" y"},
        // Nothing exists from an absolute path: the longest part ending in ".exe", or all of it,
        // so that no shorter part is tried.
        {L"C:\\Program Files\\Gone\\app.exe /s", L"\"C:\\Program Files\\Gone\\app.exe\" /s"},
        {L"\\\\srv\\a b.EXE c.exe d", L"\"\\\\srv\\a b.EXE c.exe\" d"},
        // "C:\a b" exists, but the program named is the missing "C:\a b d.exe".
        {L"C:\\a b d.exe x", L"\"C:\\a b d.exe\" x"},
        {L"C:\\q \"r s", L"\"C:\\q \"r s\""},
        {tooLongName + L" y", L"\"" + tooLongName + L" y\""},
        // Unchanged: quoted already, no blank, a relative path or a bare name for the search.
        {L"\"C:\\Program Files\\App\\app.exe\" /x", L"\"C:\\Program Files\\App\\app.exe\" /x"},
        {L"C:\\Tools\\app.exe", L"C:\\Tools\\app.exe"},
        {L"Tools\\my app.exe /s", L"Tools\\my app.exe /s"},
        {L" ", L" "},
        {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.command.substr(0, 80)));
        const auto isFile = [&](const wchar_t* path) { return files.count(path) > 0; };
        EXPECT_EQ(QuoteLeadingFile(WideText::Join({c.command}), isFile).view(), c.expected);
    }
}

}  // namespace
}  // namespace selvaun
