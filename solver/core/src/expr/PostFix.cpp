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

// The step of an operand: a leaf's token is appended as it is.
ExpressionTree::PostFixStep ExpressionTree::stepOf(const ExpTreeNode* pNode)
{
    if (!pNode->pLeftNode && !pNode->pRightNode)
        return {pNode->pToken, nullptr};
    return {nullptr, pNode};
}

// Pushes the steps of one node: its operands, then the node's own token.
// The machine's stack stays shallow when the deeper operand goes first.
void ExpressionTree::planNode(const ExpTreeNode* pNode, WalkStack<PostFixStep>& steps) const
{
    const Token& t = *pNode->pToken;
    if (pNode->pRightNode && pNode->leftCount < pNode->rightCount && Token::isOperator(t.type) &&
        canSwapOperands(t.type))
    {
        const Token* pReverse = getReverseToken(t.type);
        steps.push({pReverse ? pReverse : &t, nullptr});
        if (pNode->pLeftNode)
            steps.push(stepOf(pNode->pLeftNode));
        steps.push(stepOf(pNode->pRightNode));
        return;
    }
    steps.push({&t, nullptr});
    if (const ExpTreeNode* pRight = pNode->pRightNode)
    {
        // A function's further arguments: a whole expression (atg2, min,
        // max), or the leaves of the second and third argument.
        const ArgForm args = t.type == T::FUNCTION ? opInfo(t.function()).args : ArgForm::SecondExpression;
        if (args == ArgForm::SecondExpression)
            steps.push(stepOf(pRight));
        else if (args == ArgForm::SecondLeaf || args == ArgForm::ThirdLeaf)
        {
            if (args == ArgForm::ThirdLeaf)
            {
                MU_ASSERT_MSG(pRight->pRightNode, "pNode->pRightNode->pRightNode");
                steps.push({pRight->pRightNode->pToken, nullptr});
            }
            steps.push({pRight->pToken, nullptr});
        }
    }
    if (pNode->pLeftNode)
        steps.push(stepOf(pNode->pLeftNode));
}

bool ExpressionTree::makePostFix(const ExpTreeNode* pRoot)
{
    const unsigned nVars = unsigned(_nVars);
    WalkStack<PostFixStep> steps;
    steps.push(stepOf(pRoot));
    while (!steps.empty())
    {
        const PostFixStep step = steps.pop();
        if (step.pNode)
            planNode(step.pNode, steps);
        else if (!_pEvaluator->addToken(step.pToken, nVars))
            return false;
    }
    return true;
}

bool ExpressionTree::writeBranch(ExpressionTree* pTree, Evaluator*& pEvaluator)
{
    pEvaluator = nullptr;
    if (!pTree)
        return true;
    pEvaluator = programPools().evaluators.getEntry();
    return pTree->createPostFix(pEvaluator);
}

bool ExpressionTree::createPostFix(ExpTreeNode* pRoot, Evaluator* pEvaluator)
{
    return writeProgram(pRoot, pEvaluator);
}

// What the machine cannot run is refused here, never at run time: an
// operation without an instruction (int outside a differential equation,
// say), a program deeper than the machine's stack, or one longer than any
// model needs (a derivative that would swell past the bound).
bool ExpressionTree::writeProgram(ExpTreeNode* pRoot, Evaluator* pEvaluator)
{
    _pEvaluator = pEvaluator;
    resetCounts();
    if (!calcNoOfTokensAndData(pRoot))
    {
        logError("@ET.ProgramTooLong", 0);
        return false;
    }
    pEvaluator->alocateSpace(_pSolverData, _noOfTokens, _noOfConsts, _noOfVars, _noOfParams);
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
                Evaluator* pNext = programPools().evaluators.getEntry();
                pCase->setNextCaseEvaluator(pNext);
                pCase = pNext;
            }
        }
        return true;
    }
    default: break;
    }
    ExpTreeNode* pRoot = getRoot();
    if (!pRoot || !writeProgram(pRoot, pEvaluator))
        return false;
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
