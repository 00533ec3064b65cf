#include "instance_name.h"

#include <cstdint>

namespace vantrel {

WideString InstanceName(WideView folderFinalPath) {
    // FNV-1a over the UTF-16 units; only trusted owners' objects count (single_instance.cpp),
    // so a crafted collision can't silence a prompt.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char16_t unit : folderFinalPath) {
        hash = (hash ^ static_cast<std::uint64_t>(unit)) * 1099511628211ULL;
    }
    WideString name = u"plimsay-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name.push_back(u"0123456789abcdef"[(hash >> shift) & 0xF]);
    }
    return name;
}

}  // namespace vantrel
