#include <gtest/gtest.h>
#include <td/StrKey.h>
#include <td/String.h>

namespace
{

struct KeyCase
{
    const char* name;
    int length;
    unsigned long long value; // worked out by hand from the packing rule
    const char* printed;
};

// Up to eight bytes: first byte lowest. Nine or more: seven bits a
// character from bit 57 down, only the first nine count.
const KeyCase keyCases[] = {
    {"e", -1, 0x65ull, "e"},
    {"pi", 2, 0x6970ull, "pi"},
    {"sin", -1, 0x6e6973ull, "sin"},
    {"sinh", 3, 0x6e6973ull, "sin"},
    {"outToTxt", -1, 0x7478546f5474756full, "outToTxt"},
    {"drawPlots", -1, 0xc9cb0f7a1b37f473ull, "drawPlots"},
    {"startTime", 9, 0xe7d30f2e9534ed65ull, "startTime"},
    {"drawPlotsAndMore", -1, 0xc9cb0f7a1b37f473ull, "drawPlots"},
};

TEST(StrKeyTest, PacksAndPrintsBack)
{
    for (const KeyCase& c : keyCases)
    {
        SCOPED_TRACE(c.name);
        td::StrKey key(c.name, c.length);
        EXPECT_EQ(key.getValue(), c.value);
        td::String out("old text");
        key.toString(out);
        EXPECT_STREQ(out.c_str(), c.printed);
    }
}

TEST(StrKeyTest, OrdersByValueNotAlphabetically)
{
    const td::StrKey b("b", -1), ab("ab", -1), ab2("ab", 2);
    EXPECT_LT(b, ab); // 0x62 < 0x6261 although "ab" sorts first as text
    EXPECT_EQ(ab, ab2);
    EXPECT_NE(ab, b);
}

TEST(StrKeyTest, EmptyKeyAndUnpackableNames)
{
    td::String out("x");
    td::StrKey().toString(out);
    EXPECT_TRUE(out.isEmpty());

    // A long name with a byte outside seven bits cannot be packed without
    // spilling into its neighbour: it gets the key of no vocabulary name.
    EXPECT_EQ(td::StrKey("drawPl\xc3\xb6ts", -1).getValue(), 0u);
    // Up to eight bytes any byte is kept as it stands.
    EXPECT_EQ(td::StrKey("\xc3\xb6", -1).getValue(), 0xb6c3ull);
}

} // namespace
