#pragma once
// The solvers of the solver library, for real and for complex values. The
// caller owns what a factory returns and frees it with release().
#include <complex>
#include <sc/ISolver.h>

namespace sc
{
ISolver<double>* createDblNRSolver(ILog* pLog, int maxIter);
ISolver<std::complex<double>>* createCmplxNRSolver(ILog* pLog, int maxIter);
} // namespace sc
