#include "text_mode.h"

namespace vantrel {

std::string TextModeBytes(std::string_view raw, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < raw.size() && out.size() < limit; ++i) {
        if (raw[i] == '\x1A') break;
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        out.push_back(raw[i]);
    }
    return out;
}

}  // namespace vantrel
