#pragma once
// The size of a value of either value type, as the convergence tests
// measure it: a complex value by the larger of its parts.
#include <algorithm>
#include <cmath>
#include <complex>

namespace math
{
inline double magnitude(double v) { return std::fabs(v); }

inline double magnitude(const std::complex<double>& v) { return std::max(std::fabs(v.real()), std::fabs(v.imag())); }
} // namespace math
