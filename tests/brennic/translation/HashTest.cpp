#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <mu/Hash.h>

namespace
{
// Published FNV-1a (32 bits) values.
TEST(HashTest, Fnv1aKnownValues)
{
    EXPECT_EQ(mu::fnv1a("", 0), 0x811c9dc5u);
    EXPECT_EQ(mu::fnv1a("a", 1), 0xe40c292cu);
    EXPECT_EQ(mu::fnv1a("foobar", 6), 0xbf9cf968u);
    // Going on from a hash is hashing the joined text.
    EXPECT_EQ(mu::fnv1a("bar", 3, mu::fnv1a("foo", 3)), 0xbf9cf968u);
}

// Published check values ("123456789") of CRCs without reflection or final
// xor, at three widths.
TEST(HashTest, CrcCheckValues)
{
    struct Case
    {
        uint64_t polynomial;
        uint8_t width;
        uint64_t initial, check;
    };
    const Case cases[] = {
        {0x1021, 16, 0, 0x31c3},                         // CRC-16/XMODEM
        {0x04c11db7, 32, 0xffffffff, 0x0376e6e7},        // CRC-32/MPEG-2
        {0x42f0e1eba9ea3693, 64, 0, 0x6c40df5f0b497347}, // CRC-64/ECMA-182
    };
    for (const Case& c : cases)
    {
        mu::CRC64 crc {c.polynomial, c.width, c.initial};
        crc.calc("123456789", -1);
        EXPECT_EQ(crc.reg, c.check) << int(c.width);
    }
}

// The CRC from 0 is the remainder of the message times x^64 divided by the
// polynomial x^64 + 0x19032b1f7011a0c4 over GF(2): long division, bit by bit.
uint64_t remainderOfDivision(const std::string& text)
{
    const unsigned __int128 divisor = (static_cast<unsigned __int128>(1) << 64) | 0x19032b1f7011a0c4ull;
    unsigned __int128 rest = 0;
    auto shiftIn = [&](unsigned bit) {
        rest = (rest << 1) | bit;
        if ((rest >> 64) & 1)
            rest ^= divisor;
    };
    for (unsigned char c : text)
        for (int bit = 7; bit >= 0; --bit)
            shiftIn((c >> bit) & 1);
    for (int i = 0; i < 64; ++i)
        shiftIn(0);
    return static_cast<uint64_t>(rest);
}

TEST(HashTest, CalcHashIsTheCrcOfItsPolynomial)
{
    using namespace std::string_literals;
    for (const std::string& text : {"a"s, "hello, world"s, "\xff\x00\x80 bytes"s, std::string(1000, 'z')})
        EXPECT_EQ(mu::calcHash(text.data(), static_cast<int>(text.size())), remainderOfDivision(text)) << text;
    EXPECT_EQ(mu::calcHash("hello, world", -1), remainderOfDivision("hello, world"));
    EXPECT_EQ(mu::calcHash("hello, world", 5), remainderOfDivision("hello"));
    EXPECT_EQ(mu::calcHash("hello", 0), 0u);
    EXPECT_EQ(mu::calcHash(nullptr, -1), 0u);
}
} // namespace
