#pragma once
// How a sparse solver is set up. A general system is factorised with a
// pivoted sparse LU (KLU); the positive definite and the indefinite kinds
// with a Cholesky (CHOLMOD), which falls back to that LU for a fill that is
// not Hermitian or has no Cholesky factorisation. The other choices tune
// the LU; the refinement serves both.

namespace sparse
{
// What the caller knows of the matrix. The symmetric LU skips the block
// triangular pre-ordering: a symmetric pattern has no triangular block form
// beyond its connected components, so the search is wasted work there.
enum class Symmetry : int
{
    General = 0,
    SymmetricPositiveDefinite = 1, // normal equations HtWH: L L*
    Symmetric = 2,
    SymmetricIndefinite = 3 // normal equations bordered by constraints: L D L*
};

enum class SolverType : int
{
    LU = 0, // rows scaled by their largest entry, one solve
    LUUnscaled = 1,
    // One step of iterative refinement after each solve: normal equations
    // square the condition number, and the step recovers the lost digits.
    LURefined = 2
};

// The pivot tolerance t: the diagonal entry is kept as the pivot while its
// magnitude is at least t times the largest candidate of its column.
enum class Pivoting : int
{
    Diagonal = 0,  // t = 1e-12: the diagonal unless it (nearly) vanishes
    Strict = 1,    // t = 1: always the largest candidate
    Threshold = 2, // t = 0.1
    Relaxed = 3    // t = 0.001: keeps the fill-reducing order whenever it can
};

// The fill-reducing ordering of each diagonal block.
enum class Ordering : int
{
    AMD = 0,   // minimum degree on the pattern of A + At
    COLAMD = 1 // column minimum degree on the pattern of AtA
};
} // namespace sparse
