// Vars and Params of an XML model: the symbols with their names, symbol
// information and initial values. A value that reads other symbols is
// evaluated after all plain ones: the parameters' in declaration order,
// then the variables', as for model text.
#include <compile/CompileTarget.h>
#include <expr/SolverData.h>
#include <mu/NumberParser.h>
#include <sc/StringPool.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <cmath>
#include <cstring>

namespace SL_NS
{
namespace
{
constexpr std::size_t maxNameLength = 32;

const char* const s_resultNames[] = {"repeat#",   "succRep#", "outIter#", "baseIter#", "totIter#",
                                     "solState#", "reqEps#",  "obtEps#",  "startT#",   "endT#"};
} // namespace

int XmlModelReader::parentParamCount() const { return solver()._parentSolver ? int(solver().sharedParentParams()) : 0; }

template <typename TNode>
bool XmlModelReader::parseVarsAndParams(const TNode& vars, const TNode& params)
{
    if (vars.isEnd())
        return fail("Missing declation of variables!");
    const bool varsOut = isTrue(vars.getAttribValueStrPtr("out"));
    const bool dynamic = _pSolverData->modelKind != 0;
#if SL_COMPLEX
    // Dynamic models integrate their variables as they are, without conjugates.
    _conjVars = !dynamic && isTrue(vars.getAttribValueStrPtr("conj"));
    _pSolverData->conjVars = _conjVars;
    solver()._conjVars = _conjVars;
#endif
    const TNode var = vars.getChildNode("Var");
    if (var.isEnd())
        return fail("There is no any variable declared!");
    const TNode param = params.getChildNode("Param");
    const int nParentParams = parentParamCount();
    const int nDeclared = nParentParams + int(param.getCounter());
    _nParams = nDeclared;
    _pSolverData->indexOfDeltaTParam = -1;
    if (dynamic && !findTimeParams(param))
        return false;
    layOutVariables(var);
    if (_pSolverData->modelKind == 2 && _diffVars.empty() && _tfs.empty())
        return fail("DAE Solver requires either one ODE or TF!");
    // A child model shares the parameters before the history values.
    _nDeclaredParams = _nParams;
    _nParams += int(_diffVars.size());
    // The states of the transfer functions follow the declared variables.
    const int firstTFState = _nVars;
    sizeForTransferFunctions();

    CompileTarget& s = solver();
    s.allocInitialValues(_nVars, _nParams);
    cnt::SafeFullVector<sc::_SI>& info = *_pSolverData->pSymbolInfo;
    info.reserve(std::size_t(_nVars + _nParams));
    for (int i = 0; i < _nVars + _nParams; ++i)
        info[std::size_t(i)] = sc::_SI {std::uint8_t(i < _nVars ? 1 : 0), 2, 0};
    _lastUsed.reserve(_nVars);
    _collecting = true;

    if (!nameVariables(var) || !resolveTransferFunctionSymbols(params))
        return false;
    nameTransferFunctionVariables(*_pSolverData->pStringPool);
    if (!nameParameters(param, nParentParams))
        return false;
    nameAddedParams(nDeclared);
    for (unsigned r = 0; r < std::size(s_resultNames); ++r)
        _pSolverData->pStringPool->addString(s_resultNames[r], _nVars + _nParams + int(r));

    s.copyParamsFromParent();
    std::vector<VarAndExpression> deferredVars, deferredParams;
    if (!readInitialValues(var, SolutionLocation::Vars, 0, varsOut, deferredVars) ||
        !readInitialValues(param, SolutionLocation::Params, _nVars + nParentParams, false, deferredParams))
        return false;
    if (dynamic)
        setTimeValues(params, nDeclared);
    if (!evaluateDeferred(deferredParams, SolutionLocation::Params) ||
        !evaluateDeferred(deferredVars, SolutionLocation::Vars))
        return false;
    copyStateValues(firstTFState);
    _pSolverData->location = SolutionLocation::Other;
#if SL_COMPLEX
    // The conjugate slots start as the conjugates of their variables.
    if (_conjVars)
        for (int k = 0; k < _nVars; k += 2)
            s._x[k + 1] = std::conj(s._x[k]);
#endif
    return true;
}

template <typename TNode>
bool XmlModelReader::findTimeParams(TNode param)
{
    _pSolverData->location = SolutionLocation::Params;
    int t = -1, dT = -1;
    for (int k = 0; !param.isEnd(); ++param, ++k)
    {
        const td::StringExt* pName = param.getAttribValueStrPtr("name");
        if (!pName)
            return failItem(unsigned(k), "Empty name");
        if (dT < 0 && isText(pName, "dT"))
            dT = k;
        else if (t < 0 && isText(pName, "t"))
            t = k;
    }
    _pSolverData->indexOfDeltaTParam = dT >= 0 ? dT : _nParams++;
    _pSolverData->indexOfTParam = t >= 0 ? t : _nParams++;
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

template <typename TNode>
void XmlModelReader::layOutVariables(TNode var)
{
    _varSymbols.clear();
    _diffVars.clear();
    int stages = 0;
    for (int k = 0; !var.isEnd(); ++var, ++k)
    {
        const int symbol = variableIndexOf(k) + stages;
        _varSymbols.push_back(symbol);
        const td::StringExt* pName = var.getAttribValueStrPtr("name");
        if (pName && isStateName(std::string_view(pName->c_str(), pName->length())))
        {
            _diffVars.push_back(symbol);
            stages += _nStages;
        }
    }
    _nVars = variableIndexOf(int(_varSymbols.size())) + stages;
}

template <typename TNode>
bool XmlModelReader::nameVariables(TNode var)
{
    _pSolverData->location = SolutionLocation::Vars;
    sc::StringPool& pool = *_pSolverData->pStringPool;
    auto state = _diffVars.begin();
    for (int k = 0; !var.isEnd(); ++var, ++k)
    {
        const td::StringExt* pName = var.getAttribValueStrPtr("name");
        const int index = _varSymbols[std::size_t(k)];
        if (!pName || pName->length() == 0)
            return failItem(unsigned(k), "Empty variable name!");
        if (findSymbol(pName->c_str()) >= 0)
            return failItem(unsigned(k), "Variable declared twice: @", *pName);
        // No equation could read it; a parameter of such a name stays readable by name.
        if (isLanguageWord(pName->c_str()))
            return failItem(unsigned(k), "Variable name is a reserved word! Var name=@", *pName);
        if (pName->length() > maxNameLength)
            return failItem(unsigned(k),
                            "Variable name is too long! Maximum allowed variable name length is @ chars! Var name=@",
                            unsigned(maxNameLength), *pName);
        pool.addString(pName, index);
#if SL_COMPLEX
        if (_conjVars)
            pool.addString(pName, index + 1, '#');
#endif
        if (state != _diffVars.end() && *state == index)
        {
            addStageVariableNames(pool, pName->c_str(), index + 1);
            ++state;
        }
    }
    return true;
}

void XmlModelReader::nameAddedParams(int nDeclared)
{
    if (_pSolverData->modelKind == 0)
        return;
    sc::StringPool& pool = *_pSolverData->pStringPool;
    if (_pSolverData->indexOfDeltaTParam >= nDeclared)
        pool.addString("dT", _nVars + _pSolverData->indexOfDeltaTParam);
    if (_pSolverData->indexOfTParam >= nDeclared)
        pool.addString("t", _nVars + _pSolverData->indexOfTParam);
    int history = _nVars + _nDeclaredParams;
    for (int var : _diffVars)
        addHistoryParamName(pool, getVariableName(var).c_str(), history++);
    nameTransferFunctionHistories(pool);
}

template <typename TNode>
void XmlModelReader::setTimeValues(const TNode& params, int nDeclared)
{
    Value* values = solver()._pParams;
    // The model's step stands for a declared dT too; without one the solver
    // gives the parameter its own step.
    double step = 0;
    if (params.getAttribValue("dT", step) && step > 0 && std::isfinite(step))
        values[_pSolverData->indexOfDeltaTParam] = step;
    if (_pSolverData->indexOfTParam >= nDeclared)
        values[_pSolverData->indexOfTParam] = 0.0;
}

void XmlModelReader::copyStateValues(int firstTFState)
{
    if (_pSolverData->modelKind != 2)
        return;
    resetDAEVarMap();
    Value* x = solver()._x;
    int history = _nDeclaredParams;
    for (int var : _diffVars)
    {
        markStateVariable(var, history++, var + 1);
        for (int k = 1; k <= _nStages; ++k)
            x[var + k] = x[var];
    }
    markTransferFunctionStates(firstTFState, history);
}

template <typename TNode>
bool XmlModelReader::nameParameters(TNode param, int nParentParams)
{
    _pSolverData->location = SolutionLocation::Params;
    sc::StringPool& pool = *_pSolverData->pStringPool;
    // A child model first shares its parent's parameters, by their names.
    const Workspace* pParent = solver()._parentSolver;
    for (int k = 0; k < nParentParams; ++k)
    {
        const char* name = pParent->symbolName(pParent->_nVars + k);
        pool.addString(name ? name : "", _nVars + k);
    }
    for (int k = 0; !param.isEnd(); ++param, ++k)
    {
        const td::StringExt* pName = param.getAttribValueStrPtr("name");
        const unsigned item = unsigned(k);
        if (!pName || pName->length() == 0)
            return failItem(item, "Empty parameter name!");
        if (findSymbol(pName->c_str()) >= 0)
            return failItem(item, "Parameter declared twice: @", *pName);
        // A grouped name (base{a,b}) would stand for symbols that no count
        // or value holds.
        if (pName->length() > 1 && std::strchr(pName->c_str() + 1, '{'))
            return failItem(item, "Parameter name is not formatted properly! Par name=@", *pName);
        if (pName->length() > maxNameLength)
            return failItem(item,
                            "Parameter name is too long! Maximum allowed parameter name length is @ chars! Par name=@",
                            unsigned(maxNameLength), *pName);
        pool.addString(pName, _nVars + nParentParams + k);
    }
    return true;
}

template <typename TNode>
bool XmlModelReader::readInitialValues(TNode it, SolutionLocation location, int firstSymbol, bool allOut,
                                       std::vector<VarAndExpression>& deferred)
{
    _pSolverData->location = location;
    const bool variables = location == SolutionLocation::Vars;
    Value* values = solver()._x;
    cnt::SafeFullVector<sc::_SI>& info = *_pSolverData->pSymbolInfo;
    for (int k = 0; !it.isEnd(); ++it, ++k)
    {
        const int symbol = variables ? _varSymbols[std::size_t(k)] : firstSymbol + k;
        const unsigned item = unsigned(k);
        const td::StringExt* pValue = it.getAttribValueStrPtr("val");
        if (!pValue)
            values[symbol] = 0.0;
        else if (isNumber(std::string_view(pValue->c_str(), pValue->length())))
            values[symbol] = mu::toDouble(pValue->c_str());
        else if (!parseInitialValueExpression(symbol, *pValue, deferred))
        {
            _pSolverData->setEqErrorNo(item);
            return false;
        }
        // Parameters are outputs of dynamic models only.
        if ((variables || _pSolverData->modelKind != 0) && (allOut || isTrue(it.getAttribValueStrPtr("out"))))
            info[std::size_t(symbol)].outType = 2;
    }
    return true;
}

bool XmlModelReader::parseInitialValueExpression(int symbol, const td::StringExt& text,
                                                 std::vector<VarAndExpression>& deferred)
{
    _collecting = false;
    if (parse(text.c_str()) != int(Token::Type::END_OF_LINE))
        return fail("Error in initial value expression: @", text);
    bool readsSymbols = false;
    bool boolean = false;
    unsigned n = 0;
    for (const Token& token : getTokenList())
    {
        readsSymbols |= token.type == Token::Type::SYMBOL;
        boolean = token.type == Token::Type::BOOL_TRUE || token.type == Token::Type::BOOL_FALSE;
        ++n;
    }
    if (readsSymbols)
    {
        deferred.push_back({td::String(text.c_str(), text.length()), symbol});
        return true;
    }
    if (n == 1 && boolean)
        (*_pSolverData->pSymbolInfo)[std::size_t(symbol)].numericType = 0;
    if (!evaluateTokenList(solver()._x[symbol]))
        return fail("Cannot make expression for initial value: @", text);
    return true;
}

bool XmlModelReader::evaluateDeferred(const std::vector<VarAndExpression>& deferred, SolutionLocation location)
{
    _pSolverData->location = location;
    _collecting = false;
    for (const VarAndExpression& d : deferred)
    {
        if (parse(d.text.c_str()) != int(Token::Type::END_OF_LINE))
            return fail("Something wrong with initial value expression: @", d.text);
        if (!evaluateTokenList(solver()._x[d.symbol]))
            return fail("Cannot make expression for initial value: @", d.text);
    }
    return true;
}

template bool XmlModelReader::parseVarsAndParams(const XmlFileNode&, const XmlFileNode&);
template bool XmlModelReader::parseVarsAndParams(const XmlTextNode&, const XmlTextNode&);
} // namespace SL_NS
