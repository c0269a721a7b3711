// Values that several programs evaluate alike are computed once per
// evaluation pass into a slot that the programs read: calls that stand alike
// in several places (in a power-flow balance each sine and cosine of an angle
// difference stands in the residual and in up to four Jacobian entries), and
// any larger subtree that derivatives reach in several ways (the argument of
// a chain rule, the base of a power), which would otherwise be written out
// once for every way to it.
#include <ExpressionPools.h>
#include <OpTable.h>
#include <RPNDerivParser.h>
#include <Solver.h>
#include <SolverData.h>

#include <algorithm>
#include <cstring>
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

bool variesPerRun(const Token& t) { return t.type == T::FUNCTION && opInfo(t.function()).variesPerRun; }

// Past this many tokens a subtree reached in several ways gets a slot of its
// own; a smaller one is cheaper to compute again where it stands.
constexpr std::uint32_t largeSubtree = 32;
} // namespace

// What one pass over the programs to be written knows of each node it met,
// the node's mark - 1 being its place in the lists.
struct RPNDerivParser::SharingPass
{
    struct Info
    {
        Hash hash; // structural
        std::uint32_t size = 0; // tokens of its program, a slot read counting 1
        std::uint8_t ways = 0;  // the ways from the programs' roots to it, counted up to 2
        bool symbols = false;   // reads a symbol
        bool pure = true;       // no random draw
        bool slot = false;
    };
    std::vector<ExpTreeNode*> order; // children before parents, each node once
    std::vector<Info> info;

    Info& of(const ExpTreeNode* p) { return info[p->mark - 1]; }

    static void addWays(Info& i, std::uint8_t ways) { i.ways = std::uint8_t(std::min(2, i.ways + ways)); }

    // Numbers the nodes under pRoot not met before, children first.
    void discover(ExpTreeNode* pRoot)
    {
        struct Frame
        {
            ExpTreeNode* p;
            bool expanded;
        };
        WalkStack<Frame> stack;
        stack.push({pRoot, false});
        while (!stack.empty())
        {
            Frame& f = stack.top();
            ExpTreeNode* p = f.p;
            if (p->mark)
                stack.pop();
            else if (!f.expanded)
            {
                f.expanded = true;
                if (p->pRightNode)
                    stack.push({p->pRightNode, false});
                if (p->pLeftNode)
                    stack.push({p->pLeftNode, false});
            }
            else
            {
                stack.pop();
                order.push_back(p);
                info.push_back(describe(p));
                p->mark = std::uint32_t(order.size());
            }
        }
        addWays(of(pRoot), 1);
    }

    Info describe(const ExpTreeNode* p)
    {
        const Token& t = *p->pToken;
        std::uint64_t bits[2] = {0, 0};
        static_assert(sizeof(Value) <= sizeof(bits));
        std::memcpy(bits, &t.value, sizeof(Value));
        Info i;
        i.hash.add(std::uint64_t(t.type) | std::uint64_t(std::uint32_t(t.index)) << 8 |
                   std::uint64_t(t.symbolOrigin) << 40);
        i.hash.add(bits[0]);
        i.hash.add(bits[1]);
        i.symbols = t.type == T::SYMBOL;
        i.pure = !variesPerRun(t);
        // Absent children count, so that f(a, b) and g(a) with b elsewhere differ.
        for (const ExpTreeNode* pChild : {p->pLeftNode, p->pRightNode})
        {
            if (!pChild)
            {
                i.hash.add(Hash {});
                continue;
            }
            const Info& c = of(pChild);
            i.hash.add(c.hash);
            i.symbols = i.symbols || c.symbols;
            i.pure = i.pure && c.pure;
        }
        return i;
    }

    // Parents before children: each way to a node is a way to its operands.
    void countWays()
    {
        for (std::size_t k = order.size(); k-- > 0;)
        {
            const ExpTreeNode* p = order[k];
            const std::uint8_t ways = info[k].ways;
            for (const ExpTreeNode* pChild : {p->pLeftNode, p->pRightNode})
                if (pChild)
                    addWays(of(pChild), ways);
        }
    }

    void clearMarks()
    {
        for (ExpTreeNode* p : order)
            p->mark = 0;
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
    // The next candidate, in the order of discovery, standing in weight places.
    void add(const Hash& h, std::uint32_t weight) { _groupOf.push_back(groupOf(h, weight)); }

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

    std::uint32_t count() const { return std::uint32_t(_members.size()); }
    std::uint32_t groupOf(std::uint32_t candidate) const { return _groupOf[candidate]; }
    std::uint32_t weight(std::uint32_t g) const { return _weights[g]; }
    std::span<const std::uint32_t> members(std::uint32_t g) const { return {_members.data() + _begin[g], _sizes[g]}; }

private:
    static constexpr std::uint32_t none = ~0u;
    struct Slot
    {
        Hash hash;
        std::uint32_t group = none;
    };

    std::uint32_t groupOf(const Hash& h, std::uint32_t weight)
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
            _weights.push_back(0);
        }
        ++_sizes[_table[i].group];
        _weights[_table[i].group] += weight;
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
    std::vector<std::uint32_t> _sizes;   // members
    std::vector<std::uint32_t> _weights; // places the members stand in
    std::vector<std::uint32_t> _begin;
    std::vector<std::uint32_t> _members;
};
} // namespace

void RPNDerivParser::shareRepeatedSubtrees(ExpressionTree* const* pTrees, unsigned nTrees)
{
    SharingPass pass;
    for (unsigned i = 0; i < nTrees; ++i)
        if (ExpTreeNode* pRoot = pTrees[i]->getRoot())
            pass.discover(pRoot);
    if (pass.order.empty())
        return;
    pass.countWays();
    // Calls alike in two places or more: a group each, in the order met.
    std::vector<ExpTreeNode*> candidates;
    HashGroups groups;
    for (ExpTreeNode* p : pass.order)
    {
        const SharingPass::Info& i = pass.of(p);
        if (i.symbols && isCandidate(p))
        {
            candidates.push_back(p);
            groups.add(i.hash, i.ways);
        }
    }
    groups.gather();
    for (std::uint32_t k = 0; k < candidates.size(); ++k)
        pass.of(candidates[k]).slot = groups.weight(groups.groupOf(k)) >= 2;
    // Children first, so that a slot's program reads the slots below it:
    // sizes, the larger subtrees reached in several ways, and every slot's
    // program when its first member is met.
    ExpressionTree& writer = *pTrees[0];
    std::uint32_t nextCandidate = 0;
    for (ExpTreeNode* p : pass.order)
    {
        SharingPass::Info& i = pass.of(p);
        const bool candidate = nextCandidate < candidates.size() && candidates[nextCandidate] == p;
        const std::uint32_t k = candidate ? nextCandidate++ : 0;
        if (p->type() == T::SHARED_VALUE)
            continue; // made a slot read with its group
        i.size = 1;
        for (const ExpTreeNode* pChild : {p->pLeftNode, p->pRightNode})
            if (pChild)
                i.size += pass.of(pChild).slot ? 1 : pass.of(pChild).size;
        if (candidate && i.slot)
        {
            std::vector<ExpTreeNode*> same;
            for (std::uint32_t m : groups.members(groups.groupOf(k)))
                same.push_back(candidates[m]);
            if (!shareSubtree(same, writer))
                for (ExpTreeNode* pMember : same)
                    pass.of(pMember).slot = false;
        }
        else if (!i.slot && i.ways >= 2 && i.pure && i.size > largeSubtree)
            i.slot = shareSubtree({&p, 1}, writer);
    }
    pass.clearMarks();
}

// The slot's program is written from the first of the alike subtrees, which
// then all read the slot.
bool RPNDerivParser::shareSubtree(std::span<ExpTreeNode* const> same, ExpressionTree& writer)
{
    Solver& s = solver();
    Evaluator* pSlot = _pSolverData->pPools->evaluators.getEntry();
    if (!writer.createPostFix(same.front(), pSlot))
        return false;
    const int slot = int(s._sharedValues.size());
    s._shared.addEvaluator(pSlot);
    s._sharedValues.push_back(Value {});
    Token* pToken = _pSolverData->pPools->tokens.allocate();
    *pToken = Token {};
    pToken->type = Token::Type::SHARED_VALUE;
    pToken->index = slot;
    for (ExpTreeNode* p : same)
        ExpressionTree::replaceBySharedValue(p, pToken);
    return true;
}
} // namespace SL_NS
