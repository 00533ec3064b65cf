#pragma once
// An in-memory platform: profile files, existing files and a log of file writes.

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform.h"

namespace vantrel::testing {

class FakePlatform : public Platform {
public:
    // Profile values by file, then "section/key" in lower case, as the real service matches.
    void SetProfile(const WideString& path, const WideString& section, const WideString& key,
                    const WideString& value) {
        m_files[path] = true;
        m_profiles[path][Lower(section) + u"/" + Lower(key)] = value;
    }
    void AddFile(const WideString& path) { m_files[path] = true; }

    WideString ReadProfileString(WideView section, WideView key, WideView fallback,
                                 std::uint32_t length, const char16_t* path) override {
        WideString value(fallback);
        auto file = m_profiles.find(path);
        if (file != m_profiles.end()) {
            auto entry = file->second.find(Lower(WideString(section)) + u"/" + Lower(WideString(key)));
            if (entry != file->second.end()) value = entry->second;
        }
        return value.substr(0, length == 0 ? 0 : length - 1);
    }
    bool FileExists(const char16_t* path) override { return m_files.count(path) != 0; }
    std::unique_ptr<HeldFile> HoldMarkerFile(const char16_t* path) override {
        m_log.push_back(u"hold " + WideString(path));
        if (m_failHold) return nullptr;
        return std::make_unique<Held>(m_log, path);
    }
    // Each rewrite ends as the next queued outcome, or is written when none is left.
    WriteResult RewriteFile(const char16_t* path, std::string_view bytes) override {
        m_log.push_back(u"rewrite " + WideString(path));
        WriteOutcome outcome = WriteOutcome::kWritten;
        if (!m_rewriteOutcomes.empty()) {
            outcome = m_rewriteOutcomes.front();
            m_rewriteOutcomes.pop_front();
        }
        if (outcome == WriteOutcome::kWritten) m_written[path] = std::string(bytes);
        // Sharing violation, access denied.
        return {outcome, outcome == WriteOutcome::kWritten ? 0u : outcome == WriteOutcome::kBusy ? 32u : 5u};
    }

    // In chunks of m_chunkBytes, so that pieces and line ends fall across their edges. Files
    // are kept under their folder, a backslash and their name, joined as they come.
    bool ReadFileChunks(const std::string& ansiFolder, const std::string& name,
                        std::size_t maxBytes, const ChunkSink& sink) override {
        auto file = m_narrowFiles.find(ansiFolder + "\\" + name);
        if (file == m_narrowFiles.end()) return false;
        const std::string_view bytes = std::string_view(file->second).substr(0, maxBytes);
        for (std::size_t at = 0; at < bytes.size(); at += m_chunkBytes) {
            sink(bytes.substr(at, m_chunkBytes));
        }
        return true;
    }
    std::optional<std::string> ReadFileBytes(const char16_t* path, std::size_t maxBytes) override {
        auto file = m_wideFiles.find(path);
        if (file == m_wideFiles.end()) return std::nullopt;
        return file->second.substr(0, maxBytes);
    }
    // UTF-8 for code page 65001, with U+FFFD for each malformed byte; one unit per byte
    // (Latin-1) for the ANSI code page.
    WideString MultiByteToWide(unsigned codePage, std::string_view text) override {
        WideString wide;
        if (codePage != 65001) {
            for (char c : text) wide.push_back(static_cast<unsigned char>(c));
            return wide;
        }
        for (std::size_t i = 0; i < text.size();) {
            const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
            const unsigned lead = b(i);
            const std::size_t n = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                                : (lead >> 3) == 30 ? 4 : 0;
            std::uint32_t cp = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
            bool ok = n != 0 && i + n <= text.size();
            for (std::size_t k = 1; ok && k < n; ++k) {
                ok = (b(i + k) & 0xC0) == 0x80;
                cp = cp << 6 | (b(i + k) & 0x3F);
            }
            if (!ok) {
                wide.push_back(0xFFFD);
                ++i;
                continue;
            }
            if (cp >= 0x10000) {
                wide.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
                wide.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            } else {
                wide.push_back(static_cast<char16_t>(cp));
            }
            i += n;
        }
        return wide;
    }
    std::uint16_t UserUiLanguage() override { return m_langId; }
    ProgramRun RunSystemProgram(WideView program, WideView commandLine) override {
        m_log.push_back(u"run " + WideString(program) + u": " + WideString(commandLine));
        return {0, true, 0};
    }
    void Sleep(std::uint32_t milliseconds) override {
        m_log.push_back(u"sleep " + Widen(std::to_string(milliseconds)));
    }

    std::map<std::string, std::string> m_narrowFiles;
    std::map<WideString, std::string> m_wideFiles;
    std::uint16_t m_langId = 0x0409;

    std::vector<WideString> m_log;
    std::map<WideString, std::string> m_written;
    std::deque<WriteOutcome> m_rewriteOutcomes;
    bool m_failHold = false;
    std::size_t m_chunkBytes = 5;

private:
    class Held : public HeldFile {
    public:
        Held(std::vector<WideString>& log, const char16_t* path) : m_log(log), m_path(path) {}
        ~Held() override { m_log.push_back(u"release " + m_path); }

    private:
        std::vector<WideString>& m_log;
        WideString m_path;
    };
    static WideString Widen(const std::string& ascii) { return WideString(ascii.begin(), ascii.end()); }
    static WideString Lower(WideString text) {
        std::transform(text.begin(), text.end(), text.begin(), [](char16_t c) {
            return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
        });
        return text;
    }
    std::map<WideString, std::map<WideString, WideString>> m_profiles;
    std::map<WideString, bool> m_files;
};

}  // namespace vantrel::testing
