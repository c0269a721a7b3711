#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <mem/StringMemoryManager.h>
#include <td/String.h>

namespace
{
using Pool = mem::StringMemoryManager<td::StringExt, 65536>;

struct FitCase
{
    unsigned first;        // asked of a fresh pool
    unsigned second;       // asked next
    bool secondFromFirst;  // the second piece is the rest of the first block
};

// The rest of a cut block is a free piece only when at least 32 bytes remain;
// a request over the block size gets a block of its own size.
TEST(StringMemoryManagerTest, FirstFitCutsOrHandsOutWholePieces)
{
    const FitCase cases[] = {
        {24, 65512, true},     // 24 bytes leave one piece of 65512
        {65500, 36, true},     // 36 bytes remain: cut
        {65510, 16, false},    // 26 bytes would remain: the whole block goes
        {70000, 16, false},    // a block of exactly 70000 bytes, handed out whole
        {65536, 16, false},
    };
    for (const FitCase& c : cases)
    {
        SCOPED_TRACE(c.first);
        Pool pool;
        char* pFirst = pool.findFirstSuitableChunk(c.first);
        std::memset(pFirst, 0xAB, c.first);
        EXPECT_EQ(pool.getNoOfBlocks(), 1u);
        char* pSecond = pool.findFirstSuitableChunk(c.second);
        std::memset(pSecond, 0xCD, c.second);
        if (c.secondFromFirst)
        {
            EXPECT_EQ(pSecond, pFirst + c.first);
            EXPECT_EQ(pool.getNoOfBlocks(), 1u);
        }
        else
            EXPECT_EQ(pool.getNoOfBlocks(), 2u);
    }
}

TEST(StringMemoryManagerTest, RestOfALaterBlockGoesBehindTheOlderFreePieces)
{
    Pool pool;
    char* pA = pool.findFirstSuitableChunk(65500); // leaves piece A of 36 bytes
    char* pB = pool.findFirstSuitableChunk(100);   // A too small: new block, rest 65436 at the end
    EXPECT_EQ(pool.getNoOfBlocks(), 2u);
    // A is skipped; the second free piece is cut and its rest stays listed.
    EXPECT_EQ(pool.findFirstSuitableChunk(40), pB + 100);
    // A still heads the list; 4 bytes would remain, so it goes whole.
    EXPECT_EQ(pool.findFirstSuitableChunk(32), pA + 65500);
    EXPECT_EQ(pool.findFirstSuitableChunk(60000), pB + 140);
    EXPECT_EQ(pool.getNoOfBlocks(), 2u);
}

// Layout of a pooled string: the string object (a pointer to the 8th byte of
// the piece), then [u32 length, no sharers][bytes][NUL], the piece rounded
// up to a multiple of 8.
TEST(StringMemoryManagerTest, AllocWritesObjectAndBlockIntoOnePiece)
{
    Pool pool;
    td::String abc("abc");
    td::StringExt* pAbc = pool.alloc(abc);
    ASSERT_NE(pAbc, nullptr);
    char* pPiece = reinterpret_cast<char*>(pAbc);
    char* pBlock;
    std::memcpy(&pBlock, pPiece, sizeof(pBlock));
    EXPECT_EQ(pBlock, pPiece + 8);
    uint32_t header;
    std::memcpy(&header, pBlock, 4);
    EXPECT_EQ(header, 3u);
    EXPECT_STREQ(pAbc->c_str(), "abc");
    EXPECT_EQ(pAbc->length(), 3u);
    EXPECT_EQ(pAbc->c_str(), pBlock + 4);

    // "abc": 8 + (4 + 3 + 1) = 16 bytes; "abcd": 8 + round8(4 + 4 + 1) = 24.
    td::StringExt* pAbcd = pool.alloc("abcd", 4);
    EXPECT_EQ(reinterpret_cast<char*>(pAbcd), pPiece + 16);
    td::StringExt* pNext = pool.alloc("x", 1);
    EXPECT_EQ(reinterpret_cast<char*>(pNext), pPiece + 40);
    EXPECT_STREQ(pAbcd->c_str(), "abcd");

    EXPECT_EQ(pool.alloc(td::String()), nullptr);
}

// A string held by value takes only its block from the pool: "abc" needs
// 4 + 3 + 1 = 8 bytes, "abcd" 4 + 4 + 1 rounded up to 16.
TEST(StringMemoryManagerTest, StringHeldByValueTakesOnlyItsBlock)
{
    Pool pool;
    td::StringExt abc = pool.makeString("abc", 3);
    td::StringExt abcd = pool.makeString("abcd", 4);
    td::StringExt x = pool.makeString("x", 1);
    EXPECT_EQ(abcd.c_str(), abc.c_str() + 8);
    EXPECT_EQ(x.c_str(), abcd.c_str() + 16);
    EXPECT_STREQ(abc.c_str(), "abc");
    EXPECT_EQ(abcd.length(), 4u);
    EXPECT_TRUE(pool.makeString("", 0).isEmpty());
    EXPECT_EQ(pool.makeString("y", 1).c_str(), x.c_str() + 8);
}

TEST(StringMemoryManagerTest, StringsStayValidAcrossBlocksUntilThePoolGoes)
{
    Pool pool;
    std::vector<std::pair<td::StringExt*, std::string>> held;
    for (int i = 0; i < 5000; ++i)
    {
        std::string text = "name_" + std::to_string(i) + std::string(size_t(i % 37), 'z');
        held.emplace_back(pool.alloc(text.c_str(), unsigned(text.size())), text);
    }
    std::string big(100000, 'q'); // larger than a block: a block of its own
    held.emplace_back(pool.alloc(big.c_str(), unsigned(big.size())), big);
    EXPECT_GT(pool.getNoOfBlocks(), 2u);
    for (const auto& [pStr, text] : held)
        ASSERT_EQ(std::string(pStr->c_str(), pStr->length()), text);
}

} // namespace
