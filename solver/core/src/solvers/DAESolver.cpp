#include <expr/CU.h>
#include <solvers/DAESolver.h>
#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>
#include <math/Magnitude.h>
#include <mu/Assert.h>
#include <sc/TokenizedModel.h>
#include <sparse/ISolver.h>
#include <xml/XmlModelReader.h>

#include <cfloat>

namespace SL_NS
{
namespace
{
using S = sc::Solution;

int stagesOf(math::IntMethod method)
{
    return method == math::IntMethod::GaussLegendre2 ? 2 : method == math::IntMethod::GaussLegendre3 ? 3 : 0;
}
} // namespace

DAESolver::DAESolver(sc::ILog* pLog, int maxIter, double precision)
    : TimeSolver(0.0, "@SC.WrongDTForDAE", pLog, maxIter, precision)
{
    _attribs.type = sc::SolverType::DAE;
}

void DAESolver::clearModel()
{
    _daeVarMap.clean();
    _jacobianValues.clear();
    _jacobianParameters.clear();
    _jacobianParameterValues.clear();
    _nFactorisations = 0;
    _nStages = 0;
    _refill = false;
    NRSolver::clearModel();
}

bool DAESolver::compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                        SolverData& data, sc::ModelLevel level)
{
    data.pDAEVarMap = &_daeVarMap;
    data.intMethod = std::uint8_t(_intMethod);
    return parser.getFxAndJacEvaluatorsForDAE(pNaming, pModel, &data, &_jacobian, level);
}

bool DAESolver::compileXml(XmlModelReader& parser, const td::String& model, SolverData& data)
{
    data.pDAEVarMap = &_daeVarMap;
    data.intMethod = std::uint8_t(_intMethod);
    return parser.getFxAndJacEvaluatorsForDAE(model, &data, &_jacobian);
}

void DAESolver::takeCompiledModel(const SolverData& data)
{
    NRSolver::takeCompiledModel(data);
    _intMethod = math::IntMethod(data.intMethod);
    _nStages = stagesOf(_intMethod);
}

bool DAESolver::init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel)
{
    const sc::ModelLevel level = isMainModel ? sc::ModelLevel::Main : sc::ModelLevel::SubModel;
    if (!readModel(pNaming, pModel, level) || !allocSpace())
    {
        translateAndAddLog("@SC.ErrorDAEInit");
        return false;
    }
    startModel();
    return true;
}

bool DAESolver::init(const td::String& model, sc::SourceType sourceType)
{
    _sourceType = sourceType;
    if (!readModel(model) || !allocSpace())
    {
        _errorStr.writeIntro(_modelLine, SolutionLocation::Other);
        _errorStr.append("Cannot read the data..");
        return false;
    }
    startModel();
    return true;
}

void DAESolver::startModel()
{
    _stepConstants.setSolver(this);
    _jacobianReadsVariables = _jacobian.readsVariables();
    _jacobianParameters = _jacobianReadsVariables ? std::vector<std::uint32_t> {} : _jacobian.getParameters();
    _jacobianParameterValues.clear();
    setUpSparseSolver();
    takeModelStep();
}

int DAESolver::getNumberOfStateSpaceVariables() const
{
    int n = 0;
    for (int i = 0; i < _nVars; ++i)
        n += _symbolInfo[std::size_t(i)].symbolType >= 3;
    return n;
}

void DAESolver::copyInitialValues()
{
    for (int i = 0; i < _nVars; ++i)
    {
        const _DAEVM& entry = _daeVarMap[std::size_t(i)];
        if (entry.historyParam < 0)
            continue;
        _pParams[entry.historyParam] = _x[i];
        for (int k = 0; k < _nStages; ++k)
            _x[entry.iKPos + k] = _x[i];
    }
}

bool DAESolver::solveInitialProblem()
{
    for (Interface* pSub : _subModels)
    {
        static_cast<Solver*>(pSub)->copyParamsFromParent();
        if (pSub->solve() != S::OK)
        {
            _status = S::SubmodelFailed;
            _errorStr.writeIntro(_modelLine, SolutionLocation::RTSolution);
            _errorStr.append("Cannot solve initial problem!");
            return false;
        }
    }
    _attribs.subModelsPending = 0;
    return true;
}

void DAESolver::evaluateStepConstants()
{
    if (!_stepConstants.size())
        return;
    CU cu(this);
    for (std::size_t k = 0; k < _stepConstants.size(); ++k)
        _sharedValues[_stepConstantSlots[k]] = _stepConstants[k]->evaluate(cu);
}

sc::Solution DAESolver::fail(sc::Solution status, const char* key)
{
    _status = status;
    writeStatus();
    if (key)
        translateAndAddLog(key);
    return status;
}

bool DAESolver::refactorise()
{
    ++_nFactorisations;
    _refill = false;
    return factoriseJacobian();
}

bool DAESolver::jacobianParametersChanged()
{
    bool changed = _jacobianParameterValues.size() != _jacobianParameters.size();
    _jacobianParameterValues.resize(_jacobianParameters.size());
    for (std::size_t k = 0; k < _jacobianParameters.size(); ++k)
    {
        const Value v = _pParams[_jacobianParameters[k]];
        changed |= !(v == _jacobianParameterValues[k]);
        _jacobianParameterValues[k] = v;
    }
    return changed;
}

bool DAESolver::prepareFactorisation(bool firstPass)
{
    // Entries such as dT a - 1 change with the step size or a parameter
    // without reading any variable: such a Jacobian is refactorised only
    // when one of its values changed.
    if (!_jacobianReadsVariables)
    {
        if (_factorised && !jacobianParametersChanged())
            return true;
        const bool changed = _jacobian.refreshValues(_jacobianValues);
        return (_factorised && !changed) || refactorise();
    }
    // A Jacobian of the variables starts each step from the factorisation
    // of the last iterate, and a later pass from the present point.
    return (_factorised && !_refill && firstPass) || refactorise();
}

sc::Solution DAESolver::iterate(double norm0)
{
    const double threshold = 50 * norm0;
    unsigned iteration = 0;
    for (bool firstPass = true;; firstPass = false)
    {
        clearSignalCounters();
        // Checked when a pass starts too: a limit group that signals every
        // pass would otherwise go on for ever.
        if (iteration >= _maxIterations)
            return fail(S::MaximumIteration, "@SC.MaxIterLimit");
        if (!prepareFactorisation(firstPass))
            return fail(S::FactorizationError, "@SC.DAEFactorizationError");
        ++iteration;
        const unsigned first = iteration;
        double previous = norm0;
        for (;;)
        {
            _passIterations = iteration;
            if (!_pSparse->solve(_F.data(), _dx.data()))
                return fail(S::SolutionError, nullptr);
            double largest = 0;
            for (int k = 0; k < _nVars; ++k)
            {
                _x[k] += _dx[std::size_t(k)];
                const double d = math::magnitude(_dx[std::size_t(k)]);
                largest = d > largest ? d : largest;
            }
            const int limitState = evaluateLimits(true);
            const double norm = evaluateResiduals();
            // A NaN norm never passes. Residuals whose Jacobian reads no
            // variable are affine: one step lands on the solution, and the
            // size of that step tells nothing.
            const bool affine = !_jacobianReadsVariables;
            if (norm < _precision && (affine || largest < 100 * _precision) && limitState < 3)
                break;
            if (iteration > unsigned(_maxIterations / 5) && norm > threshold)
                return fail(S::Oscillation, "@SC.Oscillation");
            if (iteration >= _maxIterations)
                return fail(S::MaximumIteration, "@SC.MaxIterLimit");
            // A pass starts from the last factorisation and takes the
            // present Jacobian after its first iteration; later iterations
            // keep it while each at least halves the residual.
            const bool refresh = iteration == first || !(norm < 0.5 * previous);
            if (_jacobianReadsVariables && refresh && !refactorise())
                return fail(S::FactorizationError, "@SC.DAEFactorizationError");
            previous = norm;
            ++iteration;
        }
        if (!limitGroupsSignal())
            break;
        // A limit group moved a variable (or set a parameter): a new pass
        // from there.
        _refill = _jacobianReadsVariables;
        evaluateStepConstants();
        evaluateResiduals();
    }
    _totalIterations += iteration;
    _status = S::OK;
    return S::OK;
}

sc::Solution DAESolver::solve(bool advance)
{
    if (!hasModel())
        return _status = S::SolutionError;
    _status = S::OK;
    _reportRate = sc::ReportRate::None;
    if (_attribs.valuesChanged && _reInitOn)
        copyInitialBackupedValues();
    _attribs.valuesChanged = 0;
    if (_attribs.subModelsPending && !solveInitialProblem())
        return S::SubmodelFailed;
    _pParams[_indexOfDeltaTParam] = _dT;
    copyInitialValues();
    evaluatePreProcEquations();
    if (advance)
    {
        if (_pConsumer)
            _pConsumer->put();
        time() += _dT;
    }
    evaluateStepConstants();
    evaluateLimits(false);
    const double norm0 = evaluateResiduals();
    // A consumer that changed a value meanwhile leaves the factorisation stale.
    if (_attribs.valuesChanged)
        _refill = true;
    _attribs.valuesChanged = 0;
    const sc::Solution status = iterate(norm0);
    if (status != S::OK)
        return status;
    setEmbeddedParam(sc::EmbeddedParam::BaseIter, _passIterations);
    setEmbeddedParam(sc::EmbeddedParam::TotIter, _totalIterations);
    writeStatus();
    evaluatePostProcEquations();
    return S::OK;
}

bool DAESolver::reset(double t0)
{
    if (!readyToRun())
        return false;
    _obtainedPrecision = notSolved;
    _attribs.valuesChanged = 1;
    _attribs.subModelsPending = 1;
    setEmbeddedParam(sc::EmbeddedParam::StartT, t0);
    setEmbeddedParam(sc::EmbeddedParam::EndT, DBL_MAX);
    _run = true;
    _successfulRepetitions = 0;
    startRange(t0, 0);
    time() = t0;
    _pParams[_indexOfDeltaTParam] = _dT;
    if (!solveInitialProblem())
        return false;
    copyInitialValues();
    return true;
}

void DAESolver::startRange(double t0, unsigned repetition)
{
    _totalIterations = _passIterations = 0;
    if (_pResults)
    {
        _pResults->time = t0;
        _pResults->repetition = repetition;
        setEmbeddedParam(sc::EmbeddedParam::Repeat, repetition);
        setEmbeddedParam(sc::EmbeddedParam::OutIter, _pResults->pass);
    }
    setEmbeddedParam(sc::EmbeddedParam::SuccRep, _successfulRepetitions);
    setEmbeddedParam(sc::EmbeddedParam::BaseIter, 0);
    setEmbeddedParam(sc::EmbeddedParam::TotIter, 0);
    setEmbeddedParam(sc::EmbeddedParam::SolState, double(_status));
    _reportRate = sc::ReportRate::None;
    if (_reInitOn)
        backupInitialValues();
}

sc::Solution DAESolver::rangeStep(double t0, unsigned k)
{
    if (k > 1)
        return stepFrom(t0, k);
    time() = t0;
    return solve(true);
}

sc::Solution DAESolver::stepFrom(const Value& t0, unsigned k)
{
    // From the time a run started at, so that round-off does not add up.
    time() = t0 + double(k) * _dT;
    return solve(false);
}
} // namespace SL_NS
