#include "figures.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace bench {

Spread SpreadOf(std::vector<double> values) {
    Spread spread;
    if (values.empty()) return spread;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    spread.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    spread.min = values.front();
    spread.max = values.back();
    spread.count = n;
    return spread;
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Runs(std::size_t count) {
    return Format("%zu run%s", count, count == 1 ? "" : "s");
}

std::string Show(const Spread& spread, const char* unit, int decimals) {
    return Format("%.*f %s (%.*f..%.*f)", decimals, spread.median, unit, decimals, spread.min,
                  decimals, spread.max);
}

void PrintRow(const Row& row) {
    const auto cell = [](const std::string& text) {
        return text.empty() ? std::string("-") : text;
    };
    std::printf("| %s | %s | %s | %s | %s | %s |\n", cell(row.figure).c_str(),
                cell(row.measuredAs).c_str(), cell(row.program).c_str(), cell(row.baseline).c_str(),
                cell(row.result).c_str(), cell(row.target).c_str());
    std::fflush(stdout);
}

void PrintFailedRow(const std::string& figure, const std::string& why) {
    PrintRow({figure, "FAILED: " + why, "", "", "", ""});
}

namespace {
bool g_judged = true;
}  // namespace

void SetJudged(bool judged) { g_judged = judged; }

const char* Verdict(bool met) {
    if (!g_judged) return "not judged";
    return met ? "met" : "MISSED";
}

std::string RatioResult(const Spread& program, const Spread& baseline, double limit) {
    if (baseline.median <= 0) return "no ratio: the baseline measured 0";
    const double ratio = program.median / baseline.median;
    return Format("ratio %.2f, %s", ratio, Verdict(ratio <= limit));
}

}  // namespace bench
