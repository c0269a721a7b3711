// Writing a tree out as a postfix program: the deeper side first, so the
// machine's stack stays shallow.
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>
#include <expr/TokenMaps.h>
#include <mu/Assert.h>

namespace SL_NS
{
namespace
{
using T = Token::Type;

// Operators whose operands may be written right first: the symmetric ones
// as they are, and the three that have a reversed form.
bool canSwapOperands(T op)
{
    switch (op)
    {
    case T::PLUS:
    case T::MULT:
    case T::OR:
    case T::AND:
    case T::XOR:
    case T::EQ:
    case T::NE:
    case T::MINUS:
    case T::DIV:
    case T::POW: return true;
    default: return false;
    }
}
} // namespace

bool ExpressionTree::makePostFix(const ExpTreeNode* pNode)
{
    const Token& t = *pNode->pToken;
    const unsigned nVars = unsigned(_nVars);
    if (pNode->pRightNode && pNode->leftCount < pNode->rightCount && Token::isOperator(t.type) &&
        canSwapOperands(t.type))
    {
        if (!makePostFix(pNode->pRightNode) || (pNode->pLeftNode && !makePostFix(pNode->pLeftNode)))
            return false;
        const Token* pReverse = getReverseToken(t.type);
        return _pEvaluator->addToken(pReverse ? pReverse : &t, nVars);
    }
    if (pNode->pLeftNode && !makePostFix(pNode->pLeftNode))
        return false;
    if (pNode->pRightNode)
    {
        if (t.type != T::FUNCTION)
        {
            if (!makePostFix(pNode->pRightNode))
                return false;
        }
        else
        {
            // Further arguments: a whole expression (atg2, min, max), or the
            // leaves of the second and third argument.
            const ArgForm args = opInfo(t.function()).args;
            if (args == ArgForm::SecondExpression)
            {
                if (!makePostFix(pNode->pRightNode))
                    return false;
            }
            else if (args == ArgForm::SecondLeaf || args == ArgForm::ThirdLeaf)
            {
                const ExpTreeNode* pSecond = pNode->pRightNode;
                if (!_pEvaluator->addToken(pSecond->pToken, nVars))
                    return false;
                if (args == ArgForm::ThirdLeaf)
                {
                    MU_ASSERT_MSG(pSecond->pRightNode, "pNode->pRightNode->pRightNode");
                    if (!_pEvaluator->addToken(pSecond->pRightNode->pToken, nVars))
                        return false;
                }
            }
        }
    }
    return _pEvaluator->addToken(&t, nVars);
}

bool ExpressionTree::writeBranch(ExpressionTree* pTree, Evaluator*& pEvaluator)
{
    pEvaluator = nullptr;
    if (!pTree)
        return true;
    pEvaluator = _pPools->evaluators.getEntry();
    return pTree->createPostFix(pEvaluator);
}

bool ExpressionTree::createPostFix(const ExpTreeNode* pRoot, Evaluator* pEvaluator, const ExpressionTree& counts)
{
    return writeProgram(pRoot, pEvaluator, counts);
}

// What the machine cannot run is refused here, never at run time: an
// operation without an instruction (int outside a differential equation,
// say) or a program deeper than the machine's stack. counts sizes the lists.
bool ExpressionTree::writeProgram(const ExpTreeNode* pRoot, Evaluator* pEvaluator, const ExpressionTree& counts)
{
    _pEvaluator = pEvaluator;
    pEvaluator->alocateSpace(_pSolverData, counts._noOfTokens, counts._noOfConsts, counts._noOfVars,
                             counts._noOfParams);
    if (!makePostFix(pRoot))
    {
        logError("@ET.NoInstruction", 0);
        return false;
    }
    if (!pEvaluator->isBalanced())
    {
        logError("@ET.ExpressionTooDeep", 0);
        return false;
    }
    return true;
}

bool ExpressionTree::createPostFix(Evaluator* pEvaluator)
{
    _pEvaluator = pEvaluator;
    switch (_kind)
    {
    case Kind::IfThenElse:
    {
        MU_ASSERT_MSG(_pThenET, "_pThenET");
        Evaluator *pCond, *pThen, *pElse;
        if (!writeBranch(_condET, pCond) || !writeBranch(_pThenET, pThen) || !writeBranch(_elseET, pElse))
            return false;
        pEvaluator->setIfThenElse(pCond, pThen, 1, pElse, pElse ? 1 : 0);
        return true;
    }
    case Kind::SwitchCase:
    {
        Evaluator* pCase = pEvaluator;
        for (ExpressionTree* pTree = this; pTree; pTree = pTree->_elseET)
        {
            Evaluator *pCond, *pBody;
            if (!writeBranch(pTree->_condET, pCond) || !writeBranch(pTree->_pThenET, pBody))
                return false;
            pCase->setSwitchCase(pCond, pBody, pBody ? 1 : 0);
            if (pTree->_elseET)
            {
                Evaluator* pNext = _pPools->evaluators.getEntry();
                pCase->setNextCaseEvaluator(pNext);
                pCase = pNext;
            }
        }
        return true;
    }
    default: break;
    }
    const ExpTreeNode* pRoot = getRoot();
    if (!pRoot)
        return false;
    if (!writeProgram(pRoot, pEvaluator, *this))
        return false;
    // What the machine cannot run is refused here, never at run time: an
    // operation without an instruction (int outside a differential
    // equation, say) or a program deeper than the machine's stack.
    if (_resultSymbol >= 0)
    {
        const bool parameter = _resultSymbol >= _nVars;
        const int index = parameter ? _resultSymbol - _nVars : _resultSymbol;
#if SL_COMPLEX
        pEvaluator->setVariableIndex(index, parameter ? 0 : 1, _assignPart, _assignToParent, _assignOper);
#else
        using A = Evaluator::AssignmentType;
        pEvaluator->setVariableIndex(index, _assignToParent ? A::Parent : (parameter ? A::Parameter : A::Variable),
                                     _assignOper);
#endif
    }
    return true;
}
} // namespace SL_NS
