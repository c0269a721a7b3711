#include <gtest/gtest.h>
#include <StringHeader.h>
#include <td/String.h>

#include <cstring>
#include <map>
#include <sstream>
#include <vector>

namespace
{
using test::headerOf;
using test::sharersOf;
} // namespace

TEST(StringTest, EmptyTextHasNoBlockAndReadsAsZeroBuffer)
{
    const td::String fromNull(static_cast<const char*>(nullptr));
    const td::String fromEmpty("");
    const td::String byDefault;
    for (const td::String* s : {&fromNull, &fromEmpty, &byDefault})
    {
        EXPECT_EQ(s->c_str(), mu::__zeroBuffer);
        EXPECT_EQ(s->length(), 0u);
        EXPECT_EQ(sizeof(*s), sizeof(void*));
    }
    EXPECT_EQ(mu::__emptyString.c_str(), mu::__zeroBuffer);
}

TEST(StringTest, BlockHoldsLengthSharersBytesAndNul)
{
    td::String s("h\xC3\xA9llo");
    EXPECT_EQ(headerOf(s), 6u);
    EXPECT_EQ(s.c_str()[6], '\0');
    EXPECT_STREQ(s.c_str(), "h\xC3\xA9llo");
}

TEST(StringTest, CopiesShareOneBlockUntilFifteenSharers)
{
    td::String first("abc");
    std::vector<td::String> copies;
    copies.reserve(16);
    for (int i = 0; i < 15; ++i)
    {
        copies.push_back(first);
        EXPECT_EQ(copies.back().c_str(), first.c_str());
    }
    EXPECT_EQ(sharersOf(first), 15u);

    // A 16th holder would overflow the 4-bit count: it gets its own block.
    copies.push_back(first);
    EXPECT_NE(copies.back().c_str(), first.c_str());
    EXPECT_STREQ(copies.back().c_str(), "abc");
    EXPECT_EQ(sharersOf(copies.back()), 0u);

    copies.resize(5);
    EXPECT_EQ(sharersOf(first), 5u);
}

TEST(StringTest, AssignmentReleasesOldBlockAndSelfAssignmentKeepsCount)
{
    td::String a("one");
    td::String b("two");
    td::String c = b;
    EXPECT_EQ(sharersOf(b), 1u);
    c = a;
    EXPECT_EQ(sharersOf(b), 0u);
    EXPECT_EQ(sharersOf(a), 1u);
    c = a;
    EXPECT_EQ(sharersOf(a), 1u);
    td::String& self = c;
    c = self;
    EXPECT_EQ(sharersOf(a), 1u);
    c = td::String();
    EXPECT_EQ(sharersOf(a), 0u);
    EXPECT_EQ(c.c_str(), mu::__zeroBuffer);
}

TEST(StringTest, AppendCopiesBeforeChangingASharedText)
{
    td::String a("ab");
    td::String b = a;
    b.appendString("cd", 2);
    EXPECT_STREQ(a.c_str(), "ab");
    EXPECT_STREQ(b.c_str(), "abcd");
    EXPECT_EQ(b.length(), 4u);
    EXPECT_EQ(sharersOf(a), 0u);

    // Appending nothing still detaches, and a null text is ignored.
    td::String c = a;
    c.appendString(nullptr, 3);
    EXPECT_NE(c.c_str(), a.c_str());
    EXPECT_STREQ(c.c_str(), "ab");

    td::String empty;
    empty.appendString<char>("xyz", 2);
    EXPECT_STREQ(empty.c_str(), "xy");
}

TEST(StringTest, PooledStringIsCopiedPrivatelyIntoHeapStrings)
{
    char block[16];
    td::StringExt::writeBlock(block, "name", 4);
    const td::StringExt pooled = td::StringExt::fromPoolBlock(block);
    EXPECT_EQ(pooled.c_str(), block + 4);

    td::String fromPool(pooled);
    td::String assigned;
    assigned = pooled;
    for (const td::String* s : {&fromPool, &assigned})
    {
        EXPECT_STREQ(s->c_str(), "name");
        EXPECT_NE(s->c_str(), pooled.c_str());
    }
    assigned = td::StringExt();
    EXPECT_EQ(assigned.c_str(), mu::__zeroBuffer);

    // Copies of a pooled string point at the same block and never count.
    td::StringExt copy = pooled;
    EXPECT_EQ(copy.c_str(), pooled.c_str());
    uint32_t hdr;
    std::memcpy(&hdr, block, 4);
    EXPECT_EQ(hdr, 4u);
}

TEST(StringTest, ReadOnlyQueries)
{
    td::String s("  \t a b\r\n");
    EXPECT_STREQ(s.trim().c_str(), "a b");
    EXPECT_EQ(td::String(" \t\r\n").trim().c_str(), mu::__zeroBuffer);
    EXPECT_EQ(s.getAt(4), 'a');
    EXPECT_TRUE(td::String("abc").compare("abcdef", 3));
    EXPECT_FALSE(td::String("abc").compare("abd", 3));
    EXPECT_FALSE(td::String("abc").compare("abc", 2));
    EXPECT_TRUE(td::String().compare("", 0));

    struct
    {
        const char* text;
        bool expected;
    } const cases[] = {{"true", true}, {"True", true}, {"TRUE", false}, {"true ", false},
                       {"1", false},   {"", false},    {"tru", false}};
    for (const auto& c : cases)
        EXPECT_EQ(td::String(c.text).toBoolean(), c.expected) << c.text;

    std::ostringstream os;
    os << td::String("x") << td::String() << td::String("y");
    EXPECT_EQ(os.str(), "xy");

    td::String fromPath;
    fromPath = std::filesystem::path("/tmp/a b");
    EXPECT_STREQ(fromPath.c_str(), "/tmp/a b");
}

TEST(StringTest, OrderComparesUnsignedBytesThenLength)
{
    std::map<td::String, int> m;
    m["b"] = 1;
    m["ab"] = 2;
    m["a"] = 3;
    m["\xC3\xA9"] = 4;
    m[""] = 5;
    std::vector<int> order;
    for (const auto& [key, value] : m)
        order.push_back(value);
    EXPECT_EQ(order, (std::vector<int> {5, 3, 2, 1, 4}));
    EXPECT_TRUE(td::String("abc") == "abc");
    EXPECT_FALSE(td::String("abc") == "ab");
    EXPECT_TRUE(td::String() == nullptr);
}

TEST(StringTest, GlyphLengthCountsByLeadBytes)
{
    struct
    {
        const char* text;
        size_t glyphs;
    } const cases[] = {
        {"", 0},
        {"abc", 3},
        {"h\xC3\xA9", 2},                    // 2-byte sequence
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", 2}, // 3- and 4-byte sequences
        {"a\xE2\x82", 2},                    // a last character cut short still counts once
        {"\x80\xFF"
         "a",
         3}, // bytes that start no sequence count one each
    };
    for (const auto& c : cases)
        EXPECT_EQ(td::String(c.text).glyphLength(), c.glyphs) << c.text;
}

TEST(StringDeathTest, PreconditionsCallersRelyOn)
{
    td::String s("ab");
    EXPECT_DEATH(s.getAt(2), "pos < length\\(\\)");
    EXPECT_DEATH(td::String().getAt(0), "pos < length\\(\\)");
    EXPECT_DEATH(s.compare(nullptr, 0), "Assertion failed: pStr");
    // Only the length check runs before the copy, so the text need not exist.
    EXPECT_DEATH(s.appendString("x", 0x0FFFFFFE), "size <= 0x0FFFFFFF");
}
