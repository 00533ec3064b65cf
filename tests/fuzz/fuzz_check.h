#pragma once
// A property the fuzzed code must keep: libFuzzer reports the abort with its input.

#include <cstdlib>

inline void Check(bool condition) {
    if (!condition) std::abort();
}
