#pragma once
// Small helpers that let one template serve real and complex values.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <complex>

namespace sparse::priv
{
inline double conjugate(double v) { return v; }
inline std::complex<double> conjugate(const std::complex<double>& v) { return std::conj(v); }

// True when every value of the array is finite: a double is Inf or NaN
// exactly when all its exponent bits are set. Integer tests only, so the
// loop vectorises.
inline bool allFinite(const double* p, size_t n)
{
    constexpr std::uint64_t exponent = 0x7ff0000000000000ull;
    std::uint64_t bad = 0;
    for (size_t i = 0; i < n; ++i)
        bad |= (std::bit_cast<std::uint64_t>(p[i]) & exponent) == exponent;
    return bad == 0;
}

inline bool allFinite(const std::complex<double>* p, size_t n)
{
    return allFinite(reinterpret_cast<const double*>(p), 2 * n);
}

// max |p_i| (the modulus for complex values); NaN when a value is NaN.
template <typename T>
double largestMagnitude(const T* p, size_t n)
{
    double largest = 0;
    for (size_t i = 0; i < n; ++i)
    {
        const double m = std::abs(p[i]);
        if (m > largest || std::isnan(m))
            largest = m;
    }
    return largest;
}
} // namespace sparse::priv
