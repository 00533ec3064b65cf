// Any bytes as i18n.ini: never a crash, and every entry has a usable locale name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text_catalogue.h"
#include "text_mode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    for (const vantrel::LanguageEntry& entry :
         vantrel::ParseLanguageMap(vantrel::TextModeBytes(raw, vantrel::kLanguageFileLimit))) {
        Check(!entry.m_szLocale.empty() && entry.m_szLocale.size() <= 511);
        for (char c : entry.m_szLocale) Check(c != '\0' && c != ' ' && !(c >= '\t' && c <= '\r'));
    }
    return 0;
}
