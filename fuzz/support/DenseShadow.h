#pragma once
// What a sequence of puts into a sparse solver amounts to, kept densely: the
// system A x = b, whether an entry fell outside it (then no factorisation may
// succeed until reset) and whether a non-finite value reached the matrix
// (then none may succeed either).
#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace fuzz
{
template <typename T>
class DenseShadow
{
public:
    explicit DenseShadow(int n)
        : _n(n)
    {
        reset();
    }

    void reset()
    {
        const std::size_t size = std::size_t(std::max(_n, 0));
        _a.assign(size * size, T());
        _b.assign(size, T());
        _stray = _n < 0;
        _nonFinite = false;
        _extreme = false;
    }

    void put(int row, int col, T value)
    {
        if (!inside(row) || !inside(col))
        {
            _stray = true;
            return;
        }
        _a[at(row, col)] += value;
        _nonFinite = _nonFinite || !isFinite(value);
        note(value);
    }

    void putRHS(int row, T value)
    {
        if (!inside(row))
        {
            _stray = true;
            return;
        }
        _b[std::size_t(row)] += value;
        note(value);
    }

    // True when the system may factorise: nothing outside it, nothing
    // non-finite in it.
    bool mayFactorise() const { return !_stray && !_nonFinite; }
    int size() const { return std::max(_n, 0); }
    const std::vector<T>& matrix() const { return _a; }
    const std::vector<T>& rhs() const { return _b; }
    // Values so large or so small that a residual may overflow or vanish.
    bool isExtreme() const { return _extreme; }

    static bool isExtreme(T value)
    {
        const double m = std::abs(value);
        return !(m == 0 || (m > 1e-100 && m < 1e100));
    }

    static bool isFinite(double v) { return std::isfinite(v); }
    static bool isFinite(std::complex<double> v) { return std::isfinite(v.real()) && std::isfinite(v.imag()); }

    // The largest |(A x - rhs)_i| against the scale |A| |x| + |rhs|, over a
    // matrix a of this size; with rowScaled each row first divided by its
    // largest |a_ij|, the norm in which a row-scaled LU is backward stable.
    static double relativeResidual(const std::vector<T>& a, int n, const T* x, const T* rhs, bool rowScaled)
    {
        double largest = 0, scale = 0;
        for (int i = 0; i < n; ++i)
        {
            const T* row = a.data() + std::size_t(i) * std::size_t(n);
            double rowMax = 0;
            for (int j = 0; j < n; ++j)
                rowMax = std::max(rowMax, double(std::abs(row[j])));
            const double s = rowScaled && rowMax > 0 ? 1 / rowMax : 1;
            T sum = -rhs[i];
            double rowScale = std::abs(rhs[i]);
            for (int j = 0; j < n; ++j)
            {
                sum += row[j] * x[j];
                rowScale += std::abs(row[j]) * std::abs(x[j]);
            }
            largest = std::max(largest, s * double(std::abs(sum)));
            scale = std::max(scale, s * rowScale);
        }
        return scale > 0 ? largest / scale : largest;
    }

private:
    bool inside(int i) const { return i >= 0 && i < _n; }
    std::size_t at(int row, int col) const { return std::size_t(row) * std::size_t(_n) + std::size_t(col); }

    void note(T value) { _extreme = _extreme || isExtreme(value); }

    int _n;
    std::vector<T> _a;
    std::vector<T> _b;
    bool _stray = false;
    bool _nonFinite = false;
    bool _extreme = false;
};
} // namespace fuzz
