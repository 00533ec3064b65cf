#pragma once
// The name of the object that marks a running prompt for one task folder.

#include "fixed_text.h"

namespace vantrel {

// "plimsay-" and 16 hex digits of a hash of the folder's final path as the system reports it
// (normalised, so that two spellings of one folder give one name): a path is too long and
// holds backslashes, which a name may not. The shell makes it the name of a private
// namespace, or puts it in the global one; either way prompts of different sessions meet.
WideString InstanceName(WideView folderFinalPath);

}  // namespace vantrel
