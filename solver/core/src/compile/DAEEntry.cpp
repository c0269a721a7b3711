// The implicit integrator's entry: every differential equation becomes the
// residuals of one step of the model's method, over the history parameters
// (the values at the previous time point) and, for the Runge-Kutta
// methods, the stage variables; with the NLEs lines they form one square
// system that Newton solves once per step.
#include <expr/ExpressionPools.h>
#include <compile/RPNDerivParser.h>
#include <compile/CompileTarget.h>
#include <expr/SolverData.h>
#include <mu/Assert.h>
#include <sc/ISolver.h>

#include <string>

namespace SL_NS
{
int RPNDerivParser::stagesOfMethod() const
{
    switch (math::IntMethod(_pSolverData->intMethod))
    {
    case math::IntMethod::GaussLegendre2: return 2;
    case math::IntMethod::GaussLegendre3: return 3;
    default: return 0;
    }
}

void RPNDerivParser::sizeForTimeDiscretisation()
{
    _nStages = 0;
    if (_pSolverData->modelKind != 2)
        return;
    _nStages = stagesOfMethod();
    const int nStates = int(_diffVars.size());
    _nVars += nStates * _nStages;
    _nParams += nStates;
    sizeForTransferFunctions();
}

void RPNDerivParser::addStageVariableNames(sc::StringPool& pool, const char* name, int first) const
{
    for (int k = 1; k <= _nStages; ++k)
        pool.addString((std::string(name) + "#k" + std::to_string(k)).c_str(), first + k - 1);
}

void RPNDerivParser::addHistoryParamName(sc::StringPool& pool, const char* name, int index)
{
    pool.addString((std::string(name) + "@_").c_str(), index);
}

void RPNDerivParser::nameStageVariables(sc::StringPool& pool) const
{
    int index = _nDeclaredVars;
    for (int var : _diffVars)
    {
        addStageVariableNames(pool, getVariableName(var).c_str(), index);
        index += _nStages;
    }
    nameTransferFunctionVariables(pool);
}

void RPNDerivParser::nameHistoryParams(sc::StringPool& pool) const
{
    if (_pSolverData->modelKind != 2)
        return;
    int index = _nVars + _nDeclaredParams;
    for (int var : _diffVars)
        addHistoryParamName(pool, getVariableName(var).c_str(), index++);
    nameTransferFunctionHistories(pool);
}

void RPNDerivParser::resetDAEVarMap()
{
    DAEVarMap& map = *_pSolverData->pDAEVarMap;
    map.reserve(std::size_t(_nVars));
    for (int i = 0; i < _nVars; ++i)
        map[std::size_t(i)] = _DAEVM {};
}

void RPNDerivParser::markStateVariable(int var, int historyParam, int firstStage)
{
    (*_pSolverData->pSymbolInfo)[std::size_t(var)].symbolType = 3;
    _DAEVM& entry = (*_pSolverData->pDAEVarMap)[std::size_t(var)];
    entry.historyParam = historyParam;
    if (_nStages > 0)
        entry.iKPos = firstStage;
}

void RPNDerivParser::markStateVariables()
{
    if (_pSolverData->modelKind != 2)
        return;
    resetDAEVarMap();
    int stage = _nDeclaredVars;
    int history = _nDeclaredParams;
    for (int var : _diffVars)
    {
        markStateVariable(var, history++, stage);
        stage += _nStages;
    }
    markTransferFunctionStates(stage, history);
    MU_ASSERT_MSG(stage == _nVars && history == _nParams, "DAE symbol counts");
}

bool RPNDerivParser::compileDiscretisedRow(ExpTreeNode* pRoot, unsigned row)
{
    ExpressionTree* pTree = newTree();
    pTree->setTreeNode(pRoot);
    // The Jacobian row spans exactly the variables this residual reads.
    _lastUsed.clean();
    pTree->populateUsedVars(_lastUsed);
    unsigned count = 0;
    return createNLJacAndFx(*pTree, row, count, 'F');
}

_timeVars RPNDerivParser::stepVars() const
{
    _timeVars tv;
    tv.stepSymbol = _nVars + _pSolverData->indexOfDeltaTParam;
    tv.timeSymbol = _nVars + _pSolverData->indexOfTParam;
    return tv;
}

void RPNDerivParser::expandForMethod(const Discretisation& d, const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode,
                                     const matrix::Butcher<3>& tableau, ExpTreeNode** rows) const
{
    if (math::IntMethod(_pSolverData->intMethod) == math::IntMethod::Euler)
        rows[0] = d.expandDAEForEuler(pRoot, pIntNode);
    else if (_nStages == 0)
        rows[0] = d.expandDAEForTrapezoid(pRoot, pIntNode);
    else
        d.expandDAEForImplicitRK2(pRoot, pIntNode, tableau, rows);
}

bool RPNDerivParser::discretiseEquation(ExpressionTree& tree, ExpTreeNode* pIntNode, int var,
                                        const matrix::Butcher<3>& tableau, unsigned& row)
{
    _timeVars tv = stepVars();
    tv.varIndex = var;
    const Discretisation d(tree, *_pSolverData->pDAEVarMap, *_pSolverData->pSymbolInfo, _nVars, tv);
    ExpTreeNode* rows[4] = {};
    expandForMethod(d, tree.getRoot(), pIntNode, tableau, rows);
    for (int k = 0; k <= _nStages; ++k)
        if (!compileDiscretisedRow(rows[k], row++))
            return false;
    return true;
}

bool RPNDerivParser::discretiseEquations(sc::ModelLevel level, unsigned& row)
{
    matrix::Butcher<3> tableau;
    if (_nStages > 0)
        initButcher(tableau);
    for (ModelIterator it = _pModel->getGroupIterator(sc::Group::ODEs, level); it.isValid(); ++it)
    {
        const std::uint32_t line = it.getLine().line;
        _pSolverData->lineNo = std::uint16_t(line);
        _pSolverData->logLine = line;
        _pSolverData->logColumn = 1;
        ExpressionTree& tree = *newTree();
        ExpTreeNode* pIntNode = nullptr;
        const int var = parseDifferentialEquation(it, tree, pIntNode, false);
        if (var < 0)
        {
            logAt("@SC.DAEEqError", it);
            return false;
        }
        if (!discretiseEquation(tree, pIntNode, var, tableau, row))
        {
            logAt(_nStages > 0 ? "@SC.DAEEqExpDiffError" : "@SC.DAEEqExp0DiffError", it);
            return false;
        }
        if (!writeFullBatch())
            return false;
    }
    return true;
}

bool RPNDerivParser::getFxAndJacEvaluatorsForDAE(const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                                                 SolverData* pData, EvaluatorSparseMatrix* pJacobian,
                                                 sc::ModelLevel level)
{
    startDynamicEntry(pModel, pData, level, 2);
    _pJacobian = pJacobian;
    getIntegrationMethod(level);
    const unsigned nODEs = pModel->getNumberOfExpressions(sc::Group::ODEs, level);
    const unsigned nNLEs = pModel->getNumberOfExpressions(sc::Group::NLEs, level);
    const unsigned nTFs = pModel->getNumberOfExpressions(sc::Group::TFs, level);
    if (nODEs == 0 && nTFs == 0)
    {
        translateAndAddLog("@SC.NoDAEorTFEqs", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    if (nODEs + nNLEs + nTFs != pNaming->getNumberOfVars(level))
    {
        translateAndAddLog("@SC.Vars!=#Eqs", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    if (!collectDifferentialVariables(level) || !parseVarsAndParams(pNaming, level) ||
        !loadDistributions(pNaming, level))
        return false;
    loadStats(pNaming, level);

    const unsigned nRows = unsigned(_nVars);
    solver()._fx.reserve(nRows);
    solver()._fx.setSolver(&solver());
    pJacobian->reserve(std::size_t(nRows) * 5);
    pJacobian->setSolver(&solver());
    unsigned row = 0;
    pData->location = SolutionLocation::TFs;
    if (!compileTransferFunctions(level, row))
        return false;
    pData->location = SolutionLocation::ODEqs;
    if (!discretiseEquations(level, row))
        return false;
    pData->location = SolutionLocation::NLEqs;
    if (!parseEquations(sc::Group::NLEs, level, nNLEs, 'F', "@CS.NLEsError", row))
        return false;
    if (!writePendingEquations())
        return false;
    _nEquations = nRows;
    return parseSupplementaryGroups(pNaming, level);
}
} // namespace SL_NS
