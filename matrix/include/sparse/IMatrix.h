#pragma once
// A sparse rectangular matrix (a measurement or constraint Jacobian) that
// adds the systems built from it into a sparse solver. Objects come from
// the factories of <sparse/Factory.h> and are destroyed by release() only.
#include <dense/DiagMatrix.h>
#include <dense/Matrix.h>
#include <sparse/ISolver.h>

namespace sparse
{
template <typename TIndex, typename T>
class IMatrix
{
public:
    // Adds value to entry (row, col); entries put more than once are summed.
    // An entry outside the matrix is dropped, and until reset() the systems
    // added from this fill make the solver's factorisation fail.
    virtual void put(TIndex row, TIndex col, T value) = 0;
    // Clears the values before a refill; the pattern is kept.
    virtual void reset() = 0;
    // For this matrix H (m x n), weights W (at least m) and residual column
    // r (m x 1): puts H*WH into rows and columns 0 .. n - 1 of the solver
    // and H*Wr into its right-hand side (H* the transpose, conjugated for
    // complex values: the normal equations of min sum w_k |r_k - (H dx)_k|^2).
    virtual void addNormalEquations(const dense::DiagMatrix<double>& W, dense::Matrix<T>& r,
                                    ISolver<T, TIndex>* pSolver) = 0;
    // For this matrix C (m x n) and column c (m x 1): puts C at rows
    // offset .. offset + m - 1 and C* at the same columns, c into those rows
    // of the right-hand side; the corner block stays structurally zero. An
    // offset whose rows pass the largest index fails the factorisation, as
    // an entry outside the matrix does.
    virtual void addConstraintBlock(TIndex offset, dense::Matrix<T>& c, ISolver<T, TIndex>* pSolver) = 0;
    virtual void release() = 0;

protected:
    ~IMatrix() = default;
};
} // namespace sparse
