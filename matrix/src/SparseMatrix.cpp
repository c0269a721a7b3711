#include <complex>
#include <limits>
#include <sparse/priv/SparseMatrix.h>
#include <sparse/priv/Values.h>

namespace sparse::priv
{
template <typename T>
SparseMatrix<T>::SparseMatrix(int nRows, int nCols, int capacity)
    : _nRows(nRows > 0 ? nRows : 0)
    , _nCols(nCols > 0 ? nCols : 0)
    , _isSizeValid(nRows >= 0 && nCols >= 0)
    , _triplets(size_t(capacity > 0 ? capacity : 0))
{
}

template <typename T>
void SparseMatrix<T>::compress()
{
    const bool changed = !_triplets.isSamePattern();
    if (changed)
    {
        _csr.build(_nRows, _nCols, _triplets.rows(), _triplets.cols(), _triplets.count());
        _triplets.markCompressed();
        _values.resize(size_t(_csr.nonZeros()));
        // The normal pattern belongs to the structure it was built from.
        _isNormalPatternBuilt = false;
    }
    _csr.scatter(_triplets.values(), _values.data());
}

// A matrix with an entry outside it, or a block placed where its rows cannot
// be indexed, is not the one meant: rather than build a wrong system, it
// hands the solver an entry outside the system too, so that the solver's
// fill fails to factorise.
template <typename T>
bool SparseMatrix<T>::passOnStrayEntry(ISolver<T, int>* pSolver, bool blockFits) const
{
    if (_isSizeValid && !_hasStrayEntry && blockFits)
        return false;
    pSolver->put(-1, -1, T());
    return true;
}

// H*WH is computed on the pattern found from the structure of H, then put
// column by column, so the solver sees the same sequence on every refill
// and its compression keeps the order.
template <typename T>
void SparseMatrix<T>::addNormalEquations(const dense::DiagMatrix<double>& W, dense::Matrix<T>& r,
                                         ISolver<T, int>* pSolver)
{
    MU_ASSERT(pSolver && r.getNoOfRows() == _nRows && r.getNoOfCols() >= 1 && W.getSize() >= _nRows);
    if (passOnStrayEntry(pSolver))
        return;
    compress();
    if (!_isNormalPatternBuilt)
    {
        _normal.build(_nRows, _nCols, _csr.starts(), _csr.indices());
        _isNormalPatternBuilt = true;
        _gram.resize(size_t(_normal.nonZeros()));
        _gramRhs.resize(size_t(_nCols));
    }
    _normal.compute(_csr.starts(), _csr.indices(), _values.data(), W.getData(), r.getData(), _gram.data(),
                    _gramRhs.data());
    const int* starts = _normal.starts();
    const int* rows = _normal.rows();
    for (int j = 0; j < _nCols; ++j)
    {
        for (int p = starts[j]; p < starts[j + 1]; ++p)
            pSolver->put(rows[p], j, _gram[size_t(p)]);
        pSolver->putRHS(j, _gramRhs[size_t(j)]);
    }
}

// The bordered system [A C*; C 0] [dx; l] = [b; c]: C dx = c linearises the
// constraints, and no entry is put in the corner block.
template <typename T>
void SparseMatrix<T>::addConstraintBlock(int offset, dense::Matrix<T>& c, ISolver<T, int>* pSolver)
{
    MU_ASSERT(pSolver && offset >= 0 && c.getNoOfRows() == _nRows && c.getNoOfCols() >= 1);
    // rows offset .. offset + m - 1 must stay within the int indices
    if (passOnStrayEntry(pSolver, offset <= std::numeric_limits<int>::max() - _nRows))
        return;
    compress();
    const int* starts = _csr.starts();
    const int* cols = _csr.indices();
    const T* column = c.getData();
    for (int i = 0; i < _nRows; ++i)
    {
        int row = offset + i;
        for (int p = starts[i]; p < starts[i + 1]; ++p)
        {
            pSolver->put(row, cols[p], _values[size_t(p)]);
            pSolver->put(cols[p], row, conjugate(_values[size_t(p)]));
        }
        pSolver->putRHS(row, column[i]);
    }
}

template class SparseMatrix<double>;
template class SparseMatrix<std::complex<double>>;
} // namespace sparse::priv
