#pragma once
// An opt-in record of what the program decided: when the environment variable names a file,
// each Write appends one timestamped line to it. Without the variable nothing is written.
// A log over 1 MB is moved to "<file>.1" (replacing an older one) before the next line; a
// log that can't be written is skipped without a word. The program runs as the local system
// account: the file is honoured only in a folder where no other account may write, and it
// is never written through a link.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "fixed_text.h"
#include "guard/guarded_file.h"

class DiagnosticLog {
public:
    static constexpr LONGLONG kRotateBytes = LONGLONG{1024} * 1024;

    DiagnosticLog(const wchar_t* variable, std::string_view program);
    bool Enabled() const { return !m_name.empty(); }
    // One line; control characters in `message` become blanks, so a line stays a line.
    void Write(std::string_view message) const;

    // Who may write in the folder of the program at `programPath`, for the line at start: the
    // task files are safe either way, but the installer should know.
    static std::string FolderNote(const wchar_t* programPath);

    // Wide text as UTF-8, for messages.
    static std::string Utf8(vantrel::WideView text);

private:
    std::unique_ptr<vantrel::CheckedFolder> m_folder;
    std::wstring m_name;  // the file's name in that folder; empty when there is no log
    std::string m_prefix;  // "<program>[<process id>]"
};
