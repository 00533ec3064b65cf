#pragma once
// The operating-system services the core needs. The Windows shell implements them with
// the real API; native tests use fakes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fixed_text.h"

namespace vantrel {

// How a system program ran: whether it started, and whether and how it ended in time.
struct ProgramRun {
    std::uint32_t startError = 0;  // 0 when it started, else the system's error code
    bool ended = false;            // it ended within the wait
    std::uint32_t exitCode = 0;    // its exit code, once it ended
};

enum class WriteOutcome {
    kWritten,
    kBusy,    // another process holds the file (a sharing or lock violation): try again later
    kFailed,  // anything else: trying again won't help
};

struct WriteResult {
    WriteOutcome outcome;
    std::uint32_t error;  // the system's error code; 0 when written
};

// Receives a file's bytes in order, a chunk at a time.
using ChunkSink = std::function<void(std::string_view chunk)>;

class Platform {
public:
    virtual ~Platform() = default;

    // The value of `key` in `section` of the profile file at `path`, cut to `length` - 1
    // units, or `fallback` when the file, the section or the key is missing. Section and
    // key names match without regard to letter case.
    virtual WideString ReadProfileString(WideView section, WideView key, WideView fallback,
                                         std::uint32_t length, const char16_t* path) = 0;

    // Whether the task file at `path` is there as one a trusted account put in its folder:
    // a plain file as the guarded open takes it, or a folder (winbase/guarded_file.h). A link
    // under its name, or a file another account owns, counts as missing.
    virtual bool FileExists(const char16_t* path) = 0;

    // A marker file that exists while the object lives and vanishes when it goes, also
    // when the process ends without cleaning up. Null when it can't be made.
    class HeldFile {
    public:
        virtual ~HeldFile() = default;
    };
    virtual std::unique_ptr<HeldFile> HoldMarkerFile(const char16_t* path) = 0;

    // Replaces the contents of the file at `path` with `bytes` (its new length first, then
    // the bytes in one write: see rewrite.h), keeping the file itself (no rename, so its
    // identity, attributes and permissions stay), and flushes it to the disk; creates it
    // when missing.
    virtual WriteResult RewriteFile(const char16_t* path, std::string_view bytes) = 0;

    // Up to `maxBytes` raw bytes of a file, or nothing when it can't be opened.
    virtual std::optional<std::string> ReadFileBytes(const char16_t* path,
                                                     std::size_t maxBytes) = 0;

    // Up to `maxBytes` raw bytes of the file `name` directly in the folder at the 8-bit (ANSI
    // code page) path `ansiFolder`, handed to `sink` in chunks as they are read, so that no
    // copy of the whole file is kept. Never through a link and never from another folder: a
    // name with a separator, or a file that is not a plain file of that folder, counts as one
    // that can't be opened. False when it can't be opened.
    virtual bool ReadFileChunks(const std::string& ansiFolder, const std::string& name,
                                std::size_t maxBytes, const ChunkSink& sink) = 0;

    // 8-bit text in `codePage` (0 the ANSI code page, 65001 UTF-8) to UTF-16, with malformed
    // sequences substituted; empty when the conversion fails. `text` holds no zero byte.
    virtual WideString MultiByteToWide(unsigned codePage, std::string_view text) = 0;

    // The user's interface language as a Windows LANGID.
    virtual std::uint16_t UserUiLanguage() = 0;

    // Starts `program` from the system directory, never from anywhere else, with
    // `commandLine`, no window and no handles passed on; waits a while for it to return.
    virtual ProgramRun RunSystemProgram(WideView program, WideView commandLine) = 0;

    // Blocks the calling thread.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace vantrel
