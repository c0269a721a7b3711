#pragma once
// A plot evaluator: bound to a model text with a plot section and to the
// solver that solves it, it records one point per plot each time the caller
// asks (after a solve or a time step) and hands the curves over as figures.
// Objects come from createDblPlotEvaluator or createCmplxPlotEvaluator and
// are destroyed by release() only; the solver must outlive the evaluator.
#include <cnt/Figure.h>

namespace sc
{
class TokenizedModel;
template <typename T>
class ISolver;

template <typename T>
class IFigureEvaluator
{
public:
    // Reads the plot section of pModel, the model that pSolver has read.
    // False when a plot cannot be read (the reason is logged) and for a
    // solver of another library; true for a model without plots.
    virtual bool init(const TokenizedModel* pModel, ISolver<T>* pSolver) = 0;
    // One point of every plot whose condition holds, from the solver's
    // present values. False only when the solver has read a model of
    // other dimensions since init.
    virtual bool evaluate() = 0;
    // Forgets the recorded points; their storage stays for the next run.
    virtual void reset() = 0;
    virtual void release() = 0;
    // One figure per plot that has points, in plot order; false (figures
    // untouched) without plots.
    virtual bool populate(cnt::Figures& figures) const = 0;

protected:
    ~IFigureEvaluator() = default;
};
} // namespace sc
