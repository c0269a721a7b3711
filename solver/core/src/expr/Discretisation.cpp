// Every residual is built from copies: the differentiation and the sharing
// of repeated calls rewrite the nodes of the tree they work on, so no node
// may stand in two residuals. The walks keep their own stacks, whatever
// the depth of the equation.
#include <expr/Discretisation.h>
#include <expr/ExpressionTree.h>
#include <mu/Assert.h>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using Op = ExpressionTree::BasicOperation;

bool isOwnVariable(const Token& t, int nVars)
{
    return t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index >= 0 && t.index < nVars;
}

// A copy of pRoot in which a node for which substitute gives a subtree is
// replaced by that subtree; the heights of the copy are recomputed, since
// a substitute may be deeper than the node it replaces.
template <typename Substitute>
ExpTreeNode* copyTree(const ExpressionTree& nodes, const ExpTreeNode* pRoot, Substitute substitute)
{
    struct Pending
    {
        const ExpTreeNode* pSource;
        ExpTreeNode** pLink;
    };
    ExpTreeNode* pCopyRoot = nullptr;
    std::vector<Pending> pending {{pRoot, &pCopyRoot}};
    std::vector<ExpTreeNode*> copies; // in pre-order
    while (!pending.empty())
    {
        const Pending p = pending.back();
        pending.pop_back();
        if (ExpTreeNode* pSubstitute = substitute(p.pSource))
        {
            *p.pLink = pSubstitute;
            continue;
        }
        ExpTreeNode* pCopy = nodes.cloneNode(p.pSource);
        *p.pLink = pCopy;
        copies.push_back(pCopy);
        if (p.pSource->pRightNode)
            pending.push_back({p.pSource->pRightNode, &pCopy->pRightNode});
        if (p.pSource->pLeftNode)
            pending.push_back({p.pSource->pLeftNode, &pCopy->pLeftNode});
    }
    // In reverse pre-order every node comes after its children.
    for (auto it = copies.rbegin(); it != copies.rend(); ++it)
    {
        ExpTreeNode* pNode = *it;
        pNode->leftCount = pNode->pLeftNode ? pNode->pLeftNode->height() : 0;
        pNode->rightCount = pNode->pRightNode ? pNode->pRightNode->height() : 0;
    }
    return pCopyRoot;
}

// Visits every node of pRoot but the subtree pSkip; stops when visit says so.
template <typename Visit>
bool allNodes(const ExpTreeNode* pRoot, const ExpTreeNode* pSkip, Visit visit)
{
    std::vector<const ExpTreeNode*> stack {pRoot};
    while (!stack.empty())
    {
        const ExpTreeNode* pNode = stack.back();
        stack.pop_back();
        if (!pNode || pNode == pSkip)
            continue;
        if (!visit(*pNode))
            return false;
        stack.push_back(pNode->pRightNode);
        stack.push_back(pNode->pLeftNode);
    }
    return true;
}
} // namespace

Discretisation::Discretisation(const ExpressionTree& nodes, const DAEVarMap& map,
                               const cnt::SafeFullVector<sc::_SI>& info, int nVars, const _timeVars& tv)
    : _nodes(nodes)
    , _map(map)
    , _info(info)
    , _nVars(nVars)
    , _tv(tv)
{
}

ExpTreeNode* Discretisation::getIntNode(ExpTreeNode* pRoot)
{
    // A product searches both factors, a quotient its numerator only; the
    // depth of such a chain is bounded by the equation's own size.
    std::vector<ExpTreeNode*> stack {pRoot};
    while (!stack.empty())
    {
        ExpTreeNode* pNode = stack.back();
        stack.pop_back();
        if (!pNode)
            continue;
        if (pNode->isFunction(T::INT))
            return pNode;
        if (pNode->isOperator(T::MULT))
            stack.push_back(pNode->pRightNode);
        if (pNode->isOperator(T::MULT) || pNode->isOperator(T::DIV))
            stack.push_back(pNode->pLeftNode);
    }
    return nullptr;
}

bool Discretisation::isVariableIndependent(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode, int nVars,
                                           int timeSymbol)
{
    if (!pRoot)
        return true;
    return allNodes(pRoot, pIntNode, [&](const ExpTreeNode& n) {
        const Token& t = *n.pToken;
        const bool time = t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index == timeSymbol;
        return !isOwnVariable(t, nVars) && !time;
    });
}

ExpTreeNode* Discretisation::removeIntegration(ExpTreeNode* pRoot, const ExpTreeNode* pIntNode)
{
    MU_ASSERT_MSG(pIntNode && pIntNode->pLeftNode, "intNode");
    if (pRoot == pIntNode)
        return pIntNode->pLeftNode;
    // The int node is a factor: its parent is a product or a quotient on the
    // path that getIntNode walked.
    std::vector<ExpTreeNode*> stack {pRoot};
    while (!stack.empty())
    {
        ExpTreeNode* pNode = stack.back();
        stack.pop_back();
        if (!pNode)
            continue;
        for (ExpTreeNode** pLink : {&pNode->pLeftNode, &pNode->pRightNode})
            if (*pLink == pIntNode)
            {
                *pLink = pIntNode->pLeftNode;
                return pRoot;
            }
        stack.push_back(pNode->pLeftNode);
        stack.push_back(pNode->pRightNode);
    }
    MU_ASSERT_MSG(false, "intNode in tree");
    return pRoot;
}

unsigned Discretisation::countFunctions(const TokenList& tokens, Token::Type function)
{
    unsigned n = 0;
    for (const Token& t : tokens)
        n += t.isFunctionOf(function);
    return n;
}

ExpTreeNode* Discretisation::symbol(int index) const { return _nodes.createNode(T::SYMBOL, index); }

bool Discretisation::isState(const Token& t) const
{
    return isOwnVariable(t, _nVars) && _info[std::size_t(t.index)].symbolType >= 3;
}

int Discretisation::historySymbol(int var) const
{
    const int history = _map[std::size_t(var)].historyParam;
    MU_ASSERT_MSG(history >= 0, "history >= 0");
    return _nVars + history;
}

ExpTreeNode* Discretisation::cloneAtPoint(const ExpTreeNode* pF, double lag, int stage) const
{
    return copyTree(_nodes, pF, [&](const ExpTreeNode* pNode) -> ExpTreeNode* {
        const Token& t = *pNode->pToken;
        if (t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index == _tv.timeSymbol)
        {
            ExpTreeNode* pLag = _nodes.mergeUsingBasicOperation(_nodes.createConstant(Value(lag)),
                                                                symbol(_tv.stepSymbol), false, false, Op::Multiply);
            return _nodes.mergeUsingBasicOperation(symbol(_tv.timeSymbol), pLag, false, false, Op::Subtract);
        }
        if (!isState(t))
            return nullptr;
        if (stage < 0)
            return symbol(historySymbol(t.index));
        const int first = _map[std::size_t(t.index)].iKPos;
        MU_ASSERT_MSG(first > 0, "iKPos > 0");
        return symbol(first + stage);
    });
}

ExpTreeNode* Discretisation::cloneTreeForFirstIntegrationPoint(const ExpTreeNode* pF) const
{
    return cloneAtPoint(pF, 1.0, -1);
}

ExpTreeNode* Discretisation::cloneTreeForMidIntegrationPoint2(const ExpTreeNode* pF, const matrix::Butcher<3>& tableau,
                                                              int stage) const
{
    return cloneAtPoint(pF, 1.0 - tableau.c(stage), stage);
}

ExpTreeNode* Discretisation::cloneAndReplaceIntNode(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode,
                                                    ExpTreeNode* pReplacement) const
{
    if (!pIntNode)
        return pReplacement;
    return copyTree(_nodes, pRoot,
                    [&](const ExpTreeNode* pNode) { return pNode == pIntNode ? pReplacement : nullptr; });
}

ExpTreeNode* Discretisation::residual(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode, ExpTreeNode* pIncrement,
                                      int targetSymbol) const
{
    ExpTreeNode* pStep =
        _nodes.mergeUsingBasicOperation(symbol(_tv.stepSymbol), pIncrement, false, false, Op::Multiply);
    ExpTreeNode* pChange = cloneAndReplaceIntNode(pRoot, pIntNode, pStep);
    ExpTreeNode* pNew =
        _nodes.mergeUsingBasicOperation(symbol(historySymbol(_tv.varIndex)), pChange, false, false, Op::Add);
    return _nodes.mergeUsingBasicOperation(pNew, symbol(targetSymbol), false, false, Op::Subtract);
}

ExpTreeNode* Discretisation::expandDAEForEuler(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode) const
{
    const ExpTreeNode* pF = pIntNode ? pIntNode->pLeftNode : pRoot;
    return residual(pRoot, pIntNode, copyTree(_nodes, pF, [](const ExpTreeNode*) { return nullptr; }), _tv.varIndex);
}

ExpTreeNode* Discretisation::expandDAEForTrapezoid(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode) const
{
    const ExpTreeNode* pF = pIntNode ? pIntNode->pLeftNode : pRoot;
    ExpTreeNode* pOld = cloneTreeForFirstIntegrationPoint(pF);
    ExpTreeNode* pNow = copyTree(_nodes, pF, [](const ExpTreeNode*) { return nullptr; });
    ExpTreeNode* pSum = _nodes.mergeUsingBasicOperation(pOld, pNow, false, false, Op::Add);
    ExpTreeNode* pMean =
        _nodes.mergeUsingBasicOperation(pSum, _nodes.createConstant(Value(2)), false, false, Op::Divide);
    return residual(pRoot, pIntNode, pMean, _tv.varIndex);
}

ExpTreeNode* Discretisation::updateFromStages(const matrix::Butcher<3>& tableau, int firstStage) const
{
    matrix::SmallStackMax<double, 3> d;
    const bool invertible = tableau.getStageValueWeights(d);
    MU_ASSERT_MSG(invertible, "collocation method");
    // x_old (1 - sum d_j) + sum d_j X_j - x: the stages' own slopes, read
    // through their values, instead of f evaluated once more.
    double rest = 1;
    ExpTreeNode* pSum = nullptr;
    for (int j = 0; j < d.size(); ++j)
    {
        rest -= d[j];
        ExpTreeNode* pTerm = _nodes.mergeUsingBasicOperation(_nodes.createConstant(Value(d[j])), symbol(firstStage + j),
                                                             false, false, Op::Multiply);
        pSum = pSum ? _nodes.mergeUsingBasicOperation(pSum, pTerm, false, false, Op::Add) : pTerm;
    }
    if (rest != 0)
    {
        ExpTreeNode* pOld = _nodes.mergeUsingBasicOperation(
            _nodes.createConstant(Value(rest)), symbol(historySymbol(_tv.varIndex)), false, false, Op::Multiply);
        pSum = _nodes.mergeUsingBasicOperation(pSum, pOld, false, false, Op::Add);
    }
    return _nodes.mergeUsingBasicOperation(pSum, symbol(_tv.varIndex), false, false, Op::Subtract);
}

void Discretisation::expandDAEForImplicitRK2(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode,
                                             const matrix::Butcher<3>& tableau, ExpTreeNode** out) const
{
    const ExpTreeNode* pF = pIntNode ? pIntNode->pLeftNode : pRoot;
    const int s = tableau.getNoOfStages();
    const int firstStage = _map[std::size_t(_tv.varIndex)].iKPos;
    MU_ASSERT_MSG(firstStage > 0, "iKPos > 0");
    // sum over j of w_j f_j, each f_j a copy of its own; a zero weight adds nothing.
    auto weighted = [&](auto weight) {
        ExpTreeNode* pSum = nullptr;
        for (int j = 0; j < s; ++j)
        {
            const double w = weight(j);
            if (w == 0)
                continue;
            ExpTreeNode* pTerm = _nodes.mergeUsingBasicOperation(_nodes.createConstant(Value(w)),
                                                                 cloneTreeForMidIntegrationPoint2(pF, tableau, j),
                                                                 false, false, Op::Multiply);
            pSum = pSum ? _nodes.mergeUsingBasicOperation(pSum, pTerm, false, false, Op::Add) : pTerm;
        }
        return pSum ? pSum : _nodes.createConstant(Value(0));
    };
    out[0] = updateFromStages(tableau, firstStage);
    for (int i = 0; i < s; ++i)
        out[i + 1] = residual(pRoot, pIntNode, weighted([&](int j) { return tableau.a(i, j); }), firstStage + i);
}
} // namespace SL_NS
