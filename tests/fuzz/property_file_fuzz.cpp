// Any bytes as a property file: never a crash, and what is kept obeys the format's rules.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text_catalogue.h"

namespace {

bool Blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool Trimmed(const std::string& s) { return s.empty() || (!Blank(s.front()) && !Blank(s.back())); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::PropertyFile file;
    file.Parse(std::string(reinterpret_cast<const char*>(data), size));
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
    return 0;
}
