#include "diagnostic_log.h"

#include <windows.h>

#include <share.h>

#include "heap_text.h"

namespace selvaun {

std::FILE* OpenDiagnosticLog(const wchar_t* variable) {
    const DWORD size = ::GetEnvironmentVariableW(variable, nullptr, 0);
    if (size <= 1) return nullptr;
    WideText path(size);
    if (path.data() == nullptr || ::GetEnvironmentVariableW(variable, path.data(), size) >= size) {
        return nullptr;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(path.data(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeHigh != 0 || data.nFileSizeLow >= 1024 * 1024)) {
        WideText rotated = WideText::Join({path.view(), L".1"});
        if (rotated.data() != nullptr) {
            ::MoveFileExW(path.data(), rotated.data(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    // Shared, so that the agent can read the log while the launcher writes it.
    return _wfsopen(path.data(), L"ab", _SH_DENYNO);
}

}  // namespace selvaun
