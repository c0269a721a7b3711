#include <algorithm>
#include <complex>
#include <limits>
#include <sparse/priv/CholmodFactors.h>
#include <sparse/priv/Values.h>

namespace sparse::priv
{
namespace
{
// A factorisation whose smallest pivot is at rounding level against the
// largest one (CHOLMOD's estimate from the diagonal of L or D) is singular
// in all but name, as for the LU.
const double singularRcond = std::numeric_limits<double>::epsilon();

template <typename T>
constexpr int xtypeOf()
{
    return std::is_same_v<T, double> ? CHOLMOD_REAL : CHOLMOD_COMPLEX;
}

double imaginaryPart(double) { return 0.0; }
double imaginaryPart(const std::complex<double>& v) { return v.imag(); }

// The lower triangle of the compressed full pattern: CHOLMOD reads the
// entries on and below the diagonal and ignores the rest.
template <typename T>
cholmod_sparse lowerView(int n, CompressedPattern& csc, T* values)
{
    cholmod_sparse a {};
    a.nrow = a.ncol = size_t(n);
    a.nzmax = size_t(csc.nonZeros());
    a.p = csc.starts();
    a.i = csc.indices();
    a.x = values;
    a.stype = -1;
    a.itype = CHOLMOD_INT;
    a.xtype = values ? xtypeOf<T>() : CHOLMOD_PATTERN;
    a.dtype = CHOLMOD_DOUBLE;
    a.sorted = 1;
    a.packed = 1;
    return a;
}
} // namespace

template <typename T>
CholmodFactors<T>::CholmodFactors(Symmetry symmetry, SolverType type, Pivoting pivoting, Ordering ordering)
    : _isIndefinite(symmetry != Symmetry::SymmetricPositiveDefinite)
    , _lu(Symmetry::General, type, pivoting, ordering)
{
    cholmod_start(&_common);
    _common.print = 0;
    _common.supernodal = CHOLMOD_SIMPLICIAL;
    _common.final_ll = _isIndefinite ? 0 : 1;
    _common.nmethods = 1;
}

template <typename T>
CholmodFactors<T>::~CholmodFactors()
{
    clear();
    cholmod_finish(&_common);
}

template <typename T>
void CholmodFactors<T>::clear()
{
    cholmod_free_factor(&_pL, &_common);
    _lu.clear();
    _isLUAnalysed = false;
    _usesLU = false;
}

template <typename T>
bool CholmodFactors<T>::analyse(int n, CompressedPattern& csc)
{
    clear();
    _n = n;
    ++_stats.analyses;
    findTransposes(csc);
    if (!order(csc))
        return false;
    gatherPermutedUpper(csc);
    // The matrix comes permuted: CHOLMOD keeps its natural order.
    cholmod_sparse a = permutedUpper(false);
    _common.method[0].ordering = CHOLMOD_NATURAL;
    _common.postorder = 0;
    _pL = cholmod_analyze(&a, &_common);
    _permuted.resize(size_t(n));
    return _pL != nullptr;
}

template <typename T>
bool CholmodFactors<T>::order(CompressedPattern& csc)
{
    cholmod_sparse a = lowerView<T>(_n, csc, nullptr);
    _common.postorder = 1;
    cholmod_factor* pOrder = nullptr;
    if (_isIndefinite)
    {
        std::vector<int> minimumDegree(static_cast<size_t>(_n));
        if (!cholmod_amd(&a, nullptr, 0, minimumDegree.data(), &_common))
            return false;
        orderSaddlePoint(csc, minimumDegree.data());
        _common.method[0].ordering = CHOLMOD_GIVEN;
        pOrder = cholmod_analyze_p(&a, _perm.data(), nullptr, 0, &_common);
    }
    else
    {
        _common.method[0].ordering = CHOLMOD_AMD;
        pOrder = cholmod_analyze(&a, &_common);
    }
    if (!pOrder)
        return false;
    const int* perm = static_cast<const int*>(pOrder->Perm);
    _perm.assign(perm, perm + _n);
    cholmod_free_factor(&pOrder, &_common);
    return true;
}

// The upper triangle of P A P*: its entry (i, j), i <= j, is A(perm[i],
// perm[j]), taken from that very place of the full pattern.
template <typename T>
void CholmodFactors<T>::gatherPermutedUpper(CompressedPattern& csc)
{
    const int* starts = csc.starts();
    const int* rows = csc.indices();
    std::vector<int> newPlace(static_cast<size_t>(_n));
    for (int k = 0; k < _n; ++k)
        newPlace[size_t(_perm[size_t(k)])] = k;
    _upperStarts.assign(size_t(_n) + 1, 0);
    for (int c = 0; c < _n; ++c)
        for (int p = starts[c]; p < starts[c + 1]; ++p)
            if (newPlace[size_t(rows[p])] <= newPlace[size_t(c)])
                ++_upperStarts[size_t(newPlace[size_t(c)]) + 1];
    for (int j = 0; j < _n; ++j)
        _upperStarts[size_t(j) + 1] += _upperStarts[size_t(j)];
    const size_t nUpper = size_t(_upperStarts[size_t(_n)]);
    _upperRows.resize(nUpper);
    _gather.resize(nUpper);
    _upperValues.resize(nUpper);
    std::vector<std::pair<int, int>> column; // (new row, place in the full pattern)
    for (int j = 0; j < _n; ++j)
    {
        const int c = _perm[size_t(j)];
        column.clear();
        for (int p = starts[c]; p < starts[c + 1]; ++p)
            if (newPlace[size_t(rows[p])] <= j)
                column.emplace_back(newPlace[size_t(rows[p])], p);
        std::sort(column.begin(), column.end());
        for (size_t k = 0; k < column.size(); ++k)
        {
            const size_t q = size_t(_upperStarts[size_t(j)]) + k;
            _upperRows[q] = column[k].first;
            _gather[q] = column[k].second;
        }
    }
}

template <typename T>
cholmod_sparse CholmodFactors<T>::permutedUpper(bool withValues)
{
    cholmod_sparse a {};
    a.nrow = a.ncol = size_t(_n);
    a.nzmax = _upperRows.size();
    a.p = _upperStarts.data();
    a.i = _upperRows.data();
    a.x = withValues ? _upperValues.data() : nullptr;
    a.stype = 1;
    a.itype = CHOLMOD_INT;
    a.xtype = withValues ? xtypeOf<T>() : CHOLMOD_PATTERN;
    a.dtype = CHOLMOD_DOUBLE;
    a.sorted = 1;
    a.packed = 1;
    return a;
}

// Every place above the diagonal with the place of its mirror below, and
// the places of either side whose mirror is absent.
template <typename T>
void CholmodFactors<T>::findTransposes(CompressedPattern& csc)
{
    _upper.clear();
    _lower.clear();
    _unpaired.clear();
    _diagonal.clear();
    const int* starts = csc.starts();
    const int* rows = csc.indices();
    std::vector<int> next(starts, starts + _n); // next unmatched place of each column
    for (int j = 0; j < _n; ++j)
        for (int p = starts[j]; p < starts[j + 1]; ++p)
        {
            const int i = rows[p];
            if (i == j)
                _diagonal.push_back(p);
            if (i >= j)
                continue;
            // Columns are visited in order, so the rows of column i meet
            // the mirrors (j, i) in ascending j: a merge, no search.
            int& q = next[size_t(i)];
            while (q < starts[i + 1] && rows[q] < j)
            {
                if (rows[q] > i)
                    _unpaired.push_back(q);
                ++q;
            }
            if (q < starts[i + 1] && rows[q] == j)
            {
                _upper.push_back(p);
                _lower.push_back(q++);
            }
            else
                _unpaired.push_back(p);
        }
    for (int i = 0; i < _n; ++i)
        for (int q = next[size_t(i)]; q < starts[i + 1]; ++q)
            if (rows[q] > i)
                _unpaired.push_back(q);
}

// A minimum degree order in which each node without a diagonal entry is
// moved to just after the last of its neighbours. Every leading block of
// the permuted matrix is then [G C*; C 0] with G a leading block of the
// positive definite part and C constraint rows whole within it, which is
// regular when those rows are independent: L D L* exists without pivoting.
template <typename T>
void CholmodFactors<T>::orderSaddlePoint(CompressedPattern& csc, const int* minimumDegree)
{
    const int* starts = csc.starts();
    const int* rows = csc.indices();
    std::vector<char> isMultiplier(size_t(_n), 1);
    for (int p : _diagonal)
        isMultiplier[size_t(rows[p])] = 0;
    std::vector<int> waiting(size_t(_n), 0); // neighbours of a multiplier not yet placed
    for (int j = 0; j < _n; ++j)
        if (isMultiplier[size_t(j)])
            for (int p = starts[j]; p < starts[j + 1]; ++p)
                waiting[size_t(j)] += !isMultiplier[size_t(rows[p])];
    std::vector<char> placed(size_t(_n), 0);
    _perm.clear();
    const auto place = [&](int v) {
        placed[size_t(v)] = 1;
        _perm.push_back(v);
    };
    for (int k = 0; k < _n; ++k)
    {
        const int v = minimumDegree[k];
        if (isMultiplier[size_t(v)])
            continue;
        place(v);
        for (int p = starts[v]; p < starts[v + 1]; ++p)
        {
            const int u = rows[p];
            if (isMultiplier[size_t(u)] && !placed[size_t(u)] && --waiting[size_t(u)] == 0)
                place(u);
        }
    }
    for (int v = 0; v < _n; ++v)
        if (!placed[size_t(v)])
            place(v);
}

template <typename T>
bool CholmodFactors<T>::isHermitian(const T* values) const
{
    bool hermitian = true;
    for (size_t k = 0; k < _upper.size(); ++k)
        hermitian &= values[_upper[k]] == conjugate(values[_lower[k]]);
    for (int p : _unpaired)
        hermitian &= values[p] == T();
    for (int p : _diagonal)
        hermitian &= imaginaryPart(values[p]) == 0.0;
    return hermitian;
}

template <typename T>
bool CholmodFactors<T>::factorise(CompressedPattern& csc, T* values)
{
    _usesLU = false;
    if (isHermitian(values) && factoriseCholesky(values))
        return true;
    return factoriseLU(csc, values);
}

template <typename T>
bool CholmodFactors<T>::factoriseCholesky(T* values)
{
    if (!_pL)
        return false;
    for (size_t q = 0; q < _gather.size(); ++q)
        _upperValues[q] = values[_gather[q]];
    cholmod_sparse a = permutedUpper(true);
    if (!cholmod_factorize(&a, _pL, &_common) || _common.status != CHOLMOD_OK || _pL->minor < _pL->n)
        return false;
    const double rcond = cholmod_rcond(_pL, &_common);
    if (!(rcond >= singularRcond))
        return false;
    ++_stats.factorisations;
    return true;
}

template <typename T>
bool CholmodFactors<T>::factoriseLU(CompressedPattern& csc, T* values)
{
    ++_stats.fallbacks;
    if (!_isLUAnalysed)
    {
        if (!_lu.analyse(_n, csc))
            return false;
        _isLUAnalysed = true;
    }
    _usesLU = _lu.factorise(csc, values);
    return _usesLU;
}

// The two triangular solves on L as CHOLMOD's simplicial factor keeps it
// (by columns, the diagonal place first; for L D L* the diagonal place
// holds D and L's own diagonal is 1), in the permuted order.
template <typename T>
bool CholmodFactors<T>::solve(T* x)
{
    if (_usesLU)
        return _lu.solve(x);
    T* y = _permuted.data();
    for (int k = 0; k < _n; ++k)
        y[k] = x[_perm[size_t(k)]];
    const int* starts = static_cast<const int*>(_pL->p);
    const int* counts = static_cast<const int*>(_pL->nz);
    const int* rows = static_cast<const int*>(_pL->i);
    const T* l = static_cast<const T*>(_pL->x);
    const bool isLL = _pL->is_ll;
    for (int j = 0; j < _n; ++j)
    {
        const int first = starts[j];
        if (isLL)
            y[j] /= l[first];
        for (int p = first + 1; p < first + counts[j]; ++p)
            y[rows[p]] -= l[p] * y[j];
        if (!isLL)
            y[j] /= l[first];
    }
    for (int j = _n - 1; j >= 0; --j)
    {
        const int first = starts[j];
        T sum = y[j];
        for (int p = first + 1; p < first + counts[j]; ++p)
            sum -= conjugate(l[p]) * y[rows[p]];
        y[j] = isLL ? sum / l[first] : sum;
    }
    for (int k = 0; k < _n; ++k)
        x[_perm[size_t(k)]] = y[k];
    return true;
}

template class CholmodFactors<double>;
template class CholmodFactors<std::complex<double>>;
} // namespace sparse::priv
