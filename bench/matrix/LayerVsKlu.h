#pragma once
// The sparse layer against KLU called directly on the same matrix: a pattern
// (in the order a Jacobian is put, row by row) with base values, scaled
// slightly differently in each iteration as a Newton step would change them.
// Timed against each other: a refill + factorise + solve against
// klu_refactor + klu_solve on a prepared CSC matrix, and a first
// factorisation against klu_analyze + klu_factor. The ratios are printed
// after the runs.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <klu.h>
#include <malloc.h>
#include <map>
#include <numeric>
#include <sparse/Factory.h>
#include <sparse/priv/Solvers.h>
#include <string>
#include <vector>

struct Pattern
{
    int n = 0;
    std::vector<int> rows, cols;
    std::vector<double> values;

    void add(int row, int col, double value)
    {
        rows.push_back(row);
        cols.push_back(col);
        values.push_back(value);
    }

    // The values of one Newton iteration, in the order they are put.
    // Diagonal entries change less than the others, so the matrix stays
    // diagonally dominant and the old pivot order stays good.
    std::vector<double> valuesAt(int iteration) const
    {
        std::vector<double> v(values);
        for (size_t k = 0; k < v.size(); ++k)
            if (rows[k] != cols[k])
                v[k] *= 1.0 + 0.01 * std::sin(0.7 * iteration + double(k % 13));
        return v;
    }
};

// The CSC form built directly (the caller of KLU prepares it once); the
// pattern has no duplicates.
struct Csc
{
    std::vector<int> Ap, Ai, source; // source: the pattern entry of each place
    std::vector<double> Ax;

    explicit Csc(const Pattern& p)
    {
        size_t nnz = p.rows.size();
        std::vector<size_t> order(nnz);
        std::iota(order.begin(), order.end(), size_t(0));
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return p.cols[a] != p.cols[b] ? p.cols[a] < p.cols[b] : p.rows[a] < p.rows[b];
        });
        Ap.assign(size_t(p.n) + 1, 0);
        for (size_t k : order)
        {
            ++Ap[size_t(p.cols[k]) + 1];
            Ai.push_back(p.rows[k]);
            source.push_back(int(k));
        }
        for (int j = 0; j < p.n; ++j)
            Ap[size_t(j) + 1] += Ap[size_t(j)];
    }

    // Pattern-ordered values in CSC order.
    std::vector<double> reorder(const std::vector<double>& values) const
    {
        std::vector<double> v(values.size());
        for (size_t q = 0; q < v.size(); ++q)
            v[q] = values[size_t(source[q])];
        return v;
    }
};

inline const Pattern* g_pPattern = nullptr;

// Values are computed before the timing starts: both sides get them ready
// made, the layer in the order of the puts, KLU in CSC order. Refills take
// turns between the values of two iterations.
inline sparse::ISolver<double, int>* createFilledSolver(const Pattern& p, const std::vector<double>& values)
{
    auto* pSolver = sparse::createDblSolver(p.n, int(p.rows.size() * 3 / 2), sparse::Symmetry::General,
                                            sparse::SolverType::LU, sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
    for (size_t k = 0; k < p.rows.size(); ++k)
        pSolver->put(p.rows[k], p.cols[k], values[k]);
    return pSolver;
}

inline void BM_LayerRefactorSolve(benchmark::State& state)
{
    const Pattern& p = *g_pPattern;
    const std::vector<double> values[2] = {p.valuesAt(1), p.valuesAt(2)};
    auto* pSolver = createFilledSolver(p, p.valuesAt(0));
    if (!pSolver->factorise())
        state.SkipWithError("first factorisation failed");
    std::vector<double> b(size_t(p.n), 1.0), x(size_t(p.n));
    int iteration = 0;
    for (auto _ : state)
    {
        const double* v = values[iteration++ & 1].data();
        pSolver->reset();
        for (size_t k = 0; k < p.rows.size(); ++k)
            pSolver->put(p.rows[k], p.cols[k], v[k]);
        if (!pSolver->factorise() || !pSolver->solve(b.data(), x.data()))
            state.SkipWithError("refill failed");
        benchmark::DoNotOptimize(x.data());
    }
    // Every refill must have taken the refactorisation path.
    if (dynamic_cast<sparse::priv::KluSolver<double>*>(pSolver)->getStatistics().factorisations != 1)
        state.SkipWithError("a refill factorised anew");
    pSolver->release();
}

// The pattern set up front: each refill writes the values through the
// places into the layer's compressed array, as the Newton solvers do.
inline void BM_LayerValuesRefactorSolve(benchmark::State& state)
{
    const Pattern& p = *g_pPattern;
    const std::vector<double> values[3] = {p.valuesAt(0), p.valuesAt(1), p.valuesAt(2)};
    auto* pSolver = sparse::createDblSolver(p.n, 0, sparse::Symmetry::General, sparse::SolverType::LU,
                                            sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
    if (!pSolver->setPattern(p.rows.data(), p.cols.data(), p.rows.size()))
        state.SkipWithError("pattern refused");
    auto write = [&](const std::vector<double>& v) {
        double* out = pSolver->values();
        std::fill(out, out + pSolver->nonZeros(), 0.0);
        const int* places = pSolver->places();
        for (size_t k = 0; k < v.size(); ++k)
            out[places[k]] += v[k];
    };
    write(values[0]);
    if (!pSolver->factoriseValues())
        state.SkipWithError("first factorisation failed");
    std::vector<double> b(size_t(p.n), 1.0), x(size_t(p.n));
    int iteration = 0;
    for (auto _ : state)
    {
        write(values[1 + (iteration++ & 1)]);
        if (!pSolver->factoriseValues() || !pSolver->solve(b.data(), x.data()))
            state.SkipWithError("refill failed");
        benchmark::DoNotOptimize(x.data());
    }
    if (dynamic_cast<sparse::priv::KluSolver<double>*>(pSolver)->getStatistics().factorisations != 1)
        state.SkipWithError("a refill factorised anew");
    pSolver->release();
}

inline void BM_KluRefactorSolve(benchmark::State& state)
{
    const Pattern& p = *g_pPattern;
    Csc a(p);
    const std::vector<double> values[2] = {a.reorder(p.valuesAt(1)), a.reorder(p.valuesAt(2))};
    a.Ax = a.reorder(p.valuesAt(0));
    klu_common common;
    klu_defaults(&common);
    klu_symbolic* pS = klu_analyze(p.n, a.Ap.data(), a.Ai.data(), &common);
    klu_numeric* pN = klu_factor(a.Ap.data(), a.Ai.data(), a.Ax.data(), pS, &common);
    std::vector<double> b(size_t(p.n), 1.0), x(size_t(p.n));
    int iteration = 0;
    for (auto _ : state)
    {
        const std::vector<double>& v = values[iteration++ & 1];
        std::copy(v.begin(), v.end(), a.Ax.begin());
        std::copy(b.begin(), b.end(), x.begin());
        if (!klu_refactor(a.Ap.data(), a.Ai.data(), a.Ax.data(), pS, pN, &common) ||
            !klu_solve(pS, pN, p.n, 1, x.data(), &common))
            state.SkipWithError("refactor failed");
        benchmark::DoNotOptimize(x.data());
    }
    klu_free_numeric(&pN, &common);
    klu_free_symbolic(&pS, &common);
}

// The first factorisation is timed twice. Alone: the layer's first
// factorise() (compressing the entries, analysis, factorisation) against
// klu_analyze + klu_factor, creation, puts and freeing untimed on both
// sides. In full: creation, puts, factorise() and release() against
// analysis, factorisation and freeing; the layer then also pays for its
// own fresh memory (the entries and the compressed pattern), which KLU's
// caller had prepared beforehand.
inline void layerFirstFactorisation(benchmark::State& state, bool isInFull)
{
    const Pattern& p = *g_pPattern;
    const std::vector<double> values = p.valuesAt(0);
    for (auto _ : state)
    {
        if (!isInFull)
            state.PauseTiming();
        auto* pSolver = createFilledSolver(p, values);
        if (!isInFull)
            state.ResumeTiming();
        if (!pSolver->factorise())
            state.SkipWithError("factorisation failed");
        if (!isInFull)
            state.PauseTiming();
        pSolver->release();
        if (!isInFull)
            state.ResumeTiming();
    }
}

inline void kluFirstFactorisation(benchmark::State& state, bool isInFull)
{
    const Pattern& p = *g_pPattern;
    Csc a(p);
    a.Ax = a.reorder(p.valuesAt(0));
    klu_common common;
    klu_defaults(&common);
    for (auto _ : state)
    {
        klu_symbolic* pS = klu_analyze(p.n, a.Ap.data(), a.Ai.data(), &common);
        klu_numeric* pN = klu_factor(a.Ap.data(), a.Ai.data(), a.Ax.data(), pS, &common);
        if (!pN)
            state.SkipWithError("factorisation failed");
        if (!isInFull)
            state.PauseTiming();
        klu_free_numeric(&pN, &common);
        klu_free_symbolic(&pS, &common);
        if (!isInFull)
            state.ResumeTiming();
    }
}

inline void BM_LayerFirstFactorise(benchmark::State& state) { layerFirstFactorisation(state, false); }

inline void BM_KluAnalyzeFactor(benchmark::State& state) { kluFirstFactorisation(state, false); }

inline void BM_LayerCreatePutFactoriseRelease(benchmark::State& state) { layerFirstFactorisation(state, true); }

inline void BM_KluAnalyzeFactorFree(benchmark::State& state) { kluFirstFactorisation(state, true); }

// Keeps the best time per iteration over the repetitions of each benchmark:
// on a shared machine the minimum is the estimate least disturbed by others.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
            {
                auto [pos, isNew] = _times.emplace(run.run_name.function_name, run.GetAdjustedRealTime());
                if (!isNew)
                    pos->second = std::min(pos->second, run.GetAdjustedRealTime());
            }
    }

    void printRatio(const char* what, const char* layer, const char* klu) const
    {
        auto l = _times.find(layer), k = _times.find(klu);
        if (l != _times.end() && k != _times.end())
            std::printf("%s: layer %.3f ms, KLU %.3f ms, ratio %.3f\n", what, l->second, k->second,
                        l->second / k->second);
    }

private:
    std::map<std::string, double> _times;
};

inline int runLayerVsKlu(int argc, char** argv, const Pattern& pattern, const char* title)
{
    g_pPattern = &pattern;
    // glibc moves its mmap and trim thresholds up to the size of large freed
    // blocks, so a loop that frees and allocates the same blocks (the KLU
    // side) gets warm memory back, while the layer's creation and release in
    // between disturb that. Fixed thresholds give both sides fresh memory in
    // every first factorisation, as a caller that creates a solver has.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    std::printf("%s: %d rows, %zu entries\n", title, pattern.n, pattern.rows.size());
    using Benchmark = void (*)(benchmark::State&);
    const std::pair<const char*, Benchmark> benchmarks[] = {
        {"BM_LayerRefactorSolve", BM_LayerRefactorSolve},
        {"BM_LayerValuesRefactorSolve", BM_LayerValuesRefactorSolve},
        {"BM_KluRefactorSolve", BM_KluRefactorSolve},
        {"BM_LayerFirstFactorise", BM_LayerFirstFactorise},
        {"BM_KluAnalyzeFactor", BM_KluAnalyzeFactor},
        {"BM_LayerCreatePutFactoriseRelease", BM_LayerCreatePutFactoriseRelease},
        {"BM_KluAnalyzeFactorFree", BM_KluAnalyzeFactorFree},
    };
    for (const auto& [name, fn] : benchmarks)
        benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(10);
    // The layer and KLU runs take turns, so that a load from elsewhere falls
    // on both; flags given on the command line still win.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int nArgs = int(args.size());
    benchmark::Initialize(&nArgs, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("refill + factorise + solve", "BM_LayerRefactorSolve", "BM_KluRefactorSolve");
    reporter.printRatio("values written into the pattern set up front + factorise + solve",
                        "BM_LayerValuesRefactorSolve", "BM_KluRefactorSolve");
    reporter.printRatio("first factorisation", "BM_LayerFirstFactorise", "BM_KluAnalyzeFactor");
    reporter.printRatio("first factorisation with creation, puts and freeing", "BM_LayerCreatePutFactoriseRelease",
                        "BM_KluAnalyzeFactorFree");
    benchmark::Shutdown();
    return 0;
}
