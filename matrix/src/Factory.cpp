#include <sparse/Factory.h>
#include <sparse/priv/KluSolver.h>
#include <sparse/priv/SparseMatrix.h>

namespace sparse
{
ISolver<double, int>* createDblSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting,
                                      Ordering ordering)
{
    return new priv::KluSolver<double>(n, capacity, symmetry, type, pivoting, ordering);
}

ISolver<std::complex<double>, int>* createCmplxSolver(int n, int capacity, Symmetry symmetry, SolverType type,
                                                      Pivoting pivoting, Ordering ordering)
{
    return new priv::KluSolver<std::complex<double>>(n, capacity, symmetry, type, pivoting, ordering);
}

IMatrix<int, double>* createDblMatrix(int rows, int cols, int capacity, Symmetry symmetry)
{
    MU_ASSERT(symmetry == Symmetry::General);
    return new priv::SparseMatrix<double>(rows, cols, capacity);
}

IMatrix<int, std::complex<double>>* createCmplxMatrix(int rows, int cols, int capacity, Symmetry symmetry)
{
    MU_ASSERT(symmetry == Symmetry::General);
    return new priv::SparseMatrix<std::complex<double>>(rows, cols, capacity);
}
} // namespace sparse
