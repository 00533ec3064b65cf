// The launcher's command-line split and UTF-8 check on arbitrary input: no read or write out
// of bounds, and no argument longer than the line it came from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    selvaun::IsValidUtf8(std::string_view(reinterpret_cast<const char*>(data), size));

    // Two bytes a character, as a wide command line has them.
    std::wstring line;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        line += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    selvaun::WideText argument;
    const std::size_t count = selvaun::SplitCommandLine(line, 0, argument);
    for (std::size_t i = 0; i <= count; ++i) {
        if (selvaun::SplitCommandLine(line, i, argument) != count) std::abort();
        if (argument.view().size() > line.size()) std::abort();
    }
    return 0;
}
