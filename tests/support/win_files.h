#pragma once
// Files and temporary directories for the tests that run under Windows (or Wine).

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

// A fresh directory under the temporary directory, removed with all it holds when it goes.
class TempDirectory {
public:
    explicit TempDirectory(std::wstring_view prefix = L"vt");
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::wstring& path() const { return m_path; }
    // The path of `name` inside the directory.
    std::wstring operator/(std::wstring_view name) const;

private:
    std::wstring m_path;
};

void RemoveTree(const std::wstring& path);
bool WriteBytes(const std::wstring& path, std::string_view bytes);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// The directory of this test program, with a trailing backslash.
std::wstring ModuleDirectory();
// A symbolic link `link` to the existing `target`: under Wine a Unix one (Wine's own call
// makes nothing), elsewhere the system's.
bool SymbolicLink(const std::wstring& target, const std::wstring& link);

}  // namespace testsupport
