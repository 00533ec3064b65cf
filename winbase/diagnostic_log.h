#pragma once
// The launcher's opt-in log: the file SELVAUN_LOG names, opened for appending; moved to
// "<file>.1" first once it is over 1 MB. Null when the variable is not set, the file's folder
// may be written by an account other than the system, the administrators or the launcher's
// own, or the file can't be opened as a plain file of that folder: the launcher then writes
// no log at all.

#include <cstdio>

namespace selvaun {

std::FILE* OpenDiagnosticLog(const wchar_t* variable);

}  // namespace selvaun
