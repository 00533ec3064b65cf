#pragma once
// The order of an in-place rewrite. The file takes its new length first and only then its new
// bytes from the start, so that a kill at any moment leaves a prefix of the old contents, or
// the old contents padded with zero bytes, and never new lines followed by the old last line.

#include <cstdint>
#include <string_view>

namespace vantrel {

// One file held open for writing. Each step gives the system's error code, 0 when done.
class RewriteTarget {
public:
    virtual ~RewriteTarget() = default;
    virtual std::uint32_t SetLength(std::uint64_t bytes) = 0;
    virtual std::uint32_t WriteFromStart(std::string_view bytes) = 0;
    virtual std::uint32_t Flush() = 0;
};

// Length, bytes, flush; stops at the first step that fails and gives its error. A failed
// flush is not reported: the bytes are written either way.
std::uint32_t RewriteInPlace(RewriteTarget& file, std::string_view bytes);

}  // namespace vantrel
