#pragma once
// The core's platform services on the real Windows API.

#include "platform.h"

namespace vantrel {

class WinPlatform : public Platform {
public:
    WideString ReadProfileString(WideView section, WideView key, WideView fallback,
                                 std::uint32_t length, const char16_t* path) override;
    bool FileExists(const char16_t* path) override;
    std::unique_ptr<HeldFile> HoldMarkerFile(const char16_t* path) override;
    WriteResult RewriteFile(const char16_t* path, std::string_view bytes) override;
    std::optional<std::string> ReadFileBytes(const char16_t* path, std::size_t maxBytes) override;
    bool ReadFileChunks(const std::string& ansiFolder, const std::string& name,
                        std::size_t maxBytes, const ChunkSink& sink) override;
    WideString MultiByteToWide(unsigned codePage, std::string_view text) override;
    std::uint16_t UserUiLanguage() override;
    ProgramRun RunSystemProgram(WideView program, WideView commandLine) override;
    void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace vantrel
