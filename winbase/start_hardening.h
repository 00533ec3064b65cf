#pragma once
// What both programs do before anything else runs: they run as the local system account
// from folders a user may be able to write, so no DLL may come from there, and the prompt
// keeps no privilege and no input method it does not need.

#include <windows.h>

namespace winbase {

enum class Program { kPrompt, kLauncher };

// Narrows the DLL search to the system directory, turns on the process mitigations that
// leave input methods and screen readers working, and for the prompt loads the DLLs that
// the common controls would load later by name, disables input methods and removes the
// privileges it never uses. Failures are ignored (older Windows): each is in the note.
void HardenProcess(Program program);

// One line for the diagnostic log saying what HardenProcess did.
const char* HardeningNote();

// Leaves the dialog's controls without an input context: nothing in it takes typed text.
void DetachInputContexts(HWND dialog);

}  // namespace winbase
