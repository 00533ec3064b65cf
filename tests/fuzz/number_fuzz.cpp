// Any text as a task-file number: the runtime's decimal reading, never overflowing, and the
// prompt's own printing of what it read gives the same number back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::WideString text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    const std::int32_t value = vantrel::ParseDecimal(text);

    // Reading again what was printed is the identity, at any width.
    const int width = size > 0 ? data[0] % 16 : 1;
    const vantrel::WideString printed = vantrel::FormatDecimalWide(value, width);
    Check(vantrel::ParseDecimal(printed) == value);
    Check(printed.size() >= static_cast<std::size_t>(width) && printed.size() <= 16);

    // What the prompt derives from a number stays in range without undefined behaviour.
    const std::int32_t minutes = vantrel::SaturatingMultiply(value, 60);
    Check(value > 35791394 ? minutes == INT32_MAX : value < -35791394 ? minutes == INT32_MIN
                                                                      : minutes == value * 60);
    Check(vantrel::SaturatingDecrement(value) == (value == INT32_MIN ? value : value - 1));
    return 0;
}
