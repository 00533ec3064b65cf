#pragma once
// The operating-system services the core needs. The Windows shell implements them with
// the real API; native tests use fakes.

#include <cstdint>
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
};

}  // namespace vantrel
