#pragma once
// The standard normal distribution restricted to a window [a, b]: its mass
// and its quantile function. The quantile solves for tail probabilities
// relative to a point of the window, so it stays accurate in narrow windows
// and in far tails whose mass underflows a double (the window [40, 41] holds
// about 1e-350). A truncated draw through it takes bounded time whatever the
// window.

namespace rnd
{
class NormalWindow
{
public:
    // Requires a < b; either end may be infinite.
    NormalWindow(double a, double b);

    // The probability that a standard normal draw lands in the window (0
    // when it underflows).
    double mass() const { return _mass; }

    // The point of the window below which the share u (0 <= u < 1) of the
    // window's mass lies.
    double quantile(double u) const;

private:
    // The point with the shares below and above it (below + above = 1, each
    // given exactly where it is small).
    double fromShares(double below, double above) const;

    // Mirrored when needed so that a + b >= 0: the far tail is the upper
    // one. Both ends are finite: they are cut where the mass beyond them is
    // far below what a 53-bit uniform resolves.
    double _a;
    double _b;
    bool _mirrored;
    double _mass;
    // A window from 0 up: log Q(b) - log Q(a), Q the upper tail.
    double _logTailRatio = 0;
    // A window across 0: the mass on either side of 0.
    double _massBelowZero = 0;
    double _massAboveZero = 0;
};
} // namespace rnd
