// What the fuzz targets share: keeping their own checks out of the coverage
// the fuzzer steers by, and stopping on a broken rule.
#pragma once

#include <cstdio>
#include <cstdlib>

// The fuzzer is to explore the code under test, not the target's checks,
// and each compare in those would also cost it a call.
#define NOT_STEERING __attribute__((no_sanitize("coverage")))

// Reports the broken rule and stops; libFuzzer keeps the input as the crash
// artifact.
[[noreturn]] inline void Fail(const char *what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
