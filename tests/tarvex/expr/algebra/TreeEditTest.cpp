// Powers, x - 1, parents and taking nodes out of a tree.
#include <AlgebraFixture.h>

namespace test
{
namespace
{
class TreeEdits : public AlgebraTest
{
};

TEST_F(TreeEdits, PowersAndMinusOne)
{
    EXPECT_EQ(infix(tree.createPower(parse("x + 1"), 2, true)), "(x + 1) ^ 2");
    EXPECT_EQ(infix(tree.createPower(parse("x ^ 3"), 2, true)), "x ^ 6");
    EXPECT_EQ(infix(tree.createPower(parse("x ^ y"), -1, true)), "x ^ (0 - y)");
    EXPECT_EQ(infix(tree.createPowerReal(parse("x"), -0.5, true)), "x ^ -0.5");
    EXPECT_EQ(tree.createPowerReal(parse("x"), 2, true)->pRightNode->type(), Token::Type::REAL);

    const std::pair<const char*, const char*> minusOne[] = {
        {"3", "2"},
        {"x + 1", "x"},
        {"x", "x - 1"},
        {"x - 1", "-2 + x"},
        {"2 - x", "1 - x"},
        {"y - (1 - x)", "-2 + (y + x)"},
        {"sin(x) + 0.5", "-0.5 + sin(x)"},
    };
    for (const auto& [text, expected] : minusOne)
    {
        ExpTreeNode* pSource = parse(text);
        const std::string before = infix(pSource);
        EXPECT_EQ(infix(tree.minusOne(pSource)), expected) << text;
        EXPECT_EQ(infix(pSource), before) << "minusOne works on a copy of " << text;
    }
}

TEST_F(TreeEdits, ParentsAreFoundLeftFirst)
{
    ExpTreeNode* pRoot = parse("(x + y) * sin(z)");
    ExpTreeNode* pSum = pRoot->pLeftNode;
    ExpTreeNode* pSin = pRoot->pRightNode;
    EXPECT_EQ(tree.getParentNode(pSum->pRightNode, pRoot), pSum);
    EXPECT_EQ(tree.getParentNode(pSin->pLeftNode, pRoot), pSin);
    EXPECT_EQ(tree.getParentNode(pSin, pRoot), pRoot);
    EXPECT_EQ(tree.getParentNode(pRoot, pRoot), nullptr);
    EXPECT_EQ(tree.getParentNode(parse("x"), pRoot), nullptr);
}

TEST_F(TreeEdits, RemovingAConstantOperand)
{
    struct Case
    {
        const char* text;
        const char* expected; // after removing the constant 0 (or 1)
    };
    const Case cases[] = {
        {"x + 0", "x"},           {"0 + x", "x"},
        {"y * (x - 0)", "y * x"}, {"0 - x", "0 - x"}, // any other operator keeps the node
        {"x / 1", "x"},
    };
    for (const Case& c : cases)
    {
        ExpTreeNode* pRoot = parse(c.text);
        ExpTreeNode* pTarget = nullptr;
        for (ExpTreeNode* p : {pRoot->pLeftNode, pRoot->pRightNode, pRoot->pRightNode->pRightNode})
            if (p && p->isNumeric())
                pTarget = p;
        ASSERT_NE(pTarget, nullptr) << c.text;
        EXPECT_TRUE(tree.removeNode(pRoot, pTarget)) << c.text;
        EXPECT_EQ(infix(pRoot), c.expected) << c.text;
        EXPECT_FALSE(tree.removeNode(pRoot, parse("1"))) << c.text;
    }
}

// Taking an operator out keeps its operand and reads the other one as the
// neutral element: keep - for a right operand of "-" is 0 - keep, of "/" is
// 1 / keep.
TEST_F(TreeEdits, RemovingAnOperatorKeepsOneOperand)
{
    struct Case
    {
        const char* text;
        const char* expected;
    };
    // The operator taken out is the left operand of the root's left operand.
    const Case cases[] = {
        {"(x / 2 + 1) / (x + 1)", "(0.5 + 1) / (x + 1)"},
        {"(x / y + 1) * z", "((1 / y) + 1) * z"},
        {"(x - y + 1) * z", "((0 - y) + 1) * z"},
        {"(x - 2 + 1) * z", "(-2 + 1) * z"},
        {"(x * 2 + 1) * z", "(2 + 1) * z"},
        {"(x + y + 1) * z", "(y + 1) * z"},
    };
    for (const Case& c : cases)
    {
        ExpTreeNode* pRoot = parse(c.text);
        ExpTreeNode* pOp = pRoot->pLeftNode->pLeftNode;
        tree.removeNode(pRoot, pOp, pOp->pRightNode);
        EXPECT_EQ(infix(pRoot), c.expected) << c.text;
    }
    // At the root, and with the kept operand on the left.
    const std::pair<const char*, const char*> roots[] = {
        {"x / 2", "0.5"}, {"x / y", "1 / y"}, {"x - y", "0 - y"}, {"x * y", "y"}};
    for (const auto& [text, expected] : roots)
    {
        ExpTreeNode* pRoot = parse(text);
        EXPECT_EQ(infix(tree.removeNode(pRoot, pRoot, pRoot->pRightNode)), expected) << text;
        EXPECT_EQ(infix(pRoot), expected) << text;
        pRoot = parse(text);
        tree.removeNode(pRoot, pRoot, pRoot->pLeftNode);
        EXPECT_EQ(infix(pRoot), "x") << text;
    }
}
} // namespace
} // namespace test
