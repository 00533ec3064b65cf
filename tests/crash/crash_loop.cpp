// crash_loop [RUNS] [SEED]: kills crash_writer (next to this program) at a random moment,
// RUNS times (default 2000), and looks at defer.cfg after each kill. Prints the runs, the torn
// states seen (neither of the two whole reports), how many of them a reader would accept that
// takes a report as whole when it ends in its Cancel= line, and how many the reference
// agent accepts. Exit status 1 when the reference agent accepted a torn state.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "crash_reports.h"
#include "task_files.h"
#include "win_files.h"

namespace {

// Long enough for a few rewrites, so that a kill lands anywhere in one.
constexpr long long kMaxDelayUs = 20000;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool EndsInCancelLine(const std::string& bytes) {
    return EndsWith(bytes, "\r\nCancel=yes\r\n") || EndsWith(bytes, "\r\nCancel=no\r\n");
}

void SpinMicroseconds(long long us) {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const long long ticks = us * frequency.QuadPart / 1000000;
    do {
        ::QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < ticks);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const long runs = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 2000;
    const unsigned long seed = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 1;
    if (runs <= 0) return 2;
    const testsupport::TempDirectory dir(L"crash");
    const std::wstring cfg = dir / L"defer.cfg";
    const std::string postpone = crash::Report(true);
    const std::string final = crash::Report(false);
    if (!testsupport::WriteBytes(cfg, postpone)) return 1;

    const std::wstring eventName = L"crash_loop_" + std::to_wstring(::GetCurrentProcessId());
    const HANDLE ready = ::CreateEventW(nullptr, FALSE, FALSE, eventName.c_str());
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delay(0, kMaxDelayUs);
    long started = 0;
    long torn = 0;
    long lastLine = 0;
    long agentAccepted = 0;
    std::map<std::size_t, long> tornSizes;
    for (long run = 0; run < runs; ++run) {
        std::wstring command = L"\"" + testsupport::ModuleDirectory() + L"crash_writer.exe\" \"" +
                               dir.path() + L"\" " + eventName;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process)) {
            std::fprintf(stderr, "crash_loop: cannot start crash_writer.exe\n");
            return 1;
        }
        const HANDLE both[2] = {ready, process.hProcess};
        if (::WaitForMultipleObjects(2, both, FALSE, 10000) == WAIT_OBJECT_0) {
            ++started;
            SpinMicroseconds(delay(random));
        }
        ::TerminateProcess(process.hProcess, 9);
        ::WaitForSingleObject(process.hProcess, 10000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);

        const std::string bytes = testsupport::ReadBytes(cfg).value_or("");
        if (bytes == postpone || bytes == final) continue;
        ++torn;
        ++tornSizes[bytes.size()];
        if (EndsInCancelLine(bytes)) ++lastLine;
        if (agent::ParseReport(bytes).written) ++agentAccepted;
    }
    std::printf(
        "runs %ld (writer started %ld), torn %ld, accepted by the last-line rule %ld, "
        "accepted by the reference agent %ld\n",
        runs, started, torn, lastLine, agentAccepted);
    for (const auto& [size, count] : tornSizes) {
        std::printf("  torn, %zu bytes: %ld\n", size, count);
    }
    return agentAccepted == 0 ? 0 : 1;
}
