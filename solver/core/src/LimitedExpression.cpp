// lim(expression, min, max): the limited expression is compiled into a
// program of its own and registered with the solver's limits; the lim token
// that stays in the outer program only carries the limit's number.
#include <Evaluator.h>
#include <ExpressionPools.h>
#include <ExpressionTree.h>
#include <FnLimits.h>
#include <OpTable.h>
#include <SolverData.h>
#include <mu/Assert.h>

namespace SL_NS
{
using T = Token::Type;

bool ExpressionTree::registerLimit(ExpTreeNode* pLim, ExpressionTree& inner)
{
    const ExpTreeNode* pMin = pLim->pRightNode;
    inner.removeBoundsFromCounts(pMin);
    Evaluator* pEvaluator = _pPools->evaluators.getEntry();
    if (!inner.createPostFix(pEvaluator))
        return false;
    const unsigned id = _pFnLimits->appendFnLimit(pEvaluator, *pMin->pToken, *pMin->pRightNode->pToken, _nVars);
    pLim->pToken->value = LimitArg {id, 0}.pack();
    pLim->pRightNode = nullptr;
    pLim->leftCount = pLim->rightCount = 0;
    _noOfTokens += 2;
    ++_noOfConsts;
    return true;
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
} // namespace SL_NS
