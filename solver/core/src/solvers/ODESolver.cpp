#include <solvers/ODESolver.h>
#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>
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
    : TimeSolver(1e-4, "@SC.WrongDTForODE", pLog)
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
    takeModelStep();
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
    const double h = _dT;
    const int* map = &_odeVarMap[0];
    for (int i = 0; i < _nVars; ++i)
        _xp[std::size_t(map[i])] = _x[map[i]] + h * _f0[std::size_t(i)];
    time() += h;
    _fx.setVariableValues(_xp.data());
    _fx.evaluate(_f1.data(), 1.0);
    _fx.setVariableValues(nullptr);
    for (int i = 0; i < _nVars; ++i)
        _x[map[i]] += (_f0[std::size_t(i)] + _f1[std::size_t(i)]) * (h * 0.5);
    evaluatePostProcEquations();
    ++_nSteps;
    return S::OK;
}

void ODESolver::startRun(double t0)
{
    _nSteps = _totalIterations = _passIterations = 0;
    setEmbeddedParam(sc::EmbeddedParam::StartT, t0);
    if (_pResults)
        _pResults->time = t0;
    time() = t0;
    _pParams[_indexOfDeltaTParam] = _dT;
    if (_reInitOn)
        backupInitialValues();
}

bool ODESolver::reset(double t0)
{
    if (!readyToRun())
        return false;
    _run = true;
    startRun(t0);
    setEmbeddedParam(sc::EmbeddedParam::EndT, DBL_MAX);
    return true;
}

void ODESolver::startRange(double t0, unsigned)
{
    startRun(t0);
    _pConsumer->put();
}

sc::Solution ODESolver::rangeStep(double t0, unsigned k)
{
    const sc::Solution status = solve();
    time() = t0 + double(k) * _dT;
    return status;
}
} // namespace SL_NS
