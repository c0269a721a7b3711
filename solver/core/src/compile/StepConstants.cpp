// The values that stay the same through a time step: in the residuals of a
// discretised model, every part that reads parameters (the history values,
// the time, dT) but no variable, such as the trapezoid's slope at the
// previous point, is computed once per step into a slot that the residuals
// read, instead of once per Newton iteration.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <compile/StructuralHash.h>
#include <expr/ExpressionPools.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>

#include <unordered_map>
#include <utility>
#include <vector>

namespace SL_NS
{
namespace
{
using T = Token::Type;

// What a subtree reads: a variable (or a value that may change with one),
// a parameter; and its structure, as two independent 64-bit hashes.
struct Summary
{
    bool variable = false;
    bool parameter = false;
    StructuralHash hash;
};

Summary leafSummary(const Token& t, int nVars)
{
    Summary s;
    if (t.type == T::SHARED_VALUE)
        s.variable = true;
    else if (t.type == T::SYMBOL)
    {
        const bool own = t.symbolOrigin == sc::SymbolOrigin::ThisModel;
        s.variable = own && t.index < nVars;
        s.parameter = !s.variable;
    }
    else if (t.type == T::FUNCTION)
    {
        // Limits, generators and statistics change between evaluations.
        const OpInfo& info = opInfo(t.function());
        s.variable = info.pushesOwnValue || info.variesPerRun;
    }
    s.hash = tokenHash(t);
    return s;
}

struct StepConstant
{
    ExpTreeNode* pNode;
    std::pair<std::uint64_t, std::uint64_t> hash;
};

// The largest subtrees of pRoot that read parameters and no variable, and
// hold an operation (a lone parameter is read as cheaply as a slot).
std::vector<StepConstant> stepConstantSubtrees(ExpTreeNode* pRoot, int nVars)
{
    std::vector<ExpTreeNode*> preOrder;
    forEachNode(pRoot, [&](ExpTreeNode* p) { preOrder.push_back(p); });
    // In reverse pre-order every node comes after its children.
    std::unordered_map<const ExpTreeNode*, Summary> summaries;
    for (auto it = preOrder.rbegin(); it != preOrder.rend(); ++it)
    {
        Summary s = leafSummary(*(*it)->pToken, nVars);
        for (const ExpTreeNode* pChild : {(*it)->pLeftNode, (*it)->pRightNode})
        {
            // An absent operand counts, so that f(a, b) and g(a) differ.
            const Summary c = pChild ? summaries[pChild] : Summary {};
            s.variable |= c.variable;
            s.parameter |= c.parameter;
            s.hash.add(c.hash);
        }
        summaries[*it] = s;
    }
    std::vector<StepConstant> found;
    WalkStack<ExpTreeNode*> stack;
    stack.push(pRoot);
    while (!stack.empty())
    {
        ExpTreeNode* pNode = stack.pop();
        const Summary& s = summaries[pNode];
        if (!s.variable && s.parameter && !pNode->isLeaf())
        {
            found.push_back({pNode, {s.hash.a, s.hash.b}});
            continue;
        }
        for (ExpTreeNode* pChild : {pNode->pRightNode, pNode->pLeftNode})
            if (pChild)
                stack.push(pChild);
    }
    return found;
}
} // namespace

void RPNDerivParser::hoistStepConstants(std::span<const Pending> pending)
{
    CompileTarget& s = solver();
    for (const Pending& p : pending)
    {
        if (p.column >= 0 || p.pTree->_kind != ExpressionTree::Kind::Plain)
            continue;
        for (const StepConstant& c : stepConstantSubtrees(p.pTree->getRoot(), _nVars))
        {
            // Alike subtrees (sin(w t) in every equation) share one slot.
            auto [it, added] = _stepConstantSlotOf.try_emplace(c.hash, std::uint32_t(s._sharedValues.size()));
            if (added)
            {
                Evaluator* pSlot = p.pTree->programPools().evaluators.getEntry();
                if (!p.pTree->createPostFix(c.pNode, pSlot))
                {
                    _stepConstantSlotOf.erase(it);
                    continue;
                }
                s._stepConstants.addEvaluator(pSlot);
                s._stepConstantSlots.push_back(it->second);
                s._sharedValues.push_back(Value {});
            }
            Token* pToken = p.pTree->createToken();
            pToken->type = T::SHARED_VALUE;
            pToken->index = int(it->second);
            // A node that other trees reach too reads the slot there as well:
            // the same value, computed before any program of the step runs.
            ExpressionTree::replaceBySharedValue(c.pNode, pToken);
        }
    }
}
} // namespace SL_NS
