// Starts the real programs and their baselines under the same system and prints the rows
// of the benchmark's table (scripts/bench.sh prints the header and the native rows).
//   perf_driver [--quick] [--no-32bit] [--runs N] [--idle-seconds N] [--cycles N] [--clock-ticks N]
//               [--only startup|idle|growth|reaction|launcher] [--trace] [--prompt NAME]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "figures.h"
#include "language_files.h"
#include "options.h"
#include "prompt_run.h"

int wmain(int argc, wchar_t** argv) {
    bench::Options options;
    std::wstring only;
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        const auto number = [&](auto& into) {
            if (i + 1 < argc)
                into = static_cast<std::remove_reference_t<decltype(into)>>(
                    std::wcstol(argv[++i], nullptr, 10));
        };
        if (option == L"--quick") {
            options.runs = 1;
            options.startupRuns = 1;
            options.idleSeconds = 3;
            options.cycles = 5;
            options.warmUp = false;
            bench::SetJudged(false);
        } else if (option == L"--runs") {
            number(options.runs);
            options.startupRuns = 2 * options.runs;
        } else if (option == L"--idle-seconds") {
            number(options.idleSeconds);
        } else if (option == L"--cycles") {
            number(options.cycles);
        } else if (option == L"--clock-ticks") {
            number(options.clockTicks);
        } else if (option == L"--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (option == L"--prompt" && i + 1 < argc) {
            options.prompt = argv[++i];
        } else if (option == L"--no-32bit") {
            options.runs32Bit = false;
        } else if (option == L"--trace") {
            options.trace = true;
        } else {
            std::fprintf(stderr, "perf_driver: unknown option %ls\n", option.c_str());
            return 2;
        }
    }
    if (options.runs < 1 || options.idleSeconds < 1 || options.cycles < 1) return 2;

    // As on a managed computer: our language files installed, restarts recorded instead of done.
    testsupport::InstalledLanguageFiles languages;
    if (!languages.InstallAllShipped()) {
        std::fprintf(stderr, "perf_driver: cannot install the language files\n");
        return 1;
    }
    const std::wstring standIn = e2e::InstallRestartStandIn();
    if (!standIn.empty()) {
        std::fprintf(stderr, "perf_driver: %ls\n", standIn.c_str());
        return 1;
    }
    const struct {
        const wchar_t* name;
        void (*measure)(const bench::Options&);
    } kFigures[] = {{L"startup", bench::MeasureStartupAndMemory},
                    {L"idle", bench::MeasureIdle},
                    {L"growth", bench::MeasureGrowth},
                    {L"reaction", bench::MeasureReaction},
                    {L"launcher", bench::MeasureLauncher}};
    for (const auto& figure : kFigures) {
        if (only.empty() || only == figure.name) figure.measure(options);
    }
    return 0;
}
