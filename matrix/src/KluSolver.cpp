#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <sparse/priv/Klu.h>
#include <sparse/priv/KluSolver.h>
#include <sparse/priv/Values.h>

namespace sparse::priv
{
namespace
{
const double eps = std::numeric_limits<double>::epsilon();
// A full factorisation whose smallest pivot is at rounding level against the
// largest one (KLU's cheap estimate min|U_kk| / max|U_kk|) is singular in
// all but name: a solve would only amplify rounding noise.
const double singularRcond = eps;
// A refactorisation keeps the pivot order of older values. It is trusted
// while the condition estimate keeps a third of the digits and the pivot
// growth stays below eps^(-1/3); otherwise the values are factorised again
// with fresh pivoting. The growth costs a pass over A and U, a sizeable part
// of a refactorisation, so it is measured only once the estimate has fallen
// a thousandfold from the one the pivots were chosen with.
const double poorRcond = std::pow(eps, 2.0 / 3.0);
const double poorRgrowth = std::cbrt(eps);
const double rcondDrop = 1e-3;

double pivotTolerance(Pivoting pivoting)
{
    switch (pivoting)
    {
    case Pivoting::Diagonal: return 1e-12;
    case Pivoting::Strict: return 1.0;
    case Pivoting::Threshold: return 0.1;
    case Pivoting::Relaxed: break;
    }
    return 0.001;
}
} // namespace

template <typename T>
KluSolver<T>::KluSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting, Ordering ordering)
    : _n(std::max(n, 0))
    , _isSizeValid(n >= 0)
    , _type(type)
    , _triplets(size_t(std::max(capacity, 0)))
    , _rhs(size_t(_n))
    , _solution(size_t(_n))
    , _work(type == SolverType::LURefined ? 2 * size_t(_n) : 0)
{
    klu_defaults(&_common);
    _common.tol = pivotTolerance(pivoting);
    _common.ordering = ordering == Ordering::COLAMD ? 1 : 0;
    _common.btf = symmetry == Symmetry::General ? 1 : 0;
    _common.scale = type == SolverType::LUUnscaled ? 0 : 2;
    _common.halt_if_singular = 1;
}

template <typename T>
KluSolver<T>::~KluSolver()
{
    freeNumeric();
    freeSymbolic();
}

template <typename T>
void KluSolver<T>::release()
{
    delete this;
}

template <typename T>
void KluSolver<T>::reset()
{
    _triplets.reset();
    std::fill(_rhs.begin(), _rhs.end(), T());
    _factorised = false;
    _hasStrayEntry = false;
}

template <typename T>
bool KluSolver<T>::factorise()
{
    _factorised = false;
    if (!_isSizeValid || _hasStrayEntry)
        return false;
    if (_n == 0)
    {
        _factorised = true;
        return true;
    }
    if (!_pSymbolic || !_triplets.isSamePattern())
    {
        if (!analyse())
            return false;
    }
    _csc.scatter(_triplets.values(), _values.data());
    if (!allFinite(_values.data(), _values.size()))
        return false;
    _factorised = _pNumeric ? refactorise() : factoriseFully();
    return _factorised;
}

template <typename T>
bool KluSolver<T>::analyse()
{
    freeNumeric();
    freeSymbolic();
    _csc.build(_n, _n, _triplets.cols(), _triplets.rows(), _triplets.count());
    _triplets.markCompressed();
    _values.resize(size_t(_csc.nonZeros()));
    ++_stats.analyses;
    _pSymbolic = klu_analyze(_n, _csc.starts(), _csc.indices(), &_common);
    if (!_pSymbolic)
        return false;
    // With the block triangular search KLU finds the structural rank: a
    // matrix without a zero-free diagonal under any permutation (an empty
    // row, say) is singular whatever its values.
    if (_common.btf && _pSymbolic->structural_rank < _n)
    {
        freeSymbolic();
        return false;
    }
    return true;
}

template <typename T>
bool KluSolver<T>::factoriseFully()
{
    freeNumeric();
    ++_stats.factorisations;
    _pNumeric = Klu<T>::factor(_csc.starts(), _csc.indices(), _values.data(), _pSymbolic, &_common);
    if (!_pNumeric || _common.status != KLU_OK || !Klu<T>::rcond(_pSymbolic, _pNumeric, &_common) ||
        !(_common.rcond >= singularRcond))
    {
        freeNumeric();
        return false;
    }
    _pivotRcond = _common.rcond;
    return true;
}

template <typename T>
bool KluSolver<T>::refactorise()
{
    bool good = Klu<T>::refactor(_csc.starts(), _csc.indices(), _values.data(), _pSymbolic, _pNumeric, &_common) &&
                _common.status == KLU_OK && isWellConditioned();
    if (!good)
        return factoriseFully();
    ++_stats.refactorisations;
    return true;
}

template <typename T>
bool KluSolver<T>::isWellConditioned()
{
    if (!Klu<T>::rcond(_pSymbolic, _pNumeric, &_common) || !(_common.rcond >= poorRcond))
        return false;
    if (_common.rcond >= rcondDrop * _pivotRcond)
        return true;
    return Klu<T>::rgrowth(_csc.starts(), _csc.indices(), _values.data(), _pSymbolic, _pNumeric, &_common) &&
           _common.rgrowth >= poorRgrowth;
}

template <typename T>
bool KluSolver<T>::solve(const T* rhs, T* x)
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
        if (!Klu<T>::solve(_pSymbolic, _pNumeric, _n, x, &_common))
            return false;
    }
    return allFinite(x, size_t(_n));
}

// x := A^-1 b, then one correction: r := b - A x, x += A^-1 r. A correction
// as large as half the solution means that rounding in the factors
// dominates (cond(A) eps near 1): such a step is noise and would only
// spoil x (on an exactly singular matrix it can cancel x to zero), so it
// is dropped.
template <typename T>
bool KluSolver<T>::solveRefined(const T* rhs, T* x)
{
    T* b = _work.data();
    T* r = b + _n;
    std::copy(rhs, rhs + _n, b); // rhs may be x
    std::copy(b, b + _n, x);
    if (!Klu<T>::solve(_pSymbolic, _pNumeric, _n, x, &_common))
        return false;
    std::copy(b, b + _n, r);
    const int* starts = _csc.starts();
    const int* rows = _csc.indices();
    for (int j = 0; j < _n; ++j)
        for (int p = starts[j]; p < starts[j + 1]; ++p)
            r[rows[p]] -= _values[size_t(p)] * x[j];
    if (!Klu<T>::solve(_pSymbolic, _pNumeric, _n, r, &_common))
        return false;
    if (largestMagnitude(r, size_t(_n)) > 0.5 * largestMagnitude(x, size_t(_n)))
        return true;
    // a NaN correction gets here too, and fails the solve
    for (int i = 0; i < _n; ++i)
        x[i] += r[i];
    return true;
}

template <typename T>
bool KluSolver<T>::solve()
{
    return factorise() && solve(_rhs.data(), _solution.data());
}

template <typename T>
void KluSolver<T>::freeNumeric()
{
    if (_pNumeric)
        Klu<T>::freeNumeric(&_pNumeric, &_common);
}

template <typename T>
void KluSolver<T>::freeSymbolic()
{
    if (_pSymbolic)
        klu_free_symbolic(&_pSymbolic, &_common);
}

template class KluSolver<double>;
template class KluSolver<std::complex<double>>;
} // namespace sparse::priv
