#pragma once
// An opt-in record of what a program decided, in one format for both programs: when the
// environment variable names a file, each Write appends the line
// "YYYY-MM-DD hh:mm:ss.mmm <program>[<process id>] <message>". Without the variable nothing
// is written. A log over 1 MB is moved to "<file>.1" (replacing an older one) before the next
// line; a line that can't be written is skipped without a word. Both programs run as the
// local system account: the file is honoured only in a folder where no other account may
// write, and never written through a link. Nothing here throws or formats with printf: the
// launcher links it.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <type_traits>

#include "winbase/guarded_file.h"
#include "winbase/portable/heap_text.h"

namespace winbase {

// The variable's value; no buffer when it is unset or empty.
WideText EnvironmentValue(const wchar_t* name);

// `value` in decimal, zero-padded to `width` digits (at most 20), at `out`, which has room
// for 20; returns the end.
char* PutDecimal(char* out, std::uint64_t value, int width = 1);

// One piece of a line: a text, or a whole number in decimal.
class LogPiece {
public:
    // Implicit, so that a line is written as a list of its pieces.
    // NOLINTBEGIN(google-explicit-constructor)
    // cppcheck-suppress noExplicitConstructor
    LogPiece(std::string_view text) : m_text(text) {}
    // cppcheck-suppress noExplicitConstructor
    LogPiece(const char* text) : m_text(text != nullptr ? text : "") {}
    template <typename Number, std::enable_if_t<std::is_integral_v<Number>, int> = 0>
    // cppcheck-suppress noExplicitConstructor
    LogPiece(Number number)
        : m_number(true),
          m_negative(number < 0),
          m_magnitude(number < 0 ? 0 - static_cast<std::uint64_t>(number)
                                 : static_cast<std::uint64_t>(number)) {}
    // NOLINTEND(google-explicit-constructor)

    std::size_t MaxSize() const { return m_number ? 21 : m_text.size(); }
    // Writes the piece at `out`, which has room for MaxSize(); returns the end.
    char* Put(char* out) const;

private:
    std::string_view m_text;
    bool m_number = false;
    bool m_negative = false;
    std::uint64_t m_magnitude = 0;
};

class DiagnosticLog {
public:
    static constexpr LONGLONG kRotateBytes = LONGLONG{1024} * 1024;

    // No log when `variable` is null or not set.
    DiagnosticLog(const wchar_t* variable, std::string_view program);
    bool Enabled() const { return m_name.data() != nullptr; }

    // One line of the pieces one after the other; control characters become blanks, so a
    // line stays a line.
    void Write(std::initializer_list<LogPiece> pieces) const;
    void Write(std::string_view message) const { Write({LogPiece(message)}); }

private:
    CheckedFolder m_folder;
    WideText m_name;         // the file's name in that folder; none when there is no log
    char m_prefix[64] = {};  // "<program>[<process id>] "
};

}  // namespace winbase
