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

// Two independent 64-bit structural hashes: subtrees count as identical when
// both agree (a chance collision is far below one in 10^20 for a model of a
// million calls), which spares comparing scattered nodes one by one.
struct Hash
{
    std::uint64_t a = 0x243F6A8885A308D3ull;
    std::uint64_t b = 0x13198A2E03707344ull;

    void add(std::uint64_t v)
    {
        a = (a ^ v) * 0x100000001B3ull;
        a ^= a >> 29;
        b = (b + v) * 0x9E3779B97F4A7C15ull;
        b ^= b >> 31;
    }
    void add(const Hash& h)
    {
        add(h.a);
        add(h.b);
    }
    friend bool operator<(const Hash& x, const Hash& y) { return x.a != y.a ? x.a < y.a : x.b < y.b; }
    friend bool operator==(const Hash& x, const Hash& y) = default;
};

// A pure, non-trivial call: worth computing once.
bool isCandidate(const ExpTreeNode* p)
{
    if (p->type() != T::FUNCTION || !p->pLeftNode)
        return false;
    const OpInfo& info = opInfo(p->pToken->function());
    return info.hasInstruction() && !info.pushesOwnValue && !info.variesPerRun;
}
} // namespace

struct RPNDerivParser::Candidate
{
    Hash hash; // structural
    ExpTreeNode* pNode;
    ExpressionTree* pTree; // whose counts follow a replacement
};

struct RPNDerivParser::Occurrences
{
    std::vector<Candidate> candidates;
    ExpressionTree* pTree = nullptr;

    // The subtree's structural hash; records candidates that read symbols.
    Hash visit(ExpTreeNode* p, bool& readsSymbols)
    {
        const Token& t = *p->pToken;
        std::uint64_t bits[2] = {0, 0};
        static_assert(sizeof(Value) <= sizeof(bits));
        std::memcpy(bits, &t.value, sizeof(Value));
        Hash h;
        h.add(std::uint64_t(t.type) | std::uint64_t(std::uint32_t(t.index)) << 8 | std::uint64_t(t.symbolOrigin) << 40);
        h.add(bits[0]);
        h.add(bits[1]);
        bool symbols = t.type == T::SYMBOL;
        // Absent children count, so that f(a, b) and g(a) with b elsewhere differ.
        h.add(p->pLeftNode ? visit(p->pLeftNode, symbols) : Hash {});
        h.add(p->pRightNode ? visit(p->pRightNode, symbols) : Hash {});
        if (symbols && isCandidate(p))
            candidates.push_back({h, p, pTree});
        readsSymbols |= symbols;
        return h;
    }
};

void RPNDerivParser::shareRepeatedSubtrees(ExpressionTree* const* pTrees, unsigned nTrees)
{
    if (nTrees == 0)
        return;
    Occurrences occurrences;
    for (unsigned i = 0; i < nTrees; ++i)
    {
        bool symbols = false;
        occurrences.pTree = pTrees[i];
        if (ExpTreeNode* pRoot = pTrees[i]->getRoot())
            occurrences.visit(pRoot, symbols);
    }
    // Equal hashes side by side, in the order the subtrees were met.
    auto& candidates = occurrences.candidates;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.hash < b.hash; });
    Solver& s = solver();
    std::vector<Candidate> same;
    for (std::size_t i = 0; i < candidates.size();)
    {
        std::size_t j = i + 1;
        while (j < candidates.size() && candidates[j].hash == candidates[i].hash)
            ++j;
        if (j - i > 1)
        {
            same.assign(candidates.begin() + std::ptrdiff_t(i), candidates.begin() + std::ptrdiff_t(j));
            shareSubtree(same, s);
        }
        i = j;
    }
}

void RPNDerivParser::shareSubtree(const std::vector<Candidate>& same, Solver& s)
{
    // Identical subtrees have identical counts: one walk serves the group.
    ExpressionTree counts(false);
    counts.countSubtree(same.front().pNode, _nVars);
    Evaluator* pSlot = _pSolverData->pPools->evaluators.getEntry();
    if (!same.front().pTree->createPostFix(same.front().pNode, pSlot, counts))
        return;
    const int slot = int(s._sharedValues.size());
    s._shared.addEvaluator(pSlot);
    s._sharedValues.push_back(Value {});
    Token* pToken = _pSolverData->pPools->tokens.allocate();
    *pToken = Token {};
    pToken->type = Token::Type::SHARED_VALUE;
    pToken->index = slot;
    for (const Candidate& c : same)
        c.pTree->replaceBySharedValue(c.pNode, pToken, counts);
}
} // namespace SL_NS
