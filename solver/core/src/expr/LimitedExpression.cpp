// lim(expression, min, max): the limited expression is compiled into a
// program of its own and registered with the solver's limits; the lim token
// that stays in the outer program only carries the limit's number.
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/FnLimits.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>
#include <mu/Assert.h>

namespace SL_NS
{
using T = Token::Type;

bool ExpressionTree::registerLimit(ExpTreeNode* pLim, ExpressionTree& inner)
{
    const ExpTreeNode* pMin = pLim->pRightNode;
    inner.removeBoundsFromCounts(pMin);
    Evaluator* pEvaluator = programPools().evaluators.getEntry();
    if (!inner.createPostFix(pEvaluator))
        return false;
    const unsigned id = _pFnLimits->appendFnLimit(pEvaluator, *pMin->pToken, *pMin->pRightNode->pToken, _nVars);
    pLim->pToken->value = LimitArg {id, 0}.pack();
    pLim->pRightNode = nullptr;
    pLim->leftCount = pLim->rightCount = 0;
    _noOfTokens += 2;
    ++_noOfConsts;
    return inner.addLimitDerivatives(id);
}

// The bounds were counted in the inner tree as arguments; its program does
// not push them.
void ExpressionTree::removeBoundsFromCounts(const ExpTreeNode* pMin)
{
    for (const ExpTreeNode* pBound : {pMin, static_cast<const ExpTreeNode*>(pMin->pRightNode)})
    {
        --_noOfTokens;
        const Token& t = *pBound->pToken;
        --(t.isNumeric() ? _noOfConsts : _noOfParams);
    }
}

// For the Jacobian: the derivative of the limited expression with respect to
// each variable it reads, while equations are compiled.
bool ExpressionTree::addLimitDerivatives(unsigned limitID)
{
    cnt::FixNumSet<int>* pEquationVars = _pSolverData->pLastUsedVars;
    if (!pEquationVars || pEquationVars->isEmpty())
        return true;
    cnt::FixNumSet<int>* pVars = _pSolverData->pLastUsedVarsForLimits;
    MU_ASSERT_MSG(pVars, "pLastUsedVarsForLimits");
    if (pVars->size() < _nVars)
        pVars->reserve(_nVars);
    else
        pVars->clean();
    populateUsedVars(*pVars);
    const SolutionLocation loc = _pSolverData->location;
    if (loc != SolutionLocation::NLEqs && loc != SolutionLocation::MeasEqs && loc != SolutionLocation::ECs)
        return true;
    unsigned count = 0;
    for (auto it = pVars->begin(); it != pVars->end(); ++it)
        ++count;
    _pFnLimits->reserveDerivs(limitID, count);
    const VariableDigest digest(*this, *pVars);
    for (auto it = pVars->begin(); it != pVars->end(); ++it)
    {
        const int v = *it;
        ExpressionTree deriv(_simplify);
        deriv.bindLike(*this);
        // A limit whose derivative cannot be made fails the equation.
        if (!createDerivative2(deriv, v))
            return false;
        if (deriv.isEmpty())
            continue;
        Evaluator* pEvaluator = programPools().evaluators.getEntry();
        if (!deriv.createPostFix(pEvaluator))
            return false;
        _pFnLimits->addDerivative(limitID, pEvaluator, v);
    }
    return true;
}
} // namespace SL_NS
