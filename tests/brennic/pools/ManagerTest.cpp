#include <gtest/gtest.h>
#include <cstdint>
#include <set>
#include <vector>
#include <mem/priv/Manager.h>

namespace
{
// Shaped like a compiled token: 16 bytes, with a constructor that a fresh
// chunk runs once per slot.
struct Token
{
    double value = 0;
    int32_t index = 0;
    uint8_t type = 93;
    uint8_t origin = 0;
};
static_assert(sizeof(Token) == 16);

struct Bytes176
{
    char b[176];
};
struct Bytes1024
{
    char b[1024];
};

// Slots per chunk are floor(budget / slot size), at least one.
static_assert(mem::Manager<Token, 65536>::slotsPerChunk == 4096);
static_assert(mem::Manager<Bytes176, 4096>::slotsPerChunk == 23);
static_assert(mem::Manager<Bytes1024, 65536>::slotsPerChunk == 64);
static_assert(mem::Manager<Bytes1024, 1000>::slotsPerChunk == 1);

TEST(ManagerTest, FirstChunkServesDistinctConstructedSlotsThenASecondChunk)
{
    mem::Manager<Token, 65536> pool;
    std::vector<Token*> slots;
    for (int i = 0; i < 4096; ++i)
        slots.push_back(pool.allocate());
    EXPECT_EQ(pool.getNoOfChunks(), 1u);
    for (int i = 1; i < 4096; ++i)
        ASSERT_EQ(slots[i], slots[i - 1] + 1); // front to back, all distinct
    // Beyond the link in its first 8 bytes, a fresh slot holds the constructed token.
    EXPECT_EQ(slots[4095]->index, 0);
    EXPECT_EQ(slots[4095]->type, 93);

    Token* pNext = pool.allocate();
    EXPECT_EQ(pool.getNoOfChunks(), 2u);
    EXPECT_EQ(std::set<Token*>(slots.begin(), slots.end()).count(pNext), 0u);
}

TEST(ManagerTest, GivenBackSlotIsReusedWithWhatItsLastUserLeft)
{
    mem::Manager<Token, 65536> pool;
    Token* pA = pool.allocate();
    Token* pB = pool.allocate();
    pB->index = 42;
    pool.deallocate(pB);
    Token* pAgain = pool.allocate();
    EXPECT_EQ(pAgain, pB);
    EXPECT_EQ(pAgain->index, 42);
    EXPECT_EQ(pool.allocate(), pB + 1);
    EXPECT_NE(pA, pB);
}

TEST(ManagerTest, ResetReusesEveryChunkBeforeAllocatingANewOne)
{
    mem::Manager<Token, 1024> pool; // 64 slots a chunk
    std::set<Token*> first;
    for (int i = 0; i < 3 * 64; ++i)
        first.insert(pool.allocate());
    ASSERT_EQ(pool.getNoOfChunks(), 3u);

    pool.reset();
    std::set<Token*> second;
    for (int i = 0; i < 3 * 64; ++i)
        second.insert(pool.allocate());
    EXPECT_EQ(pool.getNoOfChunks(), 3u);
    EXPECT_EQ(second, first);

    pool.allocate();
    EXPECT_EQ(pool.getNoOfChunks(), 4u);
}

} // namespace
