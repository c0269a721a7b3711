// Built once for each value type (SL_COMPLEX), as the solver sources are.
#include <CollectingLog.h>
#include <solvers/NRSolver.h>
#include <solvers/WLSSolver.h>
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

void readResults(NRSolver& solver)
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

template <typename TSolver>
void run(const sc::Naming& naming, const sc::TokenizedModel& model)
{
    test::CollectingLog log;
    TSolver solver(&log, iterationBudget, 1e-6);
    if (!solver.init(&naming, &model, true))
        return;
    limitRun(solver);
    for (sc::ISolver<Value>* pSub : solver._subModels)
        limitRun(*pSub);
    solver.solve();
    readResults(solver);
}
} // namespace

void compileAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model)
{
    // A measurement model (type WLS) is estimated, any other solved by Newton.
    if (model.getModelInfo(sc::ModelLevel::Main).type == 1)
        run<WLSSolver>(naming, model);
    else
        run<NRSolver>(naming, model);
}
} // namespace SL_NS
