// Any bytes as a property file: never a crash, and what is kept obeys the format's rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "text_catalogue.h"

namespace {

bool Blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool Trimmed(const std::string& s) { return s.empty() || (!Blank(s.front()) && !Blank(s.back())); }

}  // namespace

// A file read a chunk at a time gives the pieces the whole file gives.
void CheckChunkedPieces(const std::string& bytes, std::size_t chunk) {
    std::vector<std::string> pieces;
    vantrel::PieceReader reader;
    const vantrel::PieceReader::Sink keep = [&](std::string_view p) { pieces.emplace_back(p); };
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        reader.Feed(std::string_view(bytes).substr(at, chunk), keep);
    }
    reader.Finish(keep);
    Check(pieces == vantrel::ReadPieces(bytes));
}

// Keeping only some keys of one section answers those keys as keeping everything does, in
// one section of at most one entry per key.
void CheckKeptOnly(const std::string& bytes, const vantrel::PropertyFile& whole) {
    const std::string section = whole.m_sections.empty() ? "S" : whole.m_sections[0].m_szName;
    std::vector<std::string> keys = {"k"};
    for (const vantrel::TextSection& s : whole.m_sections) {
        if (s.m_szName != section) continue;
        for (std::size_t i = 0; i < s.m_entries.size(); i += 2)
            keys.push_back(s.m_entries[i].m_szKey);
    }
    vantrel::PropertyFile kept;
    kept.KeepOnly(section, keys);
    kept.Parse(bytes);
    Check(kept.m_sections.size() <= 1);
    for (const vantrel::TextSection& s : kept.m_sections) Check(s.m_entries.size() <= keys.size());
    for (const std::string& key : keys) {
        Check(kept.Lookup(section, key, "\x01") == whole.Lookup(section, key, "\x01"));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckChunkedPieces(bytes, size > 0 ? data[0] % 64 + 1 : 1);
    vantrel::PropertyFile file;
    file.Parse(bytes);
    for (const vantrel::TextSection& section : file.m_sections) {
        Check(Trimmed(section.m_szName) && section.m_szName.size() <= 1020);
        for (const vantrel::TextEntry& entry : section.m_entries) {
            Check(Trimmed(entry.m_szKey));
            Check(entry.m_szKey.find('=') == std::string::npos);
            Check(entry.m_szKey.size() + entry.m_szValue.size() < 1022);
            Check(entry.m_szKey.find('\0') == std::string::npos);
            // The first occurrence answers.
            Check(file.Lookup(section.m_szName, entry.m_szKey, "\x01").size() < 1022);
        }
    }
    CheckKeptOnly(bytes, file);
    return 0;
}
