#pragma once
// Decimal numbers as the task files and the dialog read and show them.

#include <cstdint>
#include <string>

#include "fixed_text.h"

namespace vantrel {

// The C runtime's decimal reading: leading white space, an optional sign, then the digits
// up to the first other character; a text without leading digits gives 0. Out-of-range
// values saturate at the 32-bit limits instead of overflowing.
std::int32_t ParseDecimal(WideView text);

// printf's "%0<width>d": plain signed decimal, zero-padded after the sign to `width`.
std::string FormatDecimal(std::int64_t value, int width = 1);
WideString FormatDecimalWide(std::int64_t value, int width = 1);

// ASCII to wide, one unit per byte.
WideString Widen(std::string_view ascii);

// a * b, and a - 1, clamped to the 32-bit range.
std::int32_t SaturatingMultiply(std::int32_t a, std::int32_t b);
std::int32_t SaturatingDecrement(std::int32_t value);

}  // namespace vantrel
