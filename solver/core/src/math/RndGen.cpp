#include <math/RndGen.h>
#include <mu/Assert.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace rnd
{
namespace
{
constexpr double Inf = std::numeric_limits<double>::infinity();
// Poisson draws are int: with the mean at most 1e9 the largest int lies
// more than 30,000 deviations above it. The standard distribution rejects
// draws beyond it, so a mean near 2^31 would never return.
constexpr double MaxPoissonMean = 1e9;
// A window holding a quarter of the mass fails 64 tries with probability
// (3/4)^64, about 1e-8: the quantile is the rare way out.
constexpr double MinRejectionMass = 0.25;
constexpr int MaxRejections = 64;

bool isPositive(double x) { return x > 0 && std::isfinite(x); }

// The constructors' guard: refused parameters stop the process here, before
// a distribution is built from them.
template <typename T>
T valid(const char* refusal, T parameter)
{
    MU_ASSERT(refusal == nullptr);
    return parameter;
}

struct Bounds
{
    double lower;
    double upper;
};

Bounds gaussZ(double mean, double dev, double lower, double upper)
{
    return {(lower - mean) / dev, (upper - mean) / dev};
}

// exp(mean + dev z) >= bound holds for z >= (ln bound - mean) / dev, and for
// every z when the bound is at or below 0.
Bounds logGaussZ(double mean, double dev, double lower, double upper)
{
    const auto z = [&](double bound) { return bound > 0 ? (std::log(bound) - mean) / dev : -Inf; };
    return {z(lower), z(upper)};
}

const char* checkTruncated(double mean, double dev, double lower, double upper, Bounds z)
{
    if (!std::isfinite(mean))
        return "mean must be a finite number";
    if (!isPositive(dev))
        return "dev must be a finite number above 0";
    if (!(lower <= upper))
        return "lower must not exceed upper";
    if (!(z.lower < z.upper))
        return "the window [lower, upper] holds no probability mass";
    return nullptr;
}
} // namespace

Gen::Gen()
    : _device("default")
{
    // The engine starts from its default seed and takes one value of the
    // random source.
    _engine.seed(_device());
}

double Gen::uniform()
{
    const double u = std::generate_canonical<double, std::numeric_limits<double>::digits>(_engine);
    // generate_canonical can round up to 1
    return u < 1 ? u : std::nextafter(1.0, 0.0);
}

const char* Uniform::check(double min, double max)
{
    if (!(min <= max))
        return "min must not exceed max";
    if (!std::isfinite(max - min))
        return "min and max must be finite numbers less than DBL_MAX apart";
    return nullptr;
}

Uniform::Uniform(double min, double max)
    : _min(valid(check(min, max), min))
    , _max(max)
{
}

void Uniform::next(double& value) { value = _min + (_max - _min) * uniform(); }

int toIntBound(double v)
{
    if (std::fabs(v) < 2147483648.0)
        return int(v);
    return v < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
}

const char* UniformInt::check(int min, int max) { return min <= max ? nullptr : "min must not exceed max"; }

UniformInt::UniformInt(int min, int max)
    : _dist(valid(check(min, max), min), max)
{
}

void UniformInt::next(double& value) { value = _dist(engine()); }

const char* Bernoulli::check(double p) { return p >= 0 && p <= 1 ? nullptr : "p must lie in [0, 1]"; }

Bernoulli::Bernoulli(double p)
    : _p(valid(check(p), p))
{
}

void Bernoulli::next(double& value) { value = uniform() < _p ? 1.0 : 0.0; }

const char* Poisson::check(double lambda)
{
    return lambda > 0 && lambda <= MaxPoissonMean ? nullptr : "lambda must be above 0 and at most 1e9";
}

Poisson::Poisson(double lambda)
    : _dist(valid(check(lambda), lambda))
{
}

void Poisson::next(double& value) { value = _dist(engine()); }

const char* PoissonExponential::check(double lambda)
{
    return isPositive(lambda) ? nullptr : "lambda must be a finite number above 0";
}

PoissonExponential::PoissonExponential(double lambda)
    : _lambda(valid(check(lambda), lambda))
{
}

void PoissonExponential::next(double& value) { value = -std::log1p(-uniform()) / _lambda; }

const char* PoissonGamma::check(double alpha, double beta)
{
    return isPositive(alpha) && isPositive(beta) ? nullptr : "alpha and beta must be finite numbers above 0";
}

PoissonGamma::PoissonGamma(double alpha, double beta)
    : _dist(valid(check(alpha, beta), alpha), beta)
{
}

void PoissonGamma::next(double& value) { value = _dist(engine()); }

// k / 2 is the gamma's shape, which must stay above 0.
const char* ChiSquared::check(double k)
{
    return isPositive(k) && k / 2 > 0 ? nullptr : "k must be a finite number above 0";
}

ChiSquared::ChiSquared(double k)
    : _gamma(valid(check(k), k) / 2, 1.0)
{
}

void ChiSquared::next(double& value) { value = 2 * _gamma(engine()); }

const char* Student::check(double nu)
{
    return isPositive(nu) && nu / 2 > 0 ? nullptr : "n must be a finite number above 0";
}

Student::Student(double nu)
    : _nu(valid(check(nu), nu))
    , _gamma(nu / 2, 2.0)
{
}

void Student::next(double& value)
{
    const double z = _normal(engine());
    value = z * std::sqrt(_nu / _gamma(engine()));
}

TruncatedNormal::TruncatedNormal(double lower, double upper, const NormalWindow& zWindow)
    : _lower(lower)
    , _upper(upper)
    , _zWindow(zWindow)
    , _reject(zWindow.mass() >= MinRejectionMass)
{
}

void TruncatedNormal::next(double& value)
{
    if (_reject)
    {
        for (int i = 0; i < MaxRejections; ++i)
        {
            value = toValue(_normal(engine()));
            if (_lower <= value && value <= _upper)
                return;
        }
    }
    // The clamp only mends rounding at the window's ends.
    value = std::clamp(toValue(_zWindow.quantile(uniform())), _lower, _upper);
}

double windowLower(double mean, double width) { return width > 0 ? mean - width / 2 : -DBL_MAX; }

double windowUpper(double mean, double width) { return width > 0 ? mean + width / 2 : DBL_MAX; }

const char* Gauss::check(double mean, double dev, double lower, double upper)
{
    return checkTruncated(mean, dev, lower, upper, gaussZ(mean, dev, lower, upper));
}

Gauss::Gauss(double mean, double dev, double lower, double upper)
    : TruncatedNormal(lower, upper, zWindow(mean, dev, lower, upper))
    , _mean(mean)
    , _dev(dev)
{
}

NormalWindow Gauss::zWindow(double mean, double dev, double lower, double upper)
{
    const Bounds z = gaussZ(mean, dev, lower, upper);
    return NormalWindow(valid(check(mean, dev, lower, upper), z.lower), z.upper);
}

double Gauss::toValue(double z) const { return _mean + _dev * z; }

const char* LogGauss::check(double mean, double dev, double lower, double upper)
{
    return checkTruncated(mean, dev, lower, upper, logGaussZ(mean, dev, lower, upper));
}

LogGauss::LogGauss(double mean, double dev, double lower, double upper)
    : TruncatedNormal(lower, upper, zWindow(mean, dev, lower, upper))
    , _mean(mean)
    , _dev(dev)
{
}

NormalWindow LogGauss::zWindow(double mean, double dev, double lower, double upper)
{
    const Bounds z = logGaussZ(mean, dev, lower, upper);
    return NormalWindow(valid(check(mean, dev, lower, upper), z.lower), z.upper);
}

double LogGauss::toValue(double z) const { return std::exp(_mean + _dev * z); }
} // namespace rnd
