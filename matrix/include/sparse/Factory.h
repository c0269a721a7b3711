#pragma once
// Creation of the sparse solvers and matrices. Never null; release() frees.
#include <complex>
#include <sparse/IMatrix.h>
#include <sparse/ISolver.h>
#include <sparse/Options.h>

namespace sparse
{
// An n x n system (n may be 0; a negative n gives a solver that never
// factorises). capacity is the expected number of puts per fill, a hint
// only: the entry store grows as needed.
ISolver<double, int>* createDblSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting,
                                      Ordering ordering);
ISolver<std::complex<double>, int>* createCmplxSolver(int n, int capacity, Symmetry symmetry, SolverType type,
                                                      Pivoting pivoting, Ordering ordering);

// A rows x cols matrix (a negative size gives one whose systems never
// factorise); a rectangular Jacobian has no symmetry, so only
// Symmetry::General is accepted.
IMatrix<int, double>* createDblMatrix(int rows, int cols, int capacity, Symmetry symmetry);
IMatrix<int, std::complex<double>>* createCmplxMatrix(int rows, int cols, int capacity, Symmetry symmetry);
} // namespace sparse
