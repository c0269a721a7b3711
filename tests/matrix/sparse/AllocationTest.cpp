// A refill of the same pattern must not allocate: operator new is counted
// for the whole program, and so is every allocation of KLU (which takes
// its memory through the hooks of SuiteSparse_config); the count must not
// move across a refill, factorisation and solve.
#include <CountedKluAllocations.h>
#include <gtest/gtest.h>
#include <sparse/Factory.h>

using namespace sparse;

namespace
{
// The 5-point stencil of an m x m grid, with unequal off-diagonal values.
template <typename Target>
void fillGrid(Target* pTarget, int m, double shift)
{
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j)
        {
            int row = i * m + j;
            pTarget->put(row, row, 4.0 + shift);
            if (i > 0)
                pTarget->put(row, row - m, -1.2);
            if (i + 1 < m)
                pTarget->put(row, row + m, -0.8);
            if (j > 0)
                pTarget->put(row, row - 1, -1.1);
            if (j + 1 < m)
                pTarget->put(row, row + 1, -0.9 + shift);
        }
}
} // namespace

TEST(SparseSolverAllocation, SamePatternRefillAllocatesNothing)
{
    const int m = 20, n = m * m;
    ISolver<double, int>* pSolver =
        createDblSolver(n, 10, Symmetry::General, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
    std::vector<double> b(static_cast<size_t>(n), 1.0), x(static_cast<size_t>(n));
    unsigned long start = g_allocations;
    fillGrid(pSolver, m, 0.0); // the store grows past its capacity hint here
    ASSERT_TRUE(pSolver->factorise());
    unsigned long before = g_allocations;
    ASSERT_GT(before, start) << "the counting must see the first factorisation";
    ASSERT_TRUE(g_isKluCounted);
    for (double shift : {0.1, 0.2})
    {
        pSolver->reset();
        fillGrid(pSolver, m, shift);
        pSolver->putRHS(3, 1.0);
        ASSERT_TRUE(pSolver->factorise());
        ASSERT_TRUE(pSolver->solve(b.data(), x.data()));
        ASSERT_TRUE(pSolver->solve());
    }
    EXPECT_EQ(g_allocations, before);
    pSolver->release();
}

// The normal equations alone (Cholesky) and bordered by two constraints
// (L D L*): neither refill allocates.
TEST(SparseSolverAllocation, SamePatternNormalEquationsAllocateNothing)
{
    const int m = 10, n = m * m;
    for (bool bordered : {false, true})
    {
        SCOPED_TRACE(bordered);
        const int nc = bordered ? 2 : 0;
        IMatrix<int, double>* pH = createDblMatrix(n, n, 10, Symmetry::General);
        IMatrix<int, double>* pC = createDblMatrix(nc, n, 10, Symmetry::General);
        ISolver<double, int>* pSolver =
            createDblSolver(n + nc, 10, bordered ? Symmetry::SymmetricIndefinite : Symmetry::SymmetricPositiveDefinite,
                            SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
        dense::DiagMatrix<double> W;
        W.reserve(n, nullptr, false);
        dense::Matrix<double> r, c;
        r.reserve(n, 1, nullptr, false);
        c.reserve(nc, 1, nullptr, false);
        for (int k = 0; k < n; ++k)
            W.getManipulator()[k] = 1.0 + k % 3;
        unsigned long before = 0;
        for (double shift : {0.0, 0.1, 0.2})
        {
            if (shift == 0.1)
                before = g_allocations;
            pH->reset();
            pC->reset();
            pSolver->reset();
            fillGrid(pH, m, shift);
            for (int i = 0; i < nc; ++i)
            {
                pC->put(i, i, 1.0);
                pC->put(i, n - 1 - i, 2.0 + shift);
            }
            pH->addNormalEquations(W, r, pSolver);
            if (bordered)
                pC->addConstraintBlock(n, c, pSolver);
            ASSERT_TRUE(pSolver->solve());
        }
        EXPECT_EQ(g_allocations, before);
        pSolver->release();
        pC->release();
        pH->release();
    }
}
