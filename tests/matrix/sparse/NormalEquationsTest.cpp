// The systems a sparse matrix adds to a solver, checked entry by entry on a
// recording reference against hand computations, then solved.
#include "DenseReference.h"
#include <gtest/gtest.h>
#include <limits>
#include <sparse/Factory.h>

using namespace sparse;
using Cmplx = std::complex<double>;

namespace
{
template <typename T>
void reserveColumn(dense::Matrix<T>& m, std::initializer_list<T> values)
{
    m.reserve(int(values.size()), 1, nullptr, false);
    int i = 0;
    for (T v : values)
        m.getFirstColumnManipulator()[i++] = v;
}

void reserveWeights(dense::DiagMatrix<double>& W, std::initializer_list<double> values)
{
    W.reserve(int(values.size()), nullptr, false);
    int i = 0;
    for (double v : values)
        W.getManipulator()[i++] = v;
}
} // namespace

TEST(SparseMatrix, NormalEquationsOfWeightedH)
{
    // H = [1 2; 0 1; 3 0], W = diag(1, 2, 0.5), r = (1, -1, 2):
    // HtWH = [1 + 4.5, 2; 2, 4 + 2] and HtWr = (1 + 3, 2 - 2).
    IMatrix<int, double>* pH = createDblMatrix(3, 2, 4, Symmetry::General);
    pH->put(0, 0, 1);
    pH->put(0, 1, 2);
    pH->put(1, 1, 0.25); // (1, 1) in two parts: duplicates are summed
    pH->put(2, 0, 3);
    pH->put(1, 1, 0.75);
    dense::DiagMatrix<double> W;
    reserveWeights(W, {1, 2, 0.5});
    dense::Matrix<double> r;
    reserveColumn(r, {1.0, -1.0, 2.0});

    DenseReference<double> ref(2);
    pH->addNormalEquations(W, r, &ref);
    EXPECT_EQ(ref.a, (std::vector<double> {5.5, 2, 2, 6}));
    EXPECT_EQ(ref.rhs, (std::vector<double> {4, 0}));

    // [5.5 2; 2 6] x = (4, 0): det 29, x = (24 / 29, -8 / 29).
    ISolver<double, int>* pSolver = createDblSolver(2, 6, Symmetry::SymmetricPositiveDefinite, SolverType::LURefined,
                                                    Pivoting::Relaxed, Ordering::AMD);
    pH->addNormalEquations(W, r, pSolver);
    ASSERT_TRUE(pSolver->solve());
    EXPECT_NEAR(*pSolver->solutionValue(0), 24.0 / 29.0, 1e-15);
    EXPECT_NEAR(*pSolver->solutionValue(1), -8.0 / 29.0, 1e-15);

    // A refill in which one row moves to another column.
    pH->reset();
    pH->put(0, 0, 1);
    pH->put(0, 1, 2);
    pH->put(1, 0, 1); // was (1, 1)
    pH->put(2, 0, 3);
    ref.reset();
    pH->addNormalEquations(W, r, &ref);
    // HtWH = [1 + 2 + 4.5, 2; 2, 4], HtWr = (1 - 2 + 3, 2).
    EXPECT_EQ(ref.a, (std::vector<double> {7.5, 2, 2, 4}));
    EXPECT_EQ(ref.rhs, (std::vector<double> {2, 2}));
    pSolver->release();
    pH->release();
}

TEST(SparseMatrix, ComplexNormalEquationsUseTheConjugateTranspose)
{
    // H = [i 1], W = 2, r = 1 + i: H*WH = 2 [1 -i; i 1], H*Wr = (2 - 2i, 2 + 2i).
    IMatrix<int, Cmplx>* pH = createCmplxMatrix(1, 2, 2, Symmetry::General);
    pH->put(0, 0, Cmplx(0, 1));
    pH->put(0, 1, 1.0);
    dense::DiagMatrix<double> W;
    reserveWeights(W, {2});
    dense::Matrix<Cmplx> r;
    reserveColumn(r, {Cmplx(1, 1)});
    DenseReference<Cmplx> ref(2);
    pH->addNormalEquations(W, r, &ref);
    EXPECT_EQ(ref.a, (std::vector<Cmplx> {2.0, Cmplx(0, -2), Cmplx(0, 2), 2.0}));
    EXPECT_EQ(ref.rhs, (std::vector<Cmplx> {Cmplx(2, -2), Cmplx(2, 2)}));
    pH->release();
}

namespace
{
// min |dx - z|^2 subject to dx0 + dx1 + dx2 = 3 with z = (1, 2, 3) s: the
// bordered system [I 1; 1t 0] [dx; l] = [z s; 3 s] gives dx + l = z s and
// 3 l = 6 s - 3 s, so l = s and dx = (0, 1, 2) s.
template <typename T>
void solvesLeastSquaresWithOneConstraint(T s)
{
    IMatrix<int, T>* pH = nullptr;
    IMatrix<int, T>* pC = nullptr;
    ISolver<T, int>* pSolver = nullptr;
    const Symmetry sym = Symmetry::SymmetricIndefinite;
    if constexpr (std::is_same_v<T, double>)
    {
        pH = createDblMatrix(3, 3, 3, Symmetry::General);
        pC = createDblMatrix(1, 3, 3, Symmetry::General);
        pSolver = createDblSolver(4, 12, sym, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
    }
    else
    {
        pH = createCmplxMatrix(3, 3, 3, Symmetry::General);
        pC = createCmplxMatrix(1, 3, 3, Symmetry::General);
        pSolver = createCmplxSolver(4, 12, sym, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
    }
    dense::DiagMatrix<double> W;
    reserveWeights(W, {1, 1, 1});
    dense::Matrix<T> r, c;
    reserveColumn(r, {T(1.0) * s, T(2.0) * s, T(3.0) * s});
    reserveColumn(c, {T(3.0) * s});
    // Twice, as the least-squares solver refills every iteration.
    for (int fill = 0; fill < 2; ++fill)
    {
        pH->reset();
        pC->reset();
        pSolver->reset();
        for (int i = 0; i < 3; ++i)
        {
            pH->put(i, i, 1.0);
            pC->put(0, i, 1.0);
        }
        pH->addNormalEquations(W, r, pSolver);
        pC->addConstraintBlock(3, c, pSolver);
        ASSERT_TRUE(pSolver->solve());
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(std::abs(*pSolver->solutionValue(i) - T(double(i)) * s), 0.0, 1e-14) << "dx" << i;
        EXPECT_NEAR(std::abs(*pSolver->solutionValue(3) - s), 0.0, 1e-14) << "multiplier";
    }
    pSolver->release();
    pC->release();
    pH->release();
}
} // namespace

TEST(SparseMatrix, SolvesLeastSquaresWithOneConstraint)
{
    solvesLeastSquaresWithOneConstraint<double>(1.0);
    solvesLeastSquaresWithOneConstraint<Cmplx>(Cmplx(1.0, 1.0));
}

TEST(SparseMatrix, ConstraintBlockBordersTheSystem)
{
    // C = [2 i] at offset 2 of a 3 x 3 system: C in row 2, C* in column 2,
    // nothing in the corner, c in row 2 of the right-hand side.
    IMatrix<int, Cmplx>* pC = createCmplxMatrix(1, 2, 2, Symmetry::General);
    pC->put(0, 0, 2.0);
    pC->put(0, 1, Cmplx(0, 1));
    dense::Matrix<Cmplx> c;
    reserveColumn(c, {Cmplx(5, 0)});
    DenseReference<Cmplx> ref(3);
    pC->addConstraintBlock(2, c, &ref);
    const Cmplx i(0, 1);
    EXPECT_EQ(ref.a, (std::vector<Cmplx> {0.0, 0.0, 2.0, 0.0, 0.0, -i, 2.0, i, 0.0}));
    EXPECT_EQ(ref.rhs, (std::vector<Cmplx> {0.0, 0.0, 5.0}));
    pC->release();
}

// A measurement or constraint Jacobian entry outside the matrix (a switch
// entry has column -1) must make the solve fail, not stop the process; the
// next fill after reset() is good again.
TEST(SparseMatrix, EntryOutsideTheMatrixFailsTheSolve)
{
    struct StrayCase
    {
        const char* name;
        int row;
        int col;
        bool inConstraints;
    };
    const StrayCase cases[] = {
        {"measurement column -1", 0, -1, false},
        {"measurement row beyond", 2, 0, false},
        {"constraint column beyond", 0, 2, true},
    };
    for (const StrayCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        // H = I (2 x 2), W = I, r = (1, 2); constraint dx0 - dx1 = 1 at offset 2.
        IMatrix<int, double>* pH = createDblMatrix(2, 2, 2, Symmetry::General);
        IMatrix<int, double>* pC = createDblMatrix(1, 2, 2, Symmetry::General);
        ISolver<double, int>* pSolver = createDblSolver(3, 8, Symmetry::SymmetricIndefinite, SolverType::LURefined,
                                                        Pivoting::Relaxed, Ordering::AMD);
        dense::DiagMatrix<double> W;
        reserveWeights(W, {1, 1});
        dense::Matrix<double> r, cc;
        reserveColumn(r, {1.0, 2.0});
        reserveColumn(cc, {1.0});
        for (bool withStray : {true, false})
        {
            pH->reset();
            pC->reset();
            pSolver->reset();
            pH->put(0, 0, 1);
            pH->put(1, 1, 1);
            pC->put(0, 0, 1);
            pC->put(0, 1, -1);
            if (withStray)
                (c.inConstraints ? pC : pH)->put(c.row, c.col, 1.0);
            pH->addNormalEquations(W, r, pSolver);
            pC->addConstraintBlock(2, cc, pSolver);
            if (withStray)
            {
                EXPECT_FALSE(pSolver->solve());
                continue;
            }
            // dx + (l, -l) = (1, 2), dx0 - dx1 = 1: l = -1, dx = (2, 1).
            ASSERT_TRUE(pSolver->solve());
            EXPECT_NEAR(*pSolver->solutionValue(0), 2.0, 1e-14);
            EXPECT_NEAR(*pSolver->solutionValue(1), 1.0, 1e-14);
            EXPECT_NEAR(*pSolver->solutionValue(2), -1.0, 1e-14);
        }
        pSolver->release();
        pC->release();
        pH->release();
    }
}

// A constraint block whose last rows would lie past INT_MAX cannot be
// indexed: it fails the solve like a stray entry, and after reset() the same
// block at a sound offset solves.
TEST(SparseMatrix, ConstraintBlockPastIntMaxFailsTheSolve)
{
    // C = I (2 x 2) at offset 2 of a 4 x 4 system with A = I, b = (1, 2):
    // dx + l = (1, 2), dx = c = (3, 4), so l = (-2, -2).
    IMatrix<int, double>* pC = createDblMatrix(2, 2, 2, Symmetry::General);
    ISolver<double, int>* pSolver =
        createDblSolver(4, 8, Symmetry::SymmetricIndefinite, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
    dense::Matrix<double> c;
    reserveColumn(c, {3.0, 4.0});
    const int max = std::numeric_limits<int>::max();
    for (int offset : {max, max - 1, 2})
    {
        SCOPED_TRACE(offset);
        pC->reset();
        pSolver->reset();
        pC->put(0, 0, 1);
        pC->put(1, 1, 1);
        pSolver->put(0, 0, 1);
        pSolver->put(1, 1, 1);
        pSolver->putRHS(0, 1);
        pSolver->putRHS(1, 2);
        pC->addConstraintBlock(offset, c, pSolver);
        if (offset != 2)
        {
            EXPECT_FALSE(pSolver->solve());
            continue;
        }
        ASSERT_TRUE(pSolver->solve());
        const double expected[] = {3, 4, -2, -2};
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(*pSolver->solutionValue(i), expected[i], 1e-14) << i;
    }
    pSolver->release();
    pC->release();
}
