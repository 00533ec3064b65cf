#pragma once
// What the driver measures and how often.

namespace bench {

struct Options {
    int runs = 10;          // of each timing, for each program
    int startupRuns = 20;   // start-up varies most from run to run
    int idleSeconds = 30;   // window of the idle CPU figure
    int cycles = 50;        // postpones of the growth run, two bar colour changes each
    long clockTicks = 100;  // the host's clock ticks per second (getconf CLK_TCK)
    bool warmUp = true;     // one discarded run of each program first
    const wchar_t* prompt = L"plimsay.exe";  // another build of it, to compare
    bool runs32Bit = true;  // whether this machine runs 32-bit code (bench.sh asks Wine)
    bool trace = false;  // the growth run's resident size after every postpone, on stderr
};

void MeasureStartupAndMemory(const Options& options);
void MeasureIdle(const Options& options);
void MeasureGrowth(const Options& options);
void MeasureReaction(const Options& options);
void MeasureLauncher(const Options& options);

}  // namespace bench
