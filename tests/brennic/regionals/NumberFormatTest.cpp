#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <mu/Regionals.h>

#include "TestApplication.h"

namespace
{
using Fmt = td::FormatFloat;
using Limits64 = std::numeric_limits<long long>;

// The text formatVariant leaves in the buffer, checked against the length
// it returns.
std::string formatted(mu::Regionals& regionals, const td::Variant& value, int nDec, bool group, Fmt format,
                      const char* suffix)
{
    const int length = mu::formatVariant(&regionals, value, nDec, group, format, suffix);
    const std::string text = regionals.getText();
    EXPECT_EQ(length, static_cast<int>(text.size())) << text;
    return text;
}

class NumberFormatTest : public ::testing::Test
{
protected:
    NumberFormatTest()
    {
        app.createRegionals("US");
        english = mu::getMainThreadRegionals();
    }

    // The main-thread formats are replaced by each creation, so bs-Latn-BA
    // comes second, made alone.
    mu::Regionals bosnian {"bs-Latn-BA", 512, ',', '.', "dd.mm.YYYY", nullptr, ".", nullptr, nullptr, ":", '.', "dmy"};
    test::TestApplication app;
    mu::Regionals* english = nullptr;
};

struct Case
{
    td::Variant value;
    int nDec;
    bool group;
    const char* suffix;
    const char* english;
    const char* bosnian;
    Fmt format = Fmt::Fixed;
};

TEST_F(NumberFormatTest, Integers)
{
    const Case cases[] = {
        {999LL, 0, true, nullptr, "999", "999"},
        {1000LL, 0, true, nullptr, "1,000", "1.000"},
        {-1000LL, 0, true, nullptr, "-1,000", "-1.000"},
        {123456LL, 0, true, nullptr, "123,456", "123.456"},
        {-123456LL, 0, true, nullptr, "-123,456", "-123.456"},
        {1234567LL, 0, true, nullptr, "1,234,567", "1.234.567"},
        {1234567LL, 0, false, nullptr, "1234567", "1234567"},
        {Limits64::min(), 0, true, nullptr, "-9,223,372,036,854,775,808", "-9.223.372.036.854.775.808"},
        {Limits64::min(), 0, false, nullptr, "-9223372036854775808", "-9223372036854775808"},
        {Limits64::max(), 0, true, nullptr, "9,223,372,036,854,775,807", "9.223.372.036.854.775.807"},
        {std::numeric_limits<unsigned long long>::max(), 0, true, nullptr, "18,446,744,073,709,551,615",
         "18.446.744.073.709.551.615"},
        {std::numeric_limits<int>::min(), 0, true, nullptr, "-2,147,483,648", "-2.147.483.648"},
        {std::numeric_limits<unsigned>::max(), 0, true, nullptr, "4,294,967,295", "4.294.967.295"},
        {static_cast<td::BYTE>(255), 0, true, nullptr, "255", "255"},
        {static_cast<td::WORD>(65535), 0, true, nullptr, "65,535", "65.535"},
        {static_cast<td::INT2>(-32768), 0, true, nullptr, "-32,768", "-32.768"},
        {1234LL, 0, true, " kg", "1,234 kg", "1.234 kg"},
        {1234LL, 0, false, " kg", "1234 kg", "1234 kg"},
        {-12LL, 0, true, " kg", "-12 kg", "-12 kg"},
        // Other types count as long long: a boolean is 1, a text its integer.
        {true, 0, true, nullptr, "1", "1"},
        {"12345.9", 0, true, nullptr, "12,345", "12.345"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(formatted(*english, c.value, c.nDec, c.group, c.format, c.suffix), c.english);
        EXPECT_EQ(formatted(bosnian, c.value, c.nDec, c.group, c.format, c.suffix), c.bosnian);
    }
}

TEST_F(NumberFormatTest, Decimals)
{
    const Case cases[] = {
        {td::Decimal2(123456), 2, true, nullptr, "1,234.56", "1.234,56"},
        {td::Decimal2(123456), 2, false, nullptr, "1234.56", "1234,56"},
        {td::Decimal2(99999), 2, true, nullptr, "999.99", "999,99"},
        {td::Decimal2(-5), 2, true, nullptr, "-0.05", "-0,05"},
        {td::Decimal0(1234), 0, true, nullptr, "1,234", "1.234"},
        {td::Decimal0(-5), 0, true, nullptr, "-5", "-5"},
        {td::Decimal1(-12345), 1, true, nullptr, "-1,234.5", "-1.234,5"},
        {td::Decimal3(1), 3, true, nullptr, "0.001", "0,001"},
        {td::Decimal4(-1), 4, true, nullptr, "-0.0001", "-0,0001"},
        {td::Decimal0(Limits64::min()), 0, true, nullptr, "-9,223,372,036,854,775,808", "-9.223.372.036.854.775.808"},
        {td::Decimal4(Limits64::min()), 4, true, nullptr, "-922,337,203,685,477.5808", "-922.337.203.685.477,5808"},
        {td::Decimal4(Limits64::min()), 4, false, nullptr, "-922337203685477.5808", "-922337203685477,5808"},
        {td::Decimal4(Limits64::max()), 4, true, nullptr, "922,337,203,685,477.5807", "922.337.203.685.477,5807"},
        {td::SmallDecimal2(-123456), 2, true, nullptr, "-1,234.56", "-1.234,56"},
        {td::SmallDecimal4(std::numeric_limits<int>::min()), 4, true, nullptr, "-214,748.3648", "-214.748,3648"},
        {td::Decimal2(123456), 2, true, " EUR", "1,234.56 EUR", "1.234,56 EUR"},
        {td::Decimal2(5), 2, false, " EUR", "0.05 EUR", "0,05 EUR"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(formatted(*english, c.value, c.nDec, c.group, c.format, c.suffix), c.english);
        EXPECT_EQ(formatted(bosnian, c.value, c.nDec, c.group, c.format, c.suffix), c.bosnian);
    }

    // A precision other than the value's own writes nothing.
    formatted(*english, 7LL, 0, false, Fmt::Fixed, nullptr);
    for (int nDec : {1, 3, 5, -1})
        EXPECT_EQ(mu::formatVariant(english, td::Variant(td::Decimal2(123)), nDec, true, Fmt::Fixed, nullptr), 0);
    EXPECT_STREQ(english->getText(), "7");
}

TEST_F(NumberFormatTest, Reals)
{
    const Case cases[] = {
        {-1234.5, 1, true, nullptr, "-1,234.5", "-1.234,5"},
        {1234567.0, 0, true, nullptr, "1,234,567", "1.234.567"},
        {1234.56, 4, true, nullptr, "1,234.5600", "1.234,5600"},
        {1234.5678, 2, false, nullptr, "1234.57", "1234,57"},
        {0.25, 2, true, nullptr, "0.25", "0,25"},
        // Above 1e15 (as a float: 999999986991104) stars, below 1e-15 zero.
        {2e15, 3, true, nullptr, "*.***", "*,***"},
        {2e15, 0, true, nullptr, "*", "*"},
        {-2e15, 1, true, " kg", "*.*", "*,*"},
        {1e15, 2, true, nullptr, "*.**", "*,**"},
        {999999986991104.0, 0, true, nullptr, "999,999,986,991,104", "999.999.986.991.104"},
        {HUGE_VAL, 2, true, nullptr, "*.**", "*,**"},
        {1e-16, 2, true, nullptr, "0.00", "0,00"},
        {-1e-16, 0, true, nullptr, "0", "0"},
        {2e-15, 16, false, nullptr, "0.0000000000000020", "0,0000000000000020"},
        // The suffix keeps its point; a negative count of decimals is six.
        {1234.5, 1, true, " m.", "1,234.5 m.", "1.234,5 m."},
        {1234.5, -1, true, nullptr, "1,234.500000", "1.234,500000"},
        {12345.678, 2, true, nullptr, "1.23e+04", "1,23e+04", Fmt::Exponent},
        {-0.000123, 1, false, " s", "-1.2e-04 s", "-1,2e-04 s", Fmt::Exponent},
        {std::nan(""), 2, true, nullptr, "nan", "nan"},
        // Single precision: stars above 1e7, zero below 1e-7.
        {1234.5f, 1, true, nullptr, "1,234.5", "1.234,5"},
        {2e7f, 1, true, nullptr, "*.*", "*,*"},
        {1e-8f, 1, true, nullptr, "0.0", "0,0"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(formatted(*english, c.value, c.nDec, c.group, c.format, c.suffix), c.english);
        EXPECT_EQ(formatted(bosnian, c.value, c.nDec, c.group, c.format, c.suffix), c.bosnian);
    }
}

// A text that does not fit: -1, with the direct prints cut at the print
// limit and the grouped and real forms empty.
TEST_F(NumberFormatTest, TextsThatDoNotFit)
{
    const std::string longSuffix(600, 'x');
    EXPECT_EQ(mu::formatVariant(english, td::Variant(td::Decimal2(5)), 2, false, Fmt::Fixed, longSuffix.c_str()), -1);
    EXPECT_EQ(std::string(english->getText()), "0.05" + longSuffix.substr(0, 512 - 33 - 1 - 4));
    EXPECT_EQ(mu::formatVariant(english, td::Variant(td::Decimal2(123456)), 2, true, Fmt::Fixed, longSuffix.c_str()),
              -1);
    EXPECT_STREQ(english->getText(), "");
    EXPECT_EQ(mu::formatVariant(english, td::Variant(1234LL), 0, true, Fmt::Fixed, longSuffix.c_str()), -1);
    EXPECT_STREQ(english->getText(), "");
    // 1e14 with 440 decimals needs 456 characters; the real form has 446.
    EXPECT_EQ(mu::formatVariant(english, td::Variant(1e14), 440, false, Fmt::Fixed, nullptr), -1);
    EXPECT_STREQ(english->getText(), "");

    // Stars and the NUL must fit the scratch as a print does: five
    // characters do not fit five bytes.
    char out[7];
    char tmp[7];
    EXPECT_EQ(english->formatFloat(out, tmp, 2e15, 3, 5, false, Fmt::Fixed, nullptr), -1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(english->formatFloat(out, tmp, 2e15, 3, 7, false, Fmt::Fixed, nullptr), 5);
    EXPECT_STREQ(out, "*.***");
    EXPECT_DEATH(english->formatFloat(out, tmp, 1.0, 7, 7, false, Fmt::Fixed, nullptr), "BUFFLEN >= nDec \\+ 1");
}

TEST(FormatVariantTest, NothingWithoutRegionalsOrAType)
{
    EXPECT_EQ(mu::formatVariant(nullptr, td::Variant(1LL), 0, true, Fmt::Fixed, nullptr), 0);
    mu::Regionals regionals("en-US", 512, '.', ',', nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, '.', "dmy");
    EXPECT_EQ(mu::formatVariant(&regionals, td::Variant(), 0, true, Fmt::Fixed, nullptr), 0);
    EXPECT_STREQ(regionals.getText(), "");
}
} // namespace
