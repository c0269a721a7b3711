#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include <cnt/HashList.h>
#include <mem/StringMemoryManager.h>
#include <td/String.h>

namespace
{
using Entry = cnt::HashEntry<td::StringExt>;
using Names = cnt::HashList<cnt::HashBucket<Entry>, td::StringExt, 255>;
using Pool = mem::StringMemoryManager<td::StringExt, 65536>;

const Entry* intern(Names& names, Pool& pool, const char* text)
{
    int len = int(std::strlen(text));
    return names.add<char>(Names::hashOf(text, size_t(len)), len, text, &pool);
}

TEST(HashListTest, HashRotatesAndXorsSignedBytes)
{
    // h = rotl(h, 5) ^ (int32)(signed char)byte, from 0.
    EXPECT_EQ(Names::hashOf("", 0), 0u);
    EXPECT_EQ(Names::hashOf("ab", 2), 3138u);               // (97 << 5) ^ 98
    EXPECT_EQ(Names::hashOf("\xC3", 1), 0xFFFFFFC3u);       // -61 widened
    EXPECT_EQ(Names::hashOf("a\xC3", 2), 0xFFFFF3E3u);      // 0xC20 ^ 0xFFFFFFC3
    EXPECT_EQ(Names::hashOf("\x40\0\0\0\0\0\0", 7), 0x10u); // bit 6 rotated by 30: bit 4
}

TEST(HashListTest, InterningTwiceGivesTheSameEntryCountedTwice)
{
    Pool pool;
    Names names;
    const Entry* pFirst = intern(names, pool, "element");
    const Entry* pSecond = intern(names, pool, "element");
    EXPECT_EQ(pFirst, pSecond);
    EXPECT_EQ(pSecond->useCount, 2u);
    EXPECT_EQ(pSecond->hash, Names::hashOf("element", 7));
    EXPECT_STREQ(pSecond->pStr->c_str(), "element");
    EXPECT_EQ(names.find(pFirst->hash, 7, "element"), pFirst);
    EXPECT_EQ(names.find(pFirst->hash, 4, "elem"), nullptr);
    EXPECT_EQ(names.find(Names::hashOf("other", 5), 5, "other"), nullptr);
}

// 256 buckets: hashes that agree in their low 8 bits share a bucket, and an
// equal hash alone does not make two names the same.
TEST(HashListTest, NamesInOneBucketAreAllFound)
{
    Pool pool;
    Names names;
    const Entry* pA = names.add<char>(0x105u, 1, "a", &pool);
    const Entry* pB = names.add<char>(0x205u, 1, "b", &pool);
    const Entry* pC = names.add<char>(0x205u, 1, "c", &pool);
    EXPECT_NE(pA, pB);
    EXPECT_NE(pB, pC);
    EXPECT_EQ(names.find(0x105u, 1, "a"), pA);
    EXPECT_EQ(names.find(0x205u, 1, "b"), pB);
    EXPECT_EQ(names.find(0x205u, 1, "c"), pC);
    EXPECT_EQ(names.find(0x105u, 1, "b"), nullptr);
}

TEST(HashListTest, EntriesBeyondOneBlockStayValid)
{
    Pool pool;
    Names names;
    std::vector<std::pair<std::string, const Entry*>> made;
    for (int i = 0; i < 1000; ++i) // eight blocks of 128
    {
        std::string name = "n" + std::to_string(i);
        made.emplace_back(name, intern(names, pool, name.c_str()));
    }
    for (const auto& [name, pEntry] : made)
    {
        ASSERT_EQ(intern(names, pool, name.c_str()), pEntry);
        ASSERT_EQ(pEntry->useCount, 2u);
        ASSERT_STREQ(pEntry->pStr->c_str(), name.c_str());
    }
}

} // namespace
