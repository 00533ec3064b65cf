#include "file_trust.h"

namespace vantrel {
namespace {

// Rights that create or change files: on a folder the first two bits are "add a file" and
// "add a folder", on a file "write" and "append".
constexpr std::uint32_t kWriteRights = 0x2 | 0x4 | 0x40000 /* WRITE_DAC */ |
                                       0x80000 /* WRITE_OWNER */ | 0x10000000 /* GENERIC_ALL */ |
                                       0x40000000 /* GENERIC_WRITE */;
constexpr std::uint8_t kObjectInherit = 0x1;
constexpr std::uint8_t kInheritOnly = 0x8;

bool Trusted(std::u16string_view sid, std::u16string_view self) {
    return sid == u"S-1-5-18" || sid == u"S-1-5-32-544" ||
           sid == u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464" ||
           (!self.empty() && sid == self);
}

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

std::u16string_view UntrustedWriter(std::u16string_view owner, const AccessEntry* entries,
                                    std::size_t count, std::u16string_view self) {
    // An owner may always rewrite the access list.
    if (!Trusted(owner, self)) return owner;
    for (std::size_t i = 0; i < count && entries != nullptr; ++i) {
        const AccessEntry& entry = entries[i];
        // CREATOR OWNER and OWNER RIGHTS stand for owners, who are judged by their own entries.
        if (!entry.allow || entry.sid == u"S-1-3-0" || entry.sid == u"S-1-3-4") continue;
        const bool applies =
            (entry.flags & kInheritOnly) == 0 || (entry.flags & kObjectInherit) != 0;
        if (applies && (entry.mask & kWriteRights) != 0 && !Trusted(entry.sid, self)) {
            return entry.sid.empty() ? std::u16string_view(u"?") : entry.sid;
        }
    }
    return {};
}

bool IsEntryOf(std::u16string_view finalPath, std::u16string_view folder, std::u16string_view name) {
    if (folder.empty() || name.empty()) return false;
    const bool separated = folder.back() == u'\\';
    const std::size_t prefix = folder.size() + (separated ? 0 : 1);
    if (finalPath.size() != prefix + name.size()) return false;
    // Views made by hand: substr could throw (see the launcher's size check).
    if (std::u16string_view(finalPath.data(), folder.size()) != folder) return false;
    if (!separated && finalPath[folder.size()] != u'\\') return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (Lower(finalPath[prefix + i]) != Lower(name[i])) return false;
    }
    return true;
}

}  // namespace vantrel
