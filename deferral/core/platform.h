#pragma once
// The operating-system services the core needs. The Windows shell implements them with
// the real API; native tests use fakes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fixed_text.h"

namespace vantrel {

class Platform {
public:
    virtual ~Platform() = default;

    // The value of `key` in `section` of the profile file at `path`, cut to `length` - 1
    // units, or `fallback` when the file, the section or the key is missing. Section and
    // key names match without regard to letter case.
    virtual WideString ReadProfileString(WideView section, WideView key, WideView fallback,
                                         std::uint32_t length, const char16_t* path) = 0;

    // Whether a file (or anything else) exists at `path`.
    virtual bool FileExists(const char16_t* path) = 0;

    // Creates an empty file, or empties an existing one, and closes it at once.
    virtual bool CreateEmptyFile(const char16_t* path) = 0;

    // Replaces the contents of the file at `path` with `bytes` in one write, keeping the
    // file itself (no rename, so its identity stays); creates it when missing.
    virtual bool RewriteFile(const char16_t* path, std::string_view bytes) = 0;

    // Removes a file; failure is not reported.
    virtual void RemoveFile(const char16_t* path) = 0;

    // Up to `maxBytes` raw bytes of a file, or nothing when it can't be opened. The first
    // form takes an 8-bit path in the ANSI code page, the second a wide path.
    virtual std::optional<std::string> ReadFileBytes(const std::string& ansiPath,
                                                     std::size_t maxBytes) = 0;
    virtual std::optional<std::string> ReadFileBytes(const char16_t* path,
                                                     std::size_t maxBytes) = 0;

    // 8-bit text in `codePage` (0 the ANSI code page, 65001 UTF-8) to UTF-16, with malformed
    // sequences substituted; empty when the conversion fails. `text` holds no zero byte.
    virtual WideString MultiByteToWide(unsigned codePage, std::string_view text) = 0;

    // The user's interface language as a Windows LANGID.
    virtual std::uint16_t UserUiLanguage() = 0;

    // Hands a command line to the command processor and waits for it to return.
    virtual void RunCommand(const char* commandLine) = 0;
};

}  // namespace vantrel
