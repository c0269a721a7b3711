// State estimation of three real grids (118, 2,869 and 9,241 buses) as
// measurement models, plain and with the zero-injection buses as equality
// constraints: load, compile, the phases of one Gauss-Newton iteration
// (evaluation of h and H with c and C, forming the normal equations, the
// refactorisation, the solve) and the whole solve from the flat start,
// checked against the stored estimate. bench/stateestimation.py runs it
// beside the peer's hand-written Gauss-Newton and prints the ratios.
#include "GridCase.h"
#include <benchmark/benchmark.h>
#include <solvers/WLSSolver.h>
#include <sparse/ISolver.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace
{
using namespace slDbl;
using Case = bench::LoadedCase<WLSSolver>;

const char* const s_cases[] = {"case118", "case2869pegase", "case9241pegase"};
const char* const s_variants[] = {"model.txt", "model_ecs.txt"};
const char* const s_solutions[] = {"solution.txt", "solution_ecs.txt"};

std::string pathOf(int c, const char* file) { return bench::casePath("stateestimation", s_cases[c], file); }

Case& caseOf(const benchmark::State& state)
{
    static std::map<std::pair<int, int>, std::unique_ptr<Case>> cases;
    const int c = int(state.range(0)), variant = int(state.range(1));
    auto& p = cases[{c, variant}];
    if (!p)
        p = std::make_unique<Case>(pathOf(c, s_variants[variant]));
    return *p;
}

void BM_Load(benchmark::State& state)
{
    test::fillVocabulary();
    for (auto _ : state)
    {
        sc::Naming naming;
        cnt::SafeFullVector<td::Variant> header;
        sc::TokenizedModel model(nullptr, header, Case::identity, naming, 0);
        const std::string path = pathOf(int(state.range(0)), s_variants[state.range(1)]);
        if (!model.loadFromFile(td::String(path.c_str())))
            return state.SkipWithError("model not found or not loaded");
    }
}

// Load and compile, with the analysis of the sparse patterns.
void BM_LoadAndCompile(benchmark::State& state)
{
    for (auto _ : state)
    {
        Case c(pathOf(int(state.range(0)), s_variants[state.range(1)]));
        if (!c.ok)
            return state.SkipWithError("model not compiled");
    }
}

// From the flat start to the estimate.
void BM_Solve(benchmark::State& state)
{
    Case& c = caseOf(state);
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    for (auto _ : state)
    {
        c.restart();
        if (c.solver.solve() != sc::Solution::OK)
            return state.SkipWithError("not solved");
    }
    state.counters["iterations"] = c.solver.getIterationsNo();
    state.counters["error_vs_solution"] =
        bench::errorAgainstSolution(c.solver, pathOf(int(state.range(0)), s_solutions[state.range(1)]));
}

// The phases of one iteration, at the flat start.
void BM_Evaluate(benchmark::State& state)
{
    Case& c = caseOf(state);
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    c.restart();
    for (auto _ : state)
        c.solver.evaluateMeasurements();
}

void BM_Form(benchmark::State& state)
{
    Case& c = caseOf(state);
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    c.restart();
    c.solver.evaluateMeasurements();
    for (auto _ : state)
        c.solver.formNormalEquations();
}

void BM_Factorise(benchmark::State& state)
{
    Case& c = caseOf(state);
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    c.restart();
    c.solver.evaluateMeasurements();
    c.solver.formNormalEquations();
    for (auto _ : state)
        if (!c.solver.getSparseSolver()->factorise())
            return state.SkipWithError("singular");
}

// The factorisation and the solve of the assembled system: the solve's time
// is this less the factorisation's.
void BM_FactoriseAndSolve(benchmark::State& state)
{
    Case& c = caseOf(state);
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    c.restart();
    c.solver.evaluateMeasurements();
    c.solver.formNormalEquations();
    for (auto _ : state)
        if (!c.solver.getSparseSolver()->solve())
            return state.SkipWithError("singular");
}

void cases(benchmark::internal::Benchmark* b)
{
    for (int c = 0; c < 3; ++c)
        for (int variant = 0; variant < 2; ++variant)
            b->Args({c, variant});
}

BENCHMARK(BM_Load)->Apply(cases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndCompile)->Apply(cases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Evaluate)->Apply(cases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Form)->Apply(cases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Factorise)->Apply(cases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FactoriseAndSolve)->Apply(cases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Solve)->Apply(cases)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
