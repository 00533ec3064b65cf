#include "fixed_text.h"

namespace vantrel {

std::size_t FittingLength(WideView text, std::size_t capacity) {
    if (capacity == 0) return 0;
    std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    // A high surrogate whose partner did not fit would be a broken character.
    // cppcheck-suppress knownConditionTrueFalse ; true when the text is cut: cppcheck 2.10 errs
    if (length < text.size() && length > 0) {
        const char16_t last = text[length - 1];
        if (last >= 0xD800 && last <= 0xDBFF) --length;
    }
    return length;
}

}  // namespace vantrel
