// Values that several programs evaluate alike are computed once per
// evaluation pass into a slot that the programs read: calls that stand alike
// in several places (in a power-flow balance each sine and cosine of an angle
// difference stands in the residual and in up to four Jacobian entries),
// sums of products that do (g cos d + b sin d of a line, the sum of a
// balance that its Jacobian's diagonal repeats), and any larger subtree that
// derivatives reach in several ways (the argument of a chain rule, the base
// of a power), which would otherwise be written out once for every way to it.
//
// Calls and sums are grouped by their value up to its sign: b - a is
// a - b negated, f(b - a) of an odd or an even function is f(a - b) negated
// or as it is, c * x with c < 0 is |c| * x negated, bit for bit (IEEE
// rounding is symmetric, and the library keeps the identity for the
// functions marked so; a zero may change its sign, as under the tree
// algebra's rules). So a line of a power flow, whose sine and cosine stand
// with the angles one way at one end and the other way at the other, costs
// one of each, and a term that a derivative negates is computed once.
#include <compile/BatchWriter.h>
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <compile/StructuralHash.h>
#include <expr/ExpressionPools.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

namespace SL_NS
{
namespace
{
using T = Token::Type;

// A pure, non-trivial call: worth computing once.
bool isCandidate(const ExpTreeNode* p)
{
    if (p->type() != T::FUNCTION || !p->pLeftNode)
        return false;
    const OpInfo& info = opInfo(p->pToken->function());
    return info.hasInstruction() && !info.pushesOwnValue && !info.variesPerRun;
}

// Past this many tokens a subtree reached in several ways gets a slot of its
// own; a smaller one is cheaper to compute again where it stands, and one
// that reads no symbol stays a constant of the programs that hold it.
constexpr std::uint32_t largeSubtree = 32;

// From this many tokens on a sum that stands alike (up to its sign) in
// several programs gets a slot: c1 s1 + c2 s2 and larger.
constexpr std::uint32_t smallestTerm = 7;

// An open-addressing table from hashes to numbers.
class HashIndex
{
public:
    static constexpr std::uint32_t none = ~0u;

    // The number kept for h, or value kept for it now.
    std::uint32_t findOrAdd(const StructuralHash& h, std::uint32_t value)
    {
        if (2 * (_size + 1) > _table.size())
            reserve(_size + 1);
        Slot& slot = _table[probe(h)];
        if (slot.value == none)
        {
            slot = {h, value};
            ++_size;
        }
        return slot.value;
    }

    std::size_t size() const { return _size; }

    std::uint32_t find(const StructuralHash& h) const { return _table.empty() ? none : _table[probe(h)].value; }

    // Where h would be looked up, brought into the cache ahead of it.
    void prefetch(const StructuralHash& h) const
    {
        if (_table.empty())
            return;
        // A slot may straddle two cache lines.
        const Slot* pSlot = &_table[h.a & (_table.size() - 1)];
        __builtin_prefetch(pSlot);
        __builtin_prefetch(&pSlot->value);
    }

    void set(const StructuralHash& h, std::uint32_t value)
    {
        if (findOrAdd(h, value) != value)
            _table[probe(h)].value = value;
    }

    // Room for n numbers at most half the table full.
    void reserve(std::size_t n)
    {
        std::size_t size = std::max<std::size_t>(1024, _table.size());
        while (size < 2 * n)
            size *= 2;
        if (size == _table.size())
            return;
        std::vector<Slot> old(size);
        old.swap(_table);
        for (const Slot& slot : old)
            if (slot.value != none)
                _table[probe(slot.hash)] = slot;
    }

    // Empties the table and keeps its room: the next batch needs as much.
    void clear()
    {
        for (Slot& slot : _table)
            slot.value = none;
        _size = 0;
    }

private:
    struct Slot
    {
        StructuralHash hash;
        std::uint32_t value = none;
    };

    std::size_t probe(const StructuralHash& h) const
    {
        const std::size_t mask = _table.size() - 1;
        std::size_t i = h.a & mask;
        while (_table[i].value != none && !(_table[i].hash == h))
            i = (i + 1) & mask;
        return i;
    }

    std::vector<Slot> _table;
    std::size_t _size = 0;
};

// What a pass knows of a node besides its hash.
enum Flag : std::uint8_t
{
    waysMask = 3, // the ways from the programs' roots to the node, counted up to 2
    readsSymbols = 4,
    drawsRandom = 8,
    isSlot = 16,
    negative = 32,    // the node's value is the negation of the value its hash names
    negatedRead = 64, // a member of a group made 0 - slot
    callOrSum = 128   // a pure call, or a sum large enough to share (see isTerm)
};

// What a node's hash gains when the node is the negation of the value the
// hash names, where it stands as an operand.
constexpr std::uint64_t negationMark = 0x2D358DCCAA6C78A5ull;

StructuralHash operatorHash(T type)
{
    Token op {};
    op.type = type;
    return tokenHash(op);
}

bool isZero(const ExpTreeNode* p) { return p && !p->pLeftNode && p->isNumeric() && p->pToken->value == Value(0); }

// How the sign of a node's value follows its operands' signs, bit for bit.
enum class SignRule : std::uint8_t
{
    None,
    Odd,     // f(-a) = -f(a)
    Even,    // f(-a) = f(a)
    Product, // (-a) * b = -(a * b), and likewise for "/"; a * b = b * a
    Sum,     // (-a) + (-b) = -(a + b), a + (-b) = a - b = -(b - a), a + b = b + a
};

SignRule signRule(const ExpTreeNode* p)
{
    const Token& t = *p->pToken;
    if (t.type == T::PLUS || t.type == T::MINUS)
        return SignRule::Sum;
    if (t.type == T::FUNCTION && !p->pRightNode)
    {
        const Parity parity = opInfo(t.function()).parity;
        return parity == Parity::Odd ? SignRule::Odd : (parity == Parity::Even ? SignRule::Even : SignRule::None);
    }
    // Complex products keep the identity only up to the sign of a zero part.
    if (isComplexBuild)
        return SignRule::None;
    if (t.type == T::MULT || t.type == T::DIV)
        return SignRule::Product;
    const ExpTreeNode* e = p->pRightNode;
    if (t.type != T::POW || e->pLeftNode || !e->isNumeric())
        return SignRule::None;
    const double n = std::real(e->pToken->value);
    if (n != std::trunc(n))
        return SignRule::None;
    return std::fmod(n, 2) != 0 ? SignRule::Odd : SignRule::Even;
}
} // namespace

// One pass over a batch of trees. Each inner node met is numbered by its mark,
// children before parents, and described in the pass's own table (the
// programs of slots written during the pass take the nodes' counts for their
// heights) and hashed; leaves are described from their tokens wherever they
// are met. The slots of calls are kept across batches.
struct RPNDerivParser::SharingPass
{
    // Kept beside the nodes: the passes after the first read this instead
    // of the scattered nodes.
    struct Info
    {
        std::uint32_t size = 0; // of the node's program, a slot read counting 1
        std::uint32_t left = 0; // the marks of the inner operands, 0 for a leaf or none
        std::uint32_t right = 0;
        std::uint8_t flags = 0;
        bool call = false; // a candidate call, not a sum
    };
    struct Candidate
    {
        ExpTreeNode* p;
        StructuralHash hash;
        std::uint32_t group;
        std::uint32_t index; // of p in order and info
    };
    std::vector<ExpTreeNode*> order;
    std::vector<Info> info;             // by mark - 1
    std::vector<StructuralHash> hashes; // by mark - 1
    std::vector<Candidate> candidates;
    HashIndex groupOf;
    std::vector<std::uint32_t> groupWays;  // per group: the ways to its members
    std::vector<std::uint32_t> knownSlots; // per group: its entry in callSlots
    std::vector<std::uint32_t> begin;      // per group: its first entry in members
    std::vector<std::uint32_t> members;    // candidates, by group
    HashIndex callSlots;                   // structure of a call or sum to its slot, across batches
    std::vector<std::pair<std::uint32_t, std::uint32_t>> newSlots; // candidate and slot, for callSlots at the end
    Token* plusToken = nullptr;                                    // of the batch, for the sums and differences
    Token* minusToken = nullptr;                                   // that take a negation in
    static constexpr std::uint32_t metOnce = HashIndex::none - 1;  // a call without a slot yet

    static bool isInner(const ExpTreeNode* p) { return p->pLeftNode != nullptr; }

    // The nodes a walk over order reads are scattered: the ones ahead are
    // brought into the cache in two steps (a node, then what it points to),
    // so that their misses overlap.
    void prefetch(std::size_t k) const
    {
        constexpr std::size_t ahead = 16;
        if (k + 2 * ahead < order.size())
            ExpressionTree::prefetchNode(order[k + 2 * ahead]);
        if (k + ahead < order.size())
            ExpressionTree::prefetchOperand(order[k + ahead]);
    }
    Info& of(const ExpTreeNode* p) { return info[p->mark - 1]; }
    const Info& of(const ExpTreeNode* p) const { return info[p->mark - 1]; }
    static int ways(const Info& i) { return i.flags & waysMask; }
    static void addWays(Info& i, int n) { i.flags = std::uint8_t((i.flags & ~waysMask) | std::min(2, ways(i) + n)); }

    static std::uint8_t tokenFlags(const Token& t)
    {
        const bool random = t.type == T::FUNCTION && opInfo(t.function()).variesPerRun;
        return std::uint8_t((t.type == T::SYMBOL ? readsSymbols : 0) | (random ? drawsRandom : 0));
    }

    std::uint8_t flagsOf(const ExpTreeNode* p) const
    {
        if (!p)
            return 0;
        return isInner(p) ? of(p).flags & (readsSymbols | drawsRandom) : tokenFlags(*p->pToken);
    }

    // Numbers the inner nodes under pRoot not met before, children first.
    void discover(ExpTreeNode* pRoot)
    {
        if (!isInner(pRoot))
            return;
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
                for (ExpTreeNode* pChild : {p->pRightNode, p->pLeftNode})
                    if (pChild)
                        visitSoon(pChild, stack);
            }
            else
            {
                stack.pop();
                Info i;
                i.flags = tokenFlags(*p->pToken) | flagsOf(p->pLeftNode) | flagsOf(p->pRightNode);
                i.size = 1 + sizeOf(p->pLeftNode) + sizeOf(p->pRightNode);
                i.left = innerMark(p->pLeftNode);
                i.right = innerMark(p->pRightNode);
                i.call = isCandidate(p);
                if (i.call || isTerm(p, i.size))
                    i.flags |= callOrSum;
                order.push_back(p);
                info.push_back(i);
                p->mark = std::uint32_t(order.size());
                // Hashed while it and its operands are in the cache.
                bool negated = false;
                hashes.push_back(signedForm(p, negated));
                if (negated)
                    info.back().flags |= negative;
            }
        }
        addWays(of(pRoot), 1);
    }

    // An inner operand goes on the stack; what the walk reads of an operand
    // next (its token, its own operands) is brought into the cache meanwhile.
    template <typename Stack>
    static void visitSoon(ExpTreeNode* p, Stack& stack)
    {
        ExpressionTree::prefetchOperand(p);
        if (isInner(p))
            stack.push({p, false});
    }

    static std::uint32_t innerMark(const ExpTreeNode* p) { return p && isInner(p) ? p->mark : 0; }

    // Parents before children: each way to a node is a way to its operands,
    // except that a node sure to get a slot is computed once, one way to its
    // operands however many lead to it. Else the sum of a balance, reached
    // from the residual and the Jacobian's diagonal, would hand its two ways
    // down to every partial sum in it, each of which would get a slot that
    // only the next one reads.
    void countWays()
    {
        for (std::size_t k = order.size(); k-- > 0;)
        {
            const int n = isSureSlot(info[k]) ? 1 : ways(info[k]);
            for (std::uint32_t child : {info[k].left, info[k].right})
                if (child)
                    addWays(info[child - 1], n);
        }
    }

    static bool isSureSlot(const Info& i)
    {
        return ways(i) >= 2 && (i.flags & (readsSymbols | drawsRandom)) == readsSymbols &&
               ((i.flags & callOrSum) || i.size > largeSubtree);
    }

    // The hash of a node whose inner nodes are hashed: of its value up to
    // its sign.
    StructuralHash known(const ExpTreeNode* p) const
    {
        if (!p)
            return StructuralHash {};
        if (isInner(p))
            return hashes[p->mark - 1];
        if (isNegativeConstant(p))
        {
            Token positive = *p->pToken;
            positive.value = -positive.value;
            return known(positive);
        }
        StructuralHash h = tokenHash(*p->pToken);
        h.add(signedHash(p->pRightNode)); // a leaf argument holds the next one
        h.add(StructuralHash {});
        return h;
    }

    // A constant leaf's.
    static StructuralHash known(const Token& constant)
    {
        StructuralHash h = tokenHash(constant);
        h.add(StructuralHash {});
        h.add(StructuralHash {});
        return h;
    }

    // Over real values a negative constant is the negation of its magnitude.
    static bool isNegativeConstant(const ExpTreeNode* p)
    {
        return !isComplexBuild && !p->pLeftNode && !p->pRightNode && p->isNumeric() && std::real(p->pToken->value) < 0;
    }

    // The hash that names an inner node's value up to its sign, from its
    // operands' hashes: 0 - x names x, sums and differences are named as
    // sumForm tells, an odd function or power takes its argument's sign and
    // an even one drops it, a product or quotient takes the signs of both
    // (a product's operands in the order of their hashes); negated tells
    // that the node is the negation of the value named. Absent operands
    // count, so that f(a, b) and g(a) with b elsewhere differ.
    StructuralHash signedForm(const ExpTreeNode* p, bool& negated) const
    {
        const ExpTreeNode* a = p->pLeftNode;
        const ExpTreeNode* b = p->pRightNode;
        if (p->type() == T::MINUS && isZero(a))
        {
            negated = !isNegative(b);
            return known(b);
        }
        StructuralHash x, y;
        switch (signRule(p))
        {
        case SignRule::Odd: negated = isNegative(a); [[fallthrough]];
        case SignRule::Even:
            x = known(a);
            y = signedHash(b);
            break;
        case SignRule::Product:
            negated = isNegative(a) != isNegative(b);
            x = known(a);
            y = known(b);
            if (p->type() == T::MULT && y < x)
                std::swap(x, y);
            break;
        case SignRule::Sum: return sumForm(p, negated);
        case SignRule::None:
            x = signedHash(a);
            y = signedHash(b);
            break;
        }
        StructuralHash h = tokenHash(*p->pToken);
        h.add(x);
        h.add(y);
        return h;
    }

    // a + b or a - b, with a = sa A and b = sb B: sa (A + B) when the terms
    // have one sign, else sa (A - B), the operands of either in the order of
    // their hashes (A - B = -(B - A)).
    StructuralHash sumForm(const ExpTreeNode* p, bool& negated) const
    {
        const bool sa = isNegative(p->pLeftNode);
        const bool sb = isNegative(p->pRightNode) != (p->type() == T::MINUS);
        StructuralHash x = known(p->pLeftNode), y = known(p->pRightNode);
        negated = sa;
        if (y < x)
        {
            std::swap(x, y);
            negated = negated != (sa != sb);
        }
        static const StructuralHash sum = operatorHash(T::PLUS), difference = operatorHash(T::MINUS);
        StructuralHash h = sa == sb ? sum : difference;
        h.add(x);
        h.add(y);
        return h;
    }

    bool isNegative(const Candidate& c) const { return (info[c.index].flags & negative) != 0; }

    bool isNegative(const ExpTreeNode* p) const
    {
        return p && (isInner(p) ? (of(p).flags & negative) != 0 : isNegativeConstant(p));
    }

    // The hash of a node as an operand: its sign counts.
    StructuralHash signedHash(const ExpTreeNode* p) const
    {
        StructuralHash h = known(p);
        if (isNegative(p))
            h.add(negationMark);
        return h;
    }

    // A sum or difference of a few products or more, of the size given.
    static bool isTerm(const ExpTreeNode* p, std::uint32_t size)
    {
        return (p->type() == T::PLUS || p->type() == T::MINUS) && !isZero(p->pLeftNode) && size >= smallestTerm;
    }

    // Calls and sums that read symbols (and draw no random number), grouped
    // by their values up to the sign in the order met; a counting sort lists
    // each group's members in that order.
    void groupCalls()
    {
        constexpr std::uint8_t mask = readsSymbols | drawsRandom | callOrSum;
        for (std::size_t k = 0; k < order.size(); ++k)
            if ((info[k].flags & mask) == (readsSymbols | callOrSum))
                candidates.push_back({order[k], hashes[k], 0, std::uint32_t(k)});
        // The table takes them all without growing, and its cache misses
        // overlap.
        constexpr std::size_t ahead = 32;
        groupOf.reserve(candidates.size());
        for (std::size_t i = 0; i < candidates.size(); ++i)
        {
            if (i + ahead < candidates.size())
                groupOf.prefetch(candidates[i + ahead].hash);
            Candidate& c = candidates[i];
            c.group = groupOf.findOrAdd(c.hash, std::uint32_t(groupWays.size()));
            if (c.group == groupWays.size())
                groupWays.push_back(0);
            groupWays[c.group] += std::uint32_t(ways(info[c.index]));
        }
        lookUpSlots();
        begin.assign(groupWays.size() + 1, 0);
        for (const Candidate& c : candidates)
            ++begin[c.group + 1];
        for (std::size_t g = 0; g < groupWays.size(); ++g)
            begin[g + 1] += begin[g];
        std::vector<std::uint32_t> next(begin.begin(), begin.end() - 1);
        members.resize(candidates.size());
        for (std::uint32_t i = 0; i < candidates.size(); ++i)
            members[next[candidates[i].group]++] = i;
    }

    // The batch's new slots into the table, its cache misses overlapping.
    void rememberSlots()
    {
        constexpr std::size_t ahead = 32;
        for (std::size_t i = 0; i < newSlots.size(); ++i)
        {
            if (i + ahead < newSlots.size())
                callSlots.prefetch(candidates[newSlots[i + ahead].first].hash);
            callSlots.set(candidates[newSlots[i].first].hash, newSlots[i].second);
        }
    }

    bool isNegatedRead(const ExpTreeNode* p) const { return isInner(p) && (of(p).flags & negatedRead); }

    // A negated read under a product with a constant, a sum or a difference
    // costs no instruction of its own: c * (0 - s) = (-c) * s (and likewise
    // for "/"), x + (0 - s) = x - s, x - (0 - s) = x + s. The values stay,
    // up to the sign of a zero, as the tree algebra's own rules keep them.
    void absorbNegation(ExpTreeNode* p, const ExpressionTree& writer)
    {
        ExpTreeNode*& a = p->pLeftNode;
        ExpTreeNode*& b = p->pRightNode;
        const T type = p->type();
        if (type == T::MULT || type == T::DIV)
        {
            for (auto [pRead, pConstant] : {std::pair {&a, &b}, std::pair {&b, &a}})
                if (isNegatedRead(*pRead) && !(*pConstant)->pLeftNode && (*pConstant)->isNumeric())
                {
                    *pConstant = writer.createConstant(-(*pConstant)->pToken->value);
                    *pRead = (*pRead)->pRightNode;
                    return;
                }
            return;
        }
        if (type != T::PLUS && type != T::MINUS)
            return;
        const bool leftNegated = type == T::PLUS && isNegatedRead(a);
        if (!leftNegated && !isNegatedRead(b))
            return;
        if (leftNegated)
            std::swap(a, b);
        b = b->pRightNode;
        // The node's own token may stand elsewhere: the batch's one of the
        // other operator instead.
        Token*& pOther = type == T::PLUS ? minusToken : plusToken;
        if (!pOther)
            pOther = writer.createNode(type == T::PLUS ? T::MINUS : T::PLUS, 0)->pToken;
        p->pToken = pOther;
    }

    // The slots that groups like this batch's had in earlier batches, all
    // at once: the lookups are cache misses, which overlap when they do not
    // wait on one another. A call met once, and not before, is remembered
    // in the same probe (a call, not a sum: sums met once are far too many
    // to remember for the few that come again); the batch computes it.
    void lookUpSlots()
    {
        constexpr std::size_t ahead = 32;
        knownSlots.assign(groupWays.size(), HashIndex::none);
        std::vector<const Candidate*> firsts(groupWays.size(), nullptr);
        for (const Candidate& c : candidates)
            if (!firsts[c.group])
                firsts[c.group] = &c;
        for (std::size_t g = 0; g < firsts.size(); ++g)
        {
            if (g + ahead < firsts.size())
                callSlots.prefetch(firsts[g + ahead]->hash);
            const Candidate& c = *firsts[g];
            if (!info[c.index].call || groupWays[g] >= 2)
                knownSlots[g] = callSlots.find(c.hash);
            else
            {
                const std::size_t n = callSlots.size();
                const std::uint32_t known = callSlots.findOrAdd(c.hash, metOnce);
                if (callSlots.size() == n)
                    knownSlots[g] = known; // met in an earlier batch
            }
        }
    }

    // The members of a group: into same those of the sign given, into
    // negated the others.
    void membersOf(std::uint32_t g, bool negativeOnes, std::vector<ExpTreeNode*>& same,
                   std::vector<ExpTreeNode*>& negated) const
    {
        same.clear();
        negated.clear();
        for (std::uint32_t i = begin[g]; i < begin[g + 1]; ++i)
        {
            const Candidate& c = candidates[members[i]];
            (isNegative(c) == negativeOnes ? same : negated).push_back(c.p);
        }
    }

    // The program size of a node whose operands are sized: a leaf (with the
    // leaf arguments it holds) or a slot read counts its tokens.
    std::uint32_t sizeOf(const ExpTreeNode* p) const
    {
        std::uint32_t n = 0;
        if (p && isInner(p))
            return (of(p).flags & isSlot) ? 1 : of(p).size;
        for (; p; p = p->pRightNode)
            ++n;
        return n;
    }

    void clear()
    {
        for (ExpTreeNode* p : order)
            p->mark = 0;
        plusToken = minusToken = nullptr;
        order.clear();
        info.clear();
        hashes.clear();
        candidates.clear();
        groupOf.clear();
        groupWays.clear();
        knownSlots.clear();
        newSlots.clear();
        begin.clear();
        members.clear();
    }
};

// Made and dropped where the pass is a complete type.
RPNDerivParser::RPNDerivParser(CompileTarget& target)
    : RPNParser(target._stringPool.get(), &target._initialValues)
    , _target(target)
{
}

RPNDerivParser::~RPNDerivParser() = default;

void RPNDerivParser::shareRepeatedSubtrees(ExpressionTree* const* pTrees, unsigned nTrees)
{
    if (!_pSharing)
        _pSharing = std::make_unique<SharingPass>();
    SharingPass& pass = *_pSharing;
    for (unsigned i = 0; i < nTrees; ++i)
    {
        ExpressionTree::prefetchAhead(pTrees, nTrees, i);
        if (ExpTreeNode* pRoot = pTrees[i]->getRoot())
            pass.discover(pRoot);
    }
    pass.countWays();
    pass.groupCalls();
    // Children first, so that a slot's program reads the slots below it:
    // sizes, the larger subtrees reached in several ways, and the slot of a
    // group of calls when its first member is met (a group like a call of an
    // earlier batch reads that call's slot). A call's slot is kept with the
    // sign of its value against the value its hash names, twice the slot
    // plus 1 when negative.
    ExpressionTree* pWriter = nTrees ? pTrees[0] : nullptr;
    std::vector<ExpTreeNode*> same, negated;
    std::size_t nextCandidate = 0;
    for (std::size_t k = 0; k < pass.order.size(); ++k)
    {
        pass.prefetch(k);
        ExpTreeNode* const p = pass.order[k];
        const SharingPass::Candidate* pCall = nullptr;
        if (nextCandidate < pass.candidates.size() && pass.candidates[nextCandidate].p == p)
            pCall = &pass.candidates[nextCandidate++];
        if (p->type() == T::SHARED_VALUE)
            continue; // a slot read now, made with its group
        SharingPass::Info& i = pass.of(p);
        pass.absorbNegation(p, *pWriter);
        i.size = 1 + pass.sizeOf(p->pLeftNode) + pass.sizeOf(p->pRightNode);
        if (i.flags & negatedRead)
            continue; // 0 - slot now, made with its group
        bool slot = false;
        if (pCall)
        {
            // The first member met: the group is settled for all of them. A
            // call met once in an earlier batch is computed there and gets a
            // slot now.
            const std::uint32_t known = pass.knownSlots[pCall->group];
            const bool existing = known != HashIndex::none && known != SharingPass::metOnce;
            if (existing || known == SharingPass::metOnce || pass.groupWays[pCall->group] >= 2)
            {
                const bool negativeSlot = existing ? (known & 1) != 0 : pass.isNegative(*pCall);
                pass.membersOf(pCall->group, negativeSlot, same, negated);
                slot = shareSubtree(same, negated, *pWriter, existing ? int(known >> 1) : -1);
                if (slot && !existing)
                    pass.newSlots.emplace_back(std::uint32_t(pCall - pass.candidates.data()),
                                               std::uint32_t(2 * (solver()._sharedValues.size() - 1) + negativeSlot));
                if (slot)
                    for (ExpTreeNode* q : negated)
                        pass.of(q).flags |= negatedRead;
            }
            pass.groupWays[pCall->group] = 0;
        }
        else if (SharingPass::ways(i) >= 2 && (i.flags & (readsSymbols | drawsRandom)) == readsSymbols &&
                 i.size > largeSubtree)
        {
            ExpTreeNode* const one[] = {p};
            slot = shareSubtree(one, {}, *pWriter, -1);
        }
        if (slot && p->type() == T::SHARED_VALUE)
            i.flags |= isSlot;
        else if (slot)
            i.size = 1 + pass.sizeOf(p->pLeftNode) + pass.sizeOf(p->pRightNode);
    }
    pass.rememberSlots();
    pass.clear();
}

void RPNDerivParser::endSharing() { _pSharing.reset(); }

// The members become reads of a slot, and the negated ones reads of 0 - slot:
// an existing slot, or one whose program is written from the first member.
bool RPNDerivParser::shareSubtree(std::span<ExpTreeNode* const> same, std::span<ExpTreeNode* const> negated,
                                  ExpressionTree& writer, int slot)
{
    CompileTarget& s = solver();
    if (slot < 0)
    {
        Evaluator* pSlot = writer.programPools().evaluators.getEntry();
        if (!writer.createPostFix(same.front(), pSlot))
            return false;
        slot = int(s._sharedValues.size());
        s._shared.addEvaluator(pSlot);
        s._sharedSlots.push_back(std::uint32_t(slot));
        s._sharedValues.push_back(Value {});
    }
    Token* pToken = writer.createToken();
    pToken->type = Token::Type::SHARED_VALUE;
    pToken->index = slot;
    for (ExpTreeNode* p : same)
        ExpressionTree::replaceBySharedValue(p, pToken);
    if (negated.empty())
        return true;
    ExpTreeNode* pZero = writer.createConstant(Value(0));
    ExpTreeNode* pRead = writer.createNode(T::SHARED_VALUE, slot);
    Token* pMinus = writer.createToken();
    pMinus->type = T::MINUS;
    for (ExpTreeNode* p : negated)
        ExpressionTree::replaceByNegation(p, pMinus, pZero, pRead);
    return true;
}
} // namespace SL_NS
