#pragma once
// Always-on assertions. They guard internal invariants and preconditions in
// release builds too: the text printed is the condition as written (or the
// message given), so a failure report names exactly what broke.
#include <cstdio>
#include <cstdlib>

namespace mu
{
[[noreturn]] inline void assertFailed(const char* text, const char* file, int line) noexcept
{
    std::fprintf(stderr, "Assertion failed: %s (%s:%d)\n", text, file, line);
    std::fflush(stderr);
    std::abort();
}
} // namespace mu

// MU_ASSERT(cond): stops the process with the text of cond when it is false.
#define MU_ASSERT(cond) ((cond) ? static_cast<void>(0) : ::mu::assertFailed(#cond, __FILE__, __LINE__))

// MU_ASSERT_MSG(cond, msg): the same with an explicit message text.
#define MU_ASSERT_MSG(cond, msg) ((cond) ? static_cast<void>(0) : ::mu::assertFailed(msg, __FILE__, __LINE__))
