#pragma once
// Which accounts a folder of ours trusts, and which final path is one of our files. Both
// programs run as the local system account in folders a user may be able to write, so these
// decide whether a file or a folder may be used. Free of allocations: the launcher uses them
// too.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vantrel {

// One entry of a folder's access list, as the shell reads it.
struct AccessEntry {
    std::u16string_view sid;  // as text: "S-1-5-32-545"
    bool allow;               // deny entries grant nothing and are not judged
    std::uint32_t mask;       // the access mask
    std::uint8_t flags;       // the inheritance flags
};

// The first account, the owner first and then the allow entries in order, that may create
// or write files in the folder and is neither the system, the administrators, the trusted
// installer nor `self` (the account the program runs as); empty when there is none. An
// entry counts when it applies to the folder itself or is inherited by the files in it.
std::u16string_view UntrustedWriter(std::u16string_view owner, const AccessEntry* entries,
                                    std::size_t count, std::u16string_view self);

// Whether `finalPath` names the entry `name` directly inside the folder whose final path is
// `folder`, both as the system reports them for open handles: the folder's part must match
// exactly, the name without regard to ASCII letter case (the file may have been made as
// "DEFER.CFG"). A folder's path may end in a backslash (a drive's root does).
bool IsEntryOf(std::u16string_view finalPath, std::u16string_view folder, std::u16string_view name);

}  // namespace vantrel
