#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <list>
#include <random>
#include <string>
#include <vector>
#include <mem/StringMemoryManager.h>
#include <td/String.h>

namespace
{
using Pool = mem::StringMemoryManager<td::StringExt, 65536>;

struct FitCase
{
    unsigned first;       // asked of a fresh pool
    unsigned second;      // asked next
    bool secondFromFirst; // the second piece is the rest of the first block
};

// The rest of a cut block is a free piece only when at least 32 bytes remain;
// a request over the block size gets a block of its own size.
TEST(StringMemoryManagerTest, FirstFitCutsOrHandsOutWholePieces)
{
    const FitCase cases[] = {
        {24, 65512, true},  // 24 bytes leave one piece of 65512
        {65500, 36, true},  // 36 bytes remain: cut
        {65510, 16, false}, // 26 bytes would remain: the whole block goes
        {70000, 16, false}, // a block of exactly 70000 bytes, handed out whole
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

// Free pieces stay in block order when the last of the older pieces goes
// whole and a later block's rest joins the list behind the rest of them.
TEST(StringMemoryManagerTest, OlderFreePiecesSurviveWhenTheLastOneIsTaken)
{
    Pool pool;
    char* pBlock0 = pool.findFirstSuitableChunk(65500);           // rest 36
    char* pBlock1 = pool.findFirstSuitableChunk(100);             // new block; free: 36, 65436
    EXPECT_EQ(pool.findFirstSuitableChunk(65336), pBlock1 + 100); // free: 36, 100
    char* pBlock2 = pool.findFirstSuitableChunk(200);             // new block; free: 36, 100, 65336
    EXPECT_EQ(pool.findFirstSuitableChunk(80), pBlock1 + 65436);  // the 100 goes whole
    EXPECT_EQ(pool.findFirstSuitableChunk(65300), pBlock2 + 200); // free: 36, 36
    pool.findFirstSuitableChunk(40);                              // new block; free: 36, 36, 65496
    EXPECT_EQ(pool.getNoOfBlocks(), 4u);
    EXPECT_EQ(pool.findFirstSuitableChunk(32), pBlock0 + 65500);
    EXPECT_EQ(pool.findFirstSuitableChunk(32), pBlock2 + 65500);
}

// The plain first fit, written out over (block, offset) pairs: one free list
// in block order, walked from its head for every request.
class FirstFitModel
{
public:
    struct Place
    {
        size_t block;
        uint32_t offset;
    };

    Place take(uint32_t n)
    {
        if (_free.empty())
            _free.push_back({newBlock(n), 0, blockBytes(n)});
        for (auto it = _free.begin(); it != _free.end(); ++it)
        {
            if (it->size < n)
                continue;
            Place place {it->block, it->offset};
            if (it->size - n < 32)
                _free.erase(it);
            else
            {
                it->offset += n;
                it->size -= n;
            }
            return place;
        }
        size_t block = newBlock(n);
        if (blockBytes(n) - n >= 32)
            _free.push_back({block, n, blockBytes(n) - n});
        return {block, 0};
    }

    size_t blocks() const { return _blocks; }

private:
    struct Piece
    {
        size_t block;
        uint32_t offset;
        uint32_t size;
    };

    static uint32_t blockBytes(uint32_t n) { return n > 65536 ? n : 65536; }
    size_t newBlock(uint32_t) { return _blocks++; }

    std::list<Piece> _free;
    size_t _blocks = 0;
};

// Mixed request sizes leave pieces behind in many blocks; every piece handed
// out must be the one the plain first fit picks.
TEST(StringMemoryManagerTest, HandsOutWhatThePlainFirstFitPicks)
{
    Pool pool;
    FirstFitModel model;
    std::vector<char*> blockStarts;
    std::mt19937 random(12345);
    for (int i = 0; i < 5000; ++i)
    {
        uint32_t n;
        switch (random() % 4)
        {
        case 0: n = 8 * (2 + random() % 12); break;    // names: 16 to 104
        case 1: n = 60000 + random() % 12000; break;   // near or over a block
        default: n = 8 * (1 + random() % 4000); break; // up to 32000
        }
        FirstFitModel::Place place = model.take(n);
        char* pPiece = pool.findFirstSuitableChunk(n);
        ASSERT_EQ(pool.getNoOfBlocks(), model.blocks()) << i;
        if (place.block == blockStarts.size())
        {
            ASSERT_EQ(place.offset, 0u);
            blockStarts.push_back(pPiece);
        }
        ASSERT_EQ(pPiece, blockStarts[place.block] + place.offset) << i;
    }
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

// After clean() the pool holds no block and serves requests as a fresh one.
TEST(StringMemoryManagerTest, CleanFreesEveryBlockAndLeavesThePoolReusable)
{
    Pool pool;
    pool.alloc("abc", 3);
    pool.findFirstSuitableChunk(70000);
    EXPECT_EQ(pool.getNoOfBlocks(), 2u);
    pool.clean();
    EXPECT_EQ(pool.getNoOfBlocks(), 0u);
    pool.clean();
    char* pFirst = pool.findFirstSuitableChunk(24);
    EXPECT_EQ(pool.findFirstSuitableChunk(65512), pFirst + 24);
    EXPECT_EQ(pool.getNoOfBlocks(), 1u);
    EXPECT_STREQ(pool.alloc("again", 5)->c_str(), "again");
}

} // namespace
