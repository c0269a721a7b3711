// AC power flow of three real grids (118, 2,869 and 9,241 buses): load,
// compile (trees, differentiation, programs), one Newton iteration split
// into the evaluation of f and of the Jacobian and the sparse refactorise
// and solve (at the flat start and at the solution, where sin and cos no
// longer see zero angles), the first solve of a freshly compiled model and a
// solve again with the model kept, checked against the stored solution.
// The evaluations and the solves run with one thread (threads:1) and with
// the default count of a solver that uses threads (threads:0).
// bench/powerflow.py runs it beside the hand-written Newton and the peer.
#include "GridCase.h"
#include <benchmark/benchmark.h>
#include <math/WorkerPool.h>
#include <solvers/NRSolver.h>
#include <sparse/Factory.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
using namespace slDbl;
using Case = bench::LoadedCase<NRSolver>;

const char* const s_cases[] = {"case118", "case2869pegase", "case9241pegase"};

std::string pathOf(int c, const char* file) { return bench::casePath("powerflow", s_cases[c], file); }

Case& caseOf(int c)
{
    static std::map<int, std::unique_ptr<Case>> cases;
    auto& p = cases[c];
    if (!p)
        p = std::make_unique<Case>(pathOf(c, "model.txt"));
    return *p;
}

// The threads of range(arg): a count, or 0 for the default count.
void useThreads(Case& c, const benchmark::State& state, int arg)
{
    const auto n = unsigned(state.range(arg));
    c.solver.setMaxThreads(n ? n : math::WorkerPool::defaultSize());
}

// The case of range(0) with its variables at range(1): 0 the flat start,
// 1 the stored solution; with the threads of range(2).
Case* caseAtPoint(benchmark::State& state)
{
    Case& c = caseOf(int(state.range(0)));
    if (!c.ok)
    {
        state.SkipWithError("model not compiled");
        return nullptr;
    }
    useThreads(c, state, 2);
    c.restart();
    if (state.range(1) == 1 && !c.moveTo(pathOf(int(state.range(0)), "solution.txt")))
    {
        state.SkipWithError("solution not set");
        return nullptr;
    }
    return &c;
}

sparse::ISolver<double, int>* createSparseSolver(Case& c)
{
    return sparse::createDblSolver(c.solver.getNumberVariables(), int(c.solver.getJacobian().getNoOfNonZeros() * 1.5),
                                   sparse::Symmetry::General, sparse::SolverType::LU, sparse::Pivoting::Relaxed,
                                   sparse::Ordering::AMD);
}

void reportSolve(benchmark::State& state, Case& c)
{
    state.counters["iterations"] = c.solver.getIterationsNo();
    state.counters["error_vs_solution"] =
        bench::errorAgainstSolution(c.solver, pathOf(int(state.range(0)), "solution.txt"));
}

void BM_Load(benchmark::State& state)
{
    test::fillVocabulary();
    for (auto _ : state)
    {
        sc::Naming naming;
        cnt::SafeFullVector<td::Variant> header;
        sc::TokenizedModel model(nullptr, header, Case::identity, naming, 0);
        if (!model.loadFromFile(td::String(pathOf(int(state.range(0)), "model.txt").c_str())))
            return state.SkipWithError("model not found or not loaded");
    }
}

// The instructions of every program a pass of f and J runs.
double instructionsOf(const NRSolver& s)
{
    double n = 0;
    for (std::size_t i = 0; i < s._shared.size(); ++i)
        n += s._shared[i]->getNoOfInstructions();
    for (std::size_t i = 0; i < s._fx.size(); ++i)
        n += s._fx[i]->getNoOfInstructions();
    const EvaluatorSparseMatrix& j = s.getJacobian();
    for (std::size_t i = 0; i < j.size(); ++i)
        n += j.program(i)->getNoOfInstructions();
    return n;
}

void BM_LoadAndCompile(benchmark::State& state)
{
    for (auto _ : state)
    {
        Case c(pathOf(int(state.range(0)), "model.txt"));
        if (!c.ok)
            return state.SkipWithError("model not compiled");
        state.counters["jacobian_entries"] = c.solver.getJacobian().getNoOfNonZeros();
        state.counters["shared_values"] = double(c.solver._sharedValues.size());
        state.counters["instructions"] = instructionsOf(c.solver);
    }
}

// The first solve of a model just loaded and compiled; the load and the
// compile are not timed.
void BM_FirstSolve(benchmark::State& state)
{
    std::unique_ptr<Case> pCase;
    for (auto _ : state)
    {
        pCase = std::make_unique<Case>(pathOf(int(state.range(0)), "model.txt"));
        if (!pCase->ok)
            return state.SkipWithError("model not compiled");
        useThreads(*pCase, state, 1);
        const auto start = std::chrono::steady_clock::now();
        const bool solved = pCase->solver.solve() == sc::Solution::OK;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!solved)
            return state.SkipWithError("not solved");
    }
    if (pCase)
        reportSolve(state, *pCase);
}

// A solve again from the flat start with the model kept.
void BM_Solve(benchmark::State& state)
{
    Case& c = caseOf(int(state.range(0)));
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    useThreads(c, state, 1);
    for (auto _ : state)
    {
        c.restart();
        if (c.solver.solve() != sc::Solution::OK)
            return state.SkipWithError("not solved");
    }
    reportSolve(state, c);
}

// The residuals with the values their programs share.
void BM_EvaluateF(benchmark::State& state)
{
    Case* pCase = caseAtPoint(state);
    if (!pCase)
        return;
    std::vector<double> F(std::size_t(pCase->solver.getNumberVariables()));
    double norm = 0;
    for (auto _ : state)
    {
        pCase->solver.evaluateShared();
        pCase->solver._fx.evaluateScale(F.data(), -1.0, norm);
    }
}

// The Jacobian's evaluation, written into the factorisation's values as the
// Newton step does (after the residuals, whose pass computed the shared values).
void BM_EvaluateJacobian(benchmark::State& state)
{
    Case* pCase = caseAtPoint(state);
    if (!pCase)
        return;
    // a copy of the entries, whose places then point into this solver's values
    EvaluatorSparseMatrix jac = pCase->solver.getJacobian();
    auto* pSparse = createSparseSolver(*pCase);
    if (!jac.setPatternOf(pSparse))
        return state.SkipWithError("pattern refused");
    pCase->solver.evaluateShared();
    for (auto _ : state)
        jac.evaluateIntoValues(pSparse);
    pSparse->release();
}

// The refactorisation and the solve of one step on the cached analysis,
// the refactorisation on threads of its own as a solver lends it its pool.
void BM_RefactoriseAndSolve(benchmark::State& state)
{
    Case* pCase = caseAtPoint(state);
    if (!pCase)
        return;
    EvaluatorSparseMatrix jac = pCase->solver.getJacobian(); // a copy, its places into this solver
    auto* pSparse = createSparseSolver(*pCase);
    math::WorkerPool threads(state.range(2) ? unsigned(state.range(2)) : math::WorkerPool::defaultSize());
    pSparse->shareWork(&threads);
    std::vector<double> F(std::size_t(pCase->solver.getNumberVariables()), 1.0);
    std::vector<double> dx(F.size());
    if (!jac.setPatternOf(pSparse))
        return state.SkipWithError("pattern refused");
    pCase->solver.evaluateShared();
    jac.evaluateIntoValues(pSparse);
    pSparse->factoriseValues();
    for (auto _ : state)
    {
        state.PauseTiming();
        jac.evaluateIntoValues(pSparse);
        state.ResumeTiming();
        if (!pSparse->factoriseValues() || !pSparse->solve(F.data(), dx.data()))
            return state.SkipWithError("singular");
    }
    pSparse->release();
}

// range(0): the case; range(1), where given: 0 the flat start, 1 the
// solution; the last: the threads.
const std::vector<int64_t> s_caseArgs = {0, 1, 2};
const std::vector<int64_t> s_pointArgs = {0, 1};
const std::vector<int64_t> s_threadArgs = {1, 0};

BENCHMARK(BM_Load)->ArgsProduct({s_caseArgs})->ArgNames({"case"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndCompile)->ArgsProduct({s_caseArgs})->ArgNames({"case"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluateF)
    ->ArgsProduct({s_caseArgs, s_pointArgs, s_threadArgs})
    ->ArgNames({"case", "point", "threads"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EvaluateJacobian)
    ->ArgsProduct({s_caseArgs, s_pointArgs, s_threadArgs})
    ->ArgNames({"case", "point", "threads"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefactoriseAndSolve)
    ->ArgsProduct({s_caseArgs, s_pointArgs, s_threadArgs})
    ->ArgNames({"case", "point", "threads"})
    ->Unit(benchmark::kMicrosecond);
// Each timed solve costs an untimed load and compile: a few are enough.
BENCHMARK(BM_FirstSolve)
    ->ArgsProduct({s_caseArgs, s_threadArgs})
    ->ArgNames({"case", "threads"})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Solve)
    ->ArgsProduct({s_caseArgs, s_threadArgs})
    ->ArgNames({"case", "threads"})
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
