#include <gtest/gtest.h>
#include <StringHeader.h>
#include <td/MutableString.h>

#include <cstring>
#include <set>
#include <string>

TEST(MutableStringTest, AppendsInPlaceWithNoSharingMark)
{
    td::MutableString m;
    m.append("abc");
    m.append("defgh", 2);
    m.append(static_cast<const char*>(nullptr));
    m.append("");
    EXPECT_STREQ(m.c_str(), "abcde");
    EXPECT_EQ(m.length(), 5u);
    EXPECT_EQ(test::headerOf(m), (15u << 28) | 5u);
}

TEST(MutableStringTest, StringMadeFromItKeepsItsTextAfterLaterAppends)
{
    td::MutableString m;
    m.append("line");
    td::String copy = m;
    td::String assigned;
    assigned = m.toString();
    m.append(" more");
    EXPECT_STREQ(copy.c_str(), "line");
    EXPECT_STREQ(assigned.c_str(), "line");
    EXPECT_NE(copy.c_str(), m.c_str());

    // An emptied mutable string has a block of length 0; copies are empty.
    m.erase();
    td::String empty = m;
    EXPECT_EQ(empty.c_str(), mu::__zeroBuffer);
}

TEST(MutableStringTest, ByteByByteGrowthIsGeometric)
{
    // A long line appended one byte at a time must not reallocate per byte.
    td::MutableString m;
    std::set<size_t> capacities;
    const size_t n = 1 << 20;
    for (size_t i = 0; i < n; ++i)
    {
        m.append(static_cast<char>('a' + i % 26));
        capacities.insert(m.capacity());
    }
    EXPECT_EQ(m.length(), n);
    EXPECT_LE(capacities.size(), 22u); // log2(n) + 2
    EXPECT_EQ(m.c_str()[n - 1], static_cast<char>('a' + (n - 1) % 26));
    EXPECT_EQ(m.c_str()[n], '\0');
}

TEST(MutableStringTest, EraseKeepsCapacityAndSelfAppendIsSafe)
{
    td::MutableString m;
    m.reserve(4096);
    EXPECT_EQ(m.capacity(), 4096u);
    m.append("xyz");
    m.erase();
    EXPECT_EQ(m.length(), 0u);
    EXPECT_STREQ(m.c_str(), "");
    EXPECT_EQ(m.capacity(), 4096u);

    td::MutableString s;
    s.append("ab");
    for (int i = 0; i < 5; ++i)
        s.append(s.c_str(), s.length()); // the source lies in the block that grows
    EXPECT_EQ(s.length(), 64u);
    std::string expected;
    for (int i = 0; i < 32; ++i)
        expected += "ab";
    EXPECT_EQ(std::string(s.c_str()), expected);
}

TEST(MutableStringTest, AppendFormatAppendsPrintedText)
{
    td::MutableString m;
    m.append("x=");
    m.appendFormat("%d;%s", 42, "y");
    m.appendFormat("%s", "");
    EXPECT_STREQ(m.c_str(), "x=42;y");
}

TEST(MutableStringTest, GetLineSplitsAtEveryLineEnding)
{
    // Lines end at "\n", "\r" or the pair "\r\n".
    const td::String text("a\r\nb\rc\n\nd");
    struct
    {
        const char* line;
        unsigned position;
    } const expected[] = {{"a", 3}, {"b", 5}, {"c", 7}, {"", 8}, {"d", 9}};
    td::MutableString line;
    unsigned position = 0;
    for (const auto& e : expected)
    {
        ASSERT_TRUE(line.getLine(text, position, false));
        EXPECT_STREQ(line.c_str(), e.line);
        EXPECT_EQ(position, e.position);
    }
    EXPECT_FALSE(line.getLine(text, position, false));
    EXPECT_STREQ(line.c_str(), "d"); // untouched at the end

    position = 0;
    ASSERT_TRUE(line.getLine(text, position, true));
    EXPECT_STREQ(line.c_str(), "a\n");
    position = 0;
    EXPECT_FALSE(line.getLine(td::String(), position, false));
}
