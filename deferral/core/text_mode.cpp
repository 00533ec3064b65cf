#include "text_mode.h"

namespace vantrel {

void TextModeFilter::Emit(std::string_view bytes, const Sink& sink) {
    if (bytes.size() > m_left) bytes = bytes.substr(0, m_left);
    m_left -= bytes.size();
    if (!bytes.empty()) sink(bytes);
}

void TextModeFilter::Feed(std::string_view raw, const Sink& sink) {
    if (m_ended || raw.empty()) return;
    if (m_pendingCr) {
        m_pendingCr = false;
        if (raw[0] != '\n') Emit("\r", sink);
    }
    std::size_t run = 0;  // start of the bytes not yet passed on
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\x1A') {
            Emit(raw.substr(run, i - run), sink);
            m_ended = true;
            return;
        }
        if (raw[i] != '\r') continue;
        Emit(raw.substr(run, i - run), sink);
        run = i + 1;
        if (i + 1 == raw.size()) {
            m_pendingCr = true;
        } else if (raw[i + 1] != '\n') {
            Emit("\r", sink);
        }
    }
    Emit(raw.substr(run), sink);
}

void TextModeFilter::Finish(const Sink& sink) {
    // A CR at the very end has no LF after it and stays.
    if (m_pendingCr && !m_ended) Emit("\r", sink);
    m_pendingCr = false;
    m_ended = true;
}

std::string TextModeBytes(std::string_view raw, std::size_t limit) {
    std::string out;
    TextModeFilter filter(limit);
    const TextModeFilter::Sink append = [&out](std::string_view bytes) { out.append(bytes); };
    filter.Feed(raw, append);
    filter.Finish(append);
    return out;
}

}  // namespace vantrel
