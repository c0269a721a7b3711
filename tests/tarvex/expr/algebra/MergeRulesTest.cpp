// Merging with the basic operations: every rule keeps the value (random
// trees shaped for each family of rules, simplification on and off), and the
// simplifications give the small trees they promise.
#include <AlgebraFixture.h>

#include <functional>
#include <limits>

namespace test
{
namespace
{
class MergeRules : public AlgebraTest
{
protected:
    struct Case
    {
        const char* left;
        const char* right;
        Op op;
        const char* expected;
    };

    std::string merged(const Case& c)
    {
        return infix(tree.mergeUsingBasicOperation(parse(c.left), parse(c.right), false, false, c.op));
    }
};

bool close(const Value& a, const Value& b, double scale) { return std::abs(a - b) <= 1e-9 * scale; }

using Operands = std::function<std::pair<ExpTreeNode*, ExpTreeNode*>(RandomTrees&)>;

struct Family
{
    const char* name;
    Operands operands;
};

TEST_F(MergeRules, EveryFamilyOfRulesKeepsTheValue)
{
    const Family families[] = {
        {"quotients",
         [](RandomTrees& r) {
             auto quotient = [&r] { return r.chance(70) ? r.op(Token::Type::DIV, r.any(2), r.any(2)) : r.any(2); };
             return std::make_pair(quotient(), quotient());
         }},
        {"a constant and a chain",
         [](RandomTrees& r) {
             ExpTreeNode* chain = r.chain(r.chance(50), 4);
             ExpTreeNode* constant = r.leaf();
             while (!constant->isNumeric())
                 constant = r.leaf();
             return r.chance(50) ? std::make_pair(constant, chain) : std::make_pair(chain, constant);
         }},
        {"negations",
         [this](RandomTrees& r) {
             auto negation = [&r, this] {
                 return r.chance(70) ? r.op(Token::Type::MINUS, tree.createConstant(0), r.any(2)) : r.any(2);
             };
             return std::make_pair(negation(), negation());
         }},
        {"a subtrahend that may take the sign",
         [this](RandomTrees& r) { return std::make_pair(tree.createConstant(0), r.any(4)); }},
        {"identical operands",
         [this](RandomTrees& r) {
             ExpTreeNode* l = r.any(3);
             return std::make_pair(l, tree.cloneTree(l));
         }},
        {"anything", [](RandomTrees& r) { return std::make_pair(r.any(3), r.any(3)); }},
    };
    for (const bool simplify : {true, false})
    {
        ExpressionTree merger(simplify);
        merger.init(data, nVars);
        for (const Family& family : families)
        {
            RandomTrees random(tree, 20261210);
            for (int trial = 0; trial < 1500; ++trial)
            {
                const auto [l, r] = family.operands(random);
                const Op op = Op(random.below(4));
                const bool cloneLeft = random.chance(50), cloneRight = random.chance(50);
                const std::string before = infix(l) + "  " + opText(op) + "  " + infix(r);
                const Point points[] = {random.point(), random.point(), random.point()};
                Value left[3], right[3];
                for (int k = 0; k < 3; ++k)
                {
                    left[k] = valueAt(l, points[k]);
                    right[k] = valueAt(r, points[k]);
                }
                const std::string leftText = infix(l), rightText = infix(r);
                ExpTreeNode* result = merger.mergeUsingBasicOperation(l, r, cloneLeft, cloneRight, op);
                for (int k = 0; k < 3; ++k)
                {
                    const Value expected = apply(left[k], right[k], op);
                    if (!std::isfinite(std::abs(expected)) || std::abs(expected) > 1e6)
                        continue;
                    const double scale = 1 + std::abs(expected) + std::abs(left[k]) + std::abs(right[k]);
                    ASSERT_TRUE(close(valueAt(result, points[k]), expected, scale))
                        << family.name << (simplify ? "" : ", not simplified") << ": " << before << "\n  gives "
                        << infix(result);
                }
                // An operand that belongs to another tree is never changed.
                ASSERT_TRUE(!cloneLeft || infix(l) == leftText) << family.name << ": " << before;
                ASSERT_TRUE(!cloneRight || infix(r) == rightText) << family.name << ": " << before;
            }
        }
    }
}

TEST_F(MergeRules, SimplifiedShapes)
{
    const Case cases[] = {
        {"2", "3", Op::Add, "5"},
        {"x", "1", Op::Multiply, "x"},
        {"1", "x", Op::Multiply, "x"},
        {"x", "0", Op::Add, "x"},
        {"0", "x", Op::Add, "x"},
        {"x", "0", Op::Subtract, "x"},
        {"x", "1", Op::Divide, "x"},
        {"0", "x", Op::Multiply, "0"},
        {"0", "x", Op::Divide, "0"},
        {"x", "-1", Op::Divide, "0 - x"},
        {"-1", "x", Op::Multiply, "0 - x"},
        {"x", "x", Op::Add, "2 * x"},
        {"x", "x", Op::Subtract, "0"},
        {"x", "x", Op::Multiply, "x ^ 2"},
        {"x ^ 3", "x ^ 3", Op::Multiply, "x ^ 6"},
        {"x", "x", Op::Divide, "1"},
        {"x / y", "z / pmin", Op::Multiply, "(x * z) / (y * pmin)"},
        {"x / y", "z / pmin", Op::Divide, "(x * pmin) / (y * z)"},
        {"6", "x / 3", Op::Multiply, "2 * x"},
        {"3", "x + 4", Op::Add, "7 + x"},
        {"2", "x * 0.5", Op::Multiply, "x"},
        {"x + 4", "4", Op::Subtract, "x"},
        {"x - 4", "1", Op::Subtract, "-5 + x"},
        {"10", "x / 4", Op::Divide, "40 / x"},
        {"0 - x", "0 - y", Op::Multiply, "x * y"},
        {"x", "0 - y", Op::Subtract, "x + y"},
        {"0 - x", "y", Op::Add, "y - x"},
        // A sign goes into a constant factor.
        {"3", "0 - x", Op::Multiply, "-3 * x"},
        {"0 - x", "4", Op::Divide, "x / -4"},
        {"0", "y * (2 * x)", Op::Subtract, "-2 * (y * x)"},
        // Or into a constant or a difference deeper down, so that a derivative
        // of c - u carries no negation of its own.
        {"0", "x - y", Op::Subtract, "y - x"},
        {"0", "(x + 2 * y) * z", Op::Subtract, "((-2 * y) - x) * z"},
        {"0", "z / (x + (y - 1))", Op::Subtract, "z / ((1 - y) - x)"},
        {"0", "x * y", Op::Subtract, "0 - (x * y)"},
        // The constant found is the left operand of "-": the rest keeps its sign.
        {"-3", "(3 - y) + z", Op::Add, "z - y"},
        {"2", "z + (1 - y)", Op::Add, "3 + (z - y)"},
        {"0.5", "(2 / y) * z", Op::Multiply, "z / y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(merged(c), c.expected) << c.left << "  " << opText(c.op) << "  " << c.right;
}

TEST_F(MergeRules, AbsorptionKeepsTheValueWhereverTheConstantSits)
{
    // x = 1.5, y = 0.75, z = -2; the constant 3 on every side of "-" and "/".
    const Point at = {1.5, 0.75, -2, 1, 4};
    const Case cases[] = {
        {"-3", "(3 - y) + z", Op::Add, nullptr},     {"5", "(3 - y) - z", Op::Subtract, nullptr},
        {"-3", "z - (3 - y)", Op::Add, nullptr},     {"5", "x - (y - (3 + z))", Op::Subtract, nullptr},
        {"(3 - y) * z", "2", Op::Subtract, nullptr}, {"1/3", "(3 / y) * z", Op::Multiply, nullptr},
        {"6", "(3 / y) / z", Op::Divide, nullptr},   {"x / (y / (3 * z))", "4", Op::Divide, nullptr},
        {"2", "z * (3 / y)", Op::Divide, nullptr},   {"(y / 3) * z", "-3", Op::Multiply, nullptr},
    };
    for (const Case& c : cases)
    {
        ExpTreeNode *l = parse(c.left), *r = parse(c.right);
        const Value expected = apply(valueAt(l, at), valueAt(r, at), c.op);
        ExpTreeNode* result = tree.mergeUsingBasicOperation(l, r, false, false, c.op);
        EXPECT_PRED2(nearly, valueAt(result, at), expected)
            << c.left << "  " << opText(c.op) << "  " << c.right << " gives " << infix(result);
    }
}

TEST_F(MergeRules, DivisionByAZeroConstantKeepsItsValue)
{
    const Point at = {1.5, 0.75, -2, 1, 4};
    const std::pair<const char*, const char*> cases[] = {
        {"x", "0"}, {"2 * x", "0"}, {"y / 0", "0"}, {"2", "0 * y"}, {"2", "y * (0 / x)"}, {"2", "3 / (y * 0)"},
    };
    for (const auto& [left, right] : cases)
    {
        ExpTreeNode *l = parse(left), *r = parse(right);
        const Value expected = valueAt(l, at) / valueAt(r, at);
        ExpTreeNode* result = tree.mergeUsingBasicOperation(l, r, false, false, Op::Divide);
        EXPECT_PRED2(nearly, valueAt(result, at), expected) << left << " / " << right << " gives " << infix(result);
    }
}

TEST_F(MergeRules, WithoutSimplificationNodesStayButConstantsFold)
{
    ExpressionTree plain(false);
    plain.init(data, nVars);
    EXPECT_EQ(infix(plain.mergeUsingBasicOperation(parse("0"), parse("x"), false, false, Op::Add)), "0 + x");
    EXPECT_EQ(infix(plain.mergeUsingBasicOperation(parse("x"), parse("x"), false, false, Op::Subtract)), "x - x");
    EXPECT_EQ(infix(plain.mergeUsingBasicOperation(parse("2"), parse("3"), false, false, Op::Multiply)), "6");
    EXPECT_EQ(infix(plain.minusOne(parse("x + 1"))), "(x + 1) - 1");
}

TEST_F(MergeRules, ConstantsAreTypedByTheirValue)
{
    using T = Token::Type;
    const std::pair<Value, T> cases[] = {
        {5, T::INTEGER},
        {-3, T::INTEGER},
        {2.5, T::REAL},
        {3e9, T::REAL},
        {std::numeric_limits<double>::quiet_NaN(), T::REAL},
#if SL_COMPLEX
        {Value(0, 2), T::IMAGINARY},
        {Value(1, 2), T::COMPLEX},
#endif
    };
    for (const auto& [value, type] : cases)
        EXPECT_EQ(tree.createConstant(value)->type(), type) << number(value);
    // 2 * e folds into a plain number, never one that reads as e.
    ExpTreeNode* product = tree.mergeUsingBasicOperation(parse("2"), parse("e"), false, false, Op::Multiply);
    EXPECT_EQ(product->type(), T::REAL);
}

TEST_F(MergeRules, SymbolsOfTheParentModelAndRandomDrawsAreNotIdentical)
{
    ExpTreeNode* x = symbol(0);
    EXPECT_TRUE(tree.areNodesIdentical(x, symbol(0)));
    EXPECT_FALSE(tree.areNodesIdentical(x, symbol(0, sc::SymbolOrigin::ParentModel)));
    EXPECT_EQ(
        infix(tree.mergeUsingBasicOperation(x, symbol(0, sc::SymbolOrigin::ParentModel), false, false, Op::Subtract)),
        "x - @x");
    // Two draws of one generator differ; two reads of one statistic agree.
    EXPECT_FALSE(tree.areNodesIdentical(parse("rnd(g)"), parse("rnd(g)")));
    EXPECT_EQ(merged({"rnd(g)", "rnd(g)", Op::Subtract, nullptr}), "rnd() - rnd()");
    EXPECT_EQ(merged({"smin(s1)", "smin(s1)", Op::Subtract, nullptr}), "0");
    EXPECT_FALSE(tree.areNodesIdentical(parse("smin(s1)"), parse("smin(s2)")));
    EXPECT_FALSE(tree.areNodesIdentical(tree.createConstant(std::numeric_limits<double>::quiet_NaN()),
                                        tree.createConstant(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(tree.areNodesIdentical(parse("sin(x + 2*y)"), parse("sin(x + 2*y)")));
    EXPECT_FALSE(tree.areNodesIdentical(parse("sin(x + 2*y)"), parse("cos(x + 2*y)")));
}
} // namespace
} // namespace test
