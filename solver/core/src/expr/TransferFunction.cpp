// The form of a transfer function and its coefficients. A side is read by
// polynomial arithmetic over its tree, bottom up: s and s^n are monomials,
// a subtree without s is a coefficient as it stands, and sums, differences,
// products and quotients by such a coefficient combine the polynomials of
// their operands. Repeated powers, products of sums and terms in any order
// therefore read as the algebra says.
#include <expr/ExpressionTree.h>
#include <expr/SolverData.h>
#include <expr/TransferFunction.h>

#include <cmath>
#include <utility>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using Op = ExpressionTree::BasicOperation;

// s^n takes exponents up to the largest order of a side.
constexpr std::uint32_t maxOrder = 0xFFFF;

const TFOrderAndType bad {0, TFType::Bad, 0};
const TFOrderAndType freeTerm {0, TFType::Term, 0};

bool holdsLaplace(const ExpTreeNode* pNode)
{
    bool found = false;
    forEachNode(pNode, [&found](const ExpTreeNode* p) { found = found || p->type() == T::LAPLACE; });
    return found;
}

bool holdsUnresolvedName(const ExpTreeNode* pNode)
{
    bool found = false;
    forEachNode(pNode,
                [&found](const ExpTreeNode* p) { found = found || (p->type() == T::SYMBOL && p->pToken->index < 0); });
    return found;
}

bool isBinaryOperator(const ExpTreeNode* p) { return Token::isOperator(p->type()) && p->pLeftNode && p->pRightNode; }

// The order of s^n: n an integer constant from 1 to maxOrder, else 0.
std::uint32_t powerOrder(const ExpTreeNode* pPower)
{
    const ExpTreeNode* pExponent = pPower->pRightNode;
    if (pPower->pLeftNode->type() != T::LAPLACE || pExponent->type() != T::INTEGER ||
        std::imag(pExponent->pToken->value) != 0)
        return 0;
    const double n = std::real(pExponent->pToken->value);
    return n >= 1 && n <= maxOrder && n == std::trunc(n) ? std::uint32_t(n) : 0;
}

// What a node that the walk does not enter is: s, a leaf without s, a
// function of arguments without s; any other node is badly formed. A name
// that stood for no symbol when it was read is none.
TFOrderAndType colourOfLeaf(const ExpTreeNode* p)
{
    const T type = p->type();
    if (type == T::LAPLACE)
        return {1, TFType::Term, 0};
    if (type == T::FUNCTION)
        return holdsLaplace(p) || holdsUnresolvedName(p) ? bad : freeTerm;
    if (type == T::SYMBOL && p->pToken->index < 0)
        return bad;
    if (p->isLeaf() &&
        (Token::isNumeric(type) || type == T::SYMBOL || type == T::PARAMETER || type == T::RND_GEN || type == T::STAT))
        return freeTerm;
    return bad;
}

TFOrderAndType colourOfOperator(const ExpTreeNode* p, TFOrderAndType l, TFOrderAndType r)
{
    if (l.type == TFType::Bad || r.type == TFType::Bad)
        return bad;
    switch (p->type())
    {
    case T::PLUS:
    case T::MINUS:
        if (l.type == TFType::Mult || r.type == TFType::Mult)
            return bad;
        if (l.isFree() && r.isFree())
            return freeTerm;
        return {std::max(l.order, r.order), TFType::Sum, 0};
    case T::MULT:
    {
        // Orders add: past the largest order the side is no polynomial the
        // model can size.
        const std::uint32_t order = std::uint32_t(l.order) + r.order;
        if (order > maxOrder)
            return bad;
        const bool term = l.type == TFType::Term && r.type == TFType::Term && (l.order == 0 || r.order == 0);
        return {std::uint16_t(order), term ? TFType::Term : TFType::Mult, 0};
    }
    case T::DIV: return r.isFree() ? l : bad;
    case T::POW:
    {
        const std::uint32_t n = powerOrder(p);
        return n ? TFOrderAndType {std::uint16_t(n), TFType::Term, 0} : bad;
    }
    default: return bad; // no other operator stands in a polynomial
    }
}

// Post-order over the binary operators of a subtree, with a stack of its own
// (a side may nest deeper than the call stack allows): leaf() takes every
// node that is not a binary operator whole, combine() an operator with the
// results of its operands.
template <typename R, typename Node, typename Leaf, typename Combine>
R walkSide(Node* pRoot, Leaf&& leaf, Combine&& combine)
{
    struct Frame
    {
        Node* p;
        bool expanded;
    };
    WalkStack<Frame> stack;
    std::vector<R> results;
    stack.push({pRoot, false});
    while (!stack.empty())
    {
        Frame& f = stack.top();
        Node* p = f.p;
        if (!isBinaryOperator(p))
        {
            stack.pop();
            results.push_back(leaf(p));
            continue;
        }
        if (!f.expanded)
        {
            f.expanded = true;
            stack.push({p->pRightNode, false});
            stack.push({p->pLeftNode, false});
            continue;
        }
        stack.pop();
        R r = std::move(results.back());
        results.pop_back();
        R l = std::move(results.back());
        results.pop_back();
        results.push_back(combine(p, std::move(l), std::move(r)));
    }
    return std::move(results.back());
}
} // namespace

TransferFunction::TransferFunction(const ExpressionTree& tree, SolverData& data)
    : _tree(tree)
    , _data(data)
{
}

TFOrderAndType TransferFunction::colorWithLaplaceOperator(const ExpTreeNode* pNode)
{
    return walkSide<TFOrderAndType>(pNode, colourOfLeaf, [](const ExpTreeNode* p, TFOrderAndType l, TFOrderAndType r) {
        return colourOfOperator(p, l, r);
    });
}

void TransferFunction::report(const char* key) const { _data.translateAndAdd(key, _data.logLine, _data.logColumn); }

bool TransferFunction::getTFNomAndDenomOrdersAndTypes(const ExpTreeNode* pRoot, sTF& tf) const
{
    if (!pRoot)
        return false;
    TFOrderAndType nom, denom = freeTerm;
    if (pRoot->isOperator(T::DIV))
    {
        if (!pRoot->pLeftNode || !pRoot->pRightNode)
        {
            report(pRoot->pLeftNode ? "@ET.TFBadFormatR" : "@ET.TFBadFormatL");
            return false;
        }
        nom = colorWithLaplaceOperator(pRoot->pLeftNode);
        denom = colorWithLaplaceOperator(pRoot->pRightNode);
    }
    else
        nom = colorWithLaplaceOperator(pRoot);
    const char* key = nullptr;
    if (nom.type == TFType::Bad)
        key = "@ET.TFNomBadFormat";
    else if (denom.type == TFType::Bad)
        key = "@ET.TFDenomBadFormat";
    else if (nom.order == 0 && denom.order == 0)
        key = "@ET.TFNoLaplace";
    if (key)
    {
        report(key);
        return false;
    }
    tf.nomOrder = nom.order;
    tf.nomType = nom.type;
    tf.denomOrder = denom.order;
    tf.denomType = denom.type;
    return true;
}

// The coefficient arithmetic: what merges to the constant 0 is no term.
ExpTreeNode* TransferFunction::merge(ExpTreeNode* a, ExpTreeNode* b, Op op) const
{
    ExpTreeNode* p = _tree.mergeUsingBasicOperation(a, b, true, true, op);
    return p->isNumeric() && p->pToken->value == Value(0) ? nullptr : p;
}

ExpTreeNode* TransferFunction::add(ExpTreeNode* a, ExpTreeNode* b) const
{
    return !a ? b : !b ? a : merge(a, b, Op::Add);
}

ExpTreeNode* TransferFunction::subtract(ExpTreeNode* a, ExpTreeNode* b) const
{
    if (!b)
        return a;
    return merge(a ? a : _tree.createConstant(0), b, Op::Subtract);
}

ExpTreeNode* TransferFunction::multiply(ExpTreeNode* a, ExpTreeNode* b) const
{
    return a && b ? merge(a, b, Op::Multiply) : nullptr;
}

ExpTreeNode* TransferFunction::divide(ExpTreeNode* a, ExpTreeNode* b) const
{
    return a ? merge(a, b, Op::Divide) : nullptr;
}

ExpTreeNode* TransferFunction::symbol(int index) const { return _tree.createNode(T::SYMBOL, index); }

// Every product of two terms counts against one budget per transfer function.
bool TransferFunction::spend(std::size_t products) const
{
    if (products > maxTermProducts - _termProducts)
        return false;
    _termProducts += std::uint32_t(products);
    return true;
}

bool TransferFunction::multPolynomials(const Polynomial& a, const Polynomial& b, Polynomial& product) const
{
    product.assign(a.size() + b.size() - 1, nullptr);
    std::size_t terms = 0;
    for (const ExpTreeNode* p : b)
        terms += p != nullptr;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        if (!a[i])
            continue;
        if (!spend(terms))
            return false;
        for (std::size_t j = 0; j < b.size(); ++j)
            product[i + j] = add(product[i + j], multiply(a[i], b[j]));
    }
    return true;
}

// A subtree as the reading sees it: a coefficient as it stands (pFree), or
// the polynomial of its terms.
struct TransferFunction::Side
{
    TFOrderAndType colour = bad;
    ExpTreeNode* pFree = nullptr;
    Polynomial poly;

    Polynomial coefficients() && { return pFree ? Polynomial {pFree} : std::move(poly); }
};

bool TransferFunction::readPolynomial(ExpTreeNode* pSide, Polynomial& coeffs) const
{
    auto leaf = [this](ExpTreeNode* p) {
        Side side;
        side.colour = colourOfLeaf(p);
        if (p->type() == T::LAPLACE)
            side.poly = {nullptr, _tree.createConstant(1)};
        else if (side.colour.isFree())
            side.pFree = p;
        return side;
    };
    auto combine = [this](ExpTreeNode* p, Side l, Side r) {
        Side side;
        side.colour = colourOfOperator(p, l.colour, r.colour);
        if (side.colour.type == TFType::Bad || side.colour.isFree())
        {
            side.pFree = side.colour.isFree() ? p : nullptr;
            return side;
        }
        Polynomial& out = side.poly;
        if (p->isOperator(T::POW))
        {
            out.assign(side.colour.order + 1u, nullptr);
            out.back() = _tree.createConstant(1);
            return side;
        }
        Polynomial a = std::move(l).coefficients(), b = std::move(r).coefficients();
        switch (p->type())
        {
        case T::PLUS:
        case T::MINUS:
            out.assign(std::max(a.size(), b.size()), nullptr);
            for (std::size_t k = 0; k < out.size(); ++k)
            {
                ExpTreeNode* x = k < a.size() ? a[k] : nullptr;
                ExpTreeNode* y = k < b.size() ? b[k] : nullptr;
                out[k] = p->isOperator(T::PLUS) ? add(x, y) : subtract(x, y);
            }
            break;
        case T::MULT:
            if (!multPolynomials(a, b, out))
                side.colour = bad;
            break;
        default: // a quotient by a coefficient
            out.resize(a.size());
            for (std::size_t k = 0; k < a.size(); ++k)
                out[k] = divide(a[k], b.front());
            break;
        }
        return side;
    };
    Side side = walkSide<Side>(pSide, leaf, combine);
    if (side.colour.type == TFType::Bad)
        return false;
    coeffs = std::move(side).coefficients();
    for (ExpTreeNode*& p : coeffs)
        if (p && p->isNumeric() && p->pToken->value == Value(0))
            p = nullptr;
    return true;
}

bool TransferFunction::getTFCoefficients(ExpTreeNode* pRoot, Polynomial& denom, Polynomial& nom, const sTF& tf) const
{
    if (!pRoot)
        return false;
    _termProducts = 0;
    const bool fraction = pRoot->isOperator(T::DIV) && pRoot->pLeftNode && pRoot->pRightNode;
    if (!fraction && tf.denomOrder > 0)
        return false;
    ExpTreeNode* pNom = fraction ? pRoot->pLeftNode : pRoot;
    const bool read = readPolynomial(pNom, nom) &&
                      (fraction ? readPolynomial(pRoot->pRightNode, denom) : (denom = {_tree.createConstant(1)}, true));
    // The orders sized the model's symbols: a reading of other orders would
    // not fit them.
    if (!read || nom.size() != tf.nomOrder + 1u || denom.size() != tf.denomOrder + 1u)
        return false;
    normalizeTFDenom(denom, nom);
    return true;
}
} // namespace SL_NS
