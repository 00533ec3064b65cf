#pragma once
// Medians and the rows of the benchmark's table. Every figure is printed, none asserted.

#include <string>
#include <vector>

namespace bench {

struct Spread {
    double median = 0, min = 0, max = 0;
    std::size_t count = 0;
};
Spread SpreadOf(std::vector<double> values);

// "245 ms (236..441)": the median, then min and max, with `unit`.
std::string Show(const Spread& spread, const char* unit, int decimals = 0);
std::string Format(const char* format, ...);
// "1 run" or "10 runs".
std::string Runs(std::size_t count);

// Seconds since an arbitrary start, from a steady clock.
double Now();

// One row of the table; bench.sh prints the header. Empty cells show as "-".
struct Row {
    std::string figure, measuredAs, program, baseline, result, target;
};
void PrintRow(const Row& row);
// A row whose measurement could not be made: bench.sh fails on it.
void PrintFailedRow(const std::string& figure, const std::string& why);
// A quick run measures too little to judge a target: its rows say "not judged" instead.
void SetJudged(bool judged);
// "met" or "MISSED", or "not judged" in a quick run.
const char* Verdict(bool met);
// The ratio of two medians and whether it is within `limit`.
std::string RatioResult(const Spread& program, const Spread& baseline, double limit);

}  // namespace bench
