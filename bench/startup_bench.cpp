// Start-up of the real plimsay.exe: from process creation to its dialog on screen, and the
// size of the program. Prints figures; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "prompt_run.h"

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        e2e::PromptRun run;
        run.WriteProgramFile(L"defer.cfg", "[Settings]\r\nDefaultPostponeTime=600\r\n");
        LARGE_INTEGER frequency, start, shown;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        if (!run.Start() || run.WaitForVisible(15000) == nullptr) {
            std::printf("run %d: the dialog did not appear\n", i);
            return 1;
        }
        ::QueryPerformanceCounter(&shown);
        ms.push_back(1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
        run.PressEscape();
        run.WaitForExit(5000);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start-up to visible dialog over %d runs: min %.1f ms, median %.1f ms, max %.1f ms\n",
                runs, ms.front(), ms[ms.size() / 2], ms.back());

    const std::wstring exe = testsupport::ModuleDirectory() + L"plimsay.exe";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(exe.c_str(), GetFileExInfoStandard, &data)) {
        std::printf("plimsay.exe: %lu bytes\n", data.nFileSizeLow);
    }
    return 0;
}
