#pragma once
// The name of the object that marks a running prompt for one task folder.

#include "fixed_text.h"

namespace vantrel {

// "Global\plimsay-" and 16 hex digits of a hash of the folder's final path as the system
// reports it (normalised, so that two spellings of one folder give one name): in the global
// namespace, so that prompts of different sessions meet; a path is too long and holds
// backslashes, which a name may not.
WideString InstanceName(WideView folderFinalPath);

}  // namespace vantrel
