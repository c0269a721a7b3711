#include <gtest/gtest.h>
#include <mem/StringMemoryManager.h>
#include <sc/StringPool.h>

namespace
{
constexpr std::uint32_t NotFound = 0xFFFFFFFF;

// Worked by hand: h = h * 8 + (h >> 28) + v, v = byte (signed), less 40 for 96..127.
TEST(StringPoolHash, MatchesHandComputedValues)
{
    EXPECT_EQ(sc::HashMap::hash(""), 0u);
    EXPECT_EQ(sc::HashMap::hash("x"), 80u);                      // 120 - 40
    EXPECT_EQ(sc::HashMap::hash("ab"), 514u);                    // 57 * 8 + 58
    EXPECT_EQ(sc::HashMap::hash("b2"), 514u);                    // 58 * 8 + 50
    EXPECT_EQ(sc::HashMap::hash("#v"), 35u * 8 + 78u);           // '#' below 96 counts as is
    EXPECT_EQ(sc::HashMap::hash("\xC3"), 0xFFFFFFFFFFFFFFC3ull); // -61, sign-extended
    // 'A' (65) nine times gives 65 * (8^9 - 1) / 7 = 1246307465, which is past
    // 2^28, so the tenth step adds h >> 28 = 4: 1246307465 * 8 + 4 + 65.
    EXPECT_EQ(sc::HashMap::hash("AAAAAAAAA"), 1246307465ull);
    EXPECT_EQ(sc::HashMap::hash("AAAAAAAAAA"), 9970459789ull);
}

TEST(StringPool, FindsNamesByTheIndexTheyWereAddedWith)
{
    sc::StringPool pool;
    pool.addString("x", 0);
    pool.addString(td::String("y"), 1);
    pool.addString(static_cast<const char*>(nullptr), 2); // adds nothing
    EXPECT_EQ(pool.getNames().size(), 2u);
    EXPECT_EQ(pool.getIndex("x"), 0u);
    EXPECT_EQ(pool.getIndex("y"), 1u);
    EXPECT_EQ(pool.getIndex("z"), NotFound);
    EXPECT_EQ(pool.getIndex("xy"), NotFound);
    EXPECT_STREQ(pool.getNames()[1].c_str(), "y");
}

TEST(StringPool, NamesSharingAHashAreEachFoundAtTheirOwnIndex)
{
    sc::StringPool pool;
    pool.addString("ab", 0);
    pool.addString("b2", 1);
    EXPECT_EQ(pool.getIndex("ab"), 0u);
    EXPECT_EQ(pool.getIndex("b2"), 1u);
    EXPECT_EQ(pool.getIndex("c*"), NotFound); // 59 * 8 + 42 = 514 as well, but not present
}

TEST(StringPool, OverwrittenSlotDoesNotHideALaterNameOfTheSameHash)
{
    sc::StringPool pool;
    pool.addString("ab", 0);
    pool.addString("b2", 1);
    pool.setString("x", 0); // the entry of "ab" now points at "x"
    EXPECT_EQ(pool.getIndex("b2"), 1u);
    EXPECT_EQ(pool.getIndex("ab"), NotFound);
    EXPECT_EQ(pool.getIndex("x"), 0u);
}

TEST(StringPool, EmptyTextTakesANullSlotThatAnEmptyLookupFinds)
{
    sc::StringPool pool;
    pool.addString("a", 0);
    pool.addString("", 1);
    ASSERT_EQ(pool.getNames().size(), 2u);
    EXPECT_TRUE(pool.getNames()[1].isEmpty());
    EXPECT_EQ(pool.getIndex(""), 1u);
}

TEST(StringPool, TaggedNamesAreFoundUnderTheCombinedText)
{
    mem::StringMemoryManager<td::StringExt, 65536> names;
    const td::StringExt* v = names.alloc("v", 1);
    const td::StringExt empty;
    sc::StringPool pool;
    pool.addString(v, 0);
    pool.addString(v, 1, '#');
    pool.addString(&empty, 2, '#');
    EXPECT_EQ(pool.getIndex("v"), 0u);
    EXPECT_EQ(pool.getIndex("#v"), 1u);
    EXPECT_STREQ(pool.getNames()[1].c_str(), "#v");
    EXPECT_TRUE(pool.getNames()[2].isEmpty());

    pool.setString(*v, 2, '#');
    EXPECT_EQ(pool.getIndex("#v"), 1u); // first of the run wins
    EXPECT_STREQ(pool.getNames()[2].c_str(), "#v");

    // A tag of 96 or more counts 40 less, as in any text: cv is 59 * 8 + 78.
    pool.addString(v, 3, 'c');
    EXPECT_EQ(sc::HashMap::hash("cv"), 550u);
    EXPECT_EQ(pool.getIndex("cv"), 3u);
}

TEST(StringPool, SetStringFillsASlotSizedBeforehand)
{
    sc::StringPool pool;
    pool.addString("", 0);
    pool.addString("", 1);
    pool.setString(td::String("t"), 1);
    EXPECT_EQ(pool.getIndex("t"), 1u);
    pool.setString(static_cast<const char*>(nullptr), 0); // nothing
    EXPECT_TRUE(pool.getNames()[0].isEmpty());
}

TEST(StringPool, StateSpaceNamesFormASet)
{
    sc::StringPool pool;
    pool.addStateSpaceVariableName(nullptr);
    EXPECT_EQ(pool.getStateSpaceVariableNames().size(), 0u);
    pool.addStateSpaceVariableName("x2");
    pool.addStateSpaceVariableName("x1");
    mem::StringMemoryManager<td::StringExt, 65536> names;
    EXPECT_TRUE(pool.getStateSpaceVariableNames().findKey(*names.alloc("x1", 2)));
    EXPECT_FALSE(pool.getStateSpaceVariableNames().findKey(*names.alloc("x", 1)));
}

TEST(StringPool, ManyNamesStayFindable)
{
    sc::StringPool pool;
    const int n = 5000;
    for (int i = 0; i < n; ++i)
        pool.addString(("v" + std::to_string(i)).c_str(), i);
    for (int i = 0; i < n; i += 97)
        EXPECT_EQ(pool.getIndex(("v" + std::to_string(i)).c_str()), static_cast<std::uint32_t>(i));
    EXPECT_EQ(pool.getIndex("v5000"), NotFound);
}
} // namespace
