#include <gtest/gtest.h>
#include <math/RndGen.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>

namespace
{
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Max = DBL_MAX;
constexpr int Draws = 100000;

// Standard normal pieces in long double, so that the closed forms below keep
// their precision in far tails.
long double upperTail(long double x) { return 0.5L * std::erfc(x / std::numbers::sqrt2_v<long double>); }
long double density(long double x) { return std::exp(-0.5L * x * x) / std::sqrt(2 * std::numbers::pi_v<long double>); }
long double massBetween(long double a, long double b)
{
    if (a >= 0)
        return upperTail(a) - upperTail(b);
    if (b <= 0)
        return upperTail(-b) - upperTail(-a);
    return 0.5L * (std::erf(b / std::numbers::sqrt2_v<long double>) - std::erf(a / std::numbers::sqrt2_v<long double>));
}

struct Moments
{
    double mean;
    double variance;
};

// The normal with mean mu and deviation sigma truncated to [lower, upper].
Moments truncatedNormal(double mu, double sigma, double lower, double upper)
{
    const long double a = (lower - mu) / static_cast<long double>(sigma);
    const long double b = (upper - mu) / static_cast<long double>(sigma);
    const long double z = massBetween(a, b);
    const long double shift = (density(a) - density(b)) / z;
    const long double aTerm = std::isinf(a) ? 0 : a * density(a);
    const long double bTerm = std::isinf(b) ? 0 : b * density(b);
    const long double var = 1 + (aTerm - bTerm) / z - shift * shift;
    return {static_cast<double>(mu + sigma * shift), static_cast<double>(sigma * sigma * var)};
}

// exp(mu + sigma z), z standard normal, truncated to [lower, upper]:
// E[X^k] = exp(k mu + k^2 sigma^2 / 2) P(a - k sigma < z < b - k sigma) / P(a < z < b).
Moments truncatedLogNormal(double mu, double sigma, double lower, double upper)
{
    const long double a = lower > 0 ? (std::log(static_cast<long double>(lower)) - mu) / sigma : -INFINITY;
    const long double b = (std::log(static_cast<long double>(upper)) - mu) / sigma;
    const auto moment = [&](int k) {
        return std::exp(k * mu + 0.5L * k * k * sigma * sigma) * massBetween(a - k * sigma, b - k * sigma) /
               massBetween(a, b);
    };
    const long double mean = moment(1);
    return {static_cast<double>(mean), static_cast<double>(moment(2) - mean * mean)};
}

struct Case
{
    const char* label;
    std::function<std::unique_ptr<rnd::Gen>()> make;
    double lower; // every draw lies in [lower, upper]
    double upper;
    bool integral;
    Moments expected;
    double kurtosis; // at least E[(x - mean)^4] / variance^2, for the tolerance of the variance
};

TEST(Generators, DrawsHaveTheDistributionsRangesAndMoments)
{
    const double e = std::numbers::e;
    const double pi = std::numbers::pi;
    const Moments halfNormal {5 + 2 * std::sqrt(2 / pi), 4 * (1 - 2 / pi)};           // mean 5, deviation 2
    const Moments logNormal {std::exp(0.125), (std::exp(0.25) - 1) * std::exp(0.25)}; // deviation 0.5
    const Case cases[] = {
        {"Uniform(2, 5)", [] { return std::make_unique<rnd::Uniform>(2, 5); }, 2, 5, false, {3.5, 0.75}, 1.8},
        {"UniformInt(1, 6)", [] { return std::make_unique<rnd::UniformInt>(1, 6); }, 1, 6, true, {3.5, 35.0 / 12}, 1.8},
        {"Bernoulli(0.3)", [] { return std::make_unique<rnd::Bernoulli>(0.3); }, 0, 1, true, {0.3, 0.21}, 1.8},
        {"Poisson(4)", [] { return std::make_unique<rnd::Poisson>(4); }, 0, Inf, true, {4, 4}, 3.25},
        {"Poisson(50)", [] { return std::make_unique<rnd::Poisson>(50); }, 0, Inf, true, {50, 50}, 3.02},
        {"Exponential(2)", [] { return std::make_unique<rnd::PoissonExponential>(2); }, 0, Inf, false, {0.5, 0.25}, 9},
        {"Gamma(3, 2)", [] { return std::make_unique<rnd::PoissonGamma>(3, 2); }, 0, Inf, false, {6, 12}, 5},
        {"ChiSquared(3)", [] { return std::make_unique<rnd::ChiSquared>(3); }, 0, Inf, false, {3, 6}, 7},
        {"Student(10)", [] { return std::make_unique<rnd::Student>(10); }, -Inf, Inf, false, {0, 1.25}, 4},
        {"Gauss(10, 2)", [] { return std::make_unique<rnd::Gauss>(10, 2, -Max, Max); }, -Max, Max, false, {10, 4}, 3},
        // Width 2 around 10, and a half-normal: rejection.
        {"Gauss(10, 1) in [9, 11]", [] { return std::make_unique<rnd::Gauss>(10, 1, 9, 11); }, 9, 11, false,
         truncatedNormal(10, 1, 9, 11), 3},
        {"Gauss(5, 2) in [5, max]", [] { return std::make_unique<rnd::Gauss>(5, 2, 5, Max); }, 5, Max, false,
         halfNormal, 4},
        // Little mass: the quantile, across 0 and far out (1e-350 of the mass).
        {"Gauss(0, 1) in [-0.1, 0.1]", [] { return std::make_unique<rnd::Gauss>(0, 1, -0.1, 0.1); }, -0.1, 0.1, false,
         truncatedNormal(0, 1, -0.1, 0.1), 3},
        {"Gauss(0, 1) in [40, 41]", [] { return std::make_unique<rnd::Gauss>(0, 1, 40, 41); }, 40, 41, false,
         truncatedNormal(0, 1, 40, 41), 9},
        {"Gauss(0, 1) in [-41, -40]", [] { return std::make_unique<rnd::Gauss>(0, 1, -41, -40); }, -41, -40, false,
         truncatedNormal(0, 1, -41, -40), 9},
        {"LogGauss(0, 0.5)", [] { return std::make_unique<rnd::LogGauss>(0, 0.5, -Max, Max); }, 0, Max, false,
         logNormal, 9},
        {"LogGauss(0, 1) in [1, e]", [e] { return std::make_unique<rnd::LogGauss>(0, 1, 1, e); }, 1, e, false,
         truncatedLogNormal(0, 1, 1, e), 3},
        {"LogGauss(0, 1) in [1e10, 2e10]", [] { return std::make_unique<rnd::LogGauss>(0, 1, 1e10, 2e10); }, 1e10, 2e10,
         false, truncatedLogNormal(0, 1, 1e10, 2e10), 9},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.label);
        const std::unique_ptr<rnd::Gen> gen = c.make();
        std::vector<double> values(Draws);
        int outside = 0;
        int fractional = 0;
        double sum = 0;
        for (double& value : values)
        {
            gen->next(value);
            outside += !(value >= c.lower && value <= c.upper);
            fractional += c.integral && value != std::floor(value);
            sum += value;
        }
        EXPECT_EQ(outside, 0);
        EXPECT_EQ(fractional, 0);
        const double mean = sum / Draws;
        double squares = 0;
        for (double value : values)
            squares += (value - mean) * (value - mean);
        const double variance = squares / (Draws - 1);
        // Five standard errors of the sample mean and variance.
        EXPECT_NEAR(mean, c.expected.mean, 5 * std::sqrt(c.expected.variance / Draws));
        EXPECT_NEAR(variance, c.expected.variance, 5 * c.expected.variance * std::sqrt((c.kurtosis - 1) / Draws));
    }
}

TEST(Generators, DegenerateParametersGiveOneValue)
{
    rnd::Bernoulli never(0);
    rnd::Bernoulli always(1);
    rnd::Uniform point(2.5, 2.5);
    rnd::UniformInt single(7, 7);
    for (int i = 0; i < 1000; ++i)
    {
        double a = -1, b = -1, c = -1, d = -1;
        never.next(a);
        always.next(b);
        point.next(c);
        single.next(d);
        ASSERT_EQ(a, 0.0);
        ASSERT_EQ(b, 1.0);
        ASSERT_EQ(c, 2.5);
        ASSERT_EQ(d, 7.0);
    }
}

TEST(Generators, ParametersAreCheckedBeforeConstruction)
{
    struct Check
    {
        const char* label;
        const char* refusal;
        bool refused;
    };
    const Check checks[] = {
        {"Uniform max below min", rnd::Uniform::check(2, 1), true},
        {"Uniform NaN", rnd::Uniform::check(NaN, 1), true},
        {"Uniform infinite", rnd::Uniform::check(0, Inf), true},
        {"Uniform span beyond DBL_MAX", rnd::Uniform::check(-Max, Max), true},
        {"Uniform one point", rnd::Uniform::check(1, 1), false},
        {"UniformInt max below min", rnd::UniformInt::check(3, 2), true},
        {"UniformInt one point", rnd::UniformInt::check(3, 3), false},
        {"Bernoulli below 0", rnd::Bernoulli::check(-0.1), true},
        {"Bernoulli above 1", rnd::Bernoulli::check(1.1), true},
        {"Bernoulli NaN", rnd::Bernoulli::check(NaN), true},
        {"Bernoulli 0", rnd::Bernoulli::check(0), false},
        {"Poisson 0", rnd::Poisson::check(0), true},
        {"Poisson negative", rnd::Poisson::check(-2), true},
        {"Poisson NaN", rnd::Poisson::check(NaN), true},
        {"Poisson beyond int", rnd::Poisson::check(3e9), true},
        {"Poisson 1e9", rnd::Poisson::check(1e9), false},
        {"Exponential 0", rnd::PoissonExponential::check(0), true},
        {"Exponential negative", rnd::PoissonExponential::check(-1), true},
        {"Exponential infinite", rnd::PoissonExponential::check(Inf), true},
        {"Gamma alpha 0", rnd::PoissonGamma::check(0, 1), true},
        {"Gamma beta 0", rnd::PoissonGamma::check(1, 0), true},
        {"Gamma beta NaN", rnd::PoissonGamma::check(1, NaN), true},
        {"ChiSquared 0", rnd::ChiSquared::check(0), true},
        {"ChiSquared half underflows", rnd::ChiSquared::check(std::numeric_limits<double>::denorm_min()), true},
        {"Student negative", rnd::Student::check(-1), true},
        {"Student infinite", rnd::Student::check(Inf), true},
        {"Gauss dev 0", rnd::Gauss::check(0, 0, -1, 1), true},
        {"Gauss dev negative", rnd::Gauss::check(0, -1, -1, 1), true},
        {"Gauss mean NaN", rnd::Gauss::check(NaN, 1, -1, 1), true},
        {"Gauss lower above upper", rnd::Gauss::check(0, 1, 1, -1), true},
        {"Gauss one-point window", rnd::Gauss::check(0, 1, 1, 1), true},
        {"Gauss window beyond DBL_MAX", rnd::Gauss::check(-Max, 1, Max, Inf), true},
        {"Gauss unbounded", rnd::Gauss::check(0, 1, -Inf, Inf), false},
        {"Gauss far window", rnd::Gauss::check(0, 1, 1e6, 1e6 + 1), false},
        {"LogGauss window at or below 0", rnd::LogGauss::check(0, 1, -5, 0), true},
        {"LogGauss one-point window", rnd::LogGauss::check(0, 1, 2, 2), true},
        {"LogGauss dev 0", rnd::LogGauss::check(0, 0, 1, 2), true},
        {"LogGauss window from below 0", rnd::LogGauss::check(0, 1, -5, 2), false},
    };
    for (const Check& c : checks)
        EXPECT_EQ(c.refusal != nullptr, c.refused) << c.label;
    EXPECT_STREQ(rnd::LogGauss::check(0, 1, -5, 0), "the window [lower, upper] holds no probability mass");
}

TEST(Generators, RefusedParametersStopTheConstruction)
{
    EXPECT_DEATH(rnd::Gauss(0, 0, -1, 1), "Assertion failed: refusal == nullptr");
    EXPECT_DEATH(rnd::Poisson(-1), "Assertion failed: refusal == nullptr");
}
} // namespace
