// State estimation of three real grids (118, 2,869 and 9,241 buses) as
// measurement models, plain and with the zero-injection buses as equality
// constraints: load, compile, the phases of one Gauss-Newton iteration
// (evaluation of h and H with c and C, forming the normal equations, the
// refactorisation, the solve) and the whole solve from the flat start,
// checked against the stored estimate. bench/stateestimation.py runs it
// beside the peer's hand-written Gauss-Newton and prints the ratios.
#include <Vocabulary.h>
#include <benchmark/benchmark.h>
#include <sc/Naming.h>
#include <sc/TokenizedModel.h>
#include <solvers/WLSSolver.h>
#include <sparse/ISolver.h>
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
const char* const s_variants[] = {"model.txt", "model_ecs.txt"};
const char* const s_solutions[] = {"solution.txt", "solution_ecs.txt"};

std::string pathOf(int c, const char* file)
{
    return std::string(BENCH_DATA_DIR) + "/stateestimation/" + s_cases[c] + "/" + file;
}

td::String identity(const char* key) { return td::String(key); }

// A loaded and compiled case, kept across the benchmarks of one case.
struct Case
{
    sc::Naming naming;
    cnt::SafeFullVector<td::Variant> header;
    std::unique_ptr<sc::TokenizedModel> model;
    WLSSolver solver {nullptr, 50, 1e-8};
    std::vector<double> start;
    bool ok = false;

    Case(int c, int variant)
    {
        test::fillVocabulary();
        model = std::make_unique<sc::TokenizedModel>(nullptr, header, identity, naming, 0);
        ok = model->loadFromFile(td::String(pathOf(c, s_variants[variant]).c_str())) &&
             solver.init(&naming, model.get(), true);
        if (ok)
            start.assign(solver.getVariablesPtr(), solver.getVariablesPtr() + solver.getNumberVariables());
    }

    void restart() { std::copy(start.begin(), start.end(), solver.getVariablesPtr()); }

    // The largest difference from the stored estimate.
    double errorAgainstSolution(int c, int variant)
    {
        std::ifstream in(pathOf(c, s_solutions[variant]));
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

Case& caseOf(const benchmark::State& state)
{
    static std::map<std::pair<int, int>, std::unique_ptr<Case>> cases;
    const int c = int(state.range(0)), variant = int(state.range(1));
    auto& p = cases[{c, variant}];
    if (!p)
        p = std::make_unique<Case>(c, variant);
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
        Case c(int(state.range(0)), int(state.range(1)));
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
    state.counters["error_vs_solution"] = c.errorAgainstSolution(int(state.range(0)), int(state.range(1)));
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
