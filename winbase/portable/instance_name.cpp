#include "instance_name.h"

#include <cstdint>

namespace winbase {

void InstanceName(std::u16string_view folderFinalPath, char16_t (&name)[kInstanceNameLength + 1]) {
    // FNV-1a over the UTF-16 units; only trusted owners' objects count (the prompt's
    // single_instance.cpp), so a crafted collision can't silence a prompt.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char16_t unit : folderFinalPath) {
        hash = (hash ^ static_cast<std::uint64_t>(unit)) * 1099511628211ULL;
    }
    std::size_t at = 0;
    for (const char16_t c : std::u16string_view(u"plimsay-")) name[at++] = c;
    for (int shift = 60; shift >= 0; shift -= 4)
        name[at++] = u"0123456789abcdef"[(hash >> shift) & 0xF];
    name[at] = u'\0';
}

}  // namespace winbase
