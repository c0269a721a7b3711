#pragma once
// A dense matrix stored by columns: element (i, j) at getData()[j * rows + i].
// The solvers use it for residual columns (rows x 1).
#include <cmath>
#include <dense/Storage.h>

namespace dense
{
template <typename T>
class Matrix
{
public:
    // Indexed access to one column, checked against the number of rows.
    class ColumnManipulator
    {
    public:
        ColumnManipulator(T* pColumn, int nRows)
            : _pColumn(pColumn)
            , _nRows(nRows)
        {
        }

        T& operator[](int row) const
        {
            MU_ASSERT(row >= 0 && row < _nRows);
            return _pColumn[row];
        }

    private:
        T* _pColumn;
        int _nRows;
    };

    Matrix() = default;
    Matrix(const Matrix&) = delete;
    Matrix& operator=(const Matrix&) = delete;

    // nRows x nCols zeros; see Storage::reserve for pMgr and keepValues.
    void reserve(int nRows, int nCols, MatrixMgr<T>* pMgr = nullptr, bool keepValues = false)
    {
        MU_ASSERT(nRows >= 0 && nCols >= 0);
        if (nRows != _nRows || nCols != _nCols)
            keepValues = false;
        _storage.reserve(size_t(nRows) * size_t(nCols), pMgr, keepValues);
        _nRows = nRows;
        _nCols = nCols;
    }

    T* getData() { return _storage.data(); }
    const T* getData() const { return _storage.data(); }
    int getNoOfRows() const { return _nRows; }
    int getNoOfCols() const { return _nCols; }

    ColumnManipulator getFirstColumnManipulator()
    {
        MU_ASSERT(_nCols > 0);
        return ColumnManipulator(_storage.data(), _nRows);
    }

    // The matrix 1-norm: the largest column sum of absolute values (the
    // modulus for complex values); for a single column, its sum.
    double getL1Norm() const
    {
        double norm = 0.0;
        const T* p = _storage.data();
        for (int j = 0; j < _nCols; ++j)
        {
            double sum = 0.0;
            for (int i = 0; i < _nRows; ++i)
                sum += std::abs(*p++);
            if (sum > norm || std::isnan(sum))
                norm = sum;
        }
        return norm;
    }

private:
    priv::Storage<T> _storage;
    int _nRows = 0;
    int _nCols = 0;
};
} // namespace dense
