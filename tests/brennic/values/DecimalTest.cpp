#include <td/Decimal.h>

#include <gtest/gtest.h>

#include <climits>

namespace
{
TEST(Decimal, TextForms)
{
    EXPECT_STREQ(td::Decimal2(-5).toString().c_str(), "-0.05");
    EXPECT_STREQ(td::Decimal2(-105).toString().c_str(), "-1.05");
    EXPECT_STREQ(td::Decimal2(12345).toString().c_str(), "123.45");
    EXPECT_STREQ(td::Decimal4(7).toString().c_str(), "0.0007");
    EXPECT_STREQ(td::Decimal0(LLONG_MIN).toString().c_str(), "-9223372036854775808");
    EXPECT_STREQ(td::SmallDecimal0(-7).toString().c_str(), "-7");
    EXPECT_STREQ(td::SmallDecimal2(INT_MIN).toString().c_str(), "-21474836.48");
    EXPECT_STREQ(td::SmallDecimal1(0).toString().c_str(), "0.0");
}

TEST(Decimal, ReadsItsTextBack)
{
    for (long long v : {0LL, 5LL, -5LL, -105LL, 123456789LL, LLONG_MAX, LLONG_MIN})
        EXPECT_EQ(td::Decimal2::fromString(td::Decimal2(v).toString().c_str()).getValue(), v);
    for (int v : {0, -7, 1005, INT_MAX, INT_MIN})
        EXPECT_EQ(td::SmallDecimal3::fromString(td::SmallDecimal3(v).toString().c_str()).getValue(), v);
}

TEST(Decimal, ReadingOtherTexts)
{
    EXPECT_EQ(td::Decimal2::fromString("12.3456").getValue(), 1234); // further digits dropped
    EXPECT_EQ(td::Decimal2::fromString("+1.5").getValue(), 150);
    EXPECT_EQ(td::Decimal2::fromString(".5").getValue(), 50);
    EXPECT_EQ(td::Decimal2::fromString("7").getValue(), 700);
    EXPECT_EQ(td::Decimal2::fromString("abc").getValue(), 0);
    EXPECT_EQ(td::Decimal2::fromString(nullptr).getValue(), 0);
    EXPECT_EQ(td::SmallDecimal0::fromString("99999999999").getValue(), INT_MAX);
    EXPECT_EQ(td::SmallDecimal1::fromString("-99999999999").getValue(), INT_MIN);
    EXPECT_EQ(td::Decimal4::fromString("1e5").getValue(), 10000); // no exponents
}

TEST(Decimal, ToDoubleKeepsTheSign)
{
    EXPECT_DOUBLE_EQ(td::Decimal2(-105).toDouble(), -1.05);
    EXPECT_DOUBLE_EQ(td::SmallDecimal3(2500).toDouble(), 2.5);
}
} // namespace
