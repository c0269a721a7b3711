// Function calls that several programs of one equation evaluate alike (in a
// power-flow balance, each sine and cosine of an angle difference stands in
// the residual and in up to four Jacobian entries) are computed once per
// evaluation pass into a slot that the programs read.
#include <ExpressionPools.h>
#include <OpTable.h>
#include <RPNDerivParser.h>
#include <Solver.h>
#include <SolverData.h>

#include <bit>
#include <cstring>
#include <algorithm>
#include <vector>

namespace SL_NS
{
namespace
{
using T = Token::Type;

std::uint64_t mix(std::uint64_t h, std::uint64_t v)
{
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return h;
}

// A pure, non-trivial call: worth computing once.
bool isCandidate(const ExpTreeNode* p)
{
    if (p->type() != T::FUNCTION || !p->pLeftNode)
        return false;
    const OpInfo& info = opInfo(p->pToken->function());
    return info.hasInstruction() && !info.pushesOwnValue && !info.variesPerRun;
}

struct Occurrences
{
    std::vector<std::pair<std::uint64_t, ExpTreeNode*>> candidates; // structural hash, subtree

    // The subtree's structural hash; records candidates that read symbols.
    std::uint64_t visit(ExpTreeNode* p, bool& readsSymbols)
    {
        const Token& t = *p->pToken;
        std::uint64_t bits[2] = {0, 0};
        static_assert(sizeof(Value) <= sizeof(bits));
        std::memcpy(bits, &t.value, sizeof(Value));
        std::uint64_t h = mix(mix(mix(std::uint64_t(t.type), std::uint64_t(std::uint32_t(t.index))), bits[0]), bits[1]);
        h = mix(h, std::uint64_t(t.symbolOrigin));
        bool symbols = t.type == T::SYMBOL;
        if (p->pLeftNode)
            h = mix(h, visit(p->pLeftNode, symbols));
        if (p->pRightNode)
            h = mix(h, visit(p->pRightNode, symbols) * 31);
        if (symbols && isCandidate(p))
            candidates.emplace_back(h, p);
        readsSymbols |= symbols;
        return h;
    }
};
} // namespace

void RPNDerivParser::shareRepeatedSubtrees(ExpressionTree* const* pTrees, unsigned nTrees)
{
    if (nTrees == 0)
        return;
    Occurrences occurrences;
    for (unsigned i = 0; i < nTrees; ++i)
    {
        bool symbols = false;
        if (ExpTreeNode* pRoot = pTrees[i]->getRoot())
            occurrences.visit(pRoot, symbols);
    }
    // Equal hashes side by side, in the order the subtrees were met.
    auto& candidates = occurrences.candidates;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Solver& s = solver();
    ExpressionTree& writer = *pTrees[0];
    std::vector<ExpTreeNode*> nodes, same, rest;
    for (std::size_t i = 0; i < candidates.size();)
    {
        std::size_t j = i + 1;
        while (j < candidates.size() && candidates[j].first == candidates[i].first)
            ++j;
        nodes.clear();
        for (std::size_t k = i; k < j; ++k)
            nodes.push_back(candidates[k].second);
        i = j;
        // Equal hashes of unequal subtrees split into groups of identical ones.
        while (nodes.size() > 1)
        {
            same.clear();
            rest.clear();
            for (ExpTreeNode* p : nodes)
                (writer.areNodesIdentical(p, nodes.front()) ? same : rest).push_back(p);
            if (same.size() > 1)
                shareSubtree(writer, same, s);
            nodes.swap(rest);
        }
    }
    for (unsigned i = 0; i < nTrees; ++i)
        if (pTrees[i]->getRoot())
            pTrees[i]->calcNoOfTokensAndData();
}

void RPNDerivParser::shareSubtree(ExpressionTree& writer, const std::vector<ExpTreeNode*>& same, Solver& s)
{
    ExpressionTree* pSlotTree = newTree();
    pSlotTree->setTreeNode(writer.cloneTree(same.front()));
    Evaluator* pSlot = _pSolverData->pPools->evaluators.getEntry();
    if (!pSlotTree->createPostFix(pSlot))
        return;
    const int slot = int(s._sharedValues.size());
    s._shared.addEvaluator(pSlot);
    s._sharedValues.push_back(Value {});
    for (ExpTreeNode* p : same)
    {
        Token* pToken = _pSolverData->pPools->tokens.allocate();
        *pToken = Token {};
        pToken->type = Token::Type::SHARED_VALUE;
        pToken->index = slot;
        p->pToken = pToken;
        p->pLeftNode = p->pRightNode = nullptr;
        p->leftCount = p->rightCount = 0;
    }
}
} // namespace SL_NS
