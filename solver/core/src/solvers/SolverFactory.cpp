// The exported factories of the solver library, one per value type, and
// the factory of the child solvers that run a sub-model.
#include <solvers/DAESolver.h>
#include <solvers/NRSolver.h>
#include <solvers/ODESolver.h>
#include <solvers/WLSSolver.h>
#include <sc/SolverFactory.h>

namespace SL_NS
{
Solver::Interface* Solver::createSolver(sc::ILog* pLog, std::uint8_t modelType, unsigned maxIter, double precision,
                                        unsigned short line)
{
    Solver* pChild = nullptr;
    // The model type of the sub-model line: 0 NL, 1 WLS, 2 ODE, 3 DAE.
    if (modelType == 0)
        pChild = new NRSolver(pLog, int(maxIter), precision);
    else if (modelType == 1)
        pChild = new WLSSolver(pLog, int(maxIter), precision);
    else if (modelType == 2)
        pChild = new ODESolver(pLog);
    else if (modelType == 3)
        pChild = new DAESolver(pLog, int(maxIter), precision);
    if (!pChild)
        return nullptr;
    pChild->_modelLine = line;
    pChild->_parentSolver = this;
    return pChild;
}

// Every child comes from createSolver: a solver of this library.
bool Solver::compileChild(Interface* pChild, const ChildCompile& compile)
{
    return static_cast<Solver*>(pChild)->compileModel(compile);
}
} // namespace SL_NS

namespace sc
{
#if SL_COMPLEX
ISolver<std::complex<double>>* createCmplxNRSolver(ILog* pLog, int maxIter)
{
    return new slCmplx::NRSolver(pLog, maxIter, 1e-6);
}
ISolver<std::complex<double>>* createCmplxWLSSolver(ILog* pLog, int maxIter)
{
    return new slCmplx::WLSSolver(pLog, maxIter, 1e-6);
}
ISolver<std::complex<double>>* createCmplxDAESolver(ILog* pLog, int maxIter)
{
    return new slCmplx::DAESolver(pLog, maxIter, 1e-6);
}
ISolver<std::complex<double>>* createCmplxODESolver(ILog* pLog) { return new slCmplx::ODESolver(pLog); }
#else
ISolver<double>* createDblWLSSolver(ILog* pLog, int maxIter) { return new slDbl::WLSSolver(pLog, maxIter, 1e-6); }
ISolver<double>* createDblDAESolver(ILog* pLog, int maxIter) { return new slDbl::DAESolver(pLog, maxIter, 1e-6); }
ISolver<double>* createDblODESolver(ILog* pLog) { return new slDbl::ODESolver(pLog); }
ISolver<double>* createDblNRSolver(ILog* pLog, int maxIter) { return new slDbl::NRSolver(pLog, maxIter, 1e-6); }
#endif
} // namespace sc
