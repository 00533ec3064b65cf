#pragma once
// Which accounts may change what our programs use, and which final path is one of our files.
// Both programs run as the local system account in folders a user may be able to change, so
// these decide whether a file or a folder may be used. Free of allocations: the launcher uses
// them too.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace winbase {

// An access entry's kind as the system stores it. Any other kind (object, callback,
// conditional) is not read here: an allowing one counts as granting everything to anybody,
// a denying one as denying nothing.
constexpr std::uint8_t kAllowEntry = 0;
constexpr std::uint8_t kDenyEntry = 1;

// One entry of an access list, in the list's order: a deny entry counts only against allow
// entries after it, as the system checks them.
struct AccessEntry {
    std::u16string_view sid;  // as text: "S-1-5-32-545"; empty when not read
    std::uint8_t type;        // kAllowEntry, kDenyEntry or another kind
    std::uint32_t mask;       // the access mask; generic rights as the file system maps them
    std::uint8_t flags;       // the inheritance flags
};

// What an access list guards, and so which rights count.
enum class Guarded : std::uint8_t {
    // A folder whose files we use: on the folder itself adding files or folders, deleting
    // anything in it, deleting (renaming) it, its access list or owner; in entries its files
    // inherit, writing, appending, deleting, their attributes, access list or owner.
    kFolder,
    // A file we run: writing, appending, deleting, its attributes, access list or owner.
    kFile,
    // A folder above one of ours: what lets the folder below be renamed away and replaced,
    // deleting anything in it or deleting (renaming) it, and its access list or owner.
    kParent,
    // A task file: its owner alone (its folder's entries speak for the files in it).
    kTaskFile,
};

// Named in place of an owner or an entry's account that could not be read, and of an
// allowing entry of a kind not read.
constexpr std::u16string_view kUnreadAccount = u"an account that could not be read";

// Whether `sid` is the system, the administrators, the trusted installer or `self` (the
// account the program runs as).
bool TrustedAccount(std::u16string_view sid, std::u16string_view self);

// The first account, the owner first and then the entries in order, that is not trusted and
// may change `what`; empty when there is none. `entries` null means no access list at all,
// which lets everyone do everything; a list without entries lets nobody but the owner.
std::u16string_view UntrustedWriter(Guarded what, std::u16string_view owner,
                                    const AccessEntry* entries, std::size_t count,
                                    std::u16string_view self);

// Whether `finalPath` names the entry `name` directly inside the folder whose final path is
// `folder`, both as the system reports them for open handles: the folder's part must match
// exactly, the name without regard to ASCII letter case (the file may have been made as
// "DEFER.CFG"). A folder's path may end in a backslash (a drive's root does).
bool IsEntryOf(std::u16string_view finalPath, std::u16string_view folder, std::u16string_view name);

}  // namespace winbase
