#include "number.h"

#include <limits>

namespace vantrel {
namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();

std::int32_t Clamp(std::int64_t value) {
    return static_cast<std::int32_t>(value < kMin ? kMin : value > kMax ? kMax : value);
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

std::int32_t ParseDecimal(WideView text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    // Accumulate the magnitude and stop growing it once it is past the 32-bit range.
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (magnitude <= kMax + 1) magnitude = magnitude * 10 + (text[i] - u'0');
    }
    return Clamp(negative ? -magnitude : magnitude);
}

std::string FormatDecimal(std::int64_t value, int width) {
    // The magnitude as unsigned so that the most negative value has one too.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                        : static_cast<std::uint64_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    const std::size_t sign = value < 0 ? 1 : 0;
    if (width > 0 && digits.size() + sign < static_cast<std::size_t>(width)) {
        digits.insert(0, static_cast<std::size_t>(width) - sign - digits.size(), '0');
    }
    return value < 0 ? "-" + digits : digits;
}

WideString FormatDecimalWide(std::int64_t value, int width) {
    return Widen(FormatDecimal(value, width));
}

WideString Widen(std::string_view ascii) {
    WideString wide;
    wide.reserve(ascii.size());
    for (char c : ascii) wide.push_back(static_cast<unsigned char>(c));
    return wide;
}

std::int32_t SaturatingMultiply(std::int32_t a, std::int32_t b) {
    return Clamp(static_cast<std::int64_t>(a) * b);
}

std::int32_t SaturatingDecrement(std::int32_t value) {
    return Clamp(static_cast<std::int64_t>(value) - 1);
}

}  // namespace vantrel
