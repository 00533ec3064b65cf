#pragma once
// Runs the real selvaun.exe as a service would, with its standard output and error on pipes,
// and reads what the recorder program wrote about its own start.

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
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
// The recorder copied to `path`, as the program the launcher is to start.
bool InstallRecorder(const std::wstring& path);
// The log the recorder at `program` appends to.
std::wstring LogOf(const std::wstring& program);

// A file or folder the test planted, removed with all it holds when the object goes. The
// launcher does not wait for what it starts: every process running from it is ended first,
// so that none writes its log after the test. A program's log and a DLL's marker
// ("<name>.ran") beside it go too.
class Planted {
public:
    explicit Planted(std::wstring path) : m_path(std::move(path)) {}
    ~Planted();
    Planted(const Planted&) = delete;
    Planted& operator=(const Planted&) = delete;
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

// Sets an environment variable of this process, which the launcher and its program inherit,
// for the life of the object; the former value comes back after.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* m_name;
    std::optional<std::wstring> m_former;
};

// Ends every process whose program is `path` or lies under it, and waits for each to end;
// how many there were.
int EndProcessesOf(const std::wstring& path);

}  // namespace selvaun::e2e
