#pragma once
// A zero-ended text in a heap buffer of a fixed capacity, writable in place as
// CreateProcessAsUserW wants its command line. Code for the launcher keeps to this and to
// string views so that it needs nothing from the C++ library that throws.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace winbase {

template <typename Char>
class HeapText {
public:
    HeapText() = default;
    // `capacity` characters, the terminator included, all zero. A buffer that cannot be had
    // leaves the text empty with no capacity.
    explicit HeapText(std::size_t capacity)
        : m_text(static_cast<Char*>(std::calloc(capacity, sizeof(Char)))),
          m_capacity(m_text != nullptr ? capacity : 0) {}
    ~HeapText() { std::free(m_text); }
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;
    HeapText(HeapText&& other) noexcept : m_text(other.m_text), m_capacity(other.m_capacity) {
        other.m_text = nullptr;
        other.m_capacity = 0;
    }
    HeapText& operator=(HeapText&& other) noexcept {
        if (this != &other) {
            std::free(m_text);
            m_text = other.m_text;
            m_capacity = other.m_capacity;
            other.m_text = nullptr;
            other.m_capacity = 0;
        }
        return *this;
    }

    // Null when there is no buffer.
    Char* data() { return m_text; }
    const Char* data() const { return m_text; }
    // The text, or an empty one when there is no buffer.
    const Char* c_str() const { return m_text != nullptr ? m_text : kEmpty; }
    std::size_t capacity() const { return m_capacity; }
    // The text up to its terminator, or up to the capacity when none was written.
    std::basic_string_view<Char> view() const {
        if (m_text == nullptr) return {};
        std::size_t length = 0;
        while (length < m_capacity && m_text[length] != Char{}) ++length;
        return {m_text, length};
    }

    // `parts` one after the other, in a buffer just large enough.
    static HeapText Join(std::initializer_list<std::basic_string_view<Char>> parts) {
        std::size_t length = 0;
        for (const auto& part : parts) {
            if (part.size() > SIZE_MAX - 1 - length) return {};
            length += part.size();
        }
        HeapText joined(length + 1);
        if (joined.m_text == nullptr) return joined;
        Char* out = joined.m_text;
        for (const auto& part : parts) {
            for (Char c : part) *out++ = c;
        }
        return joined;
    }

private:
    static constexpr Char kEmpty[1] = {};
    Char* m_text = nullptr;
    std::size_t m_capacity = 0;
};

using WideText = HeapText<wchar_t>;
using AnsiText = HeapText<char>;

}  // namespace winbase
