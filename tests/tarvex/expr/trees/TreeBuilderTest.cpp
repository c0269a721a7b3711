// The tree builder and the postfix writer: precedence, program order,
// arguments, and every refusal with its key.
#include <TreeFixture.h>

#include <cmath>
#include <numbers>
#include <sstream>

namespace test
{
namespace
{
class TreeBuilder : public TreeTest
{
};

TEST_F(TreeBuilder, ProgramOrderWritesTheDeeperSideFirst)
{
    const std::pair<const char*, const char*> cases[] = {
        {"x - y*z", "y z * x -'"},
        {"x*y - z", "x y * z -"},
        {"x < y*z", "x y z * <"}, // a comparison keeps its operand order
        {"x / (y + z)", "y z + x /'"},
        {"2 ^ (x + 1)", "x 1 + 2 ^'"},
        {"(+x) * 2", "x 2 *"},
        {"round(x, 2)", "x 2 round"},
        {"min(x, max(y, z))", "x y z max min"},
        {"not x + 1", "x not 1 +"},
        {"smin(s2) + rnd(g)", "1 smin 0 rnd +"},
    };
    for (const auto& [text, expected] : cases)
    {
        Evaluator* e = program(text);
        ASSERT_NE(e, nullptr) << text << errors();
        EXPECT_EQ(render(e), expected) << text;
    }
}

TEST_F(TreeBuilder, ValuesFollowPrecedence)
{
    // x = 3, y = -2, z = 0.5, pmin = 1, pmax = 4
    const std::pair<const char*, double> cases[] = {
        {"x + 2*y^2", 11},
        {"x - y - z", 4.5}, // left to right
        {"2^3^2", 64},      // (2^3)^2
        {"-x^2", -9},
        {"(x + 1) * (x - 1)", 8},
        {"x / y / z", -3},
        {"not x", 0},
        {"not (x > 5)", 1},
        {"not sin(0) + 1", 2},   // not binds to the function call
        {"not smin(s1) + 3", 3}, // an empty statistic's minimum is the largest double
        {"x > 1 and y < 2 or not z", 1},
        {"x == 3 != (y == 0)", 1},
        {"min(x, max(y, z))", 0.5},
        {"round(x / 7, 3)", 0.429},
        {"x = y", -2},
        {"pmax - pmin * x", 1},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_PRED2(nearly, evaluate(text), Value(expected)) << text;
}

#if !SL_COMPLEX
TEST_F(TreeBuilder, RealOnlyForms)
{
    EXPECT_EQ(render(program("atg2(x, y)")), "x y atan2");
    EXPECT_PRED2(nearly, evaluate("atg2(1, 0)"), Value(0));
    EXPECT_PRED2(nearly, evaluate("atg2(0, 1)"), Value(std::numbers::pi / 2)); // atan2(1, 0)
    EXPECT_PRED2(nearly, evaluate("disc(x + 0.4, 1, 2)"), Value(3));
}
#else
TEST_F(TreeBuilder, ComplexAtg2TakesOneValue)
{
    EXPECT_PRED2(nearly, evaluate("atg2(2i)"), Value(std::numbers::pi / 2, 0));
}
#endif

TEST_F(TreeBuilder, CountsAgreeWithTheWriter)
{
    for (const char* text : {"x - y*z", "smin(s1) + sin(x)^2", "round(x, pmin) * rnd(g)", "lim(x + 1, pmin, 3)",
                             "min(x + 1, max(y, pmax)) / 2"})
    {
        ExpressionTree tree;
        ASSERT_TRUE(build(tree, text)) << text << errors();
        const auto built = std::make_tuple(tree._noOfTokens, tree._noOfConsts, tree._noOfVars, tree._noOfParams);
        tree.calcNoOfTokensAndData();
        EXPECT_EQ(std::make_tuple(tree._noOfTokens, tree._noOfConsts, tree._noOfVars, tree._noOfParams), built) << text;
        Evaluator* e = solver._pools->evaluators.getEntry();
        ASSERT_TRUE(tree.createPostFix(e)) << text << errors();
        EXPECT_EQ(plainInstructions(e).size(), tree._noOfTokens) << text;
    }
}

struct Refusal
{
    const char* text;
    const char* key;
    const char* argument; // the text the entry names, if any
    unsigned column;      // of the token at fault: where the build stopped, or the function missing an argument
};

TEST_F(TreeBuilder, RefusalsCarryTheirKeysAndPosition)
{
    const Refusal cases[] = {
        {"x + * y", "@ET.OperAfterOper", "*", 5},
        {"x * + y", "@ET.OperAfterOper", "+", 5},
        {"not not x", "@ET.OperAfterUnOp", "not", 5},
        {"x y", "@ET.LabelAfterOperand", "y", 3},
        {"x 2", "@ET.ConstAfterOperand", nullptr, 3},
        {"x (y)", "@ET.(_AfterOperand", nullptr, 3},
        {"x sin(y)", "@ET.FnAfterOperand", nullptr, 3},
        {"(x + )", "@ET.)_AfterOper", nullptr, 6},
        {"sin()", "@ET.)_AfterOper", nullptr, 5},
        {"x +", "@ET.OperatorWoOprnd", nullptr, 3},
        {"not", "@ET.OperatorWoOprnd", nullptr, 1},
        {"x, y", "@ET.,OutsideFn", nullptr, 2},
        {"sin(x, y)", "@ET.FnParam#Commas", "sin", 6},
        {"round(x, y)", "@ET.MFnNoVar2", "round", 10},
        {"round(x)", "@ET.FnParamMising", "round", 1},
        {"min(x)", "@ET.FnParamMising", "min", 1},
        {"max(x, y, z)", "@ET.,OutsideFn", nullptr, 9},
        {"round(x, (y))", "@ET.MFnExpOprnd", "round", 10},
        {"round(x, 2, 3)", "@ET.Expected_)", nullptr, 11},
        {"smin(x)", "@ET.FnNotPrpFmt", "smin", 6},
        {"rnd(s1)", "@ET.FnNotPrpFmt", "rnd", 5},
        {"smin(s1 + 1)", "@ET.FnNeeds_)", "smin", 9},
        {"lim(x + 1, x, 2)", "@ET.MFnNoVar2", "lim", 12},
        {"lim(x + 1, 1, y)", "@ET.MFnNoVar3", "lim", 15},
        {"lim(x)", "@ET.FnParamMising", "lim", 1},
        {"lim(x, 1)", "@ET.Exp,InMFn", "lim", 9},
        {"diff(x, 1)", "@ET.UnexpTokenID", "diff", 1},
        {"min(x, (y, z))", "@ET.FnParamMising", nullptr, 10},
        // the complex lexer holds a literal until it knows whether a pair
        // folds into one constant: the constant keeps its first literal's column
        {"x 3 * 2", "@ET.ConstAfterOperand", nullptr, 3},
#if SL_COMPLEX
        {"x 4i - 3", "@ET.ConstAfterOperand", nullptr, 3},
        {"x + 3 4i", "@ET.ConstAfterOperand", nullptr, 7},
        {"atg2(x, y)", "@ET.FnParam#Commas", "atan2", 7},
#else
        {"atg2(x)", "@ET.FnParamMising", "atan2", 1},
        {"atg2(x, y, z)", "@ET.,OutsideFn", nullptr, 10},
#endif
    };
    for (const Refusal& c : cases)
    {
        log.clean();
        ExpressionTree tree;
        EXPECT_FALSE(build(tree, c.text)) << c.text;
        ASSERT_FALSE(log.entries.empty()) << c.text;
        const std::string& text = log.entries[0].text;
        const std::string key = c.key + 1; // as the translation prints it
        EXPECT_EQ(text.substr(0, key.size()), key) << c.text << errors();
        if (c.argument)
        {
            EXPECT_NE(text.find(std::string("[") + c.argument + "]"), std::string::npos) << c.text << errors();
        }
        EXPECT_EQ(log.entries[0].line, 7u) << c.text;
        EXPECT_EQ(log.entries[0].column, c.column) << c.text;
    }
}

TEST_F(TreeBuilder, UncheckedBracketsAndEmptyLists)
{
    ExpressionTree tree;
    EXPECT_FALSE(build(tree, "(x", false));
    EXPECT_FALSE(build(tree, "sin(x", false));
    EXPECT_FALSE(build(tree, "x)", false));
    EXPECT_FALSE(build(tree, ")", false));
    ASSERT_EQ(log.entries.size(), 4u) << errors();
    EXPECT_EQ(log.entries[0].text.substr(0, 16), "ET.FnParamOr()MM");
    EXPECT_EQ(log.entries[1].text.substr(0, 16), "ET.FnParamOr()MM");
    EXPECT_EQ(log.entries[2].text.substr(0, 12), "ET.FnNeeds_)");
    EXPECT_EQ(log.entries[3].text.substr(0, 14), "ET.)_AfterOper");

    log.clean();
    parser.clearTokenList();
    tree.init(data, nVars);
    EXPECT_FALSE(tree.makeExpressionTree(&parser.getTokenList(), sc::ExpressionType::Plain));
    EXPECT_EQ(log.entries.at(0).text.substr(0, 18), "ET.EmptyExpression");
}

TEST_F(TreeBuilder, LimitsCompileTheirOwnProgram)
{
    ExpressionTree tree;
    ASSERT_TRUE(build(tree, "2 * lim(x + 1, pmin, pmax)")) << errors();
    const ExpTreeNode* pLim = tree.getRoot()->pRightNode;
    ASSERT_TRUE(pLim->isFunction(Token::Type::LIMIT));
    EXPECT_TRUE(pLim->isLeaf());
    EXPECT_EQ(LimitArg::unpack(std::real(pLim->pToken->value)).limitID, 1u);
    Evaluator* e = solver._pools->evaluators.getEntry();
    ASSERT_TRUE(tree.createPostFix(e));

    CU cu(&solver);
    FnLimit& limit = solver._fnLimits[1];
    const std::pair<double, double> steps[] = {{3, 8}, {-2, 2}, {0.5, 3}}; // x + 1 clamped to [1, 4]
    for (const auto& [x, expected] : steps)
    {
        solver._x[0] = x;
        limit.evaluate(cu);
        EXPECT_EQ(e->evaluate(cu), Value(expected)) << x;
    }
    solver._pParams[1] = 10; // the bound is read again
    solver._x[0] = 3;
    limit.evaluate(cu);
    EXPECT_EQ(e->evaluate(cu), Value(8));
}

// A function's second argument and a limited expression are built by inner
// builders: their nesting is bounded, the bound refused with its key.
TEST_F(TreeBuilder, NestedInnerExpressionsAreBounded)
{
    const int bound = ExpressionTree::maxNesting;
    auto nested = [](const std::string& open, const std::string& close, int n) {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += open;
        text += "x";
        for (int i = 0; i < n; ++i)
            text += close;
        return text;
    };
    const std::pair<std::string, std::string> forms[] = {{"max(y, ", ")"}, {"lim(", ", pmin, pmax)"}};
    for (const auto& [open, close] : forms)
    {
        ExpressionTree tree;
        EXPECT_TRUE(build(tree, nested(open, close, bound))) << open << errors();
        log.clean();
        EXPECT_FALSE(build(tree, nested(open, close, bound + 1))) << open;
        ASSERT_FALSE(log.entries.empty()) << open;
        EXPECT_EQ(log.entries[0].text.substr(0, 19), "ET.FnNestedTooDeep ") << open << errors();
    }
}

// Random token sequences: whatever the builder gets, it refuses or builds a
// program the machine can run.
TEST_F(TreeBuilder, RandomTextNeverStopsTheProcess)
{
    const char* words[] = {"x",    "y",    "pmin", "1",   "2.5", "+",    "-",   "*",   "/",   "^",     "(",
                           ")",    ",",    "not",  "and", "<",   "==",   "sin", "min", "max", "round", "lim",
                           "atg2", "smin", "s1",   "rnd", "g",   "disc", "abs", "e",   "pi"};
    std::uint64_t state = 12345;
    auto nextRandom = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return unsigned(state >> 33);
    };
    int built = 0;
    CU cu(&solver);
    for (int n = 0; n < 20000; ++n)
    {
        std::string text;
        const unsigned length = 1 + nextRandom() % 12;
        for (unsigned i = 0; i < length; ++i)
            text += std::string(words[nextRandom() % std::size(words)]) + " ";
        Evaluator* e = program(text);
        if (e)
        {
            ++built;
            for (unsigned i = 1; i <= solver._fnLimits.size(); ++i)
                solver._fnLimits[i].evaluate(cu);
            e->evaluate(cu);
        }
    }
    EXPECT_GT(built, 100);
}
} // namespace
} // namespace test
