#include <gtest/gtest.h>
#include <StringHeader.h>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>
#include <cnt/Stack.h>
#include <td/String.h>

namespace
{
using test::headerOf;

TEST(StackTest, GrowingKeepsTheStringsAndTheirSharedBlocks)
{
    cnt::Stack<td::String, 16> stack;
    std::vector<td::String> holders;
    for (int i = 0; i < 16; ++i)
    {
        holders.emplace_back(td::String(("element" + std::to_string(i)).c_str()));
        stack.push(holders.back());
    }
    // A block at the sharing limit would be copied if growth copied elements.
    td::String full("full");
    std::vector<td::String> copies(14, full);
    stack.top() = full; // the 15th extra sharer
    ASSERT_EQ(headerOf(full) >> 28, 15u);

    EXPECT_EQ(stack.capacity(), 16u);
    stack.push(td::String("seventeenth"));
    EXPECT_EQ(stack.capacity(), 32u);
    EXPECT_EQ(stack.size(), 17u);

    EXPECT_STREQ(stack.top().c_str(), "seventeenth");
    stack.pop();
    EXPECT_EQ(stack.top().c_str(), full.c_str()); // same block
    EXPECT_EQ(headerOf(full) >> 28, 15u);
    for (int i = 14; i >= 0; --i)
    {
        stack.pop();
        EXPECT_EQ(stack.top().c_str(), holders[size_t(i)].c_str());
        EXPECT_EQ(headerOf(holders[size_t(i)]) >> 28, 1u);
    }
    stack.pop();
    EXPECT_TRUE(stack.isEmpty());
}

// Nesting deeper than a 16-bit index can count must neither wrap nor write
// outside the array.
TEST(StackTest, DeepNestingBeyondSixteenBitsStaysInOrder)
{
    const int depth = 70000;
    cnt::Stack<int, 16> stack;
    for (int i = 0; i < depth; ++i)
        stack.push(i);
    EXPECT_EQ(stack.size(), unsigned(depth));
    EXPECT_GE(stack.capacity(), 70000u);
    EXPECT_EQ(stack.capacity() % 16, 0u);
    for (int i = depth - 1; i >= 0; --i)
    {
        ASSERT_EQ(stack.top(), i);
        stack.pop();
    }
    EXPECT_TRUE(stack.isEmpty());
}

TEST(StackTest, PushingAnElementOfAFullStackCopiesItBeforeGrowing)
{
    cnt::Stack<td::String, 16> stack;
    for (int i = 0; i < 16; ++i)
        stack.push(td::String(("level" + std::to_string(i)).c_str()));
    stack.push(stack.top());
    EXPECT_EQ(stack.size(), 17u);
    EXPECT_STREQ(stack.top().c_str(), "level15");
}

TEST(StackDeathTest, PopOnEmptyStackStops)
{
    cnt::Stack<int, 16> stack;
    stack.push(1);
    stack.pop();
    EXPECT_DEATH(stack.pop(), "Assertion failed: _top >= 0");
}

} // namespace
