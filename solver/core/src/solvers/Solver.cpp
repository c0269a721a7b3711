#include <compile/RPNDerivParser.h>
#include <expr/CU.h>
#include <expr/SolverData.h>
#include <solvers/Solver.h>
#include <mu/Assert.h>
#include <sc/TokenizedModel.h>
#include <xml/XmlModelReader.h>

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <thread>

namespace SL_NS
{
namespace
{
// A count of threads from 1 to the cores this process may run on.
unsigned usableThreads(unsigned n) { return std::clamp(n, 1u, math::WorkerPool::availableCores()); }
} // namespace

Solver::Solver(sc::ILog* pLog)
    : _pools(std::make_unique<ExpressionPools>())
    , _pLog(pLog)
    , _obtainedPrecision(DBL_MAX)
{
}

Solver::~Solver()
{
    for (Interface* pSub : _subModels)
        pSub->release();
}

void Solver::clearModel()
{
    for (Interface* pSub : _subModels)
        pSub->release();
    _subModels.clear();
    _initialValues.clear();
    _x = _pParams = nullptr;
    _nVars = _nParams = 0;
    _stringPool = std::make_unique<sc::StringPool>();
    _pools = std::make_unique<ExpressionPools>();
    _writerPools.reset();
    _symbolInfo.clean();
    _rndGens.reserve(0);
    _stats.reserve(0);
    _limits.reserve(0);
    _fnLimits.clear();
    _errorStr.clean();
    _modelName = td::StringExt();
    _sharedValues.clear();
    _sharedSlots.clear();
    _sharedBatches.clear();
    _stepConstantSlots.clear();
    for (EvaluatorVect* pGroup :
         {&_fx, &_shared, &_stepConstants, &_reInit, &_preProc, &_iterPostP, &_basePostP, &_postProc, &_repeats})
        pGroup->reserve(0);
    _backup.clean();
    _indexOfTParam = _indexOfDeltaTParam = -1;
    _nCopiedParams = _firstCopiedParam = 0;
    _successfulRepetitions = _totalIterations = _passIterations = 0;
    _reInitOn = false;
    _iterPostPAlwaysOn = _basePostPAlwaysOn = false;
    _conjVars = false;
    _modelRead = false;
    _status = sc::Solution::OK;
    _obtainedPrecision = DBL_MAX;
}

void Solver::setResultsInfo(_ri* pInfo)
{
    _pResults = pInfo;
    if (!pInfo)
        return;
    _reportRate = pInfo->reportRate;
    pInfo->pValues = _x;
    pInfo->pSymbolInfo = &_symbolInfo;
    getOutSymbols(pInfo->outSymbols);
    pInfo->nVars = unsigned(_nVars);
    pInfo->solverType = _attribs.type;
}

void Solver::getResults(Value* out)
{
    for (int i = 0; i < _nVars; ++i)
        out[i] = _x[i];
}

void Solver::getParams(Value* out)
{
    for (int i = 0; i < _nParams; ++i)
        out[i] = _pParams[i];
}

const char* Solver::getParameterName(int index)
{
    MU_ASSERT_MSG(index >= 0 && index < _nParams, "index < _nParams");
    const char* name = symbolName(_nVars + index);
    return name ? name : "";
}

const char* Solver::getVariableName(int index)
{
    MU_ASSERT_MSG(index >= 0, "index >= 0");
    MU_ASSERT_MSG(index < _nVars, "index < _nVars");
    const char* name = symbolName(index);
    return name ? name : "";
}

int Solver::getSymbolIndex(const char* name) const
{
    if (!name)
        return -1;
    const std::uint32_t index = _stringPool->getIndex(name);
    return index == sc::HashMap::NotFound ? -1 : int(index);
}

bool Solver::setVariableValue(int index, Value value)
{
    if (index < 0 || index >= _nVars)
        return false;
    _x[index] = value;
    _attribs.valuesChanged = 1;
    return true;
}

bool Solver::setVariableValue(const char* name, Value value) { return setVariableValue(getSymbolIndex(name), value); }

bool Solver::getVariableValue(int index, Value& value)
{
    if (index < 0 || index >= _nVars)
        return false;
    value = _x[index];
    return true;
}

bool Solver::getVariableValue(const char* name, Value& value) { return getVariableValue(getSymbolIndex(name), value); }

bool Solver::setParamValue(int index, Value value)
{
    if (index < 0 || index >= _nParams)
        return false;
    _pParams[index] = value;
    _attribs.valuesChanged = 1;
    return true;
}

bool Solver::setParamValue(const char* name, Value value)
{
    const int symbol = getSymbolIndex(name);
    return symbol >= 0 && setParamValue(symbol - _nVars, value);
}

bool Solver::getSymbolValue(int index, Value& value) const
{
    if (index < 0 || index >= _nVars + _nParams)
        return false;
    value = _x[index];
    return true;
}

bool Solver::getParamValue(int index, Value& value)
{
    if (index < 0 || index >= _nParams)
        return false;
    value = _pParams[index];
    return true;
}

bool Solver::getParamValue(const char* name, Value& value)
{
    const int symbol = getSymbolIndex(name);
    return symbol >= 0 && getParamValue(symbol - _nVars, value);
}

td::String Solver::getLastErrorStr() const
{
    std::string text;
    auto add = [&text](const td::String& piece) {
        if (piece.isEmpty())
            return;
        if (!text.empty())
            text += '\n';
        text.append(piece.c_str(), piece.length());
    };
    for (const Interface* pSub : _subModels)
        add(pSub->getLastErrorStr());
    add(_errorStr.toString());
    return td::String(text.c_str(), text.size());
}

void Solver::setLogInfo(bool info, bool details, bool third)
{
    _logInfo[0] = info;
    _logInfo[1] = details;
    _logInfo[2] = third;
}

int Solver::getNoOfOutSymbols() const
{
    int n = 0;
    for (const sc::_SI& si : _symbolInfo)
        n += si.outType == 2;
    return n;
}

bool Solver::getOutSymbols(cnt::SafeFullVector<unsigned int>& indices) const
{
    const int n = getNoOfOutSymbols();
    if (n == 0)
        return true;
    const bool sameSize = indices.size() == std::size_t(n);
    if (!sameSize)
        indices.reserve(std::size_t(n));
    bool changed = !sameSize;
    std::size_t k = 0;
    for (std::size_t i = 0; i < _symbolInfo.size(); ++i)
    {
        if (_symbolInfo[i].outType != 2)
            continue;
        changed |= indices[k] != i;
        indices[k++] = unsigned(i);
    }
    return changed;
}

cnt::SafeFullVector<td::String> Solver::getFunctionNames() const
{
    return RPNParser(nullptr, nullptr).getFunctionNames();
}

cnt::SafeFullVector<td::String> Solver::getLogicOperators() const
{
    return RPNParser(nullptr, nullptr).getLogicOperators();
}

void Solver::addLog(const sc::ILog::LE& entry, sc::ILog::Type type)
{
    if (_pLog)
        _pLog->add(entry, type);
}

void Solver::translateAndAddLog(const char* key, sc::ILog::Type type) const
{
    if (_pLog)
        _pLog->translateAndAdd(key, type);
}

void Solver::setMaxRepetitions(int maxRepetitions)
{
    _maxRepetitions = maxRepetitions;
    // The limit belongs to the whole model text: a sub-model repeats within
    // it too.
    for (Interface* pSub : _subModels)
        pSub->setMaxRepetitions(maxRepetitions);
}

bool Solver::repetitionAllowed(unsigned r) const
{
    if (_maxRepetitions >= 0)
        return r <= unsigned(_maxRepetitions);
    if (r <= defaultRepetitionLimit)
        return true;
    translateAndAddLog("@SC.RepetitionLimit", sc::ILog::Type::Warning);
    return false;
}

void Solver::handle(sc::ISignal::Type t)
{
    if (std::size_t(t) < _signalCounts.size())
        ++_signalCounts[std::size_t(t)];
    if (_pSignalHandler)
        _pSignalHandler->handle(t);
}

bool Solver::anySignal() const
{
    for (std::uint32_t n : _signalCounts)
        if (n)
            return true;
    return false;
}

bool Solver::limitGroupsSignal()
{
    if (_limits.size() == 0)
        return false;
    clearSignalCounters();
    CU cu(this);
    cu.setParentSolver(_parentSolver);
    cu.setBranchObserver(this);
    for (const SolutionLimits::Group& group : _limits)
    {
        if (!group.enabled)
            continue;
        for (std::uint32_t i = 0; i < group.count; ++i)
            group.evaluators[i].evaluateAssignment(cu);
    }
    return anySignal();
}

void Solver::evaluateShared()
{
    if (!_shared.size())
        return;
    // Slots of a dynamic model's step values stand among them.
    CU cu(this);
    if (!_sharedBatches.empty())
        return _sharedBatches.evaluate(cu, _sharedValues.data());
    for (std::size_t k = 0; k < _shared.size(); ++k)
        _sharedValues[_sharedSlots[k]] = _shared[k]->evaluate(cu);
}

void Solver::runGroup(EvaluatorVect& group)
{
    if (group.size())
        group.evaluateAssignments(this);
}

void Solver::backupInitialValues()
{
    _backup.reserve(std::size_t(_nVars));
    for (int i = 0; i < _nVars; ++i)
        _backup[std::size_t(i)] = _x[i];
}

void Solver::copyInitialBackupedValues()
{
    // A backup that was never filled (or filled for another model) is no
    // start to go back to.
    if (_backup.size() != std::size_t(_nVars))
        return;
    for (int i = 0; i < _nVars; ++i)
        _x[i] = _backup[std::size_t(i)];
}

void Solver::setEmbeddedParam(sc::EmbeddedParam which, double value)
{
    if (_x)
        _x[_nVars + _nParams + int(which)] = value;
}

bool Solver::readModel(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, sc::ModelLevel level)
{
    clearModel();
    // The data outlives the parser, whose end still reads it.
    SolverData data;
    RPNDerivParser parser(*this);
    initSolverData(data);
    readModelFlags(data, pModel, level);
    loadModelAttribs(pModel, level);
    // The loader took only counts from 1 up; a sub-model follows the text's
    // setting too, and a text without one the host's count.
    int threads = 0;
    const bool stated = pModel->isHeaderParamStated(sc::HeaderParam::threads) &&
                        pModel->getHeaderParamValue(sc::HeaderParam::threads, threads) == 1;
    _threads = stated ? usableThreads(unsigned(threads)) : _hostThreads;
    if (_threads > 1)
    {
        _writerPools = std::make_unique<ExpressionPools>();
        data.pWriterPools = _writerPools.get();
    }
    if (level == sc::ModelLevel::SubModel)
    {
        _nCopiedParams = pModel->getNumberOfCopiedParams();
        _firstCopiedParam = pModel->getFirstCopiedParamPos();
    }
    const bool ok = compile(parser, pNaming, pModel, data, level);
    if (ok)
    {
        readCommonModelAttribs(pModel, level);
        _iterPostPAlwaysOn = data.iterPostPAlwaysOn != 0;
        _basePostPAlwaysOn = data.basePostPAlwaysOn != 0;
        MU_ASSERT_MSG(_nVars == parser.getNumVariables(), "_nVars == derivParser.getNumVariables()");
        MU_ASSERT_MSG(_nParams == parser.getNumParameters(), "_nParams == derivParser.getNumParameters()");
        takeCompiledModel(data);
    }
    parser.releaseRes();
    return ok;
}

bool Solver::readModel(const td::String& model)
{
    clearModel();
    // The data outlives the parser, whose end still reads it.
    SolverData data;
    XmlModelReader parser(*this);
    initSolverData(data);
    const bool ok = compileXml(parser, model, data);
    if (ok)
        takeCompiledModel(data);
    parser.releaseRes();
    return ok;
}

unsigned Solver::defaultThreads() { return math::WorkerPool::defaultSize(); }

void Solver::setMaxThreads(unsigned nThreads)
{
    _hostThreads = _threads = usableThreads(nThreads);
    splitPasses();
}

bool Solver::splitLists(unsigned nThreads)
{
    const bool f = _fx.setThreads(nThreads);
    return _sharedBatches.setThreads(nThreads) || f;
}

void Solver::splitPasses()
{
    if (!splitLists(_threads))
        _workers.reset();
    else if (!_workers || _workers->size() != _threads)
        _workers = std::make_unique<math::WorkerPool>(_threads);
}

void Solver::setBatchedEvaluation(bool on)
{
    _batchedEvaluation = on;
    _fx.setBatched(on);
    _sharedBatches.clear();
    if (on)
        _sharedBatches.build(_shared.evaluators(), _sharedSlots, true);
}

void Solver::takeCompiledModel(const SolverData& data)
{
    _indexOfTParam = data.indexOfTParam;
    _indexOfDeltaTParam = data.indexOfDeltaTParam;
    if (data.eps != 0)
        _precision = data.eps;
    setBatchedEvaluation(_batchedEvaluation);
    splitPasses();
}

void Solver::initSolverData(SolverData& data)
{
    data.pWorkspace = this;
    data.pLog = _pLog;
    data.pPools = _pools.get();
    data.pSymbolInfo = &_symbolInfo;
    data.pSymbolValues = &_initialValues;
    data.pStringPool = _stringPool.get();
    data.pLimits = &_limits;
    data.pRndGens = &_rndGens;
    data.pStats = &_stats;
    data.pModelDesc = &_modelDesc;
    data.pErrorStr = &_errorStr;
    data.pFnLimits = &_fnLimits;
    data.pLastUsedVarsForLimits = &_lastUsedVarsForLimits;
    data.logInfo = _logInfo[0];
    data.logInfoDetails = _logInfo[1];
    data.lineNo = _modelLine;
    data.sourceType = std::uint8_t(_sourceType);
    data.conjVars = _conjVars;
}
} // namespace SL_NS
