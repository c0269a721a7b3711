// The exported factories of the plot evaluators, one per value type.
#include <plots/FigureEvaluator.h>
#include <sc/SolverFactory.h>

namespace sc
{
#if SL_COMPLEX
IFigureEvaluator<std::complex<double>>* createCmplxPlotEvaluator(ILog* pLog)
{
    return new slCmplx::FigureEvaluator(pLog);
}
#else
IFigureEvaluator<double>* createDblPlotEvaluator(ILog* pLog) { return new slDbl::FigureEvaluator(pLog); }
#endif
} // namespace sc
