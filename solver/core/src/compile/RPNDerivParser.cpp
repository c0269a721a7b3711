// The model compiler's frame: the entries and the order of their sections.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>
#include <mu/Assert.h>
#include <sc/ILog.h>

#include <string>

namespace SL_NS
{
void RPNDerivParser::releaseRes()
{
    if (!_pSolverData)
        return;
    finishWriting();
    clearTokenList();
    _pSolverData->pPools->releaseTrees();
    if (_pSolverData->pWriterPools)
        _pSolverData->pWriterPools->releaseTrees();
}

bool RPNDerivParser::addLastUsedVar(int v)
{
    if (v < 0 || v >= _nVars)
        return false;
    _lastUsed.insert(v);
#if SL_COMPLEX
    if (_conjVars)
        _lastUsed.insert(conjugatePartner(v));
#endif
    return true;
}

RPNDerivParser::Position RPNDerivParser::positionOf(const ModelIterator& it, unsigned token)
{
    const sc::_tl& record = it.getLine();
    if (token >= record.nTokens)
        token = 0;
    const std::uint16_t column = record.nTokens ? it.getToken(token).column : 0;
    return {record.line, column ? column : 1u};
}

void RPNDerivParser::logAt(const char* key, const Position& at)
{
    translateAndAddLog(key, at.line, at.column, sc::ILog::Type::Error);
}

void RPNDerivParser::bindModel(const sc::TokenizedModel* pModel, SolverData* pData)
{
    _pModel = pModel;
    initSolverData(pData);
    _pTreePools = pData->pPools;
}

bool RPNDerivParser::startEntry(const sc::TokenizedModel* pModel, SolverData* pData, sc::ModelLevel level)
{
    bindModel(pModel, pData);
    pData->pLastUsedVars = &_lastUsed;
    pData->modelLevel = std::uint16_t(level);
    if (level == sc::ModelLevel::SubModel)
    {
        MU_ASSERT_MSG(solver()._parentSolver, "parentSolver");
        _parentNVars = solver()._parentSolver->_nVars;
        _parentOffset = _parentNVars;
    }
    return true;
}

bool RPNDerivParser::getFxAndJacEvaluators(const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                                           SolverData* pData, EvaluatorSparseMatrix* pJacobian, sc::ModelLevel level)
{
    startEntry(pModel, pData, level);
    _pJacobian = pJacobian;
    if (!parseVarsAndParams(pNaming, level))
        return false;
    if (_nVars == 0)
    {
        translateAndAddLog("@CS.NoVarsInModel", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    const unsigned nEquations = pModel->getNumberOfExpressions(sc::Group::NLEs, level);
    if (!solver().isDerivTestMode() && nEquations != unsigned(_nVars))
    {
        translateAndAddLog("@CS.#Vars!=#Eqs", 0, 0, sc::ILog::Type::Error, std::to_string(nEquations).c_str(),
                           std::to_string(_nVars).c_str());
        return false;
    }
    if (!loadDistributions(pNaming, level))
        return false;
    loadStats(pNaming, level);

    EvaluatorVect& fx = solver()._fx;
    fx.reserve(nEquations);
    fx.setSolver(&solver());
    pJacobian->reserve(std::size_t(nEquations) * 5);
    pJacobian->setSolver(&solver());
    pData->location = SolutionLocation::NLEqs;
    beginEquations();
    if (!parseEquations(sc::Group::NLEs, level, nEquations, 'F', "@CS.NLEsError") || !endEquations())
        return false;
    endSharing();
    pData->logLine = 0;
    _nEquations = nEquations;
    return parseSupplementaryGroups(pNaming, level);
}

bool RPNDerivParser::parseSupplementaryGroups(const sc::Naming* pNaming, sc::ModelLevel level)
{
    using G = sc::SupplementaryGroup;
    const std::pair<G, const char*> groups[] = {
        {G::ReInit, "@SC.ErrInReInit"},          {G::PreProc, "@SC.ErrInPreProc"},
        {G::IterPostP, "@SC.ErrInIterPostProc"}, {G::BasePostP, "@SC.ErrInBasePostProc"},
        {G::PostProc, "@SC.ErrInPostProc"},      {G::Limits, "@SC.ErrInLimits"},
        {G::Repeats, "@SC.ErrorInRepeat"}};
    for (const auto& [group, key] : groups)
    {
        const bool ok = group == G::Limits ? parseLimits(level) : parseSupplementaryGroup(group, level);
        if (!ok)
        {
            translateAndAddLog(key, 0, 0, sc::ILog::Type::Error);
            return false;
        }
    }
    return level != sc::ModelLevel::Main || parseSubModel(pNaming);
}
} // namespace SL_NS
