#pragma once
// Files read "as text" the way the Windows C runtime's text mode reads them, so that the
// native build behaves the same.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

// CR LF arrives as LF and a Ctrl-Z byte ends the data; at most `limit` bytes come out.
// Fed the raw bytes a chunk at a time, so that a file need not be held whole.
class TextModeFilter {
public:
    using Sink = std::function<void(std::string_view)>;

    explicit TextModeFilter(std::size_t limit) : m_left(limit) {}
    void Feed(std::string_view raw, const Sink& sink);
    // The raw data has ended.
    void Finish(const Sink& sink);

private:
    void Emit(std::string_view bytes, const Sink& sink);

    std::size_t m_left;
    bool m_pendingCr = false;  // a CR at the end of a chunk: the next byte decides
    bool m_ended = false;
};

// The same for data held whole.
std::string TextModeBytes(std::string_view raw, std::size_t limit);

}  // namespace vantrel
