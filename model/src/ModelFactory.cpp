// The exported model factories: a solver by problem kind, wrapped in a
// model object, and the process-wide vocabulary filled by the first model.
#include "DynamicSolver.h"
#include "StaticSolver.h"

#include <sc/ModelFactory.h>
#include <sc/SCLib.h>
#include <sc/SolverFactory.h>

#include <complex>

namespace globals
{
// Set once the first model has filled the vocabulary; no lock, so the first
// model must be made before several threads use the library.
unsigned char s_initDone = 0;
} // namespace globals

namespace
{
using Cmplx = std::complex<double>;

void fillVocabularyOnce()
{
    if (globals::s_initDone)
        return;
    sc::reserveNamings(1);
    sc::setDefaultDataForAllNamings();
    sc::setDefaultDataForNaming(0);
    globals::s_initDone = 1;
}

void logError(sc::ILog* pLog, const char* text)
{
    if (pLog)
        pLog->addWoTranslation(td::String(text), sc::ILog::Type::Error);
}

// The solver library's factories behind one signature; the differential
// kind has no iteration limit.
sc::ISolver<double>* makeDblNRSolver(sc::ILog* pLog, unsigned maxIter)
{
    return sc::createDblNRSolver(pLog, int(maxIter));
}

sc::ISolver<double>* makeDblWLSSolver(sc::ILog* pLog, unsigned maxIter)
{
    return sc::createDblWLSSolver(pLog, int(maxIter));
}

sc::ISolver<Cmplx>* makeCmplxNRSolver(sc::ILog* pLog, unsigned maxIter)
{
    return sc::createCmplxNRSolver(pLog, int(maxIter));
}

sc::ISolver<Cmplx>* makeCmplxWLSSolver(sc::ILog* pLog, unsigned maxIter)
{
    return sc::createCmplxWLSSolver(pLog, int(maxIter));
}

sc::ISolver<double>* makeDblDAESolver(sc::ILog* pLog, unsigned maxIter)
{
    return sc::createDblDAESolver(pLog, int(maxIter));
}

sc::ISolver<double>* makeDblODESolver(sc::ILog* pLog, unsigned) { return sc::createDblODESolver(pLog); }

// Null for a value outside the enumeration.
StaticSolver<double>::SolverMaker realStaticMaker(sc::IStatic::Problem problem)
{
    switch (problem)
    {
    case sc::IStatic::Problem::NLE: return makeDblNRSolver;
    case sc::IStatic::Problem::WLS: return makeDblWLSSolver;
    }
    return nullptr;
}

StaticSolver<Cmplx>::SolverMaker cmplxStaticMaker(sc::IStatic::Problem problem)
{
    switch (problem)
    {
    case sc::IStatic::Problem::NLE: return makeCmplxNRSolver;
    case sc::IStatic::Problem::WLS: return makeCmplxWLSSolver;
    }
    return nullptr;
}

DynamicSolver::SolverMaker realDynamicMaker(sc::IDynamic::Problem problem)
{
    switch (problem)
    {
    case sc::IDynamic::Problem::ODE: return makeDblODESolver;
    case sc::IDynamic::Problem::DAE: return makeDblDAESolver;
    }
    return nullptr;
}

template <typename Model>
Model* createModel(typename Model::SolverMaker makeSolver, sc::ILog* pLog, unsigned maxIter)
{
    if (!makeSolver)
    {
        logError(pLog, "Unknown problem type!");
        return nullptr;
    }
    if (maxIter > maxIterationLimit)
    {
        logError(pLog, tooLargeIterationLimit);
        return nullptr;
    }
    fillVocabularyOnce();
    // 0: the caller gives no limit
    if (maxIter == 0)
        maxIter = defaultIterationLimit;
    // A kind whose solver is not built yet gives null; the solver library
    // has logged it.
    typename Model::Solver* pSolver = makeSolver(pLog, maxIter);
    if (!pSolver)
        return nullptr;
    try
    {
        return new Model(makeSolver, pSolver, maxIter);
    }
    catch (...)
    {
        pSolver->release();
        throw;
    }
}
} // namespace

namespace sc
{
IRealStaticModel* createRealStaticModel(IStatic::Problem problem, ILog* pLog, unsigned maxIter)
{
    return createModel<StaticSolver<double>>(realStaticMaker(problem), pLog, maxIter);
}

ICmplxStaticModel* createCmplxStaticModel(IStatic::Problem problem, ILog* pLog, unsigned maxIter)
{
    return createModel<StaticSolver<Cmplx>>(cmplxStaticMaker(problem), pLog, maxIter);
}

IRealDynamicModel* createRealDynamicModel(IDynamic::Problem problem, ILog* pLog, unsigned maxIter)
{
    return createModel<DynamicSolver>(realDynamicMaker(problem), pLog, maxIter);
}
} // namespace sc
