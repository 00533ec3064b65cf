#include "diagnostic_log.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "guard/guarded_file.h"
#include "heap_text.h"

namespace selvaun {

std::FILE* OpenDiagnosticLog(const wchar_t* variable) {
    const DWORD size = ::GetEnvironmentVariableW(variable, nullptr, 0);
    if (size <= 1) return nullptr;
    WideText path(size);
    if (path.data() == nullptr || ::GetEnvironmentVariableW(variable, path.data(), size) >= size) {
        return nullptr;
    }
    // The launcher runs as the local system account: a log only where no other account may
    // write, and never through a link.
    const vantrel::CheckedFolder folder(path.data());
    if (folder.Rights() != vantrel::FolderRights::kTrusted) return nullptr;
    fw::UniqueFile file =
        vantrel::OpenLogFile(folder, vantrel::LeafName(path.data()), LONGLONG{1024} * 1024);
    if (!file) return nullptr;
    // Shared, so that the agent can read the log while the launcher writes it.
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_APPEND);  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): the runtime's contract
    if (descriptor == -1) return nullptr;
    file.release();  // the descriptor owns it now
    std::FILE* log = _fdopen(descriptor, "ab");
    if (log == nullptr) _close(descriptor);
    return log;
}

}  // namespace selvaun
