#pragma once
// One named statistic: the count, extremes, mean and spread of the values
// inserted so far, kept by Welford's method so that the spread stays
// accurate for values far from 0.
#include <td/String.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace math
{
template <typename T>
class StatsManager;

template <typename T>
class Stats
{
    friend class StatsManager<T>;

public:
    void insert(T x)
    {
        if (x < _min)
            _min = x;
        if (x > _max)
            _max = x;
        ++_count;
        const T oldMean = _mean;
        _mean += (x - oldMean) / static_cast<T>(_count);
        _m2 += (x - _mean) * (x - oldMean);
    }

    const td::String& getName() const { return _name; }
    std::uint64_t getCount() const { return _count; }
    T getMin() const { return _min; }
    T getMax() const { return _max; }
    T getMean() const { return _mean; }

    // The population variance M2 / n; 0 without values.
    T getVariance() const { return _count == 0 ? T(0) : _m2 / static_cast<T>(_count); }

    // The sample deviation sqrt(M2 / (n - 1)); sqrt(M2) for one value and 0
    // without values.
    T getStdDev() const
    {
        if (_count == 0)
            return T(0);
        return std::sqrt(_count == 1 ? _m2 : _m2 / static_cast<T>(_count - 1));
    }

private:
    td::String _name;
    T _m2 = 0; // sum of squared deviations from the running mean
    T _mean = 0;
    // The extremes start beyond every value, so the first insert sets both.
    T _min = std::numeric_limits<T>::max();
    T _max = -std::numeric_limits<T>::max();
    std::uint64_t _count = 0;
};
} // namespace math
