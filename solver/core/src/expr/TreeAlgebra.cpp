// Merging subtrees with the four basic operations, simplifying while it
// builds: constants fold, quotients move up, a constant is absorbed into a
// chain of the same kind of operation, negations cancel and identical
// operands combine. Every rule keeps the value of the expression.
#include <expr/ExpressionTree.h>
#include <expr/OpTable.h>
#include <mu/Assert.h>

#include <cmath>
#include <utility>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using Op = ExpressionTree::BasicOperation;

constexpr double twoTo31 = 2147483648.0;

T operatorOf(Op op) { return T(int(T::PLUS) + int(op)); }

bool isAdditive(Op op) { return op == Op::Add || op == Op::Subtract; }

bool isValue(const ExpTreeNode* pNode, double v) { return pNode->isNumeric() && pNode->pToken->value == Value(v); }

Value apply(const Value& a, const Value& b, Op op)
{
    switch (op)
    {
    case Op::Add: return a + b;
    case Op::Subtract: return a - b;
    case Op::Multiply: return a * b;
    default: return a / b;
    }
}

// B of a negation 0 - B, else null.
ExpTreeNode* negated(const ExpTreeNode* pNode)
{
    return pNode->isOperator(T::MINUS) && isValue(pNode->pLeftNode, 0) ? pNode->pRightNode : nullptr;
}

// How deep below a negation a constant or a difference is looked for to take
// its sign: deep enough for a derivative's sums of products, shallow enough
// that the search stays cheap on any tree.
constexpr int signDepth = 6;

// A constant's token type follows its value.
T constantType(const Value& value)
{
#if SL_COMPLEX
    if (value.imag() != 0)
        return value.real() == 0 ? T::IMAGINARY : T::COMPLEX;
    const double re = value.real();
#else
    const double re = value;
#endif
    const bool integral = re == std::trunc(re) && std::fabs(re) < twoTo31;
    return integral ? T::INTEGER : T::REAL;
}

// A borrowed operand goes into the result as it is, marked shared.
ExpTreeNode* borrowIf(ExpTreeNode* pNode, bool clone) { return clone ? ExpressionTree::share(pNode) : pNode; }

// How deep a chain is searched for a constant: a constant further down stays
// where it is, so that a merge costs the same on a chain of any length.
constexpr int chainDepth = 8;

// Where the first constant of a chain ("+" and "-", or "*" and "/") sits:
// the link that holds the node of which it is an operand.
struct FoundConstant
{
    ExpTreeNode** pLink = nullptr;
    ExpTreeNode** pParentLink = nullptr; // the link that holds pParent
    ExpTreeNode* pParent = nullptr;      // the chain node above the holder; null at the chain's top
    bool onLeft = false;
    bool inverted = false;   // the constant enters the chain's value negated (or as a divisor)
    std::uint32_t turns = 0; // the way from the chain's top to the holder: bit i set, right at depth i
    int depth = 0;
};

class ChainSearch
{
public:
    explicit ChainSearch(Op op)
        : _plus(isAdditive(op) ? T::PLUS : T::MULT)
        , _minus(isAdditive(op) ? T::MINUS : T::DIV)
        , _neutral(isAdditive(op) ? 0.0 : 1.0)
    {
    }

    // Depth first, left operands before right ones, down to chainDepth.
    bool find(ExpTreeNode** pLink, FoundConstant& found) const
    {
        return find(pLink, nullptr, nullptr, false, 0, 0, found);
    }

    // The nodes above the holder are the ones remove changes: each that
    // something else reaches (all of a borrowed chain) is copied first, and
    // a copy's operands are then reached from two places in their turn.
    void ownPath(ExpTreeNode*& pChain, bool borrowed, FoundConstant& found, const ExpressionTree& tree) const
    {
        if (borrowed)
            ExpressionTree::share(pChain);
        bool copied = false;
        ExpTreeNode** pLink = &pChain;
        for (int i = 0; i < found.depth; ++i)
        {
            ExpTreeNode* pOwn = tree.ownNode(*pLink);
            copied = copied || pOwn != *pLink;
            *pLink = pOwn;
            pLink = (found.turns >> i & 1) ? &pOwn->pRightNode : &pOwn->pLeftNode;
        }
        if (copied)
            find(&pChain, found);
    }

    // Takes the found constant out so that the chain keeps the value of all
    // its other terms. C - B leaves -B (C / B leaves 1 / B): the operator
    // above changes sign when the holder is its right operand; otherwise the
    // negation (reciprocal) of B is merged with what the operator above holds.
    void remove(const FoundConstant& found, const ExpressionTree& tree) const
    {
        ExpTreeNode* pHolder = *found.pLink;
        ExpTreeNode* pOther = found.onLeft ? pHolder->pRightNode : pHolder->pLeftNode;
        if (pHolder->shared)
            ExpressionTree::share(pOther);
        ExpTreeNode* pParent = found.pParent;
        if (!found.onLeft || !pHolder->isOperator(_minus))
            *found.pLink = pOther;
        else if (!pParent)
            *found.pLink = inverse(pOther, tree);
        else if (found.turns >> (found.depth - 1) & 1) // the holder is the right operand above
        {
            pParent->pToken->type = pParent->isOperator(_plus) ? _minus : _plus;
            *found.pLink = pOther;
        }
        else
            *found.pParentLink = tree.mergeUsingBasicOperation(inverse(pOther, tree), pParent->pRightNode, false, false,
                                                               Op(int(pParent->type()) - int(T::PLUS)));
    }

private:
    bool find(ExpTreeNode** pLink, ExpTreeNode** pParentLink, ExpTreeNode* pParent, bool inverted, int depth,
              std::uint32_t turns, FoundConstant& found) const
    {
        ExpTreeNode* pNode = *pLink;
        if (depth == chainDepth || (!pNode->isOperator(_plus) && !pNode->isOperator(_minus)))
            return false;
        if (counts(pNode->pLeftNode))
        {
            found = {pLink, pParentLink, pParent, true, inverted, turns, depth};
            return true;
        }
        if (find(&pNode->pLeftNode, pLink, pNode, inverted, depth + 1, turns, found))
            return true;
        const bool rightInverted = inverted != pNode->isOperator(_minus);
        if (counts(pNode->pRightNode))
        {
            found = {pLink, pParentLink, pParent, false, rightInverted, turns, depth};
            return true;
        }
        return find(&pNode->pRightNode, pLink, pNode, rightInverted, depth + 1, turns | 1u << depth, found);
    }

    // 0 - B, or 1 / B.
    ExpTreeNode* inverse(ExpTreeNode* pNode, const ExpressionTree& tree) const
    {
        return tree.mergeUsingBasicOperation(tree.createConstant(_neutral), pNode, false, false,
                                             _plus == T::PLUS ? Op::Subtract : Op::Divide);
    }

    // A neutral constant (the 0 of a negation, the 1 of a reciprocal) adds
    // nothing and is passed over, so taking a constant out never leaves one
    // to be found again.
    bool counts(const ExpTreeNode* pNode) const { return pNode->isNumeric() && pNode->pToken->value != _neutral; }

    T _plus;
    T _minus;
    Value _neutral;
};

// The first node, parents first and left before right, that holds pTarget.
bool removeConstantAt(ExpTreeNode*& pRoot, const ExpTreeNode* pTarget)
{
    if (!pRoot)
        return false;
    WalkStack<ExpTreeNode**> stack;
    stack.push(&pRoot);
    while (!stack.empty())
    {
        ExpTreeNode*& pLink = *stack.pop();
        ExpTreeNode* pNode = pLink;
        if (pNode->pRightNode == pTarget)
        {
            pLink = pNode->pLeftNode;
            return true;
        }
        if (pNode->pLeftNode == pTarget)
        {
            if (pNode->isOperator(T::PLUS))
                pLink = pNode->pRightNode;
            return true;
        }
        if (pNode->pRightNode)
            stack.push(&pNode->pRightNode);
        if (pNode->pLeftNode)
            stack.push(&pNode->pLeftNode);
    }
    return false;
}
} // namespace

ExpTreeNode* ExpressionTree::createOperatorNode(Token::Type op, ExpTreeNode* pLeft, ExpTreeNode* pRight) const
{
    ExpTreeNode* pNode = createNode(op, 0);
    pNode->pLeftNode = pLeft;
    pNode->pRightNode = pRight;
    pNode->leftCount = pLeft->height();
    pNode->rightCount = pRight->height();
    return pNode;
}

ExpTreeNode* ExpressionTree::createConstant(const Value& value) const { return createNode(value, constantType(value)); }

ExpTreeNode* ExpressionTree::mergeUsingBasicOperation(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft,
                                                      bool cloneRight, BasicOperation op) const
{
    ExpTreeNode* pNode = mergeWorker(left, right, cloneLeft, cloneRight, op);
    if (!pNode->pLeftNode || !pNode->pRightNode || !pNode->pLeftNode->isNumeric() || !pNode->pRightNode->isNumeric())
        return pNode;
    // Two constants under an operator (simplification off) fold all the same.
    const Value& a = pNode->pLeftNode->pToken->value;
    const Value& b = pNode->pRightNode->pToken->value;
    const T type = pNode->type();
    if (type == T::POW)
        return createConstant(std::pow(a, b));
    if (type >= T::PLUS && type <= T::DIV)
        return createConstant(apply(a, b, Op(int(type) - int(T::PLUS))));
    return pNode;
}

ExpTreeNode* ExpressionTree::mergeWorker(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                         BasicOperation op) const
{
    MU_ASSERT_MSG(left && right, "pLeftNode && pRightNode");
    // What something else reaches is borrowed, whatever the caller said.
    cloneLeft = cloneLeft || left->shared;
    cloneRight = cloneRight || right->shared;
    // The rules merge parts of the operands again: past chainDepth rules
    // within one another the operation is built as it stands, so that a
    // merge takes a bounded time and stack whatever its operands hold (a
    // chain of quotients, a tower of negations).
    if (_simplify && _mergeDepth < chainDepth)
    {
        ++_mergeDepth;
        ExpTreeNode* p = simplifiedMerge(left, right, cloneLeft, cloneRight, op);
        --_mergeDepth;
        if (p)
            return p;
    }
    return createOperatorNode(operatorOf(op), borrowIf(left, cloneLeft), borrowIf(right, cloneRight));
}

// The first rule that applies, or null.
ExpTreeNode* ExpressionTree::simplifiedMerge(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                             BasicOperation op) const
{
    // A neutral right operand gives the left one as it is: the rules below
    // would rebuild it node by node.
    if ((op == Op::Multiply || op == Op::Divide) ? isValue(right, 1) : isValue(right, 0))
        return borrowIf(left, cloneLeft);
    if (ExpTreeNode* p = mergeQuotients(left, right, cloneLeft, cloneRight, op))
        return p;
    if (ExpTreeNode* p = mergeWithConstant(left, right, cloneLeft, cloneRight, op))
        return p;
    if (ExpTreeNode* p = mergeNegations(left, right, cloneLeft, cloneRight, op))
        return p;
    if (areNodesIdentical(left, right))
        return mergeIdentical(left, cloneLeft, op);
    return nullptr;
}

// Quotients move up: (a/b)/(c/d) = (a*d)/(b*c), (a/b)/R = a/(b*R),
// L/(c/d) = (L*d)/c; L*(c/d) = (L*c)/d, with L/d folded when both are
// numbers; (a/b)*R = (a*R)/b.
ExpTreeNode* ExpressionTree::mergeQuotients(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                            BasicOperation op) const
{
    const bool leftQuotient = left->isOperator(T::DIV), rightQuotient = right->isOperator(T::DIV);
    if (op == Op::Divide)
    {
        if (leftQuotient && rightQuotient)
            return mergeWorker(mergeWorker(left->pLeftNode, right->pRightNode, cloneLeft, cloneRight, Op::Multiply),
                               mergeWorker(left->pRightNode, right->pLeftNode, cloneLeft, cloneRight, Op::Multiply),
                               false, false, Op::Divide);
        if (leftQuotient)
            return mergeWorker(left->pLeftNode,
                               mergeWorker(left->pRightNode, right, cloneLeft, cloneRight, Op::Multiply), cloneLeft,
                               false, Op::Divide);
        if (rightQuotient)
            return mergeWorker(mergeWorker(left, right->pRightNode, cloneLeft, cloneRight, Op::Multiply),
                               right->pLeftNode, false, cloneRight, Op::Divide);
    }
    else if (op == Op::Multiply)
    {
        if (rightQuotient)
        {
            ExpTreeNode *c = right->pLeftNode, *d = right->pRightNode;
            if (left->isNumeric() && d->isNumeric())
                return mergeWorker(createConstant(left->pToken->value / d->pToken->value), c, false, cloneRight,
                                   Op::Multiply);
            return mergeWorker(mergeWorker(left, c, cloneLeft, cloneRight, Op::Multiply), d, false, cloneRight,
                               Op::Divide);
        }
        if (leftQuotient)
            return mergeWorker(mergeWorker(left->pLeftNode, right, cloneLeft, cloneRight, Op::Multiply),
                               left->pRightNode, false, cloneLeft, Op::Divide);
    }
    return nullptr;
}

// A numeric operand: two constants fold, a neutral one drops, 0 and -1
// factors give 0 and a negation, any other constant is absorbed into a
// chain. Null when the rules go on.
ExpTreeNode* ExpressionTree::mergeWithConstant(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                               BasicOperation op) const
{
    if (left->isNumeric() && right->isNumeric())
    {
        const Value folded = apply(left->pToken->value, right->pToken->value, op);
        if (cloneLeft)
            return createConstant(folded);
        // A handed-over constant takes the result itself.
        left->pToken->value = folded;
        left->pToken->type = constantType(folded);
        return left;
    }
    if (right->isNumeric())
    {
        if (op == Op::Add || op == Op::Multiply)
            return mergeWorker(right, left, cloneRight, cloneLeft, op);
        const bool neutral = op == Op::Subtract ? isValue(right, 0) : isValue(right, 1);
        if (neutral)
            return borrowIf(left, cloneLeft);
        if (isValue(right, -1) && op == Op::Divide)
            return negate(left, cloneLeft);
        return absorbConstant(left, cloneLeft, right->pToken->value, false, op);
    }
    if (!left->isNumeric())
        return nullptr;
    if (isValue(left, 0))
    {
        if (op == Op::Add)
            return borrowIf(right, cloneRight);
        if (op != Op::Subtract)
            return createConstant(0);
        // -R = (-1) * R: the sign goes into a constant of a product when it
        // has one, else into a constant or difference nearby when R is
        // handed over (a derivative of c - u would otherwise end every
        // program with a negation); any other 0 - R is a negation, which the
        // rules below take.
        const bool product = right->isOperator(T::MULT) || right->isOperator(T::DIV);
        if (ExpTreeNode* p = product ? absorbConstant(right, cloneRight, -1, true, Op::Multiply) : nullptr)
            return p;
        return cloneRight ? nullptr : takeSign(right, signDepth);
    }
    if (op == Op::Multiply && isValue(left, 1))
        return borrowIf(right, cloneRight);
    if (op == Op::Multiply && isValue(left, -1))
        return negate(right, cloneRight);
    return absorbConstant(right, cloneRight, left->pToken->value, true, op);
}

// c op X, or X op c when the constant is on the right: with X = t + rest
// (t * rest for "*" and "/"), where t is the first constant found in the
// chain as it counts there, c + X = (c + t) + rest, c - X = (c - t) - rest,
// X - c = (t - c) + rest, and likewise for "*" and "/". The merged constant
// goes through the rules again, so a neutral one drops out. Null when the
// chain holds no constant, or when the merge would divide by zero.
ExpTreeNode* ExpressionTree::absorbConstant(ExpTreeNode* pChain, bool cloneChain, const Value& c, bool constantOnLeft,
                                            BasicOperation op) const
{
    const ChainSearch search(op);
    FoundConstant found;
    if (!search.find(&pChain, found))
        return nullptr;
    const ExpTreeNode* pHolder = *found.pLink;
    const Value C = (found.onLeft ? pHolder->pLeftNode : pHolder->pRightNode)->pToken->value;
    const bool additive = isAdditive(op);
    if (!additive && ((C == Value(0) && (found.inverted || (constantOnLeft && op == Op::Divide))) ||
                      (!constantOnLeft && op == Op::Divide && c == Value(0))))
        return nullptr;
    const Value t = found.inverted ? (additive ? -C : Value(1) / C) : C;
    const Value merged = constantOnLeft ? apply(c, t, op) : apply(t, c, op);
    const Op outer = constantOnLeft ? op : (additive ? Op::Add : Op::Multiply);
    search.ownPath(pChain, cloneChain, found, *this);
    search.remove(found, *this);
    return mergeWorker(createConstant(merged), pChain, false, false, outer);
}

// With (0 - A) and (0 - B): the sign moves out of the operation, into a
// constant operand, or cancels.
ExpTreeNode* ExpressionTree::mergeNegations(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                            BasicOperation op) const
{
    ExpTreeNode* a = negated(left);
    ExpTreeNode* b = negated(right);
    if (op == Op::Multiply || op == Op::Divide)
    {
        // The sign goes into a constant operand: c * (0 - B) = (-c) * B.
        if (a && right->isNumeric())
            return mergeWorker(a, createConstant(-right->pToken->value), cloneLeft, false, op);
        if (b && left->isNumeric())
            return mergeWorker(createConstant(-left->pToken->value), b, false, cloneRight, op);
    }
    if (a)
    {
        switch (op)
        {
        case Op::Add:
            return b ? negate(mergeWorker(a, b, cloneLeft, cloneRight, Op::Add), false)
                     : mergeWorker(right, a, cloneRight, cloneLeft, Op::Subtract);
        case Op::Subtract:
            return b ? mergeWorker(b, a, cloneRight, cloneLeft, Op::Subtract)
                     : negate(mergeWorker(a, right, cloneLeft, cloneRight, Op::Add), false);
        default:
            return b ? mergeWorker(a, b, cloneLeft, cloneRight, op)
                     : negate(mergeWorker(a, right, cloneLeft, cloneRight, op), false);
        }
    }
    if (!b)
        return nullptr;
    switch (op)
    {
    case Op::Add: return mergeWorker(left, b, cloneLeft, cloneRight, Op::Subtract);
    case Op::Subtract: return mergeWorker(left, b, cloneLeft, cloneRight, Op::Add);
    default: return negate(mergeWorker(left, b, cloneLeft, cloneRight, op), false);
    }
}

ExpTreeNode* ExpressionTree::mergeIdentical(ExpTreeNode* left, bool cloneLeft, BasicOperation op) const
{
    switch (op)
    {
    case Op::Add: return mergeWorker(createConstant(2), left, false, cloneLeft, Op::Multiply);
    case Op::Subtract: return createConstant(0);
    case Op::Multiply: return createPower(left, 2, cloneLeft);
    default: return createConstant(1);
    }
}

ExpTreeNode* ExpressionTree::negate(ExpTreeNode* pNode, bool clone) const
{
    return mergeWorker(createConstant(0), pNode, false, clone, Op::Subtract);
}

// -X in place, for an X the caller hands over: a constant negates, a
// difference swaps its operands, a negation drops, and a sum, product or
// quotient passes the sign to the first operand that takes it:
// -(A + B) = (-A) - B = (-B) - A, -(A * B) = (-A) * B = A * (-B). A node that
// something else reaches is copied instead of changed. The subtree's new
// root (X or its copy, or B of 0 - B), or null when X has no place for the
// sign; a failed search changes nothing.
ExpTreeNode* ExpressionTree::takeSign(ExpTreeNode* pNode, int depth) const
{
    const Token& t = *pNode->pToken;
    if (pNode->isNumeric())
    {
        ExpTreeNode* pOwn = ownNode(pNode);
        Token& own = *pOwn->pToken;
        own.value = -own.value;
        own.type = constantType(own.value);
        return pOwn;
    }
    ExpTreeNode* a = pNode->pLeftNode;
    if (t.type == T::MINUS)
    {
        if (isValue(a, 0))
            return pNode->shared ? share(pNode->pRightNode) : pNode->pRightNode;
        ExpTreeNode* pOwn = ownNode(pNode);
        std::swap(pOwn->pLeftNode, pOwn->pRightNode);
        std::swap(pOwn->leftCount, pOwn->rightCount);
        return pOwn;
    }
    if (depth == 0 || !(t.type == T::PLUS || t.type == T::MULT || t.type == T::DIV))
        return nullptr;
    if (pNode->shared)
    {
        share(a);
        share(pNode->pRightNode);
    }
    ExpTreeNode* pOwn;
    if (ExpTreeNode* pSigned = takeSign(a, depth - 1))
    {
        pOwn = ownNode(pNode);
        pOwn->pLeftNode = pSigned;
        pOwn->leftCount = pSigned->height();
    }
    else if ((pSigned = takeSign(pNode->pRightNode, depth - 1)))
    {
        pOwn = ownNode(pNode);
        pOwn->pRightNode = pSigned;
        pOwn->rightCount = pSigned->height();
        if (t.type == T::PLUS)
        {
            std::swap(pOwn->pLeftNode, pOwn->pRightNode);
            std::swap(pOwn->leftCount, pOwn->rightCount);
        }
    }
    else
        return nullptr;
    if (t.type == T::PLUS)
        pOwn->pToken->type = T::MINUS;
    return pOwn;
}

// The node itself when nothing else reaches it, else a copy (with a token of
// its own) whose operands are now reached from two places.
ExpTreeNode* ExpressionTree::ownNode(ExpTreeNode* pNode) const
{
    if (!pNode->shared)
        return pNode;
    ExpTreeNode* pCopy = cloneNode(pNode);
    pCopy->pLeftNode = pNode->pLeftNode;
    pCopy->pRightNode = pNode->pRightNode;
    if (pCopy->pLeftNode)
        share(pCopy->pLeftNode);
    if (pCopy->pRightNode)
        share(pCopy->pRightNode);
    return pCopy;
}

bool ExpressionTree::areNodesIdentical(const ExpTreeNode* a, const ExpTreeNode* b) const
{
    struct Pair
    {
        const ExpTreeNode* x;
        const ExpTreeNode* y;
    };
    WalkStack<Pair> stack;
    stack.push({a, b});
    while (!stack.empty())
    {
        const auto [x, y] = stack.pop();
        if (!x || !y)
        {
            if (x != y)
                return false;
            continue;
        }
        const Token &tx = *x->pToken, &ty = *y->pToken;
        // A NaN value is never equal, not even to itself.
        if (tx.type != ty.type || tx.symbolOrigin != ty.symbolOrigin || !(tx.value == ty.value))
            return false;
        if (tx.type == T::SYMBOL && tx.index != ty.index)
            return false;
        if (tx.type == T::FUNCTION && (tx.index != ty.index || opInfo(tx.function()).variesPerRun))
            return false;
        stack.push({x->pRightNode, y->pRightNode});
        stack.push({x->pLeftNode, y->pLeftNode});
    }
    return true;
}

// x^n; (a^b)^n becomes a^(n*b).
ExpTreeNode* ExpressionTree::createPower(ExpTreeNode* pNode, int exponent, bool clone) const
{
    ExpTreeNode* pBase = borrowIf(pNode, clone);
    if (!pBase->isOperator(T::POW))
        return createOperatorNode(T::POW, pBase, createConstant(exponent));
    pBase = ownNode(pBase);
    pBase->pRightNode =
        mergeUsingBasicOperation(createConstant(exponent), pBase->pRightNode, false, false, Op::Multiply);
    pBase->rightCount = pBase->pRightNode->height();
    return pBase;
}

ExpTreeNode* ExpressionTree::createPowerReal(ExpTreeNode* pNode, double exponent, bool clone) const
{
    return createOperatorNode(T::POW, borrowIf(pNode, clone), createNode(exponent));
}

ExpTreeNode* ExpressionTree::minusOne(ExpTreeNode* pNode) const
{
    return mergeUsingBasicOperation(pNode, createConstant(1), true, false, Op::Subtract);
}

ExpTreeNode* ExpressionTree::getParentNode(const ExpTreeNode* pNode, ExpTreeNode* pRoot) const
{
    ExpTreeNode* pParent = nullptr;
    WalkStack<ExpTreeNode*> stack;
    if (pRoot)
        stack.push(pRoot);
    while (!pParent && !stack.empty())
    {
        ExpTreeNode* p = stack.pop();
        if (p->pLeftNode == pNode || p->pRightNode == pNode)
            pParent = p;
        if (p->pRightNode)
            stack.push(p->pRightNode);
        if (p->pLeftNode)
            stack.push(p->pLeftNode);
    }
    return pParent;
}

// The node that holds pTarget as its right operand gives way to its left
// operand; a "+" that holds it on the left gives way to its right operand.
bool ExpressionTree::removeNode(ExpTreeNode*& pRoot, ExpTreeNode* pTarget) const
{
    return removeConstantAt(pRoot, pTarget);
}

// The dropped operand counts as the neutral element: keep stays for "+",
// "*" and a left keep; a right keep of "-" becomes 0 - keep and of "/"
// becomes 1 / keep.
ExpTreeNode* ExpressionTree::removeNode(ExpTreeNode*& pRoot, ExpTreeNode* pOpNode, ExpTreeNode* pKeep) const
{
    ExpTreeNode* pReplacement = pKeep;
    if (pKeep == pOpNode->pRightNode && (pOpNode->isOperator(T::MINUS) || pOpNode->isOperator(T::DIV)))
    {
        const bool minus = pOpNode->isOperator(T::MINUS);
        pReplacement = mergeUsingBasicOperation(createConstant(minus ? 0 : 1), pKeep, false, false,
                                                minus ? Op::Subtract : Op::Divide);
    }
    ExpTreeNode* pParent = getParentNode(pOpNode, pRoot);
    if (!pParent)
        pRoot = pReplacement;
    else if (pParent->pLeftNode == pOpNode)
        pParent->pLeftNode = pReplacement;
    else
        pParent->pRightNode = pReplacement;
    return pReplacement;
}
} // namespace SL_NS
