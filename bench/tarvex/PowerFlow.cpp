// AC power flow of three real grids (118, 2,869 and 9,241 buses): load,
// compile (trees, differentiation, programs), one Newton iteration split
// into the evaluation of f and of the Jacobian and the sparse refactorise
// and solve, and the whole solve from the flat start, checked against the
// stored solution.
#include <solvers/NRSolver.h>
#include <Vocabulary.h>
#include <benchmark/benchmark.h>
#include <sc/Naming.h>
#include <sc/TokenizedModel.h>
#include <sparse/Factory.h>
#include <td/Variant.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using namespace slDbl;

const char* const s_cases[] = {"case118", "case2869pegase", "case9241pegase"};

std::string modelPath(int c) { return std::string(BENCH_DATA_DIR) + "/powerflow/" + s_cases[c] + "/model.txt"; }

td::String identity(const char* key) { return td::String(key); }

// A loaded and compiled case, kept across the benchmarks of one case.
struct Case
{
    sc::Naming naming;
    cnt::SafeFullVector<td::Variant> header;
    std::unique_ptr<sc::TokenizedModel> model;
    NRSolver solver {nullptr, 50, 1e-8};
    std::vector<double> start;
    bool ok = false;

    explicit Case(int c)
    {
        test::fillVocabulary();
        model = std::make_unique<sc::TokenizedModel>(nullptr, header, identity, naming, 0);
        ok = model->loadFromFile(td::String(modelPath(c).c_str())) && solver.init(&naming, model.get(), true);
        if (ok)
            start.assign(solver.getVariablesPtr(), solver.getVariablesPtr() + solver.getNumberVariables());
    }

    void restart() { std::copy(start.begin(), start.end(), solver.getVariablesPtr()); }

    // The largest difference from the stored solution.
    double errorAgainstSolution(int c)
    {
        std::ifstream in(std::string(BENCH_DATA_DIR) + "/powerflow/" + s_cases[c] + "/solution.txt");
        std::string line;
        double largest = 0;
        while (std::getline(in, line))
        {
            if (line.empty() || line[0] == '#')
                continue;
            std::istringstream words(line);
            std::string name;
            double value = 0;
            words >> name >> value;
            double got = 0;
            if (!solver.getVariableValue(name.c_str(), got))
                return INFINITY;
            largest = std::max(largest, std::fabs(got - value));
        }
        return largest;
    }
};

Case& caseOf(int c)
{
    static std::map<int, std::unique_ptr<Case>> cases;
    auto& p = cases[c];
    if (!p)
        p = std::make_unique<Case>(c);
    return *p;
}

void BM_Load(benchmark::State& state)
{
    test::fillVocabulary();
    for (auto _ : state)
    {
        sc::Naming naming;
        cnt::SafeFullVector<td::Variant> header;
        sc::TokenizedModel model(nullptr, header, identity, naming, 0);
        if (!model.loadFromFile(td::String(modelPath(int(state.range(0))).c_str())))
            return state.SkipWithError("model not found or not loaded");
    }
}

void BM_LoadAndCompile(benchmark::State& state)
{
    for (auto _ : state)
    {
        Case c(int(state.range(0)));
        if (!c.ok)
            return state.SkipWithError("model not compiled");
        state.counters["jacobian_entries"] = c.solver.getJacobian().getNoOfNonZeros();
    }
}

void BM_Solve(benchmark::State& state)
{
    Case& c = caseOf(int(state.range(0)));
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    for (auto _ : state)
    {
        c.restart();
        if (c.solver.solve() != sc::Solution::OK)
            return state.SkipWithError("not solved");
    }
    state.counters["iterations"] = c.solver.getIterationsNo();
    state.counters["error_vs_solution"] = c.errorAgainstSolution(int(state.range(0)));
}

// The residuals with the values their programs share.
void BM_EvaluateF(benchmark::State& state)
{
    Case& c = caseOf(int(state.range(0)));
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    std::vector<double> F(std::size_t(c.solver.getNumberVariables()));
    double norm = 0;
    for (auto _ : state)
    {
        c.solver.evaluateShared();
        c.solver._fx.evaluateScale(F.data(), -1.0, norm);
    }
}

// The Jacobian's evaluation, put into a sparse solver as the Newton step does
// (after the residuals, whose pass computed the shared values).
void BM_EvaluateJacobian(benchmark::State& state)
{
    Case& c = caseOf(int(state.range(0)));
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    const EvaluatorSparseMatrix& jac = c.solver.getJacobian();
    auto* pSparse = sparse::createDblSolver(c.solver.getNumberVariables(), int(jac.getNoOfNonZeros() * 1.5),
                                            sparse::Symmetry::General, sparse::SolverType::LU,
                                            sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
    c.solver.evaluateShared();
    for (auto _ : state)
    {
        pSparse->reset();
        jac.evaluateAndInsertToSolver(pSparse);
    }
    pSparse->release();
}

// The refactorisation and the solve of one step on the cached analysis.
void BM_RefactoriseAndSolve(benchmark::State& state)
{
    Case& c = caseOf(int(state.range(0)));
    if (!c.ok)
        return state.SkipWithError("model not compiled");
    const EvaluatorSparseMatrix& jac = c.solver.getJacobian();
    const int n = c.solver.getNumberVariables();
    auto* pSparse = sparse::createDblSolver(n, int(jac.getNoOfNonZeros() * 1.5), sparse::Symmetry::General,
                                            sparse::SolverType::LU, sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
    std::vector<double> F(std::size_t(n), 1.0);
    std::vector<double> dx(static_cast<std::size_t>(n));
    c.solver.evaluateShared();
    jac.evaluateAndInsertToSolver(pSparse);
    pSparse->factorise();
    for (auto _ : state)
    {
        state.PauseTiming();
        pSparse->reset();
        jac.evaluateAndInsertToSolver(pSparse);
        state.ResumeTiming();
        if (!pSparse->factorise() || !pSparse->solve(F.data(), dx.data()))
            return state.SkipWithError("singular");
    }
    pSparse->release();
}

BENCHMARK(BM_Load)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndCompile)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluateF)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EvaluateJacobian)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefactoriseAndSolve)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Solve)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
