#pragma once
// Pure text rules of the launcher's command line, without Win32 calls.

#include <cstddef>
#include <string_view>

#include "heap_text.h"

namespace selvaun {

// True when `text` is well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Splits `commandLine` into arguments by the C runtime's rules and returns how many there
// are; the one at `index` (0 is the program name) goes to `argument` when there is one.
// The program name ends at the first blank or tab outside double quotes, which are dropped.
// In the arguments after it, 2n backslashes before a double quote give n backslashes and the
// quote opens or closes a quoted part, 2n+1 give n and a literal quote, other backslashes are
// literal, and two double quotes inside a quoted part give one literal quote.
std::size_t SplitCommandLine(std::wstring_view commandLine, std::size_t index, WideText& argument);

// A borrowed callable that tells whether a zero-ended path names an existing file (a
// directory is not one). It must outlive the call it is passed to, as a lambda argument does.
class FileTest {
public:
    template <typename Test>
    // cppcheck-suppress noExplicitConstructor ; implicit on purpose, as the comment says
    FileTest(const Test& test)  // implicit, so that a lambda can be passed as it is
        : m_test(&test), m_call([](const void* self, const wchar_t* path) {
              return static_cast<bool>((*static_cast<const Test*>(self))(path));
          }) {}
    bool operator()(const wchar_t* path) const { return m_call(m_test, path); }

private:
    const void* m_test;
    bool (*m_call)(const void*, const wchar_t*);
};

// Unquoted, "C:\Program Files\App\app.exe /s" is tried by the system as "C:\Program.exe"
// first. For a command that does not start with a double quote and holds a blank or tab, the
// longest leading part that is followed by a blank, a tab or the end, does not itself end in
// one, and names an existing file as written or with ".exe" added, is quoted as written (the system
// adds ".exe" itself); the rest follows unchanged. Parts that could name no file are not
// tried: those reaching a double quote or holding a name longer than 255 characters. From an
// absolute path ("C:\", "\\server", "\") no part shorter than the longest leading part that
// ends in ".exe" (followed likewise) is tried, and when nothing is found that part, or else the
// whole command, is quoted: the start then fails rather than run a planted shorter prefix.
// Anything else, such as a bare name or a relative path, comes back unchanged for the
// system's search. Each part is tested once or twice in one reused buffer, so the work outside
// `isFile` grows with the length only.
WideText QuoteLeadingFile(WideText command, FileTest isFile);

}  // namespace selvaun
