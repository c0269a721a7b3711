#pragma once
// Compares computed values with closed forms: within a few units in the
// last place, NaN equal to NaN, infinities exactly. For the solver tests,
// which are compiled for one value type (SL_COMPLEX).
#include <expr/Build.h>

#include <algorithm>
#include <cmath>

namespace test
{
inline bool nearlyEqual(double a, double b, double relTol = 1e-14)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (std::isinf(a) || std::isinf(b))
        return a == b;
    return std::fabs(a - b) <= relTol * std::max(1.0, std::fabs(b));
}

#if SL_COMPLEX
inline bool nearly(const SL_NS::Value& a, const SL_NS::Value& b)
{
    return nearlyEqual(a.real(), b.real()) && nearlyEqual(a.imag(), b.imag());
}
#else
inline bool nearly(const SL_NS::Value& a, const SL_NS::Value& b) { return nearlyEqual(a, b); }
#endif
} // namespace test
