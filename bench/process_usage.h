#pragma once
// CPU time, resident memory and object counts of a process we started. Windows reports them
// itself; under Wine GetProcessTimes, GetGuiResources and GetProcessHandleCount give 0, so
// there they come from the host: the Linux process that runs the program, found by its
// command line in /proc and read through Wine's Z: drive.

#include <windows.h>

#include <optional>
#include <string>

namespace bench {

struct ProcessUsage {
    std::optional<double> cpuMs;  // user + system
    // The host's run time of the process's threads in nanoseconds (schedstat): the clock
    // stat's utime and stime are scaled to, without their 10 ms steps.
    std::optional<double> runMs;
    std::optional<double> residentKb;  // resident set (working set on Windows)
    std::optional<double> peakKb;      // peak working set, as Windows reports it
    // The host's split of the resident size: private memory, mapped files, shared memory
    // (where Wine's window surfaces live, shared with the X server).
    std::optional<double> anonKb, fileKb, sharedKb;
    std::optional<int> fileDescriptors;  // host only
    // Windows' own counts; absent where the platform reports 0.
    std::optional<unsigned long> handles, gdiObjects, userObjects;
};

class ProcessUsageReader {
public:
    // `path`: the program's file, which names the host process. `clockTicks`: the host's
    // clock ticks per second, the unit of its CPU times.
    ProcessUsageReader(HANDLE process, const std::wstring& path, long clockTicks);

    ProcessUsage Read() const;
    // Whether the figures come from the host's /proc.
    bool FromHost() const { return !m_hostDirectory.empty(); }

private:
    HANDLE m_process;
    long m_clockTicks;
    std::wstring m_hostDirectory;  // Z:\proc\<pid>, empty when not found
};

}  // namespace bench
