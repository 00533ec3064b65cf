#pragma once
// Wide (UTF-16) texts of the prompt, and the fixed-size buffers the dialog keeps them in.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

using WideString = std::u16string;
using WideView = std::u16string_view;

// How many units of `text` fit into a buffer of `capacity` units together with the
// terminator, never ending on the first half of a surrogate pair.
std::size_t FittingLength(WideView text, std::size_t capacity);

// `text` cut as a buffer of `capacity` units would hold it.
inline WideString CutToBuffer(WideView text, std::size_t capacity) {
    return WideString(text.substr(0, FittingLength(text, capacity)));
}

// A terminated text in a buffer of N units, so it keeps at most N - 1 of them;
// whatever is assigned is cut to fit.
template <std::size_t N>
class FixedText {
    static_assert(N >= 1);

public:
    static constexpr std::size_t kCapacity = N;

    FixedText() = default;
    explicit FixedText(WideView text) { Assign(text); }

    void Assign(WideView text) {
        m_length = FittingLength(text, N);
        text.copy(m_text, m_length);
        m_text[m_length] = u'\0';
    }
    FixedText& operator=(WideView text) {
        Assign(text);
        return *this;
    }

    const char16_t* c_str() const { return m_text; }
    WideView view() const { return {m_text, m_length}; }
    std::size_t size() const { return m_length; }
    bool empty() const { return m_length == 0; }
    friend bool operator==(const FixedText& a, WideView b) { return a.view() == b; }

private:
    char16_t m_text[N] = {};
    std::size_t m_length = 0;
};

}  // namespace vantrel
