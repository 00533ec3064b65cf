// crash_writer <directory> <event>: rewrites <directory>\defer.cfg with the prompt's own
// feedback write, the postpone report and the final report in turn, for ever; sets the named
// event once both were written. crash_loop kills it at random moments.
#include <windows.h>

#include <string>

#include "crash_reports.h"
#include "wide_cast.h"
#include "win_platform.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const vantrel::WideString module = vantrel::FromWin(std::wstring(argv[1]) + L"\\plimsay.exe");
    vantrel::TaskPaths paths;
    if (!vantrel::BuildTaskPaths(module.c_str(), static_cast<std::uint32_t>(module.size()),
                                 paths)) {
        return 1;
    }
    const HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (ready == nullptr) return 1;
    vantrel::WinPlatform platform;
    const std::string reports[2] = {crash::Report(true), crash::Report(false)};
    for (unsigned n = 0;; n ^= 1) {
        vantrel::WriteFeedbackFile(platform, paths, reports[n]);
        if (n == 1) ::SetEvent(ready);
    }
}
