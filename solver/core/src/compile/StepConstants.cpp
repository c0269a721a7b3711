// The values that stay the same through a time step: in the residuals of a
// discretised model, every part that reads parameters (the history values,
// the time, dT) but no variable, such as the trapezoid's slope at the
// previous point, is computed once per step into a slot that the residuals
// read, instead of once per Newton iteration.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/ExpressionPools.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>

#include <unordered_map>
#include <vector>

namespace SL_NS
{
namespace
{
using T = Token::Type;

// What a subtree reads: a variable (or a value that may change with one),
// a parameter.
struct Reads
{
    bool variable = false;
    bool parameter = false;
};

Reads readsOfLeaf(const Token& t, int nVars)
{
    if (t.type == T::SHARED_VALUE)
        return {true, false};
    if (t.type == T::SYMBOL)
    {
        const bool own = t.symbolOrigin == sc::SymbolOrigin::ThisModel;
        const bool variable = own && t.index < nVars;
        return {variable, !variable};
    }
    if (t.type == T::FUNCTION)
    {
        // Limits, generators and statistics change between evaluations.
        const OpInfo& info = opInfo(t.function());
        return {info.pushesOwnValue || info.variesPerRun, false};
    }
    return {};
}

// The largest subtrees of pRoot that read parameters and no variable, and
// hold an operation (a lone parameter is read as cheaply as a slot).
std::vector<ExpTreeNode*> stepConstantSubtrees(ExpTreeNode* pRoot, int nVars)
{
    std::vector<ExpTreeNode*> preOrder;
    std::vector<ExpTreeNode*> stack {pRoot};
    while (!stack.empty())
    {
        ExpTreeNode* pNode = stack.back();
        stack.pop_back();
        preOrder.push_back(pNode);
        for (ExpTreeNode* pChild : {pNode->pRightNode, pNode->pLeftNode})
            if (pChild)
                stack.push_back(pChild);
    }
    // In reverse pre-order every node comes after its children.
    std::unordered_map<const ExpTreeNode*, Reads> reads;
    for (auto it = preOrder.rbegin(); it != preOrder.rend(); ++it)
    {
        Reads r = readsOfLeaf(*(*it)->pToken, nVars);
        for (const ExpTreeNode* pChild : {(*it)->pLeftNode, (*it)->pRightNode})
            if (pChild)
            {
                r.variable |= reads[pChild].variable;
                r.parameter |= reads[pChild].parameter;
            }
        reads[*it] = r;
    }
    std::vector<ExpTreeNode*> found;
    stack.assign(1, pRoot);
    while (!stack.empty())
    {
        ExpTreeNode* pNode = stack.back();
        stack.pop_back();
        const Reads& r = reads[pNode];
        if (!r.variable && r.parameter && !pNode->isLeaf())
        {
            found.push_back(pNode);
            continue;
        }
        for (ExpTreeNode* pChild : {pNode->pRightNode, pNode->pLeftNode})
            if (pChild)
                stack.push_back(pChild);
    }
    return found;
}
} // namespace

void RPNDerivParser::hoistStepConstants()
{
    CompileTarget& s = solver();
    for (const Pending& p : _pending)
    {
        if (p.column >= 0 || p.pTree->_kind != ExpressionTree::Kind::Plain)
            continue;
        for (ExpTreeNode* pNode : stepConstantSubtrees(p.pTree->getRoot(), _nVars))
        {
            Evaluator* pSlot = _pSolverData->pPools->evaluators.getEntry();
            if (!p.pTree->createPostFix(pNode, pSlot))
                continue;
            Token* pToken = _pSolverData->pPools->tokens.allocate();
            *pToken = Token {};
            pToken->type = T::SHARED_VALUE;
            pToken->index = int(s._sharedValues.size());
            s._stepConstants.addEvaluator(pSlot);
            s._stepConstantSlots.push_back(std::uint32_t(pToken->index));
            s._sharedValues.push_back(Value {});
            // A node that other trees reach too reads the slot there as well:
            // the same value, computed before any program of the step runs.
            ExpressionTree::replaceBySharedValue(pNode, pToken);
        }
    }
}
} // namespace SL_NS
