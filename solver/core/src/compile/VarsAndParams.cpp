// The first section of every compile: the level's variables and
// parameters, their names, symbol information and initial values. Constant
// initial values are set at once, those that read other symbols afterwards
// in declaration order.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/CU.h>
#include <expr/ExpressionPools.h>
#include <expr/SolverData.h>
#include <sc/SCLib.h>
#include <sc/Solution.h>

#include <cstring>

namespace SL_NS
{
namespace
{
const char* const s_resultNames[] = {"repeat#",   "succRep#", "outIter#", "baseIter#", "totIter#",
                                     "solState#", "reqEps#",  "obtEps#",  "startT#",   "endT#"};

// The heading line of a group, to read its attributes; invalid when absent.
sc::TokenizedModel::iterator headingOf(const sc::TokenizedModel* pModel, sc::Group group, sc::ModelLevel level)
{
    sc::TokenizedModel::iterator it = pModel->getGroupIterator(group, level);
    if (it.isValid())
    {
        --it._current;
        it._end = it._current + 1;
    }
    return it;
}

bool isOn(const sc::TokenizedModel::iterator& heading, sc::AttribID id)
{
    double v = 0;
    return heading.isValid() && heading.getAttribValue(id, v) && v != 0;
}

bool isSymbolReference(const sc::_TokV& tok)
{
    return tok.code == sc::Token::Var || tok.code == sc::Token::Param || tok.code == sc::Token::EmbeddedParam;
}
} // namespace

int RPNDerivParser::symbolOf(const sc::_TokV& tok) const
{
    if (tok.code == sc::Token::Var)
        return variableIndexOf(int(tok.id));
    return _nVars + int(tok.id);
}

void RPNDerivParser::nameSymbols(const sc::Naming* pNaming, sc::ModelLevel level)
{
    sc::StringPool& pool = *_pSolverData->pStringPool;
    const unsigned nDeclared = pNaming->getNumberOfVars(level);
    for (unsigned k = 0; k < nDeclared; ++k)
    {
        const td::StringExt* pName = pNaming->getVarName(k, level);
        pool.addString(pName, variableIndexOf(int(k)));
#if SL_COMPLEX
        if (_conjVars)
            pool.addString(pName, variableIndexOf(int(k)) + 1, '#');
#endif
    }
    nameStageVariables(pool);
    for (unsigned j = 0; j < unsigned(_nDeclaredParams); ++j)
        pool.addString(pNaming->getParamName(j, level), _nVars + int(j));
    nameHistoryParams(pool);
    for (unsigned r = 0; r < std::size(s_resultNames); ++r)
        pool.addString(s_resultNames[r], _nVars + _nParams + int(r));
}

void RPNDerivParser::setSymbolInfo(sc::ModelLevel level)
{
    const bool varsOut = isOn(headingOf(_pModel, sc::Group::Vars, level), sc::AttribID::out);
    const bool paramsOut = isOn(headingOf(_pModel, sc::Group::Params, level), sc::AttribID::out);
    cnt::SafeFullVector<sc::_SI>& info = *_pSolverData->pSymbolInfo;
    info.reserve(std::size_t(_nVars + _nParams));
    for (int i = 0; i < _nVars + _nParams; ++i)
    {
        const bool variable = i < _nVars;
        info[std::size_t(i)] = sc::_SI {std::uint8_t(variable ? 1 : 0), 2,
                                        std::uint8_t((variable ? varsOut && i < _nDeclaredVars : paramsOut) ? 2 : 0)};
    }
}

bool RPNDerivParser::parseVarsAndParams(const sc::Naming* pNaming, sc::ModelLevel level)
{
    const int nDeclared = int(pNaming->getNumberOfVars(level));
    _nParams = _nDeclaredParams = int(pNaming->getNumberOfParams(level));
    if (nDeclared == 0)
    {
        translateAndAddLog("@SC.NoVarsDeclared", 0, 0, sc::ILog::Type::Error);
        return false;
    }
#if SL_COMPLEX
    // Conjugate variables are on unless the Vars line says conj = false (a
    // dynamic model has none).
    double conj = 1;
    const sc::TokenizedModel::iterator vars = headingOf(_pModel, sc::Group::Vars, level);
    _conjVars = _conjVars && !(vars.isValid() && vars.getAttribValue(sc::AttribID::conj, conj) && conj == 0);
    _pSolverData->conjVars = _conjVars;
    solver()._conjVars = _conjVars;
    _nVars = _conjVars ? 2 * nDeclared : nDeclared;
#else
    _nVars = nDeclared;
#endif
    _nDeclaredVars = _nVars;
    if (!readTimeParams(pNaming, level) || !parseTFs(level))
        return false;
    sizeForTimeDiscretisation();
    CompileTarget& s = solver();
    s.allocInitialValues(_nVars, _nParams);
    nameSymbols(pNaming, level);
    setSymbolInfo(level);
    markStateVariables();
    _lastUsed.reserve(_nVars);

    s.copyParamsFromParent();
    _pSolverData->location = SolutionLocation::Vars;
    std::vector<Deferred> deferredVars, deferredParams;
    if (!parseInitialValues(sc::Group::Vars, level, deferredVars) ||
        !parseInitialValues(sc::Group::Params, level, deferredParams) ||
        !evalInitialValuesWithDependency(deferredParams, level) ||
        !evalInitialValuesWithDependency(deferredVars, level))
        return false;
#if SL_COMPLEX
    // The conjugate slots start as the conjugates of their variables.
    if (_conjVars)
        for (int k = 0; k < _nVars; k += 2)
            s._x[k + 1] = std::conj(s._x[k]);
#endif
    return true;
}

bool RPNDerivParser::parseInitialValues(sc::Group group, sc::ModelLevel level, std::vector<Deferred>& deferred)
{
    const bool wantVariable = group == sc::Group::Vars;
    CompileTarget& s = solver();
    for (ModelIterator it = _pModel->getGroupIterator(group, level); it.isValid(); ++it)
    {
        const sc::_tl& line = it.getLine();
        if (line.nTokens == 0 || line.nTokens == 2)
        {
            logAt(line.nTokens == 0 ? "@SC.AssignWith0Tokens" : "@SC.AssignWith2Tokens", it);
            return false;
        }
        const sc::_TokV& symbol = it.getToken(0);
        const bool isVariable = symbol.code == sc::Token::Var;
        if (isVariable != wantVariable || !(isVariable || symbol.code == sc::Token::Param))
        {
            logAt("@SC.WrongType", it);
            return false;
        }
        const int index = symbolOf(symbol);
        sc::_SI& info = (*_pSolverData->pSymbolInfo)[std::size_t(index)];
        sc::NumericType numericType;
        if (const td::StringExt* pType = it.getAttribValueStrPtr(sc::AttribID::type))
            if (sc::s_numericTypeMap.find(td::StrKey(pType->c_str(), int(pType->length())), numericType))
                info.numericType = std::uint8_t(numericType);
        if (isOn(it, sc::AttribID::out))
            info.outType = 2;
        if (line.nTokens == 1)
            continue;
        if (it.getToken(1).code != sc::Token::Assign)
        {
            logAt("@SC.Mising=InAssign", it, 1);
            return false;
        }
        double number = 0;
        const sc::_TokV& third = it.getToken(2);
        if (line.nTokens == 3 && third.getValue(number) && third.code != sc::Token::Imaginary)
        {
            s._x[index] = number;
            if (!isVariable && (third.code == sc::Token::True || third.code == sc::Token::False))
                info.numericType = 0;
            continue;
        }
        bool readsSymbols = false;
        for (std::uint32_t k = 2; k < line.nTokens; ++k)
            readsSymbols |= isSymbolReference(it.getToken(k));
        if (readsSymbols)
        {
            deferred.push_back({index, it._current});
            continue;
        }
        if (!evalInitialValueExpression(s._x[index], it, 2))
        {
            logAt("@SC.InitValErr", it);
            return false;
        }
    }
    return true;
}

bool RPNDerivParser::evalInitialValueExpression(Value& value, const ModelIterator& it, unsigned firstToken)
{
    _pSolverData->lineNo = std::uint16_t(it.getLine().line);
    _collecting = false;
    clearTokenList();
    sc::ExpressionType type;
    if (!createTokenList(_pModel->getExpressionTokens(), it, firstToken, type, it.getLine().nTokens))
        return false;
    if (!evaluateTokenList(value))
    {
        logAt("@ET.ErrInitValueExp", it);
        return false;
    }
    return true;
}

bool RPNDerivParser::evaluateTokenList(Value& value)
{
    ExpressionTree tree;
    bindTree(tree);
    Evaluator* pEvaluator = _pSolverData->pPools->evaluators.getEntry();
    if (!tree.makeExpressionTree(&getTokenList(), sc::ExpressionType::Plain) || !tree.createPostFix(pEvaluator))
        return false;
    CU cu(&solver());
    value = pEvaluator->evaluate(cu);
    return true;
}

bool RPNDerivParser::evalInitialValuesWithDependency(const std::vector<Deferred>& deferred, sc::ModelLevel level)
{
    CompileTarget& s = solver();
    for (const Deferred& d : deferred)
    {
        ModelIterator it = _pModel->getGroupIterator(sc::Group::Vars, level);
        it._current = d.lineRecord;
        it._end = d.lineRecord + 1;
        if (it.getLine().nTokens == 0)
        {
            logAt("@SC.EmptyInitExpr", it);
            return false;
        }
        if (!evalInitialValueExpression(s._x[d.symbol], it, 2))
            return false;
    }
    return true;
}
} // namespace SL_NS
