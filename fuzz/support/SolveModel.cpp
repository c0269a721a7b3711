// Built once for each value type (SL_COMPLEX), as the solver sources are.
#include <CollectingLog.h>
#include <solvers/DAESolver.h>
#include <solvers/NRSolver.h>
#include <solvers/ODESolver.h>
#include <SolveModel.h>

#include <cstdio>

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

// A model compiled into solver is run once (a few steps for a dynamic one).
void run(Solver& solver, const sc::Naming& naming, const sc::TokenizedModel& model)
{
    if (!solver.init(&naming, &model, true))
        return;
    limitRun(solver);
    for (sc::ISolver<Value>* pSub : solver._subModels)
        limitRun(*pSub);
    if (solver.getType() == sc::SolverType::NR)
        solver.solve();
    else
    {
        solver.setIntegrationStepSize(1e-3);
        if (solver.reset(0))
            solver.step(3);
    }
    readResults(solver);
}
} // namespace

void compileAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model)
{
    test::CollectingLog log;
    // The model line's type: 2 the explicit, 3 the implicit integrator.
    switch (model.getModelInfo(sc::ModelLevel::Main).type)
    {
    case 2:
    {
        ODESolver solver(&log);
        run(solver, naming, model);
        return;
    }
    case 3:
    {
        DAESolver solver(&log, iterationBudget, 1e-6);
        run(solver, naming, model);
        return;
    }
    default:
    {
        NRSolver solver(&log, iterationBudget, 1e-6);
        run(solver, naming, model);
        return;
    }
    }
}
} // namespace SL_NS
