// Function calls that several programs evaluate alike (in a power-flow
// balance, each sine and cosine of an angle difference stands in the
// residual and in up to four Jacobian entries) are computed once per
// evaluation pass into a slot that the programs read.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/ExpressionPools.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>

#include <cstring>
#include <algorithm>
#include <span>
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

    // Records the candidates under p. Only the subtrees of calls are
    // hashed: the sums and products around them never become candidates.
    void find(ExpTreeNode* p)
    {
        if (p->type() == T::FUNCTION)
        {
            bool symbols = false;
            hash(p, symbols);
            return;
        }
        if (p->pLeftNode)
            find(p->pLeftNode);
        if (p->pRightNode)
            find(p->pRightNode);
    }

    // The subtree's structural hash; records candidates that read symbols.
    Hash hash(ExpTreeNode* p, bool& readsSymbols)
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
        h.add(p->pLeftNode ? hash(p->pLeftNode, symbols) : Hash {});
        h.add(p->pRightNode ? hash(p->pRightNode, symbols) : Hash {});
        if (symbols && isCandidate(p))
            candidates.push_back({h, p, pTree});
        readsSymbols |= symbols;
        return h;
    }
};

namespace
{
// Candidates of equal hash gathered into groups numbered by first use, each
// listing its members in the order they were met. One pass over an
// open-addressing table that holds one entry per distinct hash.
class HashGroups
{
public:
    // The next candidate, in the order of discovery.
    void add(const Hash& h) { _groupOf.push_back(groupOf(h)); }

    // Lists the members of every group; a counting sort keeps their order.
    void gather()
    {
        _begin.assign(_sizes.size() + 1, 0);
        for (std::size_t g = 0; g < _sizes.size(); ++g)
            _begin[g + 1] = _begin[g] + _sizes[g];
        std::vector<std::uint32_t> next(_begin.begin(), _begin.end() - 1);
        _members.resize(_groupOf.size());
        for (std::uint32_t i = 0; i < _groupOf.size(); ++i)
            _members[next[_groupOf[i]]++] = i;
    }

    std::uint32_t count() const { return std::uint32_t(_sizes.size()); }
    std::uint32_t size(std::uint32_t g) const { return _sizes[g]; }
    std::span<const std::uint32_t> members(std::uint32_t g) const { return {_members.data() + _begin[g], _sizes[g]}; }

private:
    static constexpr std::uint32_t none = ~0u;
    struct Slot
    {
        Hash hash;
        std::uint32_t group = none;
    };

    std::uint32_t groupOf(const Hash& h)
    {
        if (2 * (_sizes.size() + 1) > _table.size())
            grow();
        const std::size_t mask = _table.size() - 1;
        std::size_t i = h.a & mask;
        while (_table[i].group != none && !(_table[i].hash == h))
            i = (i + 1) & mask;
        if (_table[i].group == none)
        {
            _table[i] = {h, std::uint32_t(_sizes.size())};
            _sizes.push_back(0);
        }
        ++_sizes[_table[i].group];
        return _table[i].group;
    }

    void grow()
    {
        std::vector<Slot> old(std::max<std::size_t>(1024, 2 * _table.size()));
        old.swap(_table);
        const std::size_t mask = _table.size() - 1;
        for (const Slot& slot : old)
        {
            if (slot.group == none)
                continue;
            std::size_t i = slot.hash.a & mask;
            while (_table[i].group != none)
                i = (i + 1) & mask;
            _table[i] = slot;
        }
    }

    std::vector<Slot> _table;
    std::vector<std::uint32_t> _groupOf; // per candidate
    std::vector<std::uint32_t> _sizes;
    std::vector<std::uint32_t> _begin;
    std::vector<std::uint32_t> _members;
};
} // namespace

void RPNDerivParser::shareRepeatedSubtrees(ExpressionTree* const* pTrees, unsigned nTrees)
{
    if (nTrees == 0)
        return;
    Occurrences occurrences;
    for (unsigned i = 0; i < nTrees; ++i)
    {
        occurrences.pTree = pTrees[i];
        if (ExpTreeNode* pRoot = pTrees[i]->getRoot())
            occurrences.find(pRoot);
    }
    // Slots numbered in the order of first use, so that a pass over the
    // equations reads them nearly in sequence instead of scattered by hash.
    const auto& candidates = occurrences.candidates;
    HashGroups groups;
    for (const Candidate& c : candidates)
        groups.add(c.hash);
    groups.gather();
    CompileTarget& s = solver();
    std::vector<Candidate> same;
    for (std::uint32_t g = 0; g < groups.count(); ++g)
    {
        if (groups.size(g) < 2)
            continue;
        same.clear();
        for (std::uint32_t i : groups.members(g))
            same.push_back(candidates[i]);
        shareSubtree(same, s);
    }
}

void RPNDerivParser::shareSubtree(const std::vector<Candidate>& same, CompileTarget& s)
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
