#include <math/NormalWindow.h>
#include <mu/Assert.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace rnd
{
namespace
{
constexpr double Inf = std::numeric_limits<double>::infinity();
// Q(40) is below 1e-349 and Q(a + 40) / Q(a) below that for a >= 0: mass
// beyond these ends cannot change a draw.
constexpr double LowestEnd = -40;
constexpr double FarSpan = 40;
// From here on the Mills ratio comes from its asymptotic series, which
// reaches full precision within ten terms; up to here erfc does not
// underflow.
constexpr double SeriesFrom = 30;
constexpr double HalfLogTwoPi = 0.91893853320467274178; // ln(2 pi) / 2
constexpr int MaxNewtonSteps = 100;

// Q(x): the probability that a standard normal draw exceeds x.
double upperTail(double x) { return 0.5 * std::erfc(x / std::numbers::sqrt2); }

// The mass of [0, x]; erf keeps it exact near 0.
double massFromZero(double x) { return 0.5 * std::erf(x / std::numbers::sqrt2); }

double density(double x) { return std::exp(-0.5 * x * x - HalfLogTwoPi); }

// x R(x) = 1 - 1/x^2 + 1*3/x^4 - 1*3*5/x^6 + ... for x > SeriesFrom, R the
// Mills ratio Q(x) / density(x).
double millsSeries(double x)
{
    const double invSquare = 1 / (x * x);
    double term = 1;
    double sum = 1;
    for (int k = 1; k <= 12 && std::abs(term) > 1e-18; ++k)
    {
        term *= -(2 * k - 1) * invSquare;
        sum += term;
    }
    return sum;
}

double millsRatio(double x) { return x <= SeriesFrom ? upperTail(x) / density(x) : millsSeries(x) / x; }

// log Q(a + s) - log Q(a) for a >= 0 and s >= 0. Each form keeps its
// relative precision when s is small, and none underflows however far out
// a lies.
double logTailRatio(double a, double s)
{
    const double x = a + s;
    if (x <= SeriesFrom)
        return std::log(upperTail(x) / upperTail(a));
    if (a > SeriesFrom)
        return -s * (a + 0.5 * s) + std::log(millsSeries(x) / millsSeries(a)) - std::log1p(s / a);
    return -0.5 * x * x - HalfLogTwoPi + std::log(millsSeries(x) / x) - std::log(upperTail(a));
}

// Newton from 0 for a root that the iterates approach monotonically from
// the second step on: a step that does not shrink is rounding noise and
// ends the search, as does one below 1e-15 of offset + x.
template <typename StepAt>
double newton(double offset, StepAt stepAt)
{
    double x = 0;
    double previous = Inf;
    for (int i = 0; i < MaxNewtonSteps; ++i)
    {
        const double step = stepAt(x);
        if (!(std::abs(step) < previous))
            break;
        x += step;
        previous = std::abs(step);
        if (previous <= 1e-15 * (offset + x))
            break;
    }
    return x;
}

// The offset s >= 0 with log Q(a + s) - log Q(a) = logRatio <= 0, for a >= 0:
// Newton on the concave, falling log Q, whose slope is -1 / R. After the
// first step the iterates lie at or above the root and fall to it; R stays
// below 1.26 for arguments from 0 up, so no step explodes.
double tailOffset(double a, double logRatio)
{
    if (!(logRatio > -Inf))
        return Inf;
    return newton(a, [&](double s) { return (logTailRatio(a, s) - logRatio) * millsRatio(a + s); });
}

// The y >= 0 with massFromZero(y) = mass <= 1/4: Newton on the concave,
// rising mass from 0, which climbs to the root.
double massOffset(double mass)
{
    return newton(0, [&](double y) { return (mass - massFromZero(y)) / density(y); });
}

// The y >= 0 with the mass inner between 0 and itself and the mass tail
// above itself: each description is exact on its own side.
double halfOffset(double inner, double tail)
{
    return inner <= 0.25 ? massOffset(inner) : tailOffset(0, std::log(2 * tail));
}
} // namespace

NormalWindow::NormalWindow(double a, double b)
    : _mirrored(a + b < 0)
{
    MU_ASSERT(a < b);
    if (_mirrored)
    {
        const double mirroredA = -b;
        b = -a;
        a = mirroredA;
    }
    _a = std::max(a, LowestEnd);
    _b = std::min(b, std::max(_a, 0.0) + FarSpan);
    if (_a >= 0)
    {
        _mass = upperTail(_a) - upperTail(_b);
        _logTailRatio = logTailRatio(_a, _b - _a);
    }
    else
    {
        _massBelowZero = massFromZero(-_a);
        _massAboveZero = massFromZero(_b);
        _mass = _massBelowZero + _massAboveZero;
    }
}

double NormalWindow::quantile(double u) const { return _mirrored ? -fromShares(1 - u, u) : fromShares(u, 1 - u); }

double NormalWindow::fromShares(double below, double above) const
{
    double z;
    if (_a >= 0)
    {
        // Q(z) / Q(a) = 1 - below (1 - Q(b) / Q(a)) = Q(b) / Q(a) + above (1 - Q(b) / Q(a))
        const double logRatio = below < 0.5 ? std::log1p(below * std::expm1(_logTailRatio))
                                            : std::log(std::exp(_logTailRatio) - above * std::expm1(_logTailRatio));
        z = _a + tailOffset(_a, logRatio);
    }
    else if (below * _mass < _massBelowZero)
        z = -halfOffset(_massBelowZero - below * _mass, upperTail(-_a) + below * _mass);
    else
        z = halfOffset(_massAboveZero - above * _mass, upperTail(_b) + above * _mass);
    return std::clamp(z, _a, _b);
}
} // namespace rnd
