// The sparse solver against a dense reference: every system is also put into
// a DenseReference, b := A x for a chosen x, and the solver must give x back.
#include "DenseReference.h"
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <sparse/Factory.h>
#include <sparse/priv/Solvers.h>
#include <string>

using namespace sparse;
using Cmplx = std::complex<double>;

namespace
{
struct Entry
{
    int row;
    int col;
    double value;
};

// Unsymmetric, with an empty diagonal place (1, 1) and entry (2, 2) put in
// two parts, so that pivoting and summing of duplicates are both needed.
const std::vector<Entry> unsymmetric6 = {
    {0, 0, 4}, {0, 1, -1}, {0, 5, 2}, {1, 0, 3}, {1, 2, 1}, {2, 1, 5}, {2, 2, -1}, {2, 3, 1}, {2, 2, -2},
    {3, 3, 2}, {3, 4, -1}, {3, 0, 1}, {4, 4, 6}, {4, 2, 2}, {5, 5, 1}, {5, 3, -4}, {5, 1, 1},
};

template <typename T>
T valueOf(const Entry& e);
template <>
double valueOf<double>(const Entry& e)
{
    return e.value;
}
template <>
Cmplx valueOf<Cmplx>(const Entry& e)
{
    return e.value * Cmplx(1.0, 0.25 * (e.row - e.col));
}

template <typename T>
ISolver<T, int>* create(int n, Symmetry s, SolverType t, Pivoting p, Ordering o)
{
    if constexpr (std::is_same_v<T, double>)
        return createDblSolver(n, 4, s, t, p, o);
    else
        return createCmplxSolver(n, 4, s, t, p, o);
}

template <typename T>
void fill(ISolver<T, int>* pSolver, DenseReference<T>& ref, const std::vector<Entry>& entries, double scale = 1.0)
{
    for (const Entry& e : entries)
    {
        T v = valueOf<T>(e) * scale;
        pSolver->put(e.row, e.col, v);
        ref.put(e.row, e.col, v);
    }
}

template <typename T>
std::vector<T> chosenSolution(int n)
{
    std::vector<T> x(static_cast<size_t>(n), T());
    for (int i = 0; i < n; ++i)
        x[size_t(i)] = T(1.0 + i) * (i % 2 ? -1.0 : 1.0) + T(0.5);
    if constexpr (!std::is_same_v<T, double>)
        for (int i = 0; i < n; ++i)
            x[size_t(i)] += Cmplx(0.0, 2.0 - i);
    return x;
}

// Solves A x = A xChosen through solve(rhs, x) and compares within the
// relative tolerance.
template <typename T>
void expectSolves(ISolver<T, int>* pSolver, const DenseReference<T>& ref, double tolerance = 1e-12)
{
    std::vector<T> expected = chosenSolution<T>(ref.n);
    std::vector<T> b = ref.multiply(expected);
    std::vector<T> x(b.size());
    ASSERT_TRUE(pSolver->solve(b.data(), x.data()));
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(std::abs(x[i] - expected[i]), 0.0, tolerance * (1.0 + std::abs(expected[i]))) << "x" << i;
}

struct Options
{
    Symmetry symmetry;
    SolverType type;
    Pivoting pivoting;
    Ordering ordering;
};

const Options allOptions[] = {
    {Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD},
    {Symmetry::General, SolverType::LUUnscaled, Pivoting::Strict, Ordering::COLAMD},
    {Symmetry::General, SolverType::LURefined, Pivoting::Threshold, Ordering::AMD},
    {Symmetry::General, SolverType::LU, Pivoting::Diagonal, Ordering::COLAMD},
    // Symmetric kinds skip the block triangular search; an unsymmetric
    // matrix must still be solved right.
    {Symmetry::Symmetric, SolverType::LU, Pivoting::Relaxed, Ordering::AMD},
    // The Cholesky kinds meet an unsymmetric matrix with their LU.
    {Symmetry::SymmetricPositiveDefinite, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD},
    {Symmetry::SymmetricIndefinite, SolverType::LU, Pivoting::Relaxed, Ordering::AMD},
};

// Every option, with the entries put row by row and in reverse order.
template <typename T>
void solvesUnsymmetricWithEveryOption()
{
    const std::vector<Entry> reversed(unsymmetric6.rbegin(), unsymmetric6.rend());
    for (const Options& o : allOptions)
    {
        SCOPED_TRACE(int(o.type) * 100 + int(o.pivoting) * 10 + int(o.ordering));
        for (const std::vector<Entry>* pEntries : {&unsymmetric6, &reversed})
        {
            ISolver<T, int>* pSolver = create<T>(6, o.symmetry, o.type, o.pivoting, o.ordering);
            DenseReference<T> ref(6);
            fill(pSolver, ref, *pEntries);
            ASSERT_TRUE(pSolver->factorise());
            expectSolves(pSolver, ref);
            pSolver->release();
        }
    }
}

template <typename T>
typename priv::KluSolver<T>::Statistics statisticsOf(ISolver<T, int>* pSolver)
{
    return dynamic_cast<priv::KluSolver<T>*>(pSolver)->getStatistics();
}
} // namespace

TEST(SparseSolver, SolvesUnsymmetricRealSystemWithEveryOption) { solvesUnsymmetricWithEveryOption<double>(); }

TEST(SparseSolver, SolvesUnsymmetricComplexSystemWithEveryOption) { solvesUnsymmetricWithEveryOption<Cmplx>(); }

TEST(SparseSolver, SolveWritesIntoTheRightHandSideWhenAsked)
{
    ISolver<double, int>* pSolver =
        createDblSolver(6, 0, Symmetry::General, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
    DenseReference<double> ref(6);
    fill(pSolver, ref, unsymmetric6);
    ASSERT_TRUE(pSolver->factorise());
    std::vector<double> xb = ref.multiply(chosenSolution<double>(6));
    ASSERT_TRUE(pSolver->solve(xb.data(), xb.data()));
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(xb[size_t(i)], chosenSolution<double>(6)[size_t(i)], 1e-12);
    pSolver->release();
}

TEST(SparseSolver, EmptySystemFactorisesAndSolves)
{
    ISolver<Cmplx, int>* pSolver =
        createCmplxSolver(0, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    EXPECT_TRUE(pSolver->factorise());
    EXPECT_TRUE(pSolver->solve(nullptr, nullptr));
    EXPECT_TRUE(pSolver->solve());
    pSolver->release();
}

namespace
{
const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

struct FailureCase
{
    const char* name;
    int n;
    Options options;
    std::vector<Entry> entries;
};

const Options general = {Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD};
} // namespace

TEST(SparseSolver, FactoriseFailsOnSingularOrNonFiniteSystems)
{
    const FailureCase cases[] = {
        {"zero row", 3, general, {{0, 0, 1}, {0, 1, 2}, {2, 1, 1}, {2, 2, 1}, {0, 2, 1}}},
        {"zero row and column, symmetric",
         2,
         {Symmetry::SymmetricIndefinite, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD},
         {{0, 0, 1}}},
        {"no entry at all", 2, general, {}},
        {"exactly singular 2x2", 2, general, {{0, 0, 1}, {0, 1, 2}, {1, 0, 2}, {1, 1, 4}}},
        {"duplicates cancel", 2, general, {{0, 0, 1}, {1, 1, 1}, {1, 1, -1}, {1, 0, 1}}},
        {"NaN entry", 2, general, {{0, 0, 1}, {0, 1, notANumber}, {1, 1, 1}}},
        {"infinite entry", 2, general, {{0, 0, infinity}, {1, 1, 1}}},
        {"duplicates sum beyond the range", 2, general, {{0, 0, 1e308}, {0, 0, 1e308}, {1, 1, 1}}},
        {"elimination overflows",
         2,
         {Symmetry::General, SolverType::LUUnscaled, Pivoting::Relaxed, Ordering::AMD},
         {{0, 0, 1e308}, {0, 1, 1e308}, {1, 0, 1e308}, {1, 1, -1e308}}},
    };
    for (const FailureCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Options& o = c.options;
        ISolver<double, int>* pSolver = createDblSolver(c.n, 0, o.symmetry, o.type, o.pivoting, o.ordering);
        DenseReference<double> ref(c.n);
        fill(pSolver, ref, c.entries);
        EXPECT_FALSE(pSolver->factorise());
        std::vector<double> b(static_cast<size_t>(c.n), 1.0), x(static_cast<size_t>(c.n));
        EXPECT_FALSE(pSolver->solve(b.data(), x.data()));
        EXPECT_FALSE(pSolver->solve());
        pSolver->release();
    }
}

TEST(SparseSolver, ComplexFactoriseFailsOnSingularOrNonFiniteSystems)
{
    const std::vector<std::vector<std::pair<std::pair<int, int>, Cmplx>>> cases = {
        // det [[1, i], [i, -1]] = -1 - i^2 = 0
        {{{0, 0}, 1.0}, {{0, 1}, Cmplx(0, 1)}, {{1, 0}, Cmplx(0, 1)}, {{1, 1}, -1.0}},
        {{{0, 0}, Cmplx(1, notANumber)}, {{1, 1}, 1.0}},
        {{{0, 0}, 1.0}, {{1, 1}, Cmplx(infinity, 0)}},
    };
    for (size_t k = 0; k < cases.size(); ++k)
    {
        SCOPED_TRACE(k);
        ISolver<Cmplx, int>* pSolver =
            createCmplxSolver(2, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
        for (const auto& [pos, v] : cases[k])
            pSolver->put(pos.first, pos.second, v);
        EXPECT_FALSE(pSolver->factorise());
        pSolver->release();
    }
}

// An entry outside the system (a Jacobian entry with a bad column) must not
// stop the process or touch memory outside the solver: the fill fails, and a
// reset starts a good one.
TEST(SparseSolver, EntryOutsideTheSystemFailsTheFill)
{
    struct StrayCase
    {
        const char* name;
        int row;
        int col;
        bool isRHS;
    };
    const StrayCase cases[] = {
        {"row -1", -1, 0, false},
        {"column -1", 1, -1, false},
        {"row n", 2, 1, false},
        {"column n", 0, 2, false},
        {"huge row", 1 << 30, 0, false},
        {"right-hand side row n", 2, 0, true},
        {"right-hand side row -1", -1, 0, true},
    };
    for (const StrayCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ISolver<double, int>* pSolver =
            createDblSolver(2, 0, Symmetry::General, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
        pSolver->put(0, 0, 2);
        pSolver->put(1, 1, 4);
        if (c.isRHS)
            pSolver->putRHS(c.row, 1.0);
        else
            pSolver->put(c.row, c.col, 1.0);
        EXPECT_FALSE(pSolver->factorise());
        EXPECT_FALSE(pSolver->solve());
        pSolver->reset();
        pSolver->put(0, 0, 2);
        pSolver->put(1, 1, 4);
        pSolver->putRHS(1, 2.0);
        ASSERT_TRUE(pSolver->solve());
        EXPECT_EQ(*pSolver->solutionValue(0), 0.0);
        EXPECT_EQ(*pSolver->solutionValue(1), 0.5);
        pSolver->release();
    }
}

TEST(SparseSolver, NegativeSizeNeverFactorises)
{
    ISolver<Cmplx, int>* pSolver =
        createCmplxSolver(-3, -5, Symmetry::General, SolverType::LURefined, Pivoting::Relaxed, Ordering::AMD);
    pSolver->put(0, 0, 1.0);
    pSolver->putRHS(0, 1.0);
    EXPECT_FALSE(pSolver->factorise());
    EXPECT_FALSE(pSolver->solve());
    pSolver->reset();
    EXPECT_FALSE(pSolver->factorise());
    pSolver->release();
}

TEST(SparseSolver, SolveFailsWithoutAFactorisation)
{
    ISolver<double, int>* pSolver =
        createDblSolver(2, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    double b[2] = {1, 2}, x[2];
    EXPECT_FALSE(pSolver->solve(b, x)) << "nothing factorised yet";
    pSolver->put(0, 0, 2);
    pSolver->put(1, 1, 4);
    ASSERT_TRUE(pSolver->factorise());
    ASSERT_TRUE(pSolver->solve(b, x));
    EXPECT_DOUBLE_EQ(x[0], 0.5);
    EXPECT_DOUBLE_EQ(x[1], 0.5);
    pSolver->reset();
    EXPECT_FALSE(pSolver->solve(b, x)) << "a refill drops the factorisation";
    pSolver->put(0, 0, notANumber);
    pSolver->put(1, 1, 4);
    EXPECT_FALSE(pSolver->factorise());
    EXPECT_FALSE(pSolver->solve(b, x)) << "a failed factorisation leaves none";
    pSolver->release();
}

TEST(SparseSolver, SolveFailsWhenTheSolutionIsNotFinite)
{
    // A well-conditioned matrix whose solution exceeds the range of double.
    ISolver<double, int>* pSolver =
        createDblSolver(2, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    pSolver->put(0, 0, 1e-200);
    pSolver->put(1, 1, 1e-200);
    ASSERT_TRUE(pSolver->factorise());
    double b[2] = {1e200, 1.0}, x[2];
    EXPECT_FALSE(pSolver->solve(b, x));
    pSolver->release();
}

TEST(SparseSolver, RefillWithTheSamePatternRefactorisesWithTheCachedAnalysis)
{
    ISolver<double, int>* pSolver =
        createDblSolver(6, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    for (double scale : {1.0, 0.5, -3.0, 1.25})
    {
        SCOPED_TRACE(scale);
        DenseReference<double> ref(6);
        pSolver->reset();
        fill(pSolver, ref, unsymmetric6, scale);
        ref.put(3, 3, 7.0); // one value stays, so the matrices are not multiples
        pSolver->put(3, 3, 7.0);
        ASSERT_TRUE(pSolver->factorise());
        expectSolves(pSolver, ref);
    }
    auto stats = statisticsOf(pSolver);
    EXPECT_EQ(stats.analyses, 1u);
    EXPECT_EQ(stats.factorisations, 1u);
    EXPECT_EQ(stats.refactorisations, 3u);
    pSolver->release();
}

// A 12 x 12 grid stencil put in scrambled order, every entry in two parts:
// the compression must sort and sum what arrives in any order, and refills
// in that same order must keep the one analysis.
TEST(SparseSolver, ScrambledGridWithDuplicatesSolvesOnEveryRefill)
{
    const int m = 12, n = m * m;
    std::vector<Entry> grid;
    for (int row = 0; row < n; ++row)
    {
        int i = row / m, j = row % m;
        grid.push_back({row, row, 2.0});
        if (i > 0)
            grid.push_back({row, row - m, -0.6});
        if (i + 1 < m)
            grid.push_back({row, row + m, -0.4});
        if (j > 0)
            grid.push_back({row, row - 1, -0.55});
        if (j + 1 < m)
            grid.push_back({row, row + 1, -0.45});
    }
    const size_t count = grid.size();
    std::vector<Entry> scrambled;
    for (size_t k = 0; k < 2 * count; ++k)
    {
        // 101 is prime and does not divide count: each entry comes twice.
        Entry e = grid[(k * 101) % count];
        e.value *= 0.5;
        scrambled.push_back(e);
    }
    ISolver<double, int>* pSolver =
        createDblSolver(n, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    for (double scale : {1.0, 1.1, 0.9})
    {
        SCOPED_TRACE(scale);
        DenseReference<double> ref(n);
        pSolver->reset();
        fill(pSolver, ref, scrambled, scale);
        pSolver->put(0, 0, scale); // the matrices are not multiples of each other
        ref.put(0, 0, scale);
        ASSERT_TRUE(pSolver->factorise());
        expectSolves(pSolver, ref);
    }
    EXPECT_EQ(statisticsOf(pSolver).analyses, 1u);
    EXPECT_EQ(statisticsOf(pSolver).refactorisations, 2u);
    pSolver->release();
}

TEST(SparseSolver, ChangedPatternIsAnalysedAgain)
{
    // The second fill keeps the number of entries but moves one of them, as
    // an if-then-else row does when it picks the other branch.
    std::vector<Entry> moved = unsymmetric6;
    moved[2] = {0, 4, 2};
    ISolver<Cmplx, int>* pSolver =
        createCmplxSolver(6, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    for (const std::vector<Entry>* pEntries :
         {&unsymmetric6, static_cast<const std::vector<Entry>*>(&moved), &unsymmetric6})
    {
        DenseReference<Cmplx> ref(6);
        pSolver->reset();
        fill(pSolver, ref, *pEntries);
        ASSERT_TRUE(pSolver->factorise());
        expectSolves(pSolver, ref);
    }
    EXPECT_EQ(statisticsOf(pSolver).analyses, 3u);
    pSolver->release();
}

TEST(SparseSolver, PoorRefactorisationFallsBackToFreshPivoting)
{
    // The first values pivot on the diagonal; the refill makes the first
    // diagonal pivot tiny or zero, where the old pivot order breaks down.
    for (double pivot : {1e-14, 0.0})
    {
        SCOPED_TRACE(pivot);
        ISolver<double, int>* pSolver =
            createDblSolver(2, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
        DenseReference<double> ref(2);
        fill(pSolver, ref, {{0, 0, 1}, {0, 1, 1}, {1, 0, 1}, {1, 1, 2}});
        ASSERT_TRUE(pSolver->factorise());
        pSolver->reset();
        ref.reset();
        fill(pSolver, ref, {{0, 0, pivot}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}});
        ASSERT_TRUE(pSolver->factorise());
        expectSolves(pSolver, ref);
        auto stats = statisticsOf(pSolver);
        EXPECT_EQ(stats.analyses, 1u);
        EXPECT_EQ(stats.factorisations, 2u);
        EXPECT_EQ(stats.refactorisations, 0u);
        pSolver->release();
    }
}

TEST(SparseSolver, RowsScaledApartPivotAsIfScaledAlsoOnRefactorisation)
{
    // Row 0 is (1e-20, 1) scaled by 1e20: on the raw values its diagonal
    // looks as large as any, and pivoting on it leaves U with the pivots 1
    // and -1e20, singular in all but name. Scaled by its largest entry it is
    // 1e-20 and row 1 pivots. The refill moves the rows' magnitudes a
    // thousandfold each way: the scale chosen with the pivots still serves
    // the refactorisation.
    ISolver<double, int>* pSolver =
        createDblSolver(2, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    DenseReference<double> ref(2);
    fill(pSolver, ref, {{0, 0, 1}, {0, 1, 1e20}, {1, 0, 1}, {1, 1, 1}});
    ASSERT_TRUE(pSolver->factorise());
    expectSolves(pSolver, ref);
    pSolver->reset();
    ref.reset();
    fill(pSolver, ref, {{0, 0, 1e3}, {0, 1, 1e23}, {1, 0, 1e-3}, {1, 1, 1e-3}});
    ASSERT_TRUE(pSolver->factorise());
    expectSolves(pSolver, ref);
    EXPECT_EQ(statisticsOf(pSolver).factorisations, 1u);
    EXPECT_EQ(statisticsOf(pSolver).refactorisations, 1u);
    pSolver->release();
}

TEST(SparseSolver, RefactorisationWithLargePivotGrowthFallsBack)
{
    // With the old pivots the refill's U has the diagonal (1e-7, 1, 1), so the
    // estimate min|U_kk| / max|U_kk| = 1e-7 alone would pass, but u_23 grows
    // to -1e7: the growth must be caught. The matrix itself has a condition
    // number near 1e7, hence the wider tolerance.
    ISolver<double, int>* pSolver =
        createDblSolver(3, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    DenseReference<double> ref(3);
    fill(pSolver, ref,
         {{0, 0, 4}, {0, 1, 1}, {0, 2, 1}, {1, 0, 1}, {1, 1, 4}, {1, 2, 1}, {2, 0, 1}, {2, 1, 1}, {2, 2, 4}});
    ASSERT_TRUE(pSolver->factorise());
    pSolver->reset();
    ref.reset();
    fill(pSolver, ref,
         {{0, 0, 1e-7}, {0, 1, 0}, {0, 2, 1}, {1, 0, 1}, {1, 1, 1}, {1, 2, 0}, {2, 0, 0}, {2, 1, 0}, {2, 2, 1}});
    ASSERT_TRUE(pSolver->factorise());
    expectSolves(pSolver, ref, 1e-8);
    EXPECT_EQ(statisticsOf(pSolver).factorisations, 2u);
    pSolver->release();
}

namespace
{
// The pattern of entries set up front, then each fill written straight into
// the compressed value array through the places, duplicates summed.
template <typename T>
void writeValues(ISolver<T, int>* pSolver, const std::vector<Entry>& entries, double scale)
{
    T* values = pSolver->values();
    std::fill(values, values + pSolver->nonZeros(), T());
    for (size_t k = 0; k < entries.size(); ++k)
        values[pSolver->places()[k]] += valueOf<T>(entries[k]) * scale;
}

template <typename T>
void solvesWithThePatternSetUpFront()
{
    std::vector<int> rows, cols;
    for (const Entry& e : unsymmetric6)
    {
        rows.push_back(e.row);
        cols.push_back(e.col);
    }
    for (const Options& o : {allOptions[0], allOptions[2], allOptions[6]})
    {
        SCOPED_TRACE(int(o.symmetry));
        ISolver<T, int>* pSolver = create<T>(6, o.symmetry, o.type, o.pivoting, o.ordering);
        ASSERT_TRUE(pSolver->setPattern(rows.data(), cols.data(), rows.size()));
        EXPECT_EQ(pSolver->nonZeros(), 16) << "17 entries, (2, 2) twice";
        EXPECT_EQ(pSolver->places()[6], pSolver->places()[8]);
        for (double scale : {1.0, -0.5, 2.0})
        {
            DenseReference<T> ref(6);
            for (const Entry& e : unsymmetric6)
                ref.put(e.row, e.col, valueOf<T>(e) * scale);
            writeValues(pSolver, unsymmetric6, scale);
            ASSERT_TRUE(pSolver->factoriseValues());
            expectSolves(pSolver, ref);
        }
        // Setting the same pattern again keeps its analysis.
        ASSERT_TRUE(pSolver->setPattern(rows.data(), cols.data(), rows.size()));
        EXPECT_EQ(pSolver->getNoOfAnalyses(), 1u);
        pSolver->release();
    }
}
} // namespace

TEST(SparseSolver, RealValuesWrittenIntoThePatternSetUpFrontSolve) { solvesWithThePatternSetUpFront<double>(); }

TEST(SparseSolver, ComplexValuesWrittenIntoThePatternSetUpFrontSolve) { solvesWithThePatternSetUpFront<Cmplx>(); }

TEST(SparseSolver, PatternSetUpFrontRefusesWhatCannotFactorise)
{
    ISolver<double, int>* pSolver =
        createDblSolver(2, 0, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
    const int outsideRows[] = {0, 1, 2}, outsideCols[] = {0, 1, 0};
    EXPECT_FALSE(pSolver->setPattern(outsideRows, outsideCols, 3));
    EXPECT_FALSE(pSolver->factoriseValues());
    const int emptyRowRows[] = {0, 0}, emptyRowCols[] = {0, 1};
    EXPECT_FALSE(pSolver->setPattern(emptyRowRows, emptyRowCols, 2)) << "row 1 is empty";
    EXPECT_FALSE(pSolver->factoriseValues());
    EXPECT_EQ(pSolver->values(), nullptr) << "a refused pattern has no value array to write";

    const int rows[] = {0, 0, 1, 1}, cols[] = {0, 1, 0, 1};
    ASSERT_TRUE(pSolver->setPattern(rows, cols, 4));
    const unsigned analyses = pSolver->getNoOfAnalyses();
    auto write = [&](std::initializer_list<double> a) {
        size_t k = 0;
        for (double v : a)
            pSolver->values()[pSolver->places()[k++]] = v;
    };
    write({1, 2, 2, 4});
    EXPECT_FALSE(pSolver->factoriseValues()) << "singular";
    write({1, notANumber, 0, 1});
    EXPECT_FALSE(pSolver->factoriseValues()) << "not finite";
    double b[2] = {1, 2}, x[2];
    EXPECT_FALSE(pSolver->solve(b, x));
    // After a failure the next values factorise afresh on the same analysis.
    write({2, 0, 0, 4});
    ASSERT_TRUE(pSolver->factoriseValues());
    ASSERT_TRUE(pSolver->solve(b, x));
    EXPECT_DOUBLE_EQ(x[0], 0.5);
    EXPECT_DOUBLE_EQ(x[1], 0.5);
    EXPECT_EQ(pSolver->getNoOfAnalyses(), analyses);
    pSolver->release();
}
