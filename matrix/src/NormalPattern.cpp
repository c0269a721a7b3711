#include <algorithm>
#include <complex>
#include <sparse/priv/CompressedPattern.h>
#include <sparse/priv/NormalPattern.h>
#include <sparse/priv/Values.h>

namespace sparse::priv
{
namespace
{
double squaredMagnitude(double v) { return v * v; }
double squaredMagnitude(const std::complex<double>& v) { return std::norm(v); }
} // namespace

// Every pair (p, q) of entries of a row of H gives the entry (col q, col p)
// of H*WH. The pairs are listed (lower and upper places alike), compressed
// by columns once, and the place of each lower pair is kept in the order in
// which compute() visits them.
void NormalPattern::build(int nRows, int nCols, const int* starts, const int* cols)
{
    _nRows = nRows;
    _nCols = nCols;
    size_t nPairs = 0;
    for (int k = 0; k < nRows; ++k)
    {
        const size_t len = size_t(starts[k + 1] - starts[k]);
        nPairs += len * len;
    }
    std::vector<int> pairCols, pairRows;
    pairCols.reserve(nPairs);
    pairRows.reserve(nPairs);
    for (int k = 0; k < nRows; ++k)
        for (int p = starts[k]; p < starts[k + 1]; ++p)
            for (int q = p; q < starts[k + 1]; ++q)
            {
                pairCols.push_back(cols[p]); // lower: (col q, col p)
                pairRows.push_back(cols[q]);
                if (q == p)
                    continue;
                pairCols.push_back(cols[q]); // its mirror (col p, col q)
                pairRows.push_back(cols[p]);
            }
    CompressedPattern csc;
    csc.build(nCols, nCols, pairCols.data(), pairRows.data(), nPairs);
    _starts.assign(csc.starts(), csc.starts() + nCols + 1);
    _rows.assign(csc.indices(), csc.indices() + csc.nonZeros());

    const int* map = csc.places();
    std::vector<int> mirrorOf(size_t(csc.nonZeros()), -1);
    _products.clear();
    _products.reserve((nPairs + size_t(std::max(starts[nRows], 0))) / 2);
    size_t pair = 0;
    for (int k = 0; k < nRows; ++k)
        for (int p = starts[k]; p < starts[k + 1]; ++p)
            for (int q = p; q < starts[k + 1]; ++q)
            {
                const int lower = map[pair++];
                _products.push_back(lower);
                if (q != p)
                    mirrorOf[size_t(map[pair++])] = lower;
            }
    _upper.clear();
    _lower.clear();
    for (size_t u = 0; u < mirrorOf.size(); ++u)
        if (mirrorOf[u] >= 0)
        {
            _upper.push_back(int(u));
            _lower.push_back(mirrorOf[u]);
        }
}

// Row k adds w_k conj(h_kq) h_kp at (col q, col p) for q >= p and
// w_k conj(h_kp) r_k at col p; the upper triangle is the conjugate mirror.
template <typename T>
void NormalPattern::compute(const int* starts, const int* cols, const T* h, const double* w, const T* r, T* gram,
                            T* rhs) const
{
    std::fill(gram, gram + _rows.size(), T());
    std::fill(rhs, rhs + _nCols, T());
    const int* place = _products.data();
    for (int k = 0; k < _nRows; ++k)
    {
        const double wk = w[k];
        const int end = starts[k + 1];
        for (int p = starts[k]; p < end; ++p)
        {
            const T weighted = h[p] * wk;
            rhs[cols[p]] += conjugate(weighted) * r[k];
            // The diagonal product is real: Hermitian factorisations rely on it.
            gram[*place++] += T(wk * squaredMagnitude(h[p]));
            for (int q = p + 1; q < end; ++q)
                gram[*place++] += conjugate(h[q]) * weighted;
        }
    }
    for (size_t i = 0; i < _upper.size(); ++i)
        gram[_upper[i]] = conjugate(gram[_lower[i]]);
}

template void NormalPattern::compute(const int*, const int*, const double*, const double*, const double*, double*,
                                     double*) const;
template void NormalPattern::compute(const int*, const int*, const std::complex<double>*, const double*,
                                     const std::complex<double>*, std::complex<double>*, std::complex<double>*) const;
} // namespace sparse::priv
