#pragma once
// Trees from text (through the lexer and the builder) or made at random, run
// as programs at chosen points, and printed in infix for the shapes that the
// rules promise.
#include "../trees/TreeFixture.h"

#include <expr/FnLimits.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace test
{
using Op = ExpressionTree::BasicOperation;

// Values of x, y, z, pmin, pmax.
using Point = std::array<Value, 5>;

inline Value apply(const Value& a, const Value& b, Op op)
{
    switch (op)
    {
    case Op::Add: return a + b;
    case Op::Subtract: return a - b;
    case Op::Multiply: return a * b;
    default: return a / b;
    }
}

inline const char* opText(Op op) { return opInfo(Token::Type(int(Token::Type::PLUS) + int(op))).text; }

inline ExpTreeNode* operatorNode(const ExpressionTree& tree, Token::Type op, ExpTreeNode* l, ExpTreeNode* r)
{
    ExpTreeNode* p = tree.createNode(op, 0);
    p->pLeftNode = l;
    p->pRightNode = r;
    p->leftCount = l->height();
    p->rightCount = r->height();
    return p;
}

class AlgebraTest : public TreeTest
{
protected:
    // The tree whose algebra is under test; its switch is simplification.
    ExpressionTree tree;

    void SetUp() override
    {
        TreeTest::SetUp();
        tree.init(data, nVars);
    }

    // The root built from text; the nodes outlive the tree object.
    ExpTreeNode* parse(const std::string& text)
    {
        ExpressionTree t;
        EXPECT_TRUE(build(t, text)) << text << errors();
        return t.getRoot();
    }

    // The program of a subtree.
    Evaluator* write(ExpTreeNode* pRoot)
    {
        ExpressionTree holder;
        holder.init(data, nVars);
        holder.setTreeNode(pRoot);
        Evaluator* e = solver._pools->evaluators.getEntry();
        EXPECT_TRUE(holder.createPostFix(e)) << infix(pRoot) << errors();
        return e;
    }

    // The limits are evaluated first, as the solver does.
    Value valueAt(const Evaluator* e, const Point& p)
    {
        std::copy(p.begin(), p.end(), solver._initialValues.begin());
        CU cu(&solver);
        for (unsigned k = 1; k <= solver._fnLimits.size(); ++k)
            solver._fnLimits[k].evaluate(cu);
        return e->evaluate(cu);
    }

    Value valueAt(ExpTreeNode* pRoot, const Point& p) { return valueAt(write(pRoot), p); }

    std::string name(const Token& t) const
    {
        const std::string n = solver._stringPool->getNames()[std::uint32_t(t.index)].c_str();
        return t.symbolOrigin == sc::SymbolOrigin::ParentModel ? "@" + n : n;
    }

    static std::string number(const Value& v)
    {
        std::ostringstream os;
        os << std::real(v);
        if (std::imag(v) != 0)
            os << (std::imag(v) > 0 ? "+" : "") << std::imag(v) << "i";
        return os.str();
    }

    // Operators in brackets, except at the top.
    std::string infix(const ExpTreeNode* p, bool top = true) const
    {
        const Token& t = *p->pToken;
        if (t.type == Token::Type::SYMBOL)
            return name(t);
        if (t.type == Token::Type::CONST_E)
            return "e";
        if (t.isNumeric())
            return number(t.value);
        if (t.type == Token::Type::FUNCTION)
            return std::string(opInfo(t.function()).text) + "(" + (p->pLeftNode ? infix(p->pLeftNode) : "") +
                   (p->pRightNode ? ", " + infix(p->pRightNode) : "") + ")";
        const std::string text =
            infix(p->pLeftNode, false) + " " + opInfo(t.type).text + " " + infix(p->pRightNode, false);
        return top ? text : "(" + text + ")";
    }

    ExpTreeNode* symbol(int index, sc::SymbolOrigin origin = sc::SymbolOrigin::ThisModel) const
    {
        ExpTreeNode* p = tree.createNode(Token::Type::SYMBOL, index);
        p->pToken->symbolOrigin = origin;
        return p;
    }
};

// Random trees over x, y, z, pmin and a few constants, leaning towards the
// shapes the merge rules look for.
class RandomTrees
{
public:
    RandomTrees(const ExpressionTree& tree, unsigned seed)
        : _tree(tree)
        , _rng(seed)
    {
    }

    int below(int n) { return int(_rng() % unsigned(n)); }
    bool chance(int percent) { return below(100) < percent; }

    ExpTreeNode* leaf()
    {
        static const double constants[] = {0, 1, -1, 2, 3, 0.5, -2.5};
        if (chance(45))
            return _tree.createNode(Token::Type::SYMBOL, below(4)); // x, y, z, pmin
#if SL_COMPLEX
        if (chance(10))
            return _tree.createConstant(Value(0.5, -1.5));
#endif
        return _tree.createConstant(constants[below(7)]);
    }

    ExpTreeNode* op(Token::Type type, ExpTreeNode* l, ExpTreeNode* r) { return operatorNode(_tree, type, l, r); }

    // A chain of "+" and "-" (or "*" and "/") with constants in any place.
    ExpTreeNode* chain(bool additive, int depth)
    {
        if (depth == 0 || chance(25))
            return leaf();
        const Token::Type type = additive ? (chance(50) ? Token::Type::PLUS : Token::Type::MINUS)
                                          : (chance(50) ? Token::Type::MULT : Token::Type::DIV);
        return op(type, chain(additive, depth - 1), chain(additive, depth - 1));
    }

    ExpTreeNode* any(int depth)
    {
        if (depth == 0 || chance(20))
            return leaf();
        const int kind = below(10);
        if (kind < 6)
            return op(Token::Type(int(Token::Type::PLUS) + below(4)), any(depth - 1), any(depth - 1));
        if (kind < 8)
            return op(Token::Type::MINUS, _tree.createConstant(0), any(depth - 1)); // a negation
        if (kind < 9)
            return op(Token::Type::DIV, any(depth - 1), any(depth - 1));
        ExpTreeNode* fn =
            _tree.createNode(Token::Type::FUNCTION, int(chance(50) ? Token::Type::SIN : Token::Type::EXP));
        fn->pLeftNode = any(depth - 1);
        fn->leftCount = fn->pLeftNode->height();
        return fn;
    }

    Point point()
    {
        std::uniform_real_distribution<double> u(0.5, 2.5);
        Point p;
        for (Value& v : p)
        {
#if SL_COMPLEX
            v = Value(u(_rng), u(_rng) - 1.5);
#else
            v = u(_rng);
#endif
        }
        return p;
    }

private:
    const ExpressionTree& _tree;
    std::mt19937 _rng;
};
} // namespace test
