#pragma once
// Runs the real selvaun.exe as a service would, with its standard output and error on pipes,
// and reads what the recorder program wrote about its own start.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace selvaun::e2e {

struct LauncherResult {
    bool exited = false;  // within the timeout
    DWORD exitCode = 0;
    std::string out, err;  // exact bytes
};

// Starts "<test dir>\selvaun.exe" followed by `arguments` (already quoted as needed) in
// `directory` (the test's own when empty), and waits for it to end.
LauncherResult RunLauncher(const std::wstring& arguments, const std::wstring& directory = {},
                           DWORD timeoutMs = 15000);

// `argument` quoted so that the runtime's parsing gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

struct Record {
    std::string commandLine, directory, tag;  // UTF-8
    std::vector<std::string> argv;            // the runtime's, in the ANSI code page
};

// The records in `log`, once it has at least `count` of them, or what is there after the
// timeout.
std::vector<Record> WaitForRecords(const std::wstring& log, std::size_t count = 1,
                                   DWORD timeoutMs = 15000);
std::string Utf8(const std::wstring& wide);
std::wstring RecorderPath();  // the recorder next to the test program

}  // namespace selvaun::e2e
