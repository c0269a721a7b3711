#pragma once
// One node of an expression tree: a pooled token, up to two children and two
// counts. While a tree is built, and again when its program is written, the
// counts are the heights of the two sides (the postfix writer evaluates the
// deeper side first); differentiation reuses them as dependency flags.
//
// Trees are DAGs: a derivative refers to the subtrees of its expression
// instead of copying them. A node marked shared may be reached from several
// places and is never changed in place; a rewrite copies it (and marks the
// operands the copy now shares).
#include <expr/Token.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace SL_NS
{
struct ExpTreeNode
{
    Token* pToken = nullptr;
    ExpTreeNode* pLeftNode = nullptr;  // first operand, the operand of not, a function's (first) argument
    ExpTreeNode* pRightNode = nullptr; // second operand or argument; its own right child is a third argument
    std::int32_t leftCount = 0;
    std::int32_t rightCount = 0;
    // A pass over many trees numbers the nodes it met (0: not met); it clears
    // the numbers when it ends.
    std::uint32_t mark = 0;
    std::uint8_t shared = 0;
    // While a run of derivatives is made: a digest of the variables below
    // (one bit per class of variable), so that a side whose digest lacks the
    // variable's bit is known not to depend on it without a walk.
    std::uint16_t varDigest = 0;

    Token::Type type() const { return pToken->type; }
    bool isLeaf() const { return pLeftNode == nullptr; }
    bool isNumeric() const { return pToken->isNumeric(); }
    bool isOperator(Token::Type op) const { return pToken->type == op; }
    bool isFunction(Token::Type fn) const { return pToken->isFunctionOf(fn); }
    // The height of the subtree from this node on.
    std::int32_t height() const { return 1 + (leftCount > rightCount ? leftCount : rightCount); }
};
// The digest sits in what was padding: a model holds millions of nodes.
static_assert(sizeof(void*) != 8 || sizeof(ExpTreeNode) == 40, "ExpTreeNode grew");

// The explicit stack of a walk over a tree: a tree may be far deeper than the
// call stack allows. Small walks stay in the object, whose room is left
// uninitialised: a walk begins with every tree compiled, and most are short.
template <typename T>
class WalkStack
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "entries live in raw storage");

public:
    WalkStack() = default;
    WalkStack(const WalkStack&) = delete;
    WalkStack& operator=(const WalkStack&) = delete;

    bool empty() const { return _size == 0; }
    std::size_t size() const { return _size; }
    // Walks push and pop once per node: these stay in the walk's loop.
    [[gnu::always_inline]] void push(const T& v)
    {
        if (_size == _capacity) [[unlikely]]
            grow();
        _pData[_size++] = v;
    }
    [[gnu::always_inline]] T& top() { return _pData[_size - 1]; }
    [[gnu::always_inline]] T pop() { return _pData[--_size]; }

private:
    [[gnu::noinline]] void grow()
    {
        std::vector<T> larger(2 * _capacity);
        std::copy(_pData, _pData + _size, larger.begin());
        _heap.swap(larger);
        _pData = _heap.data();
        _capacity = _heap.size();
    }

    static constexpr std::size_t inlineSize = 64;
    alignas(T) std::byte _inline[inlineSize * sizeof(T)];
    std::vector<T> _heap;
    T* _pData = reinterpret_cast<T*>(_inline);
    std::size_t _size = 0;
    std::size_t _capacity = inlineSize;
};

// Every node under pRoot, parents first (a shared node once per way to it).
template <typename Node, typename F>
void forEachNode(Node* pRoot, F&& visit)
{
    if (!pRoot)
        return;
    WalkStack<Node*> stack;
    stack.push(pRoot);
    while (!stack.empty())
    {
        Node* p = stack.pop();
        visit(p);
        if (p->pRightNode)
            stack.push(p->pRightNode);
        if (p->pLeftNode)
            stack.push(p->pLeftNode);
    }
}

// An open function or bracket of the tree builder.
struct _fnEntry
{
    ExpTreeNode* pNode = nullptr;                // null for a plain bracket
    std::uint8_t argClass = 0;                   // 0 one argument, 1 two, 2 three
    std::uint8_t exprArg = 0;                    // the second argument is a whole expression
    std::uint8_t nArgs = 1;                      // arguments begun so far
    const TokenList::_tEntry* pSource = nullptr; // the function's token, for messages
};

} // namespace SL_NS
