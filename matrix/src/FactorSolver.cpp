#include <algorithm>
#include <complex>
#include <sparse/priv/CholmodFactors.h>
#include <sparse/priv/FactorSolver.h>
#include <sparse/priv/KluFactors.h>
#include <sparse/priv/Values.h>

namespace sparse::priv
{
template <typename T, typename Factors>
FactorSolver<T, Factors>::FactorSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting,
                                       Ordering ordering)
    : _n(std::max(n, 0))
    , _isSizeValid(n >= 0)
    , _type(type)
    , _triplets(size_t(std::max(capacity, 0)))
    , _rhs(size_t(_n))
    , _solution(size_t(_n))
    , _work(type == SolverType::LURefined ? 2 * size_t(_n) : 0)
    , _factors(symmetry, type, pivoting, ordering)
{
}

template <typename T, typename Factors>
void FactorSolver<T, Factors>::reset()
{
    _triplets.reset();
    std::fill(_rhs.begin(), _rhs.end(), T());
    _factorised = false;
    _hasStrayEntry = false;
}

template <typename T, typename Factors>
bool FactorSolver<T, Factors>::analyse()
{
    if (!_isSizeValid || _hasStrayEntry)
        return false;
    if (_n == 0 || isPatternAnalysed())
        return true;
    _csc.build(_n, _n, _triplets.cols(), _triplets.rows(), _triplets.count());
    _triplets.markCompressed();
    _values.resize(size_t(_csc.nonZeros()));
    _isAnalysed = _factors.analyse(_n, _csc);
    return _isAnalysed;
}

template <typename T, typename Factors>
bool FactorSolver<T, Factors>::setPattern(const int* rows, const int* cols, size_t count)
{
    reset();
    for (size_t k = 0; k < count; ++k)
        put(rows[k], cols[k], T());
    if (analyse())
        return true;
    _isAnalysed = false;
    return false;
}

template <typename T, typename Factors>
bool FactorSolver<T, Factors>::factorise()
{
    _factorised = false;
    if (!analyse())
        return false;
    _csc.scatter(_triplets.values(), _values.data());
    return factoriseValues();
}

template <typename T, typename Factors>
bool FactorSolver<T, Factors>::factoriseValues()
{
    _factorised = false;
    if (!_isSizeValid || _hasStrayEntry)
        return false;
    if (_n == 0)
        return _factorised = true;
    if (!_isAnalysed || !allFinite(_values.data(), _values.size()))
        return false;
    _factorised = _factors.factorise(_csc, _values.data());
    return _factorised;
}

template <typename T, typename Factors>
bool FactorSolver<T, Factors>::solve(const T* rhs, T* x)
{
    if (!_factorised)
        return false;
    if (_n == 0)
        return true;
    if (_type == SolverType::LURefined)
    {
        if (!solveRefined(rhs, x))
            return false;
    }
    else
    {
        if (x != rhs)
            std::copy(rhs, rhs + _n, x);
        if (!_factors.solve(x))
            return false;
    }
    return allFinite(x, size_t(_n));
}

// x := A^-1 b, then one correction: r := b - A x, x += A^-1 r. A correction
// as large as half the solution means that rounding in the factors
// dominates (cond(A) eps near 1): such a step is noise and would only
// spoil x (on an exactly singular matrix it can cancel x to zero), so it
// is dropped.
template <typename T, typename Factors>
bool FactorSolver<T, Factors>::solveRefined(const T* rhs, T* x)
{
    T* b = _work.data();
    T* r = b + _n;
    std::copy(rhs, rhs + _n, b); // rhs may be x
    std::copy(b, b + _n, x);
    if (!_factors.solve(x))
        return false;
    std::copy(b, b + _n, r);
    const int* starts = _csc.starts();
    const int* rows = _csc.indices();
    for (int j = 0; j < _n; ++j)
        for (int p = starts[j]; p < starts[j + 1]; ++p)
            r[rows[p]] -= _values[size_t(p)] * x[j];
    if (!_factors.solve(r))
        return false;
    if (largestMagnitude(r, size_t(_n)) > 0.5 * largestMagnitude(x, size_t(_n)))
        return true;
    // a NaN correction gets here too, and fails the solve
    for (int i = 0; i < _n; ++i)
        x[i] += r[i];
    return true;
}

template <typename T, typename Factors>
bool FactorSolver<T, Factors>::solve()
{
    return factorise() && solve(_rhs.data(), _solution.data());
}

template class FactorSolver<double, KluFactors<double>>;
template class FactorSolver<std::complex<double>, KluFactors<std::complex<double>>>;
template class FactorSolver<double, CholmodFactors<double>>;
template class FactorSolver<std::complex<double>, CholmodFactors<std::complex<double>>>;
} // namespace sparse::priv
