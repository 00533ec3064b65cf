#pragma once
// The name of the object that marks a running prompt for one task folder.

#include <cstddef>
#include <string_view>

namespace winbase {

constexpr std::size_t kInstanceNameLength = 24;

// "plimsay-" and 16 hex digits of a hash of the folder's final path as the system reports it
// (normalised, so that two spellings of one folder give one name), ended by a zero: a path is
// too long and holds backslashes, which a name may not. The prompt makes it the name of a
// private namespace, or puts it in the global one; either way prompts of different sessions
// meet.
void InstanceName(std::u16string_view folderFinalPath, char16_t (&name)[kInstanceNameLength + 1]);

}  // namespace winbase
