// The exported factories of the solver library, one per value type.
#include <NRSolver.h>
#include <sc/SolverFactory.h>

namespace sc
{
#if SL_COMPLEX
ISolver<std::complex<double>>* createCmplxNRSolver(ILog* pLog, int maxIter)
{
    return new slCmplx::NRSolver(pLog, maxIter, 1e-6);
}
#else
ISolver<double>* createDblNRSolver(ILog* pLog, int maxIter) { return new slDbl::NRSolver(pLog, maxIter, 1e-6); }
#endif
} // namespace sc
