// Any bytes as i18n.ini: never a crash, and every entry has a usable locale name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "text_catalogue.h"
#include "text_mode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    // Read a chunk at a time, text mode gives what it gives the whole file, also when a
    // CR LF or the limit falls on a chunk's edge.
    const std::size_t chunk = size > 0 ? data[0] % 8 + 1 : 1;
    const std::size_t limit = size > 1 ? data[1] : 0;
    std::string chunked;
    vantrel::TextModeFilter filter(limit);
    const vantrel::TextModeFilter::Sink append = [&](std::string_view b) { chunked.append(b); };
    for (std::size_t at = 0; at < raw.size(); at += chunk) {
        filter.Feed(std::string_view(raw).substr(at, chunk), append);
    }
    filter.Finish(append);
    Check(chunked == vantrel::TextModeBytes(raw, limit));

    const std::string text = vantrel::TextModeBytes(raw, vantrel::kLanguageFileLimit);
    const std::vector<vantrel::LanguageEntry> entries = vantrel::ParseLanguageMap(text);
    for (const vantrel::LanguageEntry& entry : entries) {
        Check(!entry.m_szLocale.empty() && entry.m_szLocale.size() <= 511);
        for (char c : entry.m_szLocale) Check(c != '\0' && c != ' ' && !(c >= '\t' && c <= '\r'));
    }
    // Asked for one language, only its first entry is kept: the one a lookup finds.
    const std::uint32_t wanted = entries.empty() ? 0x409 : entries.back().m_nLangId;
    const std::vector<vantrel::LanguageEntry> only = vantrel::ParseLanguageMap(text, wanted);
    Check(only.size() <= 1);
    const auto first =
        std::find_if(entries.begin(), entries.end(),
                     [&](const vantrel::LanguageEntry& e) { return e.m_nLangId == wanted; });
    Check(only.empty() == (first == entries.end()));
    if (!only.empty()) Check(only[0].m_szLocale == first->m_szLocale);
    return 0;
}
