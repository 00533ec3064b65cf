#pragma once
// Files read "as text" the way the Windows C runtime's text mode reads them, so that the
// native build behaves the same.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// CR LF arrives as LF and a Ctrl-Z byte ends the data; at most `limit` bytes.
std::string TextModeBytes(std::string_view raw, std::size_t limit);

}  // namespace vantrel
