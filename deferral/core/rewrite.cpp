#include "rewrite.h"

namespace vantrel {

std::uint32_t RewriteInPlace(RewriteTarget& file, std::string_view bytes) {
    if (const std::uint32_t error = file.SetLength(bytes.size())) return error;
    if (const std::uint32_t error = file.WriteFromStart(bytes)) return error;
    file.Flush();
    return 0;
}

}  // namespace vantrel
