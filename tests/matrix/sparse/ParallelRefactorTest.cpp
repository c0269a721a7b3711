// The refactorisation shared over threads must give KLU's own factors bit
// for bit, whatever the threads and however late they start, recover from a
// zero pivot, and be what a solver lent threads uses.
#include <algorithm>
#include <atomic>
#include <complex>
#include <gtest/gtest.h>
#include <sparse/Factory.h>
#include <sparse/IParallel.h>
#include <sparse/priv/Klu.h>
#include <sparse/priv/KluRefactor.h>
#include <thread>
#include <vector>

using namespace sparse;
using Cmplx = std::complex<double>;

namespace
{
// Every part on a thread of its own.
class OwnThreads final : public IParallel
{
public:
    explicit OwnThreads(unsigned n)
        : _n(n)
    {
    }
    unsigned size() const override { return _n; }
    void run(Task task, void* context, unsigned nParts) override
    {
        ++runs;
        std::vector<std::thread> threads;
        for (unsigned part = 1; part < nParts; ++part)
            threads.emplace_back(task, context, part);
        task(context, 0);
        for (std::thread& t : threads)
            t.join();
    }
    std::atomic<int> runs {0};

private:
    unsigned _n;
};

// Claims several threads but runs the parts one after another: a part must
// never wait for one that has not started.
class OneAfterAnother final : public IParallel
{
public:
    unsigned size() const override { return 4; }
    void run(Task task, void* context, unsigned nParts) override
    {
        for (unsigned part = 0; part < nParts; ++part)
            task(context, part);
    }
};

// A 2-D grid of m x m nodes with a five-point stencil, unsymmetric values
// that change with `seed`; large enough for the threads at m = 40. With
// `oneWay`, some nodes also feed a far one that does not feed them back: a
// pattern of unsymmetric structure.
template <typename T>
struct Grid
{
    int n;
    std::vector<int> Ap, Ai;
    std::vector<T> Ax;

    Grid(int m, int seed, bool oneWay = false)
        : n(m * m)
    {
        Ap.push_back(0);
        for (int c = 0; c < n; ++c)
        {
            const int x = c % m, y = c / m;
            const int far = oneWay && c % 3 == 0 ? (c * 37 + 11) % n : -1;
            for (int r : {std::min(c - m, far), c - m, c - 1, c, c + 1, c + m, std::max(c + m, far)})
            {
                const bool neighbour = r >= 0 && r < n && (r / m == y || r % m == x);
                const bool farAndNew = far >= 0 && r == far && std::abs(r - c) > m;
                if (!neighbour && !farAndNew)
                    continue;
                if (!Ai.empty() && Ap.back() < int(Ai.size()) && Ai.back() >= r)
                    continue;
                Ai.push_back(r);
                Ax.push_back(valueAt(r, c, seed));
            }
            Ap.push_back(int(Ai.size()));
        }
    }

    static T valueAt(int r, int c, int seed)
    {
        const double wobble = double((r * 7919 + c * 104729 + seed * 1299709) % 1000) / 1000.0;
        const double re = r == c ? 4.0 + wobble : -1.0 + 0.6 * wobble;
        if constexpr (std::is_same_v<T, double>)
            return re;
        else
            return T(re, 0.3 - 0.5 * wobble);
    }
};

// KLU's analysis and two full factorisations of the same values: the
// reference one that KLU refactorises and the one shared over threads.
template <typename T>
struct Factors
{
    int m;
    bool oneWay;
    Grid<T> grid;
    klu_common common {};
    klu_symbolic* pSymbolic = nullptr;
    klu_numeric* pKlu = nullptr;
    klu_numeric* pShared = nullptr;

    explicit Factors(int m_, bool oneWay_ = false)
        : m(m_)
        , oneWay(oneWay_)
        , grid(m_, 0, oneWay_)
    {
        klu_defaults(&common);
        common.scale = -1;
        pSymbolic = klu_analyze(grid.n, grid.Ap.data(), grid.Ai.data(), &common);
        pKlu = factorOf(grid);
        pShared = factorOf(grid);
    }
    ~Factors()
    {
        priv::Klu<T>::freeNumeric(&pKlu, &common);
        priv::Klu<T>::freeNumeric(&pShared, &common);
        klu_free_symbolic(&pSymbolic, &common);
    }

    klu_numeric* factorOf(Grid<T>& g)
    {
        return priv::Klu<T>::factor(g.Ap.data(), g.Ai.data(), g.Ax.data(), pSymbolic, &common);
    }

    std::vector<T> solveWith(klu_numeric* pNumeric)
    {
        std::vector<T> x(std::size_t(grid.n));
        for (int i = 0; i < grid.n; ++i)
            x[std::size_t(i)] = T(1.0 + i % 5);
        EXPECT_TRUE(priv::Klu<T>::solve(pSymbolic, pNumeric, grid.n, x.data(), &common));
        return x;
    }

    // KLU refactorises values of `seed`, the threads do the same: the pivots,
    // and the solutions through them, must agree bit for bit.
    void expectSameFactors(priv::KluRefactor<T>& shared, IParallel& threads, int seed)
    {
        Grid<T> next(m, seed, oneWay);
        ASSERT_TRUE(priv::Klu<T>::refactor(next.Ap.data(), next.Ai.data(), next.Ax.data(), pSymbolic, pKlu, &common));
        ASSERT_TRUE(shared.refactor(next.Ap.data(), next.Ai.data(), next.Ax.data(), *pSymbolic, *pShared, threads));
        const T* kluPivots = static_cast<const T*>(pKlu->Udiag);
        const T* sharedPivots = static_cast<const T*>(pShared->Udiag);
        EXPECT_TRUE(std::equal(kluPivots, kluPivots + grid.n, sharedPivots));
        EXPECT_EQ(solveWith(pKlu), solveWith(pShared));
    }
};

template <typename T>
class ParallelRefactorTest : public ::testing::Test
{
};
using ValueTypes = ::testing::Types<double, Cmplx>;
TYPED_TEST_SUITE(ParallelRefactorTest, ValueTypes);

TYPED_TEST(ParallelRefactorTest, FactorsAreKlusBitForBit)
{
    for (bool oneWay : {false, true})
    {
        Factors<TypeParam> f(40, oneWay);
        ASSERT_NE(f.pShared, nullptr);
        ASSERT_EQ(f.pSymbolic->nblocks, 1);
        OwnThreads two(2), three(3), four(4);
        OneAfterAnother late;
        for (IParallel* pThreads : std::initializer_list<IParallel*> {&two, &three, &four, &late})
        {
            priv::KluRefactor<TypeParam> shared;
            ASSERT_TRUE(shared.plan(*f.pSymbolic, *f.pShared, pThreads->size()));
            for (int seed = 1; seed <= 3; ++seed)
                f.expectSameFactors(shared, *pThreads, seed);
        }
    }
}

// A zero first pivot leaves the factors invalid and is reported; the next
// refactorisation starts from a clean workspace.
TYPED_TEST(ParallelRefactorTest, ZeroPivotIsReportedAndLeavesNoTrace)
{
    Factors<TypeParam> f(40);
    OwnThreads threads(4);
    priv::KluRefactor<TypeParam> shared;
    ASSERT_TRUE(shared.plan(*f.pSymbolic, *f.pShared, threads.size()));
    Grid<TypeParam> singular(40, 5);
    const int first = f.pSymbolic->Q[0];
    for (int p = singular.Ap[std::size_t(first)]; p < singular.Ap[std::size_t(first) + 1]; ++p)
        if (f.pShared->Pinv[singular.Ai[std::size_t(p)]] == 0)
            singular.Ax[std::size_t(p)] = TypeParam();
    EXPECT_FALSE(
        shared.refactor(singular.Ap.data(), singular.Ai.data(), singular.Ax.data(), *f.pSymbolic, *f.pShared, threads));
    f.expectSameFactors(shared, threads, 6);
}

TYPED_TEST(ParallelRefactorTest, PlansOnlyWhereThreadsGain)
{
    Factors<TypeParam> large(40), small(6);
    priv::KluRefactor<TypeParam> shared;
    EXPECT_FALSE(shared.plan(*large.pSymbolic, *large.pShared, 1));
    EXPECT_FALSE(shared.isPlannedFor(1));
    EXPECT_FALSE(shared.plan(*small.pSymbolic, *small.pShared, 4));
    EXPECT_TRUE(shared.plan(*large.pSymbolic, *large.pShared, 4));
    EXPECT_FALSE(shared.isPlannedFor(2));
}

// A solver lent threads refactorises on them and solves exactly as one
// without; both give the chosen solution back.
TYPED_TEST(ParallelRefactorTest, SolverLentThreadsSolvesTheSame)
{
    const int m = 40;
    OwnThreads threads(3);
    std::vector<std::vector<TypeParam>> solutions;
    for (bool lend : {false, true})
    {
        ISolver<TypeParam, int>* pSolver = nullptr;
        if constexpr (std::is_same_v<TypeParam, double>)
            pSolver =
                createDblSolver(m * m, 5 * m * m, Symmetry::General, SolverType::LU, Pivoting::Relaxed, Ordering::AMD);
        else
            pSolver = createCmplxSolver(m * m, 5 * m * m, Symmetry::General, SolverType::LU, Pivoting::Relaxed,
                                        Ordering::AMD);
        if (lend)
            pSolver->shareWork(&threads);
        for (int seed = 0; seed <= 2; ++seed)
        {
            Grid<TypeParam> g(m, seed);
            pSolver->reset();
            std::vector<TypeParam> b(std::size_t(g.n), TypeParam());
            for (int c = 0; c < g.n; ++c)
                for (int p = g.Ap[std::size_t(c)]; p < g.Ap[std::size_t(c) + 1]; ++p)
                {
                    pSolver->put(g.Ai[std::size_t(p)], c, g.Ax[std::size_t(p)]);
                    b[std::size_t(g.Ai[std::size_t(p)])] += g.Ax[std::size_t(p)] * TypeParam(c % 7 - 3.0);
                }
            std::vector<TypeParam> x(b.size());
            ASSERT_TRUE(pSolver->factorise());
            ASSERT_TRUE(pSolver->solve(b.data(), x.data()));
            for (int c = 0; c < g.n; ++c)
                EXPECT_NEAR(std::abs(x[std::size_t(c)] - TypeParam(c % 7 - 3.0)), 0.0, 1e-12);
            solutions.push_back(x);
        }
        pSolver->release();
    }
    EXPECT_GT(threads.runs.load(), 0);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(solutions[i], solutions[i + 3]);
}
} // namespace
