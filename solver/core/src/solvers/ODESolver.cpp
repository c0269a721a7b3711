#include <solvers/ODESolver.h>
#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>
#include <solvers/TimeStep.h>
#include <mu/Assert.h>
#include <xml/XmlModelReader.h>

#include <cfloat>

namespace SL_NS
{
namespace
{
using S = sc::Solution;
} // namespace

ODESolver::ODESolver(sc::ILog* pLog)
    : Solver(pLog)
{
    _attribs.type = sc::SolverType::ODE;
}

void ODESolver::clearModel()
{
    _f0.clear();
    _xp.clear();
    _f1.clear();
    _odeVarMap.clean();
    _nSteps = 0;
    Solver::clearModel();
}

bool ODESolver::compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                        SolverData& data, sc::ModelLevel level)
{
    data.pODEVarMap = &_odeVarMap;
    return parser.getFxEvaluatorsForODE(pNaming, pModel, &data, level);
}

bool ODESolver::compileXml(XmlModelReader& parser, const td::String& model, SolverData& data)
{
    data.pODEVarMap = &_odeVarMap;
    return parser.getFxEvaluatorsForODE(model, &data);
}

bool ODESolver::init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel)
{
    if (!readModel(pNaming, pModel, isMainModel ? sc::ModelLevel::Main : sc::ModelLevel::SubModel))
    {
        translateAndAddLog("@SC.ODEReadModelError");
        return false;
    }
    startModel();
    return true;
}

bool ODESolver::init(const td::String& model, sc::SourceType sourceType)
{
    _sourceType = sourceType;
    if (!readModel(model))
    {
        _errorStr.writeIntro(_modelLine, SolutionLocation::ReadModel);
        _errorStr.append("ODESolver cannot read the data..");
        return false;
    }
    startModel();
    return true;
}

void ODESolver::startModel()
{
    _f0.assign(std::size_t(_nVars), Value {});
    _xp.assign(std::size_t(_nVars), Value {});
    _f1.assign(std::size_t(_nVars), Value {});
    _x = _initialValues.data();
    _pParams = _x + _nVars;
    _fx.setSolver(this);
    _nSteps = 0;
    takeDeclaredStep(_h, _pParams[_indexOfDeltaTParam]);
    _modelRead = true;
}

bool ODESolver::hasModel() const
{
    if (_modelRead)
        return true;
    translateAndAddLog("@SC.NoModelToSolve");
    return false;
}

void ODESolver::setIntegrationStepSize(double h)
{
    _h = h;
    if (_modelRead)
        _pParams[_indexOfDeltaTParam] = h;
}

void ODESolver::setTimes(double t, double dT)
{
    if (!hasModel())
        return;
    time() = t;
    _pParams[_indexOfDeltaTParam] = dT;
}

sc::Solution ODESolver::solve()
{
    if (!hasModel())
        return _status = S::SolutionError;
    _status = S::OK;
    if (_attribs.valuesChanged && _reInitOn)
        copyInitialBackupedValues();
    _attribs.valuesChanged = 0;
    // PreProc runs twice, as around the sub-model of a solve. Both slopes at
    // their own times: f0 at t, f1 at the predictor and t + h.
    evaluatePreProcEquations();
    evaluatePreProcEquations();
    _fx.evaluate(_f0.data(), 1.0);
    const int* map = &_odeVarMap[0];
    for (int i = 0; i < _nVars; ++i)
        _xp[std::size_t(map[i])] = _x[map[i]] + _h * _f0[std::size_t(i)];
    time() += _h;
    _fx.setVariableValues(_xp.data());
    _fx.evaluate(_f1.data(), 1.0);
    _fx.setVariableValues(nullptr);
    for (int i = 0; i < _nVars; ++i)
        _x[map[i]] += (_f0[std::size_t(i)] + _f1[std::size_t(i)]) * (_h * 0.5);
    evaluatePostProcEquations();
    ++_nSteps;
    return S::OK;
}

void ODESolver::startRun(double t0)
{
    _run = true;
    _nSteps = _totalIterations = _passIterations = 0;
    setEmbeddedParam(sc::EmbeddedParam::StartT, t0);
    if (_pResults)
        _pResults->time = t0;
    time() = t0;
    _pParams[_indexOfDeltaTParam] = _h;
    if (_reInitOn)
        backupInitialValues();
}

bool ODESolver::reset(double t0)
{
    if (!hasModel())
        return false;
    if (!(_h > 0))
    {
        translateAndAddLog("@SC.ZeroOrNegDeltaT");
        return false;
    }
    startRun(t0);
    setEmbeddedParam(sc::EmbeddedParam::EndT, DBL_MAX);
    return true;
}

sc::Solution ODESolver::step(unsigned n)
{
    if (n == 0)
        return S::OK;
    if (!hasModel())
        return S::SolutionError;
    for (unsigned k = 0; k < n; ++k)
        if (solve() != S::OK)
            return S::SolutionError;
    return S::OK;
}

bool ODESolver::solve(double t0, double dT, double t1, sc::ISolutionBuffer* pConsumer, int n)
{
    setEmbeddedParam(sc::EmbeddedParam::StartT, t0);
    setEmbeddedParam(sc::EmbeddedParam::EndT, t1);
    _successfulRepetitions = 0;
    if (!(dT > 0))
    {
        translateAndAddLog("@SC.WrongDTForODE");
        return false;
    }
    if (!pConsumer)
    {
        translateAndAddLog("@SC.NoConsumer");
        return false;
    }
    if (!hasModel())
        return false;
    const bool untilStopped = t1 <= t0;
    for (unsigned repetition = 0;; ++repetition)
    {
        _pConsumer = pConsumer;
        _h = dT;
        startRun(t0);
        _run = untilStopped;
        pConsumer->put();
        // Steps while the time before the step is within the range: a range
        // whose end lies on the grid ends one step beyond it.
        int counter = 0;
        double t = t0;
        for (unsigned k = 1; _run || t <= t1; ++k)
        {
            const sc::Solution status = solve();
            t = t0 + double(k) * dT;
            time() = t;
            if (_pResults)
            {
                _pResults->time = t;
                _pResults->status = status;
            }
            if (status != S::OK)
            {
                pConsumer->end(sc::ISolutionBuffer::Failed);
                return false;
            }
            if (++counter >= n)
            {
                pConsumer->put();
                counter = 0;
            }
        }
        if (untilStopped)
            break;
        ++_successfulRepetitions;
        if (!evalueateRepeats() || !repetitionAllowed(repetition + 1))
            break;
    }
    pConsumer->end(sc::ISolutionBuffer::Finished);
    return true;
}
} // namespace SL_NS
