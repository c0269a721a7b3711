// Built once for each value type (SL_COMPLEX), as the solver sources are.
#include <Check.h>
#include <CollectingLog.h>
#include <PlotAndSolve.h>
#include <solvers/NRSolver.h>
#include <sc/SolverFactory.h>

#include <memory>

namespace SL_NS
{
namespace
{
sc::IFigureEvaluator<Value>* createPlots(sc::ILog* pLog)
{
#if SL_COMPLEX
    return sc::createCmplxPlotEvaluator(pLog);
#else
    return sc::createDblPlotEvaluator(pLog);
#endif
}

struct Release
{
    void operator()(sc::IFigureEvaluator<Value>* p) const { p->release(); }
};

// Every axis of a figure holds one value per recorded point.
void checkFigures(const sc::IFigureEvaluator<Value>& plots)
{
    cnt::Figures figures;
    if (!plots.populate(figures))
        return;
    for (const cnt::Figure& f : figures)
    {
        FUZZ_CHECK(f.xAxis.size() > 0);
        for (const cnt::YAxis& y : f.yAxes)
            FUZZ_CHECK(y.size() == f.xAxis.size());
    }
}
} // namespace

void compilePlotAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model)
{
    test::CollectingLog log;
    NRSolver solver(&log, 8, 1e-6);
    // A solver that failed to read the model still takes plots: they may
    // read nothing of it.
    const bool read = solver.init(&naming, &model, true);
    std::unique_ptr<sc::IFigureEvaluator<Value>, Release> plots(createPlots(&log));
    if (!plots->init(&model, &solver))
        return;
    plots->evaluate();
    if (read)
    {
        solver.setMaxIterations(8);
        solver.setMaxRepetitions(2);
        for (sc::ISolver<Value>* pSub : solver._subModels)
            pSub->setMaxIterations(8);
        solver.solve();
    }
    plots->evaluate();
    checkFigures(*plots);
    plots->reset();
    plots->evaluate();
    checkFigures(*plots);
}
} // namespace SL_NS
