#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <sparse/priv/Klu.h>
#include <sparse/priv/KluFactors.h>

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
KluFactors<T>::KluFactors(Symmetry symmetry, SolverType type, Pivoting pivoting, Ordering ordering)
{
    klu_defaults(&_common);
    _common.tol = pivotTolerance(pivoting);
    _common.ordering = ordering == Ordering::COLAMD ? 1 : 0;
    _common.btf = symmetry == Symmetry::General ? 1 : 0;
    // The rows are scaled here, not by KLU: KLU would check the whole
    // matrix again at every refactorisation, a fifth of its time on a large
    // power flow, and the pattern is ours and checked by the analysis.
    _common.scale = -1;
    _scaling = type != SolverType::LUUnscaled;
    _common.halt_if_singular = 1;
}

template <typename T>
KluFactors<T>::~KluFactors()
{
    clear();
}

template <typename T>
void KluFactors<T>::clear()
{
    freeNumeric();
    if (_pSymbolic)
        klu_free_symbolic(&_pSymbolic, &_common);
}

template <typename T>
bool KluFactors<T>::analyse(int n, CompressedPattern& csc)
{
    clear();
    _n = n;
    ++_stats.analyses;
    _pSymbolic = klu_analyze(n, csc.starts(), csc.indices(), &_common);
    if (!_pSymbolic)
        return false;
    // With the block triangular search KLU finds the structural rank: a
    // matrix without a zero-free diagonal under any permutation (an empty
    // row, say) is singular whatever its values.
    if (_common.btf && _pSymbolic->structural_rank < n)
    {
        clear();
        return false;
    }
    return true;
}

template <typename T>
bool KluFactors<T>::factorise(CompressedPattern& csc, T* values)
{
    if (!_pSymbolic)
        return false;
    return _pNumeric ? refactorise(csc, values) : factoriseFully(csc, values);
}

template <typename T>
bool KluFactors<T>::factoriseFully(CompressedPattern& csc, T* values)
{
    freeNumeric();
    ++_stats.factorisations;
    chooseRowScale(csc, values);
    _pNumeric = Klu<T>::factor(csc.starts(), csc.indices(), scaled(csc, values), _pSymbolic, &_common);
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
bool KluFactors<T>::refactorise(CompressedPattern& csc, T* values)
{
    T* a = scaled(csc, values);
    bool good = refactoriseWithPivots(csc, a) && isWellConditioned(csc, a);
    if (!good)
        return factoriseFully(csc, values);
    ++_stats.refactorisations;
    return true;
}

// On the lent threads when they gain (the plan is made on the first
// refactorisation of new factors), otherwise by KLU: the factors are the
// same bit for bit.
template <typename T>
bool KluFactors<T>::refactoriseWithPivots(CompressedPattern& csc, T* values)
{
    const unsigned lanes = _pThreads ? _pThreads->size() : 1;
    if (lanes != _plannedLanes)
    {
        _plannedLanes = lanes;
        _parallel.plan(*_pSymbolic, *_pNumeric, lanes);
    }
    if (_parallel.isPlannedFor(lanes))
        return _parallel.refactor(csc.starts(), csc.indices(), values, *_pSymbolic, *_pNumeric, *_pThreads);
    return Klu<T>::refactor(csc.starts(), csc.indices(), values, _pSymbolic, _pNumeric, &_common) &&
           _common.status == KLU_OK;
}

// The scale of each row, as KLU's own (its largest magnitude), chosen with the
// pivots and kept for the refactorisations: with the pivot order fixed, the
// scale changes only the rounding.
template <typename T>
void KluFactors<T>::chooseRowScale(CompressedPattern& csc, const T* values)
{
    if (!_scaling)
        return;
    _rowScale.assign(std::size_t(_n), 0.0);
    const int* rows = csc.indices();
    const std::size_t count = std::size_t(csc.nonZeros());
    for (std::size_t p = 0; p < count; ++p)
        _rowScale[std::size_t(rows[p])] = std::max(_rowScale[std::size_t(rows[p])], std::abs(values[p]));
    // an empty row leaves the matrix singular; its scale does not matter
    for (double& r : _rowScale)
        r = r > 0 ? 1.0 / r : 1.0;
}

// The values KLU factorises; scaled into a copy of the layer's own, since the
// caller refills (and may read) the values it passed.
template <typename T>
T* KluFactors<T>::scaled(CompressedPattern& csc, T* values)
{
    if (!_scaling)
        return values;
    const int* rows = csc.indices();
    const std::size_t count = std::size_t(csc.nonZeros());
    _scaledValues.resize(count);
    for (std::size_t p = 0; p < count; ++p)
        _scaledValues[p] = values[p] * _rowScale[std::size_t(rows[p])];
    return _scaledValues.data();
}

template <typename T>
bool KluFactors<T>::isWellConditioned(CompressedPattern& csc, T* values)
{
    if (!Klu<T>::rcond(_pSymbolic, _pNumeric, &_common) || !(_common.rcond >= poorRcond))
        return false;
    if (_common.rcond >= rcondDrop * _pivotRcond)
        return true;
    return Klu<T>::rgrowth(csc.starts(), csc.indices(), values, _pSymbolic, _pNumeric, &_common) &&
           _common.rgrowth >= poorRgrowth;
}

template <typename T>
bool KluFactors<T>::solve(T* x)
{
    if (!_pNumeric)
        return false;
    if (_scaling) // (R A)^-1 R x
        for (int i = 0; i < _n; ++i)
            x[i] *= _rowScale[std::size_t(i)];
    return Klu<T>::solve(_pSymbolic, _pNumeric, _n, x, &_common);
}

template <typename T>
void KluFactors<T>::freeNumeric()
{
    if (_pNumeric)
        Klu<T>::freeNumeric(&_pNumeric, &_common);
    _parallel.forget();
    _plannedLanes = 0;
}

template class KluFactors<double>;
template class KluFactors<std::complex<double>>;
} // namespace sparse::priv
