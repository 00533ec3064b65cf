#pragma once
// Starting the prompt through the session launcher, and finding it afterwards: the launcher
// does not wait for the prompt and passes back no handle to it.

#include <windows.h>

#include <string>
#include <vector>

#include "handle.h"

namespace agent {

// `path` made absolute, with long names, as the system reports a process's image.
std::wstring FullPath(const std::wstring& path);

// Every running process whose image is `promptPath`, opened with `access` (query access is
// added). The image is checked on the opened process, so a reused process id can't mislead.
std::vector<Handle> OpenPromptProcesses(const std::wstring& promptPath, DWORD access);

struct LaunchResult {
    bool ran = false;       // the launcher ran and ended
    DWORD exitCode = 0;     // its exit status: 0 when the prompt was started
    std::string output;     // what it printed, on failure the reason with a Windows error code
    DWORD error = 0;        // why the launcher itself could not run
};

// Runs `launcherPath` with `promptPath` as its one argument from `directory`, and waits for
// it (never long: it does not wait for the prompt).
LaunchResult RunLauncher(const std::wstring& launcherPath, const std::wstring& promptPath,
                         const std::wstring& directory);

// The launcher's exit status and output in one line, for a log.
std::string DescribeLaunchFailure(const LaunchResult& result);

}  // namespace agent
