#include <compile/RPNDerivParser.h>
#include <expr/CU.h>
#include <expr/SolverData.h>
#include <solvers/NRSolver.h>
#include <mu/Assert.h>
#include <sc/TokenizedModel.h>
#include <sparse/Factory.h>
#include <xml/XmlModelReader.h>

#include <cfloat>
#include <cmath>
#include <cstdio>

namespace SL_NS
{
namespace
{
using S = sc::Solution;

sparse::ISolver<Value, int>* createLUSolver(int n, int capacity)
{
#if SL_COMPLEX
    return sparse::createCmplxSolver(n, capacity, sparse::Symmetry::General, sparse::SolverType::LU,
                                     sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
#else
    return sparse::createDblSolver(n, capacity, sparse::Symmetry::General, sparse::SolverType::LU,
                                   sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
#endif
}
} // namespace

NRSolver::NRSolver(sc::ILog* pLog)
    : Solver(pLog)
{
    _attribs.type = sc::SolverType::NR;
}

NRSolver::NRSolver(sc::ILog* pLog, int maxIter, double precision)
    : NRSolver(pLog)
{
    _precision = precision;
    _maxIterations = static_cast<unsigned short>(maxIter);
}

NRSolver::~NRSolver() { releaseSparseSolver(); }

void NRSolver::releaseSparseSolver()
{
    if (_pSparse)
        _pSparse->release();
    _pSparse = nullptr;
    _hasPattern = false;
    _factorised = false;
}

void NRSolver::clearModel()
{
    releaseSparseSolver();
    _jacobian.reserve(0);
    _nJacEntries = 0;
    _F.clear();
    _dx.clear();
    Solver::clearModel();
}

bool NRSolver::reset(double)
{
    _totalIterations = 0;
    return true;
}

void NRSolver::setPrecision(double precision)
{
    if (precision > 0)
        _precision = precision;
}

int NRSolver::getDerDescription(char* buffer, std::size_t size, int eq, int var)
{
    const char* name = var >= 0 && var < _nVars + _nParams ? symbolName(var) : nullptr;
    return std::snprintf(buffer, size, "d(Eq%d)/d(%s)=", eq, name ? name : "");
}

bool NRSolver::compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                       SolverData& data, sc::ModelLevel level)
{
    return parser.getFxAndJacEvaluators(pNaming, pModel, &data, &_jacobian, level);
}

bool NRSolver::compileXml(XmlModelReader& parser, const td::String& model, SolverData& data)
{
    return parser.getFxAndJacEvaluators(model, &data, &_jacobian);
}

bool NRSolver::compileModel(const ChildCompile& compile)
{
    SolverData data;
    initSolverData(data);
    if (!compile(*this, data, _jacobian))
        return false;
    takeCompiledModel(data);
    return finishInit();
}

void NRSolver::takeCompiledModel(const SolverData& data)
{
    Solver::takeCompiledModel(data);
    _nJacEntries = _jacobian.getNoOfNonZeros();
}

bool NRSolver::splitLists(unsigned nThreads)
{
    const bool shared = Solver::splitLists(nThreads);
    return _jacobian.setThreads(nThreads) || shared;
}

void NRSolver::setBatchedEvaluation(bool on)
{
    Solver::setBatchedEvaluation(on);
    _jacobian.setBatched(on);
}

bool NRSolver::finishInit()
{
    if (_derivTestMode)
        return true;
    if (!allocSpace())
    {
        _errorStr.writeIntro(_modelLine, SolutionLocation::ReadModel);
        _errorStr.append("Missing initial values..");
        return false;
    }
    setUpSparseSolver();
    factoriseAtStart();
    _modelRead = true;
    return true;
}

// The first factorisation chooses the pivots and costs about three
// refactorisations on a large model; made here at the start values, it
// leaves the first solve, like every later one, only refactorising. Values
// that differ by then are pivoted again if the kept pivots do not suit them.
void NRSolver::factoriseAtStart()
{
    if (!_hasPattern)
        return;
    evaluateShared();
    _jacobian.evaluateIntoValues(_pSparse);
    _pSparse->factoriseValues();
}

bool NRSolver::init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel)
{
    const sc::ModelLevel level = isMainModel ? sc::ModelLevel::Main : sc::ModelLevel::SubModel;
    if (!readModel(pNaming, pModel, level))
    {
        translateAndAddLog("@SC.NLReadFail");
        return false;
    }
    if (pModel->getNumberOfExpressions(sc::Group::NLEs, level) != unsigned(_nVars) && !_derivTestMode)
    {
        translateAndAddLog("@SC.NLNvars!=NEQsl");
        return false;
    }
    return finishInit();
}

bool NRSolver::init(const td::String& model, sc::SourceType sourceType)
{
    _sourceType = sourceType;
    if (!readModel(model))
    {
        _errorStr.writeIntro(_modelLine, SolutionLocation::ReadModel);
        _errorStr.append("Cannot read the data..");
        return false;
    }
    return finishInit();
}

bool NRSolver::allocSpace()
{
    if (_initialValues.empty())
        return false;
    _F.assign(std::size_t(_nVars), Value {});
    _dx.assign(std::size_t(_nVars), Value {});
    _x = _initialValues.data();
    _pParams = _x + _nVars;
    _fx.setSolver(this);
    _shared.setSolver(this);
    _jacobian.setSolver(this);
    _passIterations = 0;
    releaseSparseSolver();
    return true;
}

double NRSolver::evaluateResiduals()
{
    double norm = 0;
    // The Jacobian that follows at this point reads the same shared values.
    evaluateShared();
    _fx.evaluateScale(_F.data(), -1.0, norm);
    _obtainedPrecision = norm;
    return norm;
}

void NRSolver::setUpSparseSolver()
{
    releaseSparseSolver();
    _pSparse = createLUSolver(_nVars, int(_nJacEntries * 1.5));
    _hasPattern = _jacobian.setPatternOf(_pSparse);
}

bool NRSolver::factoriseJacobian()
{
    MU_ASSERT(_pSparse);
    _pSparse->shareWork(_workers.get());
    if (_hasPattern)
    {
        _jacobian.evaluateIntoValues(_pSparse);
        _factorised = _pSparse->factoriseValues();
    }
    else
    {
        _pSparse->reset();
        _jacobian.evaluateAndInsertToSolver(_pSparse);
        _factorised = _pSparse->factorise();
    }
    return _factorised;
}

int NRSolver::evaluateLimits(bool withStates)
{
    CU cu(this);
    int largest = 0;
    for (unsigned i = 1; i <= _fnLimits.size(); ++i)
    {
        const int state = int(_fnLimits[i].evaluate(cu));
        if (withStates && state > largest)
            largest = state;
    }
    return largest;
}

void NRSolver::updateRecord()
{
    if (!_pResults)
        return;
    _pResults->norm = _obtainedPrecision;
    _pResults->status = _status;
    _pResults->totalIterations = _totalIterations;
    _pResults->iteration = static_cast<unsigned short>(_passIterations);
}

void NRSolver::writeStatus()
{
    setEmbeddedParam(sc::EmbeddedParam::SolState, double(_status));
    setEmbeddedParam(sc::EmbeddedParam::ReqEps, _precision);
    setEmbeddedParam(sc::EmbeddedParam::ObtEps, _obtainedPrecision);
}

sc::Solution NRSolver::finish(sc::Solution status, int consumerEnd, bool onlyWithReportRate, const char* key,
                              const char* subKey)
{
    _status = status;
    writeStatus();
    updateRecord();
    if (_pConsumer && (!onlyWithReportRate || _reportRate != sc::ReportRate::None))
        _pConsumer->end(consumerEnd);
    if (key)
        translateAndAddLog(_parentSolver ? subKey : key);
    return status;
}

// One pass of Newton iterations from the present point, until the residual
// is below the precision with no limit changing side, or a stop rule fires.
struct NRSolver::Pass
{
    NRSolver& s;
    unsigned number;

    sc::Solution run(double& norm)
    {
        s._passIterations = 0;
        s.clearSignalCounters();
        if (s._pResults)
        {
            s._pResults->pass = static_cast<unsigned short>(number);
            s._pResults->iteration = 0;
        }
        if (!s.factoriseJacobian())
            return s.finish(S::FactorizationError, sc::ISolutionBuffer::Failed, false, "@SC.ErrFactorize",
                            "@SC.ErrFactorizeSub");
        if (s._precision > norm)
            s._status = S::OK;
        s.writeStatus();
        if (s._precision > norm)
            return S::OK;
        return iterate(norm);
    }

    sc::Solution iterate(double& norm)
    {
        double alpha = 1.0;
        double previous = DBL_MAX;
        double reference = norm;
        unsigned rises = 0;
        for (;;)
        {
            const unsigned i = ++s._passIterations;
            ++s._totalIterations;
            if (number > 1)
                s._status = S::NewPass;
            s.setEmbeddedParam(sc::EmbeddedParam::TotIter, s._totalIterations);
            s.setEmbeddedParam(sc::EmbeddedParam::BaseIter, i);
            s.setEmbeddedParam(sc::EmbeddedParam::SuccRep, s._successfulRepetitions);
            s.updateRecord();
            if (!s._pSparse->solve(s._F.data(), s._dx.data()))
                return s.finish(S::SolutionError, sc::ISolutionBuffer::Failed, false, "@SC.LUSolveError",
                                "@SC.LUSolveErrorSubModel");
            for (int k = 0; k < s._nVars; ++k)
                s._x[k] += alpha * s._dx[std::size_t(k)];
            const int limitState = s.evaluateLimits(true);
            norm = s.evaluateResiduals();
            if (i == 10)
                reference = norm;
            else if (i > 10)
                reference = std::min(reference, norm);
            rises = norm > previous ? rises + 1 : 0;
            // Damp the rest of the pass when the norm stops falling fast.
            if (i >= 3 && norm > 0 && previous / norm < 10)
                alpha = 0.5;
            previous = norm;
            if (number == 1 || s._iterPostPAlwaysOn)
                s.evalIterationProcGroup();
            // A NaN norm never satisfies the test.
            if (limitState <= 2 && s._precision > norm)
            {
                s._status = S::BaseOK;
                s.writeStatus();
                s.updateRecord();
                if (s._pConsumer)
                    s._pConsumer->end(sc::ISolutionBuffer::Solved);
                return S::BaseOK;
            }
            if (i >= 10001 && norm > 5 * reference)
                return s.finish(S::Oscillation, sc::ISolutionBuffer::Failed, true, "@SC.Oscillation",
                                "@SC.Oscillation");
            if (i >= s._maxIterations)
                return s.finish(S::MaximumIteration, sc::ISolutionBuffer::Failed, true, "@SC.MaxIterLimit",
                                "@SC.MaxIterLimitSubModel");
            if (rises >= 2 && norm > 1e5)
                return s.finish(S::NoImprovement, sc::ISolutionBuffer::Failed, true, "@SC.NoImprovement",
                                "@SC.NoImprovement");
            s.writeStatus();
            if (s._reportRate == sc::ReportRate::PerIteration && s._pConsumer)
                s._pConsumer->put();
            if (!s._jacobianConstant && !s.factoriseJacobian())
                return s.finish(S::FactorizationError, sc::ISolutionBuffer::Failed, true, "@SC.FactorizationError",
                                "@SC.FactorErrorSubModel");
        }
    }
};

sc::Solution NRSolver::runPasses(unsigned& pass)
{
    evaluateLimits(false);
    double norm = evaluateResiduals();
    writeStatus();
    if (_attribs.valuesChanged)
        _attribs.valuesChanged = 0;
    updateRecord();
    _passIterations = 0;
    if (_reportRate != sc::ReportRate::None && _pConsumer)
        _pConsumer->put();
    if (_nJacEntries == 0)
    {
        finish(S::EmptyMatrix, sc::ISolutionBuffer::Failed, false, "@SC.EmptyJacobian", "@SC.EmptyJacSubModel");
        return S::SolutionError;
    }
    for (pass = 1;; ++pass)
    {
        const sc::Solution status = Pass {*this, pass}.run(norm);
        if (status != S::OK && status != S::BaseOK)
            return status;
        if (!limitGroupsSignal())
            return S::OK;
        // A limit group moved a variable: iterate again from there, at
        // most as many passes as iterations are allowed.
        if (pass >= _maxIterations)
            return finish(S::MaximumIteration, sc::ISolutionBuffer::Failed, false, "@SC.TooManyLimitPasses",
                          "@SC.TooManyLimitPasses");
        norm = evaluateResiduals();
        _obtainedPrecision = std::max(norm, 2 * _precision);
        norm = _obtainedPrecision;
    }
}

sc::Solution NRSolver::solve()
{
    if (!_modelRead)
    {
        translateAndAddLog("@SC.NoModelToSolve");
        _status = S::SolutionError;
        return _status;
    }
    if (_pResults)
        _pResults->precision = _precision;
    if (_reInitOn)
        backupInitialValues();
    for (unsigned repetition = 0;; ++repetition)
    {
        _totalIterations = _passIterations = 0;
        if (_pResults)
        {
            _pResults->repetition = repetition;
            _pResults->totalIterations = 0;
            _pResults->pass = 0;
            _pResults->iteration = 0;
            _pResults->status = S::Iterating;
            setEmbeddedParam(sc::EmbeddedParam::Repeat, repetition);
            setEmbeddedParam(sc::EmbeddedParam::OutIter, 0);
        }
        setEmbeddedParam(sc::EmbeddedParam::BaseIter, 0);
        setEmbeddedParam(sc::EmbeddedParam::TotIter, 0);
        setEmbeddedParam(sc::EmbeddedParam::SuccRep, _successfulRepetitions);
        setEmbeddedParam(sc::EmbeddedParam::SolState, double(_status));
        _status = S::Iterating;
        if (_nVars == 0)
            return _status = S::OK;
        if (repetition > 0 && _reInitOn)
        {
            copyInitialBackupedValues();
            evaluateReInitAssignments();
        }
        evaluatePreProcEquations();
        for (Interface* pSub : _subModels)
        {
            const bool run = repetition == 0 || pSub->getAttribs()->alwaysOn;
            if (!run)
                continue;
            // The shared parameters follow the parent's present values.
            static_cast<Solver*>(pSub)->copyParamsFromParent();
            if (pSub->solve() != S::OK)
            {
                _obtainedPrecision = 0;
                return finish(S::SubmodelFailed, sc::ISolutionBuffer::Failed, false, "@SC.CannotSolveSubModel",
                              "@SC.CannotSolveSubModel");
            }
        }
        evaluatePreProcEquations();
        unsigned pass = 1;
        const sc::Solution status = runPasses(pass);
        if (status != S::OK)
            return status;
        if (pass == 1 || _basePostPAlwaysOn)
            evalBaseCaseProcGroup();
        _status = S::OK;
        writeStatus();
        evaluatePostProcEquations();
        updateRecord();
        if (_pConsumer)
            _pConsumer->end(sc::ISolutionBuffer::Solved);
        ++_successfulRepetitions;
        // The Repeats group runs even when no repetition may follow: its
        // assignments are part of the last solve.
        if (!evalueateRepeats() || !repetitionAllowed(repetition + 1))
        {
            if (_pConsumer)
                _pConsumer->end(sc::ISolutionBuffer::Finished);
            return _status;
        }
    }
}
} // namespace SL_NS
