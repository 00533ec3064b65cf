#pragma once
// Texts between the core (char16_t) and the Windows API (wchar_t), both UTF-16 here.
// Copied unit by unit: the two are distinct types, so no pointer cast between them.

#include <string>

#include "fixed_text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

namespace vantrel {

inline std::wstring ToWin(WideView text) { return std::wstring(text.begin(), text.end()); }

inline WideString FromWin(std::wstring_view text) {
    return WideString(text.begin(), text.end());
}

}  // namespace vantrel
