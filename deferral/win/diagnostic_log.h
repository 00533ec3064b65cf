#pragma once
// An opt-in record of what the program decided: when the environment variable names a file,
// each Write appends one timestamped line to it. Without the variable nothing is written.
// A log over 1 MB is moved to "<file>.1" (replacing an older one) before the next line; a
// log that can't be written is skipped without a word.

#include <windows.h>

#include <string>
#include <string_view>

#include "fixed_text.h"

class DiagnosticLog {
public:
    static constexpr LONGLONG kRotateBytes = LONGLONG{1024} * 1024;

    DiagnosticLog(const wchar_t* variable, std::string_view program);
    bool Enabled() const { return !m_path.empty(); }
    // One line; control characters in `message` become blanks, so a line stays a line.
    void Write(std::string_view message) const;

    // Wide text as UTF-8, for messages.
    static std::string Utf8(vantrel::WideView text);

private:
    std::wstring m_path;
    std::string m_prefix;  // "<program>[<process id>]"
};
