#include <gtest/gtest.h>
#include <math/NormalWindow.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>

namespace
{
constexpr double Inf = std::numeric_limits<double>::infinity();

// The mass of [lo, hi] times 2, from erf and erfc in long double: each
// form is used where it does not cancel, out to |z| = 100.
long double twiceMass(long double lo, long double hi)
{
    const long double r = std::numbers::sqrt2_v<long double>;
    if (lo >= 1)
        return std::erfc(lo / r) - std::erfc(hi / r);
    if (hi <= -1)
        return std::erfc(-hi / r) - std::erfc(-lo / r);
    return std::erf(hi / r) - std::erf(lo / r);
}

// The quantile by bisection: slow, plain and independent. The share on the
// side of u that is small is compared, so that it keeps its precision.
double referenceQuantile(double a, double b, double u)
{
    const long double whole = twiceMass(a, b);
    long double lo = std::max(a, -100.0);
    long double hi = std::min(b, 100.0);
    for (int i = 0; i < 200; ++i)
    {
        const long double mid = (lo + hi) / 2;
        const bool below = u < 0.5 ? twiceMass(a, mid) / whole < u : twiceMass(mid, b) / whole > 1 - (long double)u;
        (below ? lo : hi) = mid;
    }
    return static_cast<double>((lo + hi) / 2);
}

TEST(NormalWindow, QuantilesMatchAnIndependentBisection)
{
    struct Window
    {
        double a;
        double b;
    };
    const Window windows[] = {
        {0, Inf}, {-Inf, 0},    {-Inf, Inf}, {-3, 100},  {-0.1, 0.1},     {-1e-12, 2e-12}, {1.96, Inf},
        {5, 6},   {29.9, 30.1}, {40, 41},    {-41, -40}, {20, 20 + 1e-9}, {-30, 1},        {-1, 1e-9},
    };
    for (const Window& w : windows)
    {
        const rnd::NormalWindow window(w.a, w.b);
        if (std::isfinite(w.a))
        {
            EXPECT_NEAR(window.quantile(0), w.a, 1e-15 * std::abs(w.a)) << "[" << w.a << ", " << w.b << "]";
        }
        for (double u : {1e-9, 0.1, 0.5, 0.9, 1 - 1e-9})
        {
            const double z = window.quantile(u);
            const double expected = referenceQuantile(w.a, w.b, u);
            // A few units in the last place, and a tiny share of a narrow window.
            const double tolerance = std::max(4 * DBL_EPSILON * std::abs(expected), 1e-13 * std::min(w.b - w.a, 1.0));
            EXPECT_NEAR(z, expected, tolerance) << "[" << w.a << ", " << w.b << "] u = " << u;
        }
    }
}

TEST(NormalWindow, KnownQuantiles)
{
    // The upper half: share u below z means Phi(z) = (1 + u) / 2.
    EXPECT_NEAR(rnd::NormalWindow(0, Inf).quantile(0.5), 0.6744897501960817, 1e-15); // Phi^-1(0.75)
    EXPECT_NEAR(rnd::NormalWindow(0, Inf).quantile(0.95), 1.959963984540054, 1e-14); // Phi^-1(0.975)
    EXPECT_NEAR(rnd::NormalWindow(-Inf, Inf).quantile(0.5), 0, 1e-15);
    // Far out the tail beyond a is an exponential of rate a to 1 / a^2:
    // z = a - ln(1 - u) / a.
    const double a = 1e6;
    const rnd::NormalWindow far(a, Inf);
    for (double u : {0.1, 0.5, 0.99})
        EXPECT_NEAR(far.quantile(u) - a, -std::log1p(-u) / a, 1e-9) << u;
    // Beyond 1e154 a^2 overflows; the draw sits at the window's end.
    EXPECT_EQ(rnd::NormalWindow(1e300, 2e300).quantile(0.5), 1e300);
}

TEST(NormalWindow, MassOfTheWindow)
{
    EXPECT_NEAR(rnd::NormalWindow(-Inf, Inf).mass(), 1, 1e-16);
    EXPECT_NEAR(rnd::NormalWindow(-1, 1).mass(), 0.6826894921370859, 1e-16); // erf(1 / sqrt 2)
    EXPECT_NEAR(rnd::NormalWindow(-Inf, -1.959963984540054).mass(), 0.025, 1e-16);
    EXPECT_EQ(rnd::NormalWindow(40, 41).mass(), 0); // underflows
}
} // namespace
