// Built once for each value type (SL_COMPLEX), as the solver sources are.
#include <BatchedVsPerToken.h>
#include <Check.h>
#include <CollectingLog.h>
#include <solvers/DAESolver.h>
#include <solvers/NRSolver.h>
#include <solvers/ODESolver.h>
#include <solvers/WLSSolver.h>
#include <SolveModel.h>

#include <cstdio>
#include <type_traits>

namespace SL_NS
{
namespace
{
// Enough to reach every stop rule of a pass without letting a large model
// text turn into a long run.
constexpr int iterationBudget = 8;
constexpr int repetitionBudget = 2;

void limitRun(sc::ISolver<Value>& solver)
{
    solver.setMaxIterations(iterationBudget);
    solver.setMaxRepetitions(repetitionBudget);
}

void readResults(Solver& solver)
{
    const int nSymbols = solver.getNumberVariables() + solver.getNumberParameters();
    for (int i = 0; i < nSymbols; ++i)
    {
        Value value {};
        solver.getSymbolValue(i, value);
        if (const char* name = solver.getSymbolName(i))
            solver.getVariableIndex(name);
        char description[64];
        solver.getDerDescription(description, sizeof description, i, i);
    }
    solver.getSolutionStatusStr();
    solver.getLastErrorStr();
}

// The solver, made with the budget when its kind takes one; a dynamic
// model makes three time steps instead of a solve.
template <typename TSolver>
void run(const sc::Naming& naming, const sc::TokenizedModel& model)
{
    test::CollectingLog log;
    TSolver solver = [&] {
        if constexpr (std::is_constructible_v<TSolver, sc::ILog*, int, double>)
            return TSolver(&log, iterationBudget, 1e-6);
        else
            return TSolver(&log);
    }();
    if (!solver.init(&naming, &model, true))
        return;
    FUZZ_CHECK(test::batchedAgrees(solver));
    limitRun(solver);
    for (sc::ISolver<Value>* pSub : solver._subModels)
        limitRun(*pSub);
    if (solver.getType() == sc::SolverType::DAE || solver.getType() == sc::SolverType::ODE)
    {
        solver.setIntegrationStepSize(1e-3);
        if (solver.reset(0))
            solver.step(3);
    }
    else
        solver.solve();
    readResults(solver);
}
} // namespace

void compileAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model)
{
    // The model line's type: 1 a measurement model (estimated), 2 and 3 the
    // explicit and the implicit integrator, any other solved by Newton.
    switch (model.getModelInfo(sc::ModelLevel::Main).type)
    {
    case 1: run<WLSSolver>(naming, model); return;
    case 2: run<ODESolver>(naming, model); return;
    case 3: run<DAESolver>(naming, model); return;
    default: run<NRSolver>(naming, model); return;
    }
}
} // namespace SL_NS
