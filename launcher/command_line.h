#pragma once
// Pure text rules of the launcher's command line, without Win32 calls.

#include <cstddef>
#include <string_view>

#include "winbase/portable/heap_text.h"

namespace selvaun {

using winbase::AnsiText;
using winbase::WideText;

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

// A borrowed callable, as a lambda argument is; it must outlive the call it is passed to.
template <typename Signature>
class FunctionRef;
template <typename Result, typename... Arguments>
class FunctionRef<Result(Arguments...)> {
public:
    template <typename Callable>
    // cppcheck-suppress noExplicitConstructor ; implicit, so that a lambda can be passed as it is
    FunctionRef(const Callable& callable)
        : m_callable(&callable), m_call([](const void* self, Arguments... arguments) -> Result {
              return (*static_cast<const Callable*>(self))(arguments...);
          }) {}
    Result operator()(Arguments... arguments) const { return m_call(m_callable, arguments...); }

private:
    const void* m_callable;
    Result (*m_call)(const void*, Arguments...);
};

// Whether a zero-ended path names an existing file (a directory is not one).
using FileTest = FunctionRef<bool(const wchar_t*)>;
// The `n`-th list of folders to search, separated by ';' as PATH is; a text without a
// buffer after the last one.
using SearchFolders = FunctionRef<WideText(std::size_t n)>;

struct StartCommand {
    enum class Problem {
        kNone,
        kStrayQuote,  // a quote left open, or one in the program's name
        kNotFound     // a name that no folder searched holds
    };
    Problem problem = Problem::kNone;
    WideText program;  // the file to start, a full path
    WideText line;     // the program quoted, then the rest of the command as written
};

// The program a command names ends at its extension. Unquoted, it is the leading part up to
// the first ".exe", ".com", ".bat" or ".cmd" (in any case) that is followed by a blank, a tab
// or the end, or the whole command when there is none; quoted, it is the part up to the next
// quote, which must be followed by a blank, a tab or the end. No other part is ever tried,
// whatever exists: "C:\Program Filespp.exe x y" never starts a planted "app.exe x", and a
// missing program fails to start rather than let a shorter part run. A name whose last step
// has no extension gets ".exe", as the system would add it. A full path ("C:", "\server",
// "") is the program as it is, without a look at the disk; any other name is looked for only
// in the full paths that `folders` lists, in their order, never in the launcher's or the
// current folder.
StartCommand ResolveCommand(std::wstring_view command, SearchFolders folders, FileTest isFile);

}  // namespace selvaun
