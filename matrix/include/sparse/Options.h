#pragma once
// How a sparse solver is set up. Every system is factorised with a pivoted
// sparse LU (KLU); these choices tune that factorisation.

namespace sparse
{
// What the caller knows of the matrix. The symmetric kinds skip the block
// triangular pre-ordering: a symmetric pattern has no triangular block form
// beyond its connected components, so the search is wasted work there.
enum class Symmetry : int
{
    General = 0,
    SymmetricPositiveDefinite = 1, // normal equations HtWH
    Symmetric = 2,
    SymmetricIndefinite = 3 // normal equations bordered by constraints
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
