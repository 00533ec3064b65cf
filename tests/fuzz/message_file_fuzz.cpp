// The customised message file, from raw bytes to the text box 1000 shows.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "dialog_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::string input = vantrel::TextModeBytes(raw, vantrel::kMessageFileBytes);
    Check(input.size() <= vantrel::kMessageFileBytes);
    Check(input.find('\x1A') == std::string::npos);

    const std::string shown = vantrel::ExpandLineFeeds(input, vantrel::kMessageFileBytes - 1);
    Check(shown.size() <= vantrel::kMessageFileBytes - 1);
    Check(shown.find('\0') == std::string::npos);
    // Every line feed comes with its carriage return: never half a pair.
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\n') Check(i > 0 && shown[i - 1] == '\r');
    }
    // Nothing but the expansion: dropping the added CRs gives a prefix of the input.
    std::string back;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') continue;
        back.push_back(shown[i]);
    }
    Check(input.compare(0, back.size(), back) == 0);
    return 0;
}
