#pragma once
// The solvers of the solver library, for real and for complex values. The
// caller owns what a factory returns and frees it with release().
#include <complex>
#include <sc/IFigureEvaluator.h>
#include <sc/ISolver.h>

namespace sc
{
ISolver<double>* createDblNRSolver(ILog* pLog, int maxIter);
ISolver<std::complex<double>>* createCmplxNRSolver(ILog* pLog, int maxIter);
ISolver<double>* createDblWLSSolver(ILog* pLog, int maxIter);
ISolver<std::complex<double>>* createCmplxWLSSolver(ILog* pLog, int maxIter);

// The implicit (differential-algebraic) and the explicit (ordinary
// differential) integrators; the explicit one has no iteration limit.
ISolver<double>* createDblDAESolver(ILog* pLog, int maxIter);
ISolver<double>* createDblODESolver(ILog* pLog);
ISolver<std::complex<double>>* createCmplxDAESolver(ILog* pLog, int maxIter);
ISolver<std::complex<double>>* createCmplxODESolver(ILog* pLog);

// Plot evaluators, empty until their init.
IFigureEvaluator<double>* createDblPlotEvaluator(ILog* pLog);
IFigureEvaluator<std::complex<double>>* createCmplxPlotEvaluator(ILog* pLog);
} // namespace sc
