#include <td/Variant.h>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string text(const td::Variant& v) { return v.applyConstVisitor<td::ToStringVisitor, td::String>().c_str(); }

td::Variant colorOf(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3)
{
    return td::Variant(td::Color {{b0, b1, b2, b3}});
}

struct TextCase
{
    td::Variant value;
    td::_tDataType type;
    const char* expected;
};

// One value of every kind with the text it must print.
std::vector<TextCase> textCases()
{
    return {
        {td::Variant(true), td::boolean, "true"},
        {td::Variant(false), td::boolean, "false"},
        {td::Variant(td::BYTE(200)), td::byte, "200"},
        {td::Variant(td::WORD(65535)), td::word, "65535"},
        {td::Variant(td::INT2(-32768)), td::int2, "-32768"},
        {td::Variant(td::UINT4(4294967295u)), td::uint4, "4294967295"},
        {td::Variant(INT_MIN), td::int4, "-2147483648"},
        {td::Variant(LLONG_MIN), td::lint8, "-9223372036854775808"},
        {td::Variant(ULLONG_MAX), td::luint8, "18446744073709551615"},
        {td::Variant(0.1f), td::real4, "0.1"},
        {td::Variant(2.5), td::real8, "2.5"},
        {td::Variant(1234567.0), td::real8, "1.23457e+06"},
        {td::Variant(-1e-5), td::real8, "-1e-05"},
        {td::Variant(100000.0), td::real8, "100000"},
        {td::Variant("abc"), td::string8, "abc"},
        {td::Variant(""), td::string8, ""},
        {td::Variant(static_cast<const char*>(nullptr)), td::string8, ""},
        {td::Variant(td::Date(2024, 2, 9)), td::date, "2024-02-09"},
        {td::Variant(td::Time(7, 5, 3, 42)), td::time, "07:05:03.0042"},
        {td::Variant(td::DateTime(td::Date(999, 12, 31), td::Time(23, 59, 59, 9999))), td::dateTime,
         "0999-12-31 23:59:59.9999"},
        {td::Variant(td::Decimal2(-5)), td::decimal2, "-0.05"},
        {td::Variant(td::Decimal2(-105)), td::decimal2, "-1.05"},
        {td::Variant(td::Decimal4(LLONG_MIN)), td::decimal4, "-922337203685477.5808"},
        {td::Variant(td::SmallDecimal0(-7)), td::smallDecimal0, "-7"},
        {td::Variant(td::SmallDecimal3(1005)), td::smallDecimal3, "1.005"},
        {td::Variant(td::InlineText("tooLongText")), td::inlineText, "tooLong"},
        {colorOf(0x12, 0xAB, 0x00, 0xFF), td::color, "#12AB00FF"},
        {td::Variant(td::ColorID::red), td::colorID, "red"},
        {td::Variant(static_cast<td::ColorID>(-50)), td::colorID, "nAColor"},
        {td::Variant(td::LinePattern::dashDotDot), td::linePattern, "dashDotDot"},
        {td::Variant(td::DotPattern::x), td::dotPattern, "x"},
        {td::Variant(td::Anchor::bottomRight), td::anchor, "bottomRight"},
    };
}

TEST(VariantText, EveryKindPrintsItsForm)
{
    for (const TextCase& c : textCases())
    {
        EXPECT_EQ(c.value.getType(), c.type) << c.expected;
        EXPECT_EQ(text(c.value), c.expected);
    }
}

// Under a decimal-comma locale printf("%g") would write 2,5.
TEST(VariantText, RealsIgnoreTheProcessLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
        GTEST_SKIP() << "no decimal-comma locale on this machine";
    const std::string real8 = text(td::Variant(2.5));
    const std::string real4 = text(td::Variant(-0.125f));
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(real8, "2.5");
    EXPECT_EQ(real4, "-0.125");
}

struct NumberCase
{
    td::Variant value;
    int asInt;
    long long asLong;
    unsigned long long asULong;
    double asDouble;
};

TEST(VariantNumber, ConversionTable)
{
    const long long packedDate = (2024LL << 9) | (2 << 5) | 29; // 1036381
    const long long packedTime = ((13 * 60 + 45) * 60 + 10) * 10000LL + 250;
    const std::vector<NumberCase> cases = {
        {td::Variant(true), 1, 1, 1, 1.0},
        {td::Variant(false), 0, 0, 0, 0.0},
        {td::Variant(td::BYTE(255)), 255, 255, 255, 255.0},
        {td::Variant(td::INT2(-5)), -5, -5, static_cast<unsigned long long>(-5LL), -5.0},
        {td::Variant(td::UINT4(4294967295u)), -1, 4294967295LL, 4294967295ULL, 4294967295.0},
        {td::Variant(0x100000001LL), 1, 0x100000001LL, 0x100000001ULL, 4294967297.0},
        {td::Variant(-2.7), -2, -2, 0, -2.7},
        {td::Variant(2.7f), 2, 2, 2, static_cast<double>(2.7f)},
        // Only the leading integer of a text counts.
        {td::Variant("2.5"), 2, 2, 2, 2.0},
        {td::Variant(" -42abc"), -42, -42, static_cast<unsigned long long>(-42LL), -42.0},
        {td::Variant("x"), 0, 0, 0, 0.0},
        {td::Variant(td::Decimal2(-105)), -1, -1, static_cast<unsigned long long>(-1LL), -1.05},
        {td::Variant(td::SmallDecimal1(37)), 3, 3, 3, 3.7},
        {td::Variant(td::Date(2024, 2, 29)), static_cast<int>(packedDate), packedDate,
         static_cast<unsigned long long>(packedDate), static_cast<double>(packedDate)},
        {td::Variant(td::DateTime(td::Date(2024, 2, 29), td::Time(13, 45, 10, 250))), static_cast<int>(packedTime),
         (packedDate << 32) | packedTime, static_cast<unsigned long long>((packedDate << 32) | packedTime),
         static_cast<double>((packedDate << 32) | packedTime)},
        {td::Variant(td::InlineText("12")), 0, 0, 0, 0.0},
        {colorOf(0x12, 0xAB, 0x00, 0xFF), static_cast<int>(0xFF00AB12u), 0xFF00AB12LL, 0xFF00AB12ULL,
         static_cast<double>(0xFF00AB12u)},
        // The one-byte kinds count as unsigned bytes: black is -107, i.e. 149.
        {td::Variant(td::ColorID::black), 149, 149, 149, 149.0},
        {td::Variant(td::Anchor::bottomRight), 9, 9, 9, 9.0},
    };
    for (const NumberCase& c : cases)
    {
        SCOPED_TRACE(text(c.value));
        EXPECT_EQ((c.value.applyConstVisitor<td::ToNumberVisitor<int>, int>()), c.asInt);
        EXPECT_EQ((c.value.applyConstVisitor<td::ToNumberVisitor<long long>, long long>()), c.asLong);
        EXPECT_EQ((c.value.applyConstVisitor<td::ToNumberVisitor<unsigned long long>, unsigned long long>()),
                  c.asULong);
        EXPECT_DOUBLE_EQ((c.value.applyConstVisitor<td::ToNumberVisitor<double>, double>()), c.asDouble);
    }
}

// A real outside the integer's range has no defined plain cast.
TEST(VariantNumber, RealsOutOfIntegerRangeSaturate)
{
    auto toInt = [](double x) { return td::Variant(x).applyConstVisitor<td::ToNumberVisitor<int>, int>(); };
    EXPECT_EQ(toInt(1e300), INT_MAX);
    EXPECT_EQ(toInt(-1e300), INT_MIN);
    EXPECT_EQ(toInt(std::nan("")), 0);
    EXPECT_EQ(toInt(-2147483648.9), INT_MIN);
}

struct SumCase
{
    td::Variant a;
    td::Variant b;
    td::_tDataType type;
    const char* expected;
};

TEST(VariantPlus, SumTable)
{
    const std::vector<SumCase> cases = {
        {td::Variant(2), td::Variant(0.5), td::real8, "2.5"},
        {td::Variant(td::BYTE(200)), td::Variant(td::INT2(-5)), td::int4, "195"},
        {td::Variant(td::Decimal0(3)), td::Variant(td::UINT4(4)), td::int4, "7"},
        {td::Variant(td::SmallDecimal0(-3)), td::Variant(LLONG_MAX), td::int4, "-4"}, // -3 + (int)LLONG_MAX = -3 - 1
        {td::Variant(td::Decimal1(15)), td::Variant(2), td::real8, "3.5"},
        {td::Variant("7"), td::Variant(1), td::real8, "8"},
        {td::Variant(true), td::Variant(2), td::real8, "3"},
        // Same type: added in the type's own width, wrapping.
        {td::Variant(td::BYTE(250)), td::Variant(td::BYTE(10)), td::byte, "4"},
        {td::Variant(INT_MAX), td::Variant(1), td::int4, "-2147483648"},
        {td::Variant(td::Decimal2(150)), td::Variant(td::Decimal2(-5)), td::decimal2, "1.45"},
        {td::Variant(td::SmallDecimal4(INT_MAX)), td::Variant(td::SmallDecimal4(1)), td::smallDecimal4, "-214748.3648"},
        {td::Variant(0.25f), td::Variant(0.5f), td::real4, "0.75"},
        {td::Variant(false), td::Variant(true), td::boolean, "true"},
        {td::Variant(true), td::Variant(false), td::boolean, "true"},
        {td::Variant(false), td::Variant(false), td::boolean, "false"},
        {td::Variant("ab"), td::Variant("cd"), td::string8, "abcd"},
        {td::Variant(""), td::Variant("cd"), td::string8, "cd"},
        // Kinds without a sum keep the left value.
        {td::Variant(td::Date(2024, 1, 1)), td::Variant(td::Date(2000, 5, 5)), td::date, "2024-01-01"},
        {td::Variant(td::ColorID::red), td::Variant(td::ColorID::blue), td::colorID, "red"},
    };
    for (const SumCase& c : cases)
    {
        SCOPED_TRACE(text(c.a) + " + " + text(c.b));
        td::Variant sum = c.a + c.b;
        EXPECT_EQ(sum.getType(), c.type);
        EXPECT_EQ(text(sum), c.expected);
    }
}

TEST(VariantPlus, StringSumLeavesOperandsAlone)
{
    td::String shared("ab");
    td::Variant a(shared);
    td::Variant sum = a + a;
    EXPECT_EQ(text(sum), "abab");
    EXPECT_EQ(text(a), "ab");
    EXPECT_STREQ(shared.c_str(), "ab");
    EXPECT_EQ(a.strVal().c_str(), shared.c_str()); // still sharing the one block
}

TEST(VariantCopy, StringsShareAndReleaseTheirBlock)
{
    td::String s("text");
    td::Variant a(s);
    td::Variant b(a);
    td::Variant c;
    c = b;
    EXPECT_EQ(a.strVal().c_str(), s.c_str());
    EXPECT_EQ(b.strVal().c_str(), s.c_str());
    EXPECT_EQ(c.strVal().c_str(), s.c_str());

    td::Variant moved(std::move(c));
    EXPECT_EQ(moved.strVal().c_str(), s.c_str());
    EXPECT_EQ(c.getType(), td::none);

    // Replacing a string by a number releases the share; self-assignment
    // keeps the value.
    b = td::Variant(5);
    EXPECT_EQ(b.i4Val(), 5);
    a = a;
    EXPECT_EQ(text(a), "text");

    td::String out;
    moved.getValue(out);
    EXPECT_EQ(out.c_str(), s.c_str());
}

// A block already shared by sixteen holders is copied, not shared again.
TEST(VariantCopy, FullySharedBlockIsCopied)
{
    td::String s("full");
    std::vector<td::String> sharers(15, s);
    ASSERT_EQ(sharers.back().c_str(), s.c_str());
    td::Variant v(s);
    EXPECT_NE(v.strVal().c_str(), s.c_str());
    EXPECT_EQ(text(v), "full");
    td::Variant w;
    w.takeFromString(s);
    EXPECT_NE(w.strVal().c_str(), s.c_str());
    EXPECT_EQ(text(w), "full");
}

TEST(VariantCopy, TakeFromStringReplacesAnyValue)
{
    td::Variant v(3.5);
    td::String s("abc");
    v.takeFromString(s);
    EXPECT_EQ(v.getType(), td::string8);
    EXPECT_EQ(v.strVal().c_str(), s.c_str());

    // Taking the string the variant already holds.
    v.takeFromString(v.strVal());
    EXPECT_EQ(text(v), "abc");

    v.takeFromString(td::String());
    EXPECT_EQ(text(v), "");
}

TEST(VariantCopy, TypedValuesComeBackUnchanged)
{
    td::Decimal3 dec;
    td::Variant(td::Decimal3(-1234)).getValue(dec);
    EXPECT_EQ(dec.getValue(), -1234);
    bool flag = false;
    td::Variant(true).getValue(flag);
    EXPECT_TRUE(flag);
    EXPECT_EQ(td::Variant(td::Time(1, 2, 3, 4)).timeVal().getValue(), 37230004); // (3723 s) * 10000 + 4
    EXPECT_STREQ(td::Variant(td::InlineText("abc")).inlineTextVal(), "abc");
}

using VariantDeathTest = ::testing::Test;

TEST_F(VariantDeathTest, WrongTypeOrNoValueStops)
{
    EXPECT_DEATH(td::Variant(1.5).i4Val(), "getType\\(\\) == td::int4");
    EXPECT_DEATH(td::Variant(1).strVal(), "getType\\(\\) == td::string8");
    EXPECT_DEATH(text(td::Variant()), "Assertion failed: false");
}
} // namespace
