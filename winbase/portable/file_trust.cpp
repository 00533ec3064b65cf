#include "winbase/portable/file_trust.h"

namespace winbase {
namespace {

// A folder's and a file's rights, as the file system names them: the first two bits are
// "add a file" and "add a folder" on a folder, "write" and "append" on a file.
constexpr std::uint32_t kWrite = 0x2 | 0x4;
constexpr std::uint32_t kWriteAttributes = 0x10 /* extended */ | 0x100;
constexpr std::uint32_t kDeleteChild = 0x40;
constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kControl = 0x40000 /* WRITE_DAC */ | 0x80000 /* WRITE_OWNER */;

// Which rights let an account change what is guarded, on the object itself and in the
// entries its files inherit; in the order of Guarded.
struct Rights {
    std::uint32_t own;
    std::uint32_t files;
};
constexpr std::uint32_t kFileRights = kWrite | kWriteAttributes | kDelete | kControl;
constexpr Rights kCounted[] = {{kWrite | kDeleteChild | kDelete | kControl, kFileRights},
                               {kFileRights, 0},
                               {kDeleteChild | kDelete | kControl, 0},
                               {0, 0}};

constexpr std::uint8_t kObjectInherit = 0x1;
constexpr std::uint8_t kInheritOnly = 0x8;

// Generic rights as the file system maps them; reading and executing map to no right that
// is counted.
std::uint32_t Mapped(std::uint32_t mask) {
    if ((mask & 0x10000000 /* GENERIC_ALL */) != 0) mask |= 0x1F01FF;
    if ((mask & 0x40000000 /* GENERIC_WRITE */) != 0) mask |= 0x120116;
    return mask;
}

// The rights an entry speaks of on the object itself and on the files made in it.
Rights Reach(const AccessEntry& entry, std::uint32_t mask) {
    return {(entry.flags & kInheritOnly) == 0 ? mask : 0,
            (entry.flags & kObjectInherit) != 0 ? mask : 0};
}

// The rights entry `at` allows: for an allow entry its own, less those a deny entry for the
// same account before it takes away; everything for an allowing kind not read; nothing for
// a denying one.
Rights Allowed(const AccessEntry* entries, std::size_t at) {
    const AccessEntry& entry = entries[at];
    if (entry.type != kAllowEntry) {
        const bool denying = entry.type == kDenyEntry || entry.type == 0x6 ||
                             entry.type == 0xA || entry.type == 0xC;
        return Reach(entry, denying ? 0 : ~std::uint32_t{0});
    }
    Rights allowed = Reach(entry, Mapped(entry.mask));
    for (std::size_t i = 0; i < at; ++i) {
        const AccessEntry& deny = entries[i];
        if (deny.type == kDenyEntry && deny.sid == entry.sid) {
            const Rights denied = Reach(deny, Mapped(deny.mask));
            allowed.own &= ~denied.own;
            allowed.files &= ~denied.files;
        }
    }
    return allowed;
}

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

bool TrustedAccount(std::u16string_view sid, std::u16string_view self) {
    return sid == u"S-1-5-18" || sid == u"S-1-5-32-544" ||
           sid == u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464" ||
           (!self.empty() && sid == self);
}

std::u16string_view UntrustedWriter(Guarded what, std::u16string_view owner,
                                    const AccessEntry* entries, std::size_t count,
                                    std::u16string_view self) {
    // An owner may always rewrite the access list.
    if (owner.empty()) return kUnreadAccount;
    if (!TrustedAccount(owner, self)) return owner;
    if (entries == nullptr) return u"S-1-1-0";  // no access list: everyone may do anything
    const Rights counted = kCounted[static_cast<std::size_t>(what)];
    for (std::size_t i = 0; i < count; ++i) {
        const AccessEntry& entry = entries[i];
        const bool plain = entry.type == kAllowEntry;
        // CREATOR OWNER and OWNER RIGHTS stand for owners, who are judged by their own entries.
        if (plain && (entry.sid == u"S-1-3-0" || entry.sid == u"S-1-3-4")) continue;
        const Rights allowed = Allowed(entries, i);
        if ((allowed.own & counted.own) == 0 && (allowed.files & counted.files) == 0) continue;
        if (!plain || entry.sid.empty()) return kUnreadAccount;
        if (!TrustedAccount(entry.sid, self)) return entry.sid;
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

}  // namespace winbase
