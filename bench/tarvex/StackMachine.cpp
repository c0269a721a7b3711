// The innermost loop of every solve: the stack machine running a long mixed
// program (time per source token and per executed instruction: a push and
// the operation after it run as one instruction), and a Jacobian of N entries
// filled into a sparse solver, per token and batched (time per entry; the
// complexity fit shows the fill is linear in the entries).
#include <expr/CU.h>
#include <expr/EvaluatorSparseMatrix.h>
#include <ProgramBuilder.h>
#include <benchmark/benchmark.h>
#include <sparse/Factory.h>

#include <iterator>
#include <random>
#include <sstream>
#include <string>

namespace
{
using namespace SL_NS;

// Power-flow-like terms: p * x_i * x_j * sin(x_i - x_j + p) and friends,
// summed: pushes, arithmetic and library calls in a realistic mix.
std::string mixedProgram(int terms, int nVars)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> var(0, nVars - 1);
    const char* fns[] = {"sin", "cos", "sqrt", "exp"};
    std::string program = "0";
    for (int k = 0; k < terms; ++k)
    {
        const std::string a = "x" + std::to_string(var(rng));
        const std::string b = "x" + std::to_string(var(rng));
        program += " p0 " + a + " * " + b + " * " + a + " " + b + " - 0.5 + " + fns[k % 4] + " * +";
    }
    return program;
}

// Tokens of a postfix text: what the machine would run without fusion.
double tokensOf(const std::string& program)
{
    std::istringstream words(program);
    return double(std::distance(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()));
}

// Time per source token and per executed instruction.
void countRates(benchmark::State& state, const std::string& program, const Evaluator* e)
{
    const double runs = double(state.iterations());
    const auto perItem = benchmark::Counter::kIsRate | benchmark::Counter::kInvert;
    state.counters["ns_per_token"] = benchmark::Counter(runs * tokensOf(program), perItem);
    state.counters["ns_per_instruction"] = benchmark::Counter(runs * e->getNoOfInstructions(), perItem);
    state.counters["instructions"] = e->getNoOfInstructions();
}

void BM_StackMachineMixedProgram(benchmark::State& state)
{
    test::Machine m(64, 1);
    for (int i = 0; i < 64; ++i)
        m.solver._x[i] = 0.01 * i;
    m.solver._pParams[0] = 1.5;
    const std::string program = mixedProgram(200, 64);
    Evaluator* e = m.write(program);
    if (!e)
        return state.SkipWithError("program not written");
    CU cu(&m.solver);
    for (auto _ : state)
        benchmark::DoNotOptimize(e->evaluate(cu));
    countRates(state, program, e);
}
BENCHMARK(BM_StackMachineMixedProgram);

// Arithmetic only: the dispatch cost without library calls.
void BM_StackMachineArithmetic(benchmark::State& state)
{
    test::Machine m(8, 1);
    for (int i = 0; i < 8; ++i)
        m.solver._x[i] = 1.0 + i;
    std::string program = "x0";
    for (int k = 0; k < 500; ++k)
        program += " x" + std::to_string(k % 8) + (k % 3 == 0 ? " *" : (k % 3 == 1 ? " +" : " -"));
    Evaluator* e = m.write(program);
    CU cu(&m.solver);
    for (auto _ : state)
        benchmark::DoNotOptimize(e->evaluate(cu));
    countRates(state, program, e);
}
BENCHMARK(BM_StackMachineArithmetic);

// A Jacobian as in power flow: per row a diagonal entry and neighbours,
// each a short program (a fifth of them constants), put into a KLU solver;
// its programs run per token or in batches of one shape.
void jacobianFill(benchmark::State& state, bool batched)
{
    const int nEntries = int(state.range(0));
    const int perRow = 5;
    const int n = nEntries / perRow;
    test::Machine m(n, 1);
    for (int i = 0; i < n; ++i)
        m.solver._x[i] = 1.0 + 0.001 * i;
    m.solver._pParams[0] = 0.3;
    EvaluatorSparseMatrix jac(nEntries);
    jac.setSolver(&m.solver);
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> col(0, n - 1);
    for (int r = 0; r < n; ++r)
        for (int k = 0; k < perRow; ++k)
        {
            const int c = k == 0 ? r : col(rng);
            const std::string a = "x" + std::to_string(r), b = "x" + std::to_string(c);
            const std::string program = k == 4 ? "2.5" : "p0 " + a + " * " + b + " " + a + " - cos *";
            jac.addEvaluator(r, c, m.write(program));
        }
    jac.setBatched(batched);
    sparse::ISolver<double, int>* pSolver =
        sparse::createDblSolver(n, nEntries, sparse::Symmetry::General, sparse::SolverType::LU,
                                sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
    for (auto _ : state)
    {
        pSolver->reset();
        jac.evaluateAndInsertToSolver(pSolver);
    }
    pSolver->release();
    state.SetComplexityN(nEntries);
    state.counters["ns_per_entry"] = benchmark::Counter(double(state.iterations()) * nEntries,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void BM_JacobianFill(benchmark::State& state) { jacobianFill(state, false); }
void BM_JacobianFillBatched(benchmark::State& state) { jacobianFill(state, true); }
BENCHMARK(BM_JacobianFill)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(200000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
BENCHMARK(BM_JacobianFillBatched)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(200000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
} // namespace

BENCHMARK_MAIN();
