#include <gtest/gtest.h>
#include <td/BufferString.h>
#include <td/KeyString.h>
#include <td/PascalString.h>
#include <td/StringUtils.h>

#include <string>

TEST(TextHelpersTest, Utf8LengthNeverPassesTheNul)
{
    struct
    {
        const char* text;
        uint32_t bytes;
        uint32_t chars;
    } const cases[] = {
        {nullptr, 0, 0},
        {"", 0, 0},
        {"abc", 3, 3},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 9, 3},
        // A lead byte announcing more bytes than remain: one 1-byte character.
        {"a\xF0\x9F", 3, 3},
        {"\xE2"
         "b",
         2, 2},
        {"\x80\xFF", 2, 2},
    };
    for (const auto& c : cases)
    {
        auto [bytes, chars] = td::getLenUTF8(c.text);
        EXPECT_EQ(bytes, c.bytes) << (c.text ? c.text : "null");
        EXPECT_EQ(chars, c.chars) << (c.text ? c.text : "null");
    }
}

TEST(TextHelpersTest, ExtractReadsRealAndComplexNumbers)
{
    // The row before the last: a text after the second number is no part of
    // it, even where the number parser alone would read on (hexadecimal).
    struct
    {
        const char* text;
        bool wholeText;
        bool ok;
        double re;
        double im;
    } const cases[] = {
        {"1.5", true, true, 1.5, 0},    {" \t-2.5e1 ", true, true, -25, 0}, {"2i", true, true, 0, 2},
        {"1+2i", true, true, 1, 2},     {"1 +2i", true, true, 1, 2},        {"1 2i", true, true, 1, 2},
        {"2i-1", true, true, -1, 2},    {"-2i+3", true, true, 3, -2},       {"3-2i", true, true, 3, -2},
        {"-.5", true, true, -0.5, 0},   {"1+2i x", false, true, 1, 2},      {"1+2i x", true, false, 0, 0},
        {"1 + 2i", true, false, 0, 0},  {"1+2", true, false, 0, 0},         {"1i+2i", true, false, 0, 0},
        {".5", true, false, 0, 0},      {"1e", true, false, 0, 0},          {"1-", true, false, 0, 0},
        {"-", true, false, 0, 0},       {"0x10", true, false, 0, 0},        {"x", true, false, 0, 0},
        {"2i 0x10", false, true, 0, 2}, {"2i -0x1p3", false, true, 0, 2},   {"2i 1e3x", false, true, 1000, 2},
        {nullptr, true, false, 0, 0},
    };
    for (const auto& c : cases)
    {
        std::complex<double> value(99, 99);
        const char* name = c.text ? c.text : "null";
        ASSERT_EQ(td::_extract(value, c.text, c.wholeText), c.ok) << name;
        if (c.ok)
        {
            EXPECT_DOUBLE_EQ(value.real(), c.re) << name;
            EXPECT_DOUBLE_EQ(value.imag(), c.im) << name;
        }
    }
}

TEST(TextHelpersTest, BuildKeyPacksNineCharacters)
{
    using Key = td::KeyStringBase<td::GUID>;
    unsigned long long key = 1;
    Key::buildKey("ab", key, false, -1);
    // 'a' = 0x61 at bit 57, 'b' = 0x62 at bit 50
    EXPECT_EQ(key, (0x61ull << 57) | (0x62ull << 50));

    unsigned long long lower;
    unsigned long long upper;
    Key::buildKey("darkRed", lower, true, -1);
    Key::buildKey("DARKRED", upper, true, -1);
    EXPECT_EQ(lower, upper);
    Key::buildKey("DARKRED", upper, false, -1);
    EXPECT_NE(lower, upper);

    unsigned long long nine;
    unsigned long long ten;
    Key::buildKey("abcdefghi", nine, false, -1);
    Key::buildKey("abcdefghij", ten, false, -1);
    EXPECT_EQ(nine ^ ten, 1ull);
    EXPECT_EQ(nine & 0xFF, 0x69ull * 2); // 'i' in bits 1-7

    Key::buildKey("abcdefghij", ten, false, 9);
    EXPECT_EQ(ten, nine);
    Key::buildKey("abc", key, false, 2);
    EXPECT_EQ(key, (0x61ull << 57) | (0x62ull << 50));
    Key::buildKey(nullptr, key, true, -1);
    EXPECT_EQ(key, 0ull);

    EXPECT_EQ(Key("Red"), Key("red"));
    // A default key is a fresh identifier, never equal to another one.
    EXPECT_NE(Key(), Key());
    EXPECT_LT(Key("a"), Key("b"));

    // A key from its two words: a name key is its packed word and a zero word.
    EXPECT_EQ(Key(lower, 0), Key("darkRed"));
    EXPECT_NE(Key(lower, 1), Key("darkRed"));
    EXPECT_LT(Key(lower, 0), Key(lower, 1));
    // Words compare as signed numbers: a set top bit sorts first.
    EXPECT_LT(Key(1ull << 63, 0), Key(1, 0));
    EXPECT_LT(Key(5, 1ull << 63), Key(5, 0));
}

TEST(TextHelpersTest, PascalStringsAreOwnedCopies)
{
    td::PascalString<1> withSize("Monday");
    td::PascalString<1> copy(withSize);
    EXPECT_STREQ(copy.c_str(), "Monday");
    EXPECT_NE(copy.c_str(), withSize.c_str());
    EXPECT_EQ(withSize.length(), 6u);
    EXPECT_EQ(static_cast<unsigned char>(withSize.c_str()[-1]), 6u);

    const std::string longText(300, 'x');
    td::PascalString<1> longOne(longText.c_str());
    EXPECT_EQ(longOne.length(), 300u);
    // Past 65535 bytes (a name from a settings file) the text is still kept whole.
    const std::string hugeText(70000, 'y');
    td::PascalString<1> hugeOne(hugeText.c_str());
    EXPECT_EQ(hugeOne.length(), 70000u);
    EXPECT_EQ(std::string(hugeOne.c_str()), hugeText);

    td::PascalString<0> plain;
    EXPECT_STREQ(plain.c_str(), "");
    plain = "dd.MM.yyyy";
    td::PascalString<0> other;
    other = plain;
    plain = "";
    EXPECT_TRUE(plain.isEmpty());
    EXPECT_STREQ(other.c_str(), "dd.MM.yyyy");
    EXPECT_EQ(other.length(), 10u);
}

TEST(TextHelpersTest, BufferStringGrowsByItsIncrement)
{
    td::BufferString<char, 4, 3> b;
    EXPECT_EQ(b.capacity(), 4);
    EXPECT_TRUE(b.isWhiteSpace());
    for (char c : std::string(" \tabcde"))
        b.append(c);
    EXPECT_STREQ(b.c_str(), " \tabcde");
    EXPECT_EQ(b.capacity(), 7);
    EXPECT_FALSE(b.isWhiteSpace());
    b.erase();
    EXPECT_EQ(b.length(), 0);
    EXPECT_EQ(b.capacity(), 7);
    EXPECT_TRUE(b.isWhiteSpace());
    b.append(" \r\n", 3);
    EXPECT_TRUE(b.isWhiteSpace());

    // Without an increment appending still never writes past the array.
    td::BufferString<char, 0, 0> fixed;
    fixed.append("xyz", 3);
    EXPECT_STREQ(fixed.c_str(), "xyz");
    using Unallocated = td::BufferString<char, 0, 0>;
    EXPECT_DEATH(Unallocated().erase(), "_size > 0");
}
