// The symmetric kinds: a Cholesky where the matrix allows one (L L* for the
// positive definite kind, L D L* in a saddle-point order for the indefinite
// kind), the pivoted LU where it does not, and in every case the solution
// of b := A x for a chosen x.
#include "DenseReference.h"
#include <gtest/gtest.h>
#include <sparse/Factory.h>
#include <sparse/priv/Solvers.h>

using namespace sparse;
using Cmplx = std::complex<double>;

namespace
{
struct Entry
{
    int row;
    int col;
    double re;
    double im;
};

struct Case
{
    const char* name;
    int n;
    Symmetry symmetry;
    // The lower triangle; the upper one is its conjugate mirror unless
    // the case gives its own entries.
    std::vector<Entry> lower;
    std::vector<Entry> extraUpper;
    bool usesCholesky;
};

const Symmetry spd = Symmetry::SymmetricPositiveDefinite;
const Symmetry indefinite = Symmetry::SymmetricIndefinite;

const Case cases[] = {
    // 4 on the diagonal, -1 beside it: positive definite.
    {"tridiagonal",
     4,
     spd,
     {{0, 0, 4, 0}, {1, 1, 4, 0}, {2, 2, 4, 0}, {3, 3, 4, 0}, {1, 0, -1, 0.5}, {2, 1, -1, -0.5}, {3, 2, -1, 0.25}},
     {},
     true},
    // [G C*; C 0] with G = diag(2, 3, 4) and C = [1 1 0; 0 1 1]: the
    // multipliers 3 and 4 have no diagonal entry.
    {"bordered",
     5,
     indefinite,
     {{0, 0, 2, 0}, {1, 1, 3, 0}, {2, 2, 4, 0}, {3, 0, 1, 0}, {3, 1, 1, 1}, {4, 1, 1, 0}, {4, 2, 1, -1}},
     {},
     true},
    // G = [1 1; 1 1] is singular, the constraint dx0 - dx1 makes the
    // bordered matrix regular: no L D L* without pivoting, so the LU.
    {"singular block",
     3,
     indefinite,
     {{0, 0, 1, 0}, {1, 0, 1, 0}, {1, 1, 1, 0}, {2, 0, 1, 0}, {2, 1, -1, 0}},
     {},
     false},
    // Symmetric but indefinite, given as positive definite.
    {"indefinite as positive definite", 2, spd, {{0, 0, 1, 0}, {1, 0, 2, 0}, {1, 1, 1, 0}}, {}, false},
    // The upper triangle differs from the lower one.
    {"not symmetric", 2, spd, {{0, 0, 4, 0}, {1, 0, 1, 0}, {1, 1, 4, 0}}, {{0, 1, 0.5, 0}}, false},
};

template <typename T>
T valueOf(const Entry& e)
{
    if constexpr (std::is_same_v<T, double>)
        return e.re;
    else
        return Cmplx(e.re, e.im);
}

template <typename T>
ISolver<T, int>* create(int n, Symmetry symmetry)
{
    if constexpr (std::is_same_v<T, double>)
        return createDblSolver(n, 0, symmetry, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    else
        return createCmplxSolver(n, 0, symmetry, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
}

double conjugate(double v) { return v; }
Cmplx conjugate(Cmplx v) { return std::conj(v); }

template <typename T>
void fill(ISolver<T, int>* pSolver, DenseReference<T>& ref, const Case& c)
{
    const auto put = [&](int row, int col, T v) {
        pSolver->put(row, col, v);
        ref.put(row, col, v);
    };
    for (const Entry& e : c.lower)
    {
        const T v = e.row == e.col ? T(e.re) : valueOf<T>(e);
        put(e.row, e.col, v);
        if (e.row != e.col && c.extraUpper.empty())
            put(e.col, e.row, conjugate(v));
    }
    for (const Entry& e : c.extraUpper)
        put(e.row, e.col, valueOf<T>(e));
}

template <typename T>
void solvesEveryCase()
{
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ISolver<T, int>* pSolver = create<T>(c.n, c.symmetry);
        DenseReference<T> ref(c.n);
        for (int round = 0; round < 2; ++round) // the second refactorises
        {
            pSolver->reset();
            ref.reset();
            fill(pSolver, ref, c);
            ASSERT_TRUE(pSolver->factorise());
            std::vector<T> expected(size_t(c.n));
            for (int i = 0; i < c.n; ++i)
                expected[size_t(i)] = valueOf<T>({0, 0, 1.0 + i, 0.5 - i});
            std::vector<T> x = ref.multiply(expected);
            ASSERT_TRUE(pSolver->solve(x.data(), x.data()));
            for (int i = 0; i < c.n; ++i)
                EXPECT_NEAR(std::abs(x[size_t(i)] - expected[size_t(i)]), 0.0, 1e-13) << "x" << i;
        }
        const auto& stats = dynamic_cast<priv::CholmodSolver<T>*>(pSolver)->getStatistics();
        EXPECT_EQ(stats.analyses, 1u);
        EXPECT_EQ(stats.factorisations, c.usesCholesky ? 2u : 0u);
        EXPECT_EQ(stats.fallbacks, c.usesCholesky ? 0u : 2u);
        pSolver->release();
    }
}
} // namespace

TEST(SparseCholesky, RealSystemsSolveByCholeskyOrTheirLU) { solvesEveryCase<double>(); }

TEST(SparseCholesky, ComplexSystemsSolveByCholeskyOrTheirLU) { solvesEveryCase<Cmplx>(); }

TEST(SparseCholesky, SingularSymmetricSystemFailsBothWays)
{
    // [1 1; 1 1]: no Cholesky, no LU.
    ISolver<double, int>* pSolver = create<double>(2, spd);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col)
            pSolver->put(row, col, 1.0);
    EXPECT_FALSE(pSolver->factorise());
    double x[2] = {1, 1};
    EXPECT_FALSE(pSolver->solve(x, x));
    pSolver->release();
}
