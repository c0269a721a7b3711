#pragma once
// The rectangular sparse matrix behind IMatrix. Its entries are compressed
// by rows when a system is built from them, through the same cached map as
// the solver's, so a refill of the same pattern costs one pass; so does the
// pattern of its normal equations, found once per pattern.
#include <mu/Assert.h>
#include <sparse/IMatrix.h>
#include <sparse/priv/CompressedPattern.h>
#include <sparse/priv/NormalPattern.h>
#include <sparse/priv/TripletStore.h>
#include <vector>

namespace sparse::priv
{
template <typename T>
class SparseMatrix final : public IMatrix<int, T>
{
public:
    SparseMatrix(int nRows, int nCols, int capacity);
    SparseMatrix(const SparseMatrix&) = delete;
    SparseMatrix& operator=(const SparseMatrix&) = delete;

    void put(int row, int col, T value) override
    {
        if (unsigned(row) < unsigned(_nRows) && unsigned(col) < unsigned(_nCols))
            _triplets.put(row, col, value);
        else
            _hasStrayEntry = true;
    }

    void reset() override
    {
        _triplets.reset();
        _hasStrayEntry = false;
    }
    void addNormalEquations(const dense::DiagMatrix<double>& W, dense::Matrix<T>& r, ISolver<T, int>* pSolver) override;
    void addConstraintBlock(int offset, dense::Matrix<T>& c, ISolver<T, int>* pSolver) override;
    void release() override { delete this; }

private:
    ~SparseMatrix() = default;

    // Builds the compressed rows anew when the pattern changed, then
    // scatters the values.
    void compress();
    bool passOnStrayEntry(ISolver<T, int>* pSolver, bool blockFits = true) const;

    int _nRows;
    int _nCols;
    const bool _isSizeValid;
    // An entry of this fill fell outside the matrix; the systems built from
    // it must then fail in the solver. Cleared by reset().
    bool _hasStrayEntry = false;
    TripletStore<T> _triplets;
    CompressedPattern _csr;
    std::vector<T> _values; // in _csr order
    NormalPattern _normal;
    bool _isNormalPatternBuilt = false;
    std::vector<T> _gram;    // H*WH in _normal's order
    std::vector<T> _gramRhs; // H*Wr
};
} // namespace sparse::priv
