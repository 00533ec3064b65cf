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

}  // namespace selvaun
