#pragma once
// One node of an expression tree: a pooled token, up to two children and two
// counts. While a tree is built the counts are the heights of the two sides
// (the postfix writer evaluates the deeper side first); differentiation
// reuses them as dependency flags.
#include <expr/Token.h>

#include <cstdint>

namespace SL_NS
{
struct ExpTreeNode
{
    Token* pToken = nullptr;
    ExpTreeNode* pLeftNode = nullptr;  // first operand, the operand of not, a function's (first) argument
    ExpTreeNode* pRightNode = nullptr; // second operand or argument; its own right child is a third argument
    std::int32_t leftCount = 0;
    std::int32_t rightCount = 0;

    Token::Type type() const { return pToken->type; }
    bool isLeaf() const { return pLeftNode == nullptr; }
    bool isNumeric() const { return pToken->isNumeric(); }
    bool isOperator(Token::Type op) const { return pToken->type == op; }
    bool isFunction(Token::Type fn) const { return pToken->isFunctionOf(fn); }
    // The height of the subtree from this node on.
    std::int32_t height() const { return 1 + (leftCount > rightCount ? leftCount : rightCount); }
};
// An open function or bracket of the tree builder.
struct _fnEntry
{
    ExpTreeNode* pNode = nullptr; // null for a plain bracket
    std::uint8_t argClass = 0;    // 0 one argument, 1 two, 2 three
    std::uint8_t exprArg = 0;     // the second argument is a whole expression
    std::uint8_t nArgs = 1;       // arguments begun so far
};

} // namespace SL_NS
