#pragma once
// Random generators that a model declares by name and its expressions
// sample. Each generator owns its engine, seeded once from the system's
// random source, so runs are not repeatable. Every class offers a static
// check() of its parameters that returns why they are refused, null when
// they are valid: the model compiler calls it and reports the refusal,
// because the standard distributions have undefined behaviour on such
// parameters. Constructing a generator from refused parameters stops the
// process.
#include <math/NormalWindow.h>

#include <random>

namespace rnd
{
class Gen
{
public:
    // Throws when the random source cannot be opened or read.
    Gen();
    Gen(const Gen&) = delete;
    Gen& operator=(const Gen&) = delete;
    virtual ~Gen() = default;

    // One draw from the generator's distribution.
    virtual void next(double& value) = 0;

protected:
    // Uniform in [0, 1) with 53 random bits.
    double uniform();
    std::mt19937& engine() { return _engine; }

private:
    std::random_device _device;
    std::mt19937 _engine;
};

// Uniform on [min, max].
class Uniform final : public Gen
{
public:
    static const char* check(double min, double max);
    Uniform(double min, double max);
    void next(double& value) override;

private:
    double _min;
    double _max;
};

// A bound of the integer kind given as a number: truncated toward zero;
// beyond int (and NaN) the nearest end of int.
int toIntBound(double v);

// Uniform over the integers min to max.
class UniformInt final : public Gen
{
public:
    static const char* check(int min, int max);
    UniformInt(int min, int max);
    void next(double& value) override;

private:
    std::uniform_int_distribution<int> _dist;
};

// 1 with probability p, else 0.
class Bernoulli final : public Gen
{
public:
    static const char* check(double p);
    explicit Bernoulli(double p);
    void next(double& value) override;

private:
    double _p;
};

// Poisson with mean lambda.
class Poisson final : public Gen
{
public:
    static const char* check(double lambda);
    explicit Poisson(double lambda);
    void next(double& value) override;

private:
    std::poisson_distribution<int> _dist;
};

// Exponential with rate lambda: the waiting time of a Poisson process.
class PoissonExponential final : public Gen
{
public:
    static const char* check(double lambda);
    explicit PoissonExponential(double lambda);
    void next(double& value) override;

private:
    double _lambda;
};

// Gamma with shape alpha and scale beta.
class PoissonGamma final : public Gen
{
public:
    static const char* check(double alpha, double beta);
    PoissonGamma(double alpha, double beta);
    void next(double& value) override;

private:
    std::gamma_distribution<double> _dist;
};

// Chi-squared with k degrees of freedom: twice a gamma of shape k / 2.
class ChiSquared final : public Gen
{
public:
    static const char* check(double k);
    explicit ChiSquared(double k);
    void next(double& value) override;

private:
    std::gamma_distribution<double> _gamma;
};

// Student's t with nu degrees of freedom: z * sqrt(nu / g), z standard
// normal, g a gamma of shape nu / 2 and scale 2.
class Student final : public Gen
{
public:
    static const char* check(double nu);
    explicit Student(double nu);
    void next(double& value) override;

private:
    double _nu;
    std::normal_distribution<double> _normal;
    std::gamma_distribution<double> _gamma;
};

// A normal draw z mapped to a value, which must lie in [lower, upper]. Draws
// are rejected while that window holds at least a quarter of the mass, for
// a bounded number of tries; otherwise, and after the last try, z comes
// from the window's quantile function. Both give the truncated
// distribution exactly.
class TruncatedNormal : public Gen
{
public:
    void next(double& value) final;

protected:
    // zWindow: the window in units of the standard normal draw.
    TruncatedNormal(double lower, double upper, const NormalWindow& zWindow);
    virtual double toValue(double z) const = 0;

private:
    std::normal_distribution<double> _normal;
    double _lower;
    double _upper;
    NormalWindow _zWindow;
    bool _reject;
};

// The window of the normal kinds given by its width: mean -+ width / 2 when
// width is above 0, else -+DBL_MAX.
double windowLower(double mean, double width);
double windowUpper(double mean, double width);

// Normal with mean and deviation dev, truncated to [lower, upper]; the
// bounds +-DBL_MAX leave it untruncated.
class Gauss final : public TruncatedNormal
{
public:
    static const char* check(double mean, double dev, double lower, double upper);
    Gauss(double mean, double dev, double lower, double upper);

private:
    static NormalWindow zWindow(double mean, double dev, double lower, double upper);
    double toValue(double z) const override;

    double _mean;
    double _dev;
};

// exp(mean + dev * z), z standard normal, truncated to [lower, upper].
class LogGauss final : public TruncatedNormal
{
public:
    static const char* check(double mean, double dev, double lower, double upper);
    LogGauss(double mean, double dev, double lower, double upper);

private:
    static NormalWindow zWindow(double mean, double dev, double lower, double upper);
    double toValue(double z) const override;

    double _mean;
    double _dev;
};
} // namespace rnd
