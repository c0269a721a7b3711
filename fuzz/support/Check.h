#pragma once
// A property a fuzz target checks on what its input produced. A failure
// stops the run as a crash does, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

namespace fuzz
{
[[noreturn]] inline void checkFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}
} // namespace fuzz

#define FUZZ_CHECK(cond) ((cond) ? void(0) : fuzz::checkFailed(#cond, __FILE__, __LINE__))
