#include <sparse/Factory.h>
#include <sparse/priv/SparseMatrix.h>
#include <sparse/priv/Solvers.h>

namespace sparse
{
namespace
{
// The symmetric kinds that a Cholesky serves: the normal equations and
// the normal equations bordered by constraints.
bool isCholeskyKind(Symmetry symmetry)
{
    return symmetry == Symmetry::SymmetricPositiveDefinite || symmetry == Symmetry::SymmetricIndefinite;
}

template <typename T>
ISolver<T, int>* createSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting,
                              Ordering ordering)
{
    if (isCholeskyKind(symmetry))
        return new priv::CholmodSolver<T>(n, capacity, symmetry, type, pivoting, ordering);
    return new priv::KluSolver<T>(n, capacity, symmetry, type, pivoting, ordering);
}
} // namespace

ISolver<double, int>* createDblSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting,
                                      Ordering ordering)
{
    return createSolver<double>(n, capacity, symmetry, type, pivoting, ordering);
}

ISolver<std::complex<double>, int>* createCmplxSolver(int n, int capacity, Symmetry symmetry, SolverType type,
                                                      Pivoting pivoting, Ordering ordering)
{
    return createSolver<std::complex<double>>(n, capacity, symmetry, type, pivoting, ordering);
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
