#include "BaseModel.h"

#include <sc/HeaderParam.h>
#include <sc/ModelLevel.h>
#include <mu/Assert.h>
#include <sc/TokenizedModel.h>
#include <td/Variant.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <type_traits>

namespace
{
using LogType = sc::ILog::Type;

// Model types of the model information.
constexpr std::uint8_t odeModel = 2;
constexpr std::uint8_t undefinedModel = 4;

constexpr double defaultPrecision = 1e-6;

// The loader reports nothing for a file it cannot open.
bool canOpen(const td::String& path)
{
    return sc::TokenizedModel::isModelFile(path) && std::ifstream(path.c_str(), std::ios::binary).is_open();
}
} // namespace

template <typename T, typename X>
BaseModel<T, X>::BaseModel(SolverMaker makeSolver, Solver* pSolver, unsigned maxIter)
    : _pSolver(pSolver)
    , _makeSolver(makeSolver)
    , _maxIter(maxIter)
{
}

template <typename T, typename X>
BaseModel<T, X>::~BaseModel()
{
    _pSolver->release();
}

template <typename T, typename X>
void BaseModel<T, X>::log(const char* text, LogType type) const
{
    if (sc::ILog* pLog = _pSolver->getLogger())
        pLog->addWoTranslation(td::String(text), type);
}

template <typename T, typename X>
void BaseModel<T, X>::logError(const char* text) const
{
    log(text, LogType::Error);
}

template <typename T, typename X>
void BaseModel<T, X>::logKey(const char* key, const char* text) const
{
    sc::ILog* pLog = _pSolver->getLogger();
    if (!pLog)
        return;
    if (text)
        pLog->translateAndAdd(key, 0, 0, LogType::Error, text, nullptr);
    else
        pLog->translateAndAdd(key, LogType::Error);
}

template <typename T, typename X>
void BaseModel<T, X>::renewSolver()
{
    // The factory's limit again: the last model's limits belong to that model.
    Solver* pFresh = _makeSolver(_pSolver->getLogger(), _maxIter);
    // The maker made this model's first solver, so it makes another.
    MU_ASSERT(pFresh);
    _pSolver->release();
    _pSolver = pFresh;
    _solverUsed = false;
}

template <typename T, typename X>
bool BaseModel<T, X>::load(const td::String& source, bool isFile)
{
    if (_solverUsed)
        renewSolver();
    if (isFile && !canOpen(source))
    {
        logError((std::string("Cannot open model file ") + source.c_str() + "!").c_str());
        return false;
    }
    _naming.clean();
    cnt::SafeFullVector<td::Variant> header;
    // No translation function: the loader hands its keys to the logger.
    sc::TokenizedModel model(_pSolver->getLogger(), header, nullptr, _naming, 0);
    const bool loaded = isFile ? model.loadFromFile(source) : model.loadFromString(source);
    return loaded && init(model);
}

template <typename T, typename X>
bool BaseModel<T, X>::readIterationLimit(const sc::TokenizedModel& model, int& limit) const
{
    limit = 0;
    // The header's default must not override the Model line's maxIter or
    // the factory's: only a value the header states does.
    if (!model.isHeaderParamStated(sc::HeaderParam::maxIter))
        return true;
    int value = 0;
    const int found = model.getHeaderParamValue(sc::HeaderParam::maxIter, value);
    if (found == 0)
        log("Maxiter model attrib not specified in header! Using default value for maxIter!", LogType::Warning);
    else if (found < 0)
        log("Maxiter model attrib not specified as integer! Using default value for maxIter!", LogType::Warning);
    else if (value <= 1)
        log("Too small value for maxIter! Using default value for maxIter!", LogType::Warning);
    else if (unsigned(value) > maxIterationLimit)
    {
        logError(tooLargeIterationLimit);
        return false;
    }
    else
        limit = value;
    return true;
}

template <typename T, typename X>
bool BaseModel<T, X>::init(const sc::TokenizedModel& model)
{
    const sc::_MI& info = model.getModelInfo(sc::ModelLevel::Main);
    if (info.type == undefinedModel)
    {
        logKey("MS.UndefindeModelType");
        return false;
    }
    int limit = 0;
    if (info.type != odeModel && !readIterationLimit(model, limit))
        return false;
    double dT = 0;
    if (model.getHeaderParamValue(sc::HeaderParam::dTime, dT) <= 0)
        dT = 0;
    if (std::is_same_v<T, double> && info.complex)
    {
        logError("Cannot use complex domain model with real domain solver!");
        return false;
    }
    _solverUsed = true;
    if (!_pSolver->init(&_naming, &model, true))
    {
        logError("Cannot init the solver!");
        // What the failed read left behind is not a model to read from.
        renewSolver();
        return false;
    }
    _pSolver->setPrecision(info.eps > 0 ? info.eps : defaultPrecision);
    if (dT > 0)
        _pSolver->setIntegrationStepSize(dT);
    if (limit > 0)
        _pSolver->setMaxIterations(limit);
    // Unstated, the solver's default limit holds, not the header's default.
    int maxReps = 0;
    if (model.isHeaderParamStated(sc::HeaderParam::maxReps) &&
        model.getHeaderParamValue(sc::HeaderParam::maxReps, maxReps) == 1)
        _pSolver->setMaxRepetitions(maxReps);
    return true;
}

template <typename T, typename X>
std::size_t BaseModel<T, X>::getNumberOfVariables() const
{
    return std::size_t(_pSolver->getNumberVariables());
}

template <typename T, typename X>
std::size_t BaseModel<T, X>::getNumberOfParameters() const
{
    return std::size_t(_pSolver->getNumberParameters());
}

template <typename T, typename X>
long BaseModel<T, X>::getVariableIndex(const td::String& name) const
{
    if (name.length() == 0)
        return -1;
    // The solver answers with a symbol index: parameters follow the variables.
    const long index = _pSolver->getVariableIndex(name.c_str());
    return index < long(getNumberOfVariables()) ? index : -1;
}

template <typename T, typename X>
long BaseModel<T, X>::getParameterIndex(const td::String& name) const
{
    if (name.length() == 0)
        return -1;
    // A variable's name gives a negative position, an unknown name too.
    const long index = _pSolver->getParamIndex(name.c_str());
    return index >= 0 ? index : -1;
}

template <typename T, typename X>
typename BaseModel<T, X>::Names BaseModel<T, X>::getVariableNames() const
{
    Names names(getNumberOfVariables());
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = td::String(_pSolver->getVariableName(int(i)));
    return names;
}

template <typename T, typename X>
typename BaseModel<T, X>::Names BaseModel<T, X>::getParameterNames() const
{
    Names names(getNumberOfParameters());
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = td::String(_pSolver->getParameterName(int(i)));
    return names;
}

template <typename T, typename X>
typename BaseModel<T, X>::Indices BaseModel<T, X>::getOutputSymbolIndices() const
{
    Indices indices;
    _pSolver->getOutSymbols(indices);
    return indices;
}

template <typename T, typename X>
typename BaseModel<T, X>::Names BaseModel<T, X>::getOutputSymbolNames(const Indices& indices) const
{
    const std::size_t n = std::size_t(_pSolver->getNoOfOutSymbols());
    if (n == 0 || n != indices.size())
        return Names();
    const std::size_t nSymbols = getNumberOfVariables() + getNumberOfParameters();
    Names names(n);
    for (std::size_t i = 0; i < n; ++i)
    {
        const char* name = indices[i] < nSymbols ? _pSolver->getSymbolName(int(indices[i])) : nullptr;
        if (!name)
        {
            logKey("SC.SymbNames", std::to_string(indices[i]).c_str());
            return Names();
        }
        names[i] = td::String(name);
    }
    return names;
}

template <typename T, typename X>
void BaseModel<T, X>::getParameterValues(Values& values) const
{
    values.reserve(getNumberOfParameters());
    std::copy_n(_pSolver->getParamsPtr(), values.size(), values.begin());
}

template <typename T, typename X>
bool BaseModel<T, X>::getParameterValues(const Indices& indices, Values& values) const
{
    if (indices.isEmpty())
        return true;
    values.reserve(indices.size());
    const T* params = _pSolver->getParamsPtr();
    bool ok = true;
    for (std::size_t i = 0; i < indices.size(); ++i)
    {
        if (indices[i] < getNumberOfParameters())
        {
            values[i] = params[indices[i]];
            continue;
        }
        values[i] = T {};
        logKey("SC.ParamValues", std::to_string(indices[i]).c_str());
        ok = false;
    }
    return ok;
}

template <typename T, typename X>
void BaseModel<T, X>::getVariableValues(Values& values) const
{
    values.reserve(getNumberOfVariables());
    std::copy_n(_pSolver->getVariablesPtr(), values.size(), values.begin());
}

template <typename T, typename X>
bool BaseModel<T, X>::getOutputSymbolValues(const Indices& indices, Values& values) const
{
    const std::size_t n = std::size_t(_pSolver->getNoOfOutSymbols());
    if (indices.size() != n)
    {
        values.clean();
        return false;
    }
    values.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
    {
        if (!_pSolver->getSymbolValue(int(indices[i]), values[i]))
        {
            values.clean();
            logKey("SC.SymbValues", std::to_string(indices[i]).c_str());
            return false;
        }
    }
    return true;
}

template <typename T, typename X>
bool BaseModel<T, X>::setVariableValues(const Values& values)
{
    const std::size_t n = getNumberOfVariables();
    if (values.size() < n)
    {
        logError("Fewer values than variables! Nothing was set.");
        return false;
    }
    // Written in place: the solver's values-changed flag stays as it is.
    std::copy_n(values.begin(), n, _pSolver->getVariablesPtr());
    return true;
}

template <typename T, typename X>
bool BaseModel<T, X>::setParameterValues(const Indices& indices, const Values& values)
{
    if (indices.isEmpty())
        return true;
    if (values.size() < indices.size())
    {
        logError("Fewer values than parameter indices! Nothing was set.");
        return false;
    }
    T* params = _pSolver->getParamsPtr();
    bool ok = true;
    for (std::size_t i = 0; i < indices.size(); ++i)
    {
        if (indices[i] < getNumberOfParameters())
            params[indices[i]] = values[i];
        else
        {
            logKey("SC.WrongParamIndex", std::to_string(indices[i]).c_str());
            ok = false;
        }
    }
    return ok;
}

template class BaseModel<double, sc::IStatic>;
template class BaseModel<std::complex<double>, sc::IStatic>;
template class BaseModel<double, sc::IDynamic>;
