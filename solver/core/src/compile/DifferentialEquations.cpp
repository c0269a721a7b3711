// The ODEs lines of a dynamic model: their two forms, x' = f and
// x = E(int(f)), the integration method of the model line, and the entry
// of the explicit integrator, which compiles one right-hand side per state.
#include <expr/ExpressionPools.h>
#include <compile/RPNDerivParser.h>
#include <compile/CompileTarget.h>
#include <expr/SolverData.h>
#include <mu/Assert.h>
#include <sc/ISolver.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace SL_NS
{
namespace
{
using C = sc::Token;

bool isIntCall(const sc::_TokV& tok)
{
    return tok.code == C::Function && tok.id == std::uint32_t(int(Token::Type::INT) - int(Token::firstFunction));
}

} // namespace

void RPNDerivParser::startDynamicEntry(const sc::TokenizedModel* pModel, SolverData* pData, sc::ModelLevel level,
                                       std::uint8_t kind)
{
    startEntry(pModel, pData, level);
    pData->modelKind = kind;
#if SL_COMPLEX
    // Variables are integrated as they are, without conjugate partners.
    _conjVars = false;
#endif
}

int RPNDerivParser::getDiffEqVariableIndex(const ModelIterator& it, unsigned& offset)
{
    if (it.getLine().nTokens <= 2)
    {
        logAt("@SC.ODEWrongFormat", it);
        return -1;
    }
    const sc::_TokV& var = it.getToken(0);
    if (var.code != C::Var || var.isFromMainModel())
    {
        logAt("@SC.ODEExpectedVariable", it, 0);
        return -1;
    }
    const sc::_TokV& second = it.getToken(1);
    if (second.code == C::Assign)
        offset = 2;
    else if (second.code == C::Apostrophe)
    {
        if (it.getToken(2).code != C::Assign)
        {
            logAt("@SC.ODEExpected=Token", it, 2);
            return -1;
        }
        offset = 3;
    }
    else
    {
        logAt("@SC.ODEExpected'or=", it, 1);
        return -1;
    }
    return variableIndexOf(int(var.id));
}

int RPNDerivParser::parseDifferentialEquation(const ModelIterator& it, ExpressionTree& tree, ExpTreeNode*& pIntNode,
                                              bool removeInt)
{
    _lastUsed.clean();
    _collecting = true;
    pIntNode = nullptr;
    unsigned offset = 0;
    const int var = getDiffEqVariableIndex(it, offset);
    if (var < 0)
        return -1;
    const bool integral = offset == 2;
    // The token at fault: the int that must not be there (or the second
    // one), the second '=' (the lexer would read x' = a = b as x' = a - b).
    unsigned nInts = 0, at = 0, secondEquals = 0;
    for (unsigned k = offset; k < it.getLine().nTokens; ++k)
    {
        if (isIntCall(it.getToken(k)) && ++nInts <= (integral ? 2u : 1u))
            at = k;
        if (it.getToken(k).code == sc::Token::Assign && !secondEquals)
            secondEquals = k;
    }
    const char* key = nullptr;
    if (secondEquals)
    {
        key = "@SC.WrongODEExp";
        at = secondEquals;
    }
    else if (!integral && nInts > 0)
        key = "@SC.ODEWithDiffAndInt";
    else if (integral && nInts == 0)
        key = "@SC.ODEMissInt";
    else if (nInts > 1)
        key = "@SC.ODEHasMultInts";
    if (key)
    {
        logAt(key, it, at);
        return -1;
    }
    sc::ExpressionType type;
    if (!lexLine(it, offset, type) || type != sc::ExpressionType::Plain)
        key = "@SC.WrongODEExp";
    else if (!tree.makeExpressionTree(&getTokenList(), type))
        key = "@SC.CannotCrODEExpTree";
    if (key)
    {
        logAt(key, it);
        return -1;
    }
    if (!integral)
        return var;
    switch (readIntegralForm(tree, pIntNode, removeInt))
    {
    case IntegralForm::Valid: return var;
    case IntegralForm::NotAFactor: key = "@SC.ODEIntWrongOperators"; break;
    case IntegralForm::ReadsStates: key = "@SC.ODEIntWithSS"; break;
    }
    logAt(key, it);
    return -1;
}

RPNDerivParser::IntegralForm RPNDerivParser::readIntegralForm(ExpressionTree& tree, ExpTreeNode*& pIntNode,
                                                              bool removeInt) const
{
    ExpTreeNode* pRoot = tree.getRoot();
    pIntNode = Discretisation::getIntNode(pRoot);
    if (!pIntNode)
        return IntegralForm::NotAFactor;
    if (!Discretisation::isVariableIndependent(pRoot, pIntNode, _nVars, _nVars + _pSolverData->indexOfTParam))
        return IntegralForm::ReadsStates;
    if (removeInt)
    {
        tree.setTreeNode(Discretisation::removeIntegration(pRoot, pIntNode));
        pIntNode = nullptr;
    }
    return IntegralForm::Valid;
}

bool RPNDerivParser::setIntegrationMethod(const char* name)
{
    using M = math::IntMethod;
    M method;
    if (std::strcmp(name, "Euler") == 0)
        method = M::Euler;
    else if (std::strncmp(name, "Trapez", 6) == 0 || std::strcmp(name, "RK2") == 0)
        method = M::Trapezoid;
    else if (std::strcmp(name, "RK4") == 0)
        method = M::GaussLegendre2;
    else if (std::strcmp(name, "RK6") == 0)
        method = M::GaussLegendre3;
    else
        return false;
    _pSolverData->intMethod = std::uint8_t(method);
    return true;
}

void RPNDerivParser::getIntegrationMethod(sc::ModelLevel level)
{
    const td::StringExt* pName = _pModel->getModelInfo(level).method;
    if (!pName || setIntegrationMethod(pName->c_str()))
        return;
    const bool main = level == sc::ModelLevel::Main;
    const sc::_CP& heading = _pModel->getGroupCounts(main ? sc::Group::Model : sc::Group::SubModel, level);
    const auto& lines = _pModel->getLines(level);
    const std::uint32_t line = heading.headingLine < lines.size() ? lines[heading.headingLine].line : 0;
    translateAndAddLog(main ? "@SC.WrongDAEMethod" : "@SC.WrongDAEMethodSM", line, 1, sc::ILog::Type::Warning);
}

void RPNDerivParser::initButcher(matrix::Butcher<3>& tableau) const
{
    if (_pSolverData->intMethod == std::uint8_t(math::IntMethod::GaussLegendre2))
    {
        // Two-stage Gauss-Legendre, order 4.
        const double r = std::sqrt(3.0) / 6;
        tableau.setNoOfStages(2);
        tableau.c(0) = 0.5 - r;
        tableau.c(1) = 0.5 + r;
        tableau.b(0) = tableau.b(1) = 0.5;
        tableau.a(0, 0) = tableau.a(1, 1) = 0.25;
        tableau.a(0, 1) = 0.25 - r;
        tableau.a(1, 0) = 0.25 + r;
        return;
    }
    MU_ASSERT_MSG(_pSolverData->intMethod == std::uint8_t(math::IntMethod::GaussLegendre3), "Runge-Kutta method");
    // Three-stage Gauss-Legendre, order 6.
    const double r = std::sqrt(15.0);
    tableau.setNoOfStages(3);
    tableau.c(0) = 0.5 - r / 10;
    tableau.c(1) = 0.5;
    tableau.c(2) = 0.5 + r / 10;
    tableau.b(0) = tableau.b(2) = 5.0 / 18;
    tableau.b(1) = 4.0 / 9;
    const double rows[3][3] = {{5.0 / 36, 2.0 / 9 - r / 15, 5.0 / 36 - r / 30},
                               {5.0 / 36 + r / 24, 2.0 / 9, 5.0 / 36 - r / 24},
                               {5.0 / 36 + r / 30, 2.0 / 9 + r / 15, 5.0 / 36}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            tableau.a(i, j) = rows[i][j];
}

bool RPNDerivParser::collectDifferentialVariables(sc::ModelLevel level)
{
    _diffVars.clear();
    for (ModelIterator it = _pModel->getGroupIterator(sc::Group::ODEs, level); it.isValid(); ++it)
    {
        unsigned offset = 0;
        const int var = getDiffEqVariableIndex(it, offset);
        if (var < 0)
        {
            logAt(_pSolverData->modelKind == 1 ? "@SC.DAEEqError" : "@SC.ODENotOK", it);
            return false;
        }
        // A second equation for a state would leave another without one.
        if (std::find(_diffVars.begin(), _diffVars.end(), var) != _diffVars.end())
        {
            logAt("@SC.DAEEqError", it);
            return false;
        }
        _diffVars.push_back(var);
    }
    std::sort(_diffVars.begin(), _diffVars.end());
    return true;
}

bool RPNDerivParser::readTimeParams(const sc::Naming* pNaming, sc::ModelLevel level)
{
    if (_pSolverData->modelKind == 0)
        return true;
    int t = _pModel->getIndexOfTimeParam(level);
    int dT = _pModel->getIndexOfDeltaTimeParam(level);
    if (level == sc::ModelLevel::SubModel)
    {
        // The loader adds them to the main model only: a sub-model reads
        // its own, declared or copied from the main model.
        t = dT = -1;
        for (unsigned j = 0; j < pNaming->getNumberOfParams(level); ++j)
        {
            const td::StringExt* pName = pNaming->getParamName(j, level);
            if (pName && std::strcmp(pName->c_str(), "t") == 0)
                t = int(j);
            else if (pName && std::strcmp(pName->c_str(), "dT") == 0)
                dT = int(j);
        }
    }
    if (t < 0 || dT < 0)
    {
        translateAndAddLog("@SC.NoTimeParams", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    _pSolverData->indexOfTParam = t;
    _pSolverData->indexOfDeltaTParam = dT;
    return true;
}

bool RPNDerivParser::compileRightHandSides(sc::ModelLevel level)
{
    reserveRightHandSides();
    unsigned eq = 0;
    for (ModelIterator it = _pModel->getGroupIterator(sc::Group::ODEs, level); it.isValid(); ++it, ++eq)
    {
        const std::uint32_t line = it.getLine().line;
        _pSolverData->lineNo = std::uint16_t(line);
        _pSolverData->logLine = line;
        _pSolverData->logColumn = 1;
        ExpressionTree& tree = *newTree();
        ExpTreeNode* pIntNode = nullptr;
        const int var = parseDifferentialEquation(it, tree, pIntNode, true);
        if (var < 0 || !addRightHandSide(tree, eq, var))
        {
            logAt("@SC.DAEEqError", it);
            return false;
        }
    }
    _pSolverData->logLine = 0;
    return true;
}

void RPNDerivParser::reserveRightHandSides()
{
    _pSolverData->pODEVarMap->reserve(std::size_t(_nVars));
    EvaluatorVect& fx = solver()._fx;
    fx.reserve(std::size_t(_nVars));
    fx.setSolver(&solver());
}

bool RPNDerivParser::addRightHandSide(ExpressionTree& tree, unsigned eq, int var)
{
    Evaluator* pEvaluator = _pSolverData->pPools->evaluators.getEntry();
    if (!tree.createPostFix(pEvaluator))
        return false;
    (*_pSolverData->pODEVarMap)[eq] = var;
    solver()._fx.addEvaluator(pEvaluator);
    return true;
}

bool RPNDerivParser::getFxEvaluatorsForODE(const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                                           SolverData* pData, sc::ModelLevel level)
{
    startDynamicEntry(pModel, pData, level, 1);
    const unsigned nEquations = pModel->getNumberOfExpressions(sc::Group::ODEs, level);
    if (nEquations == 0)
    {
        translateAndAddLog("@SC.NoODEEqs", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    if (!parseVarsAndParams(pNaming, level))
        return false;
    if (unsigned(_nVars) != nEquations)
    {
        translateAndAddLog("@SC.#Vars!=#ODEs", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    if (!loadDistributions(pNaming, level))
        return false;
    loadStats(pNaming, level);
    if (!collectDifferentialVariables(level) || !compileRightHandSides(level))
        return false;
    pData->location = SolutionLocation::Other;
    return parseSupplementaryGroups(pNaming, level);
}
} // namespace SL_NS
