#include <gtest/gtest.h>
#include <mu/Utils.h>
#include <td/MutableString.h>
#include <td/StringUtils.h>

#include <clocale>
#include <string>

TEST(FormatTest, AnyLengthUpToTheMaximumIsKept)
{
    // Below 1024 bytes the text comes from the stack buffer, from 1024 on it
    // is measured and printed again; lengths past 65535 must work too.
    for (size_t len : {1u, 1023u, 1024u, 65535u, 65536u, 300000u})
    {
        const std::string arg(len, 'q');
        td::String s("old");
        s.format("%s", arg.c_str());
        EXPECT_EQ(s.length(), len);
        EXPECT_EQ(std::string(s.c_str()), arg);

        td::MutableString m;
        m.append("<");
        m.appendFormat("%s>", arg.c_str());
        EXPECT_EQ(m.length(), len + 2);
        EXPECT_EQ(m.c_str()[len + 1], '>');
    }
}

TEST(FormatTest, EmptyResultLeavesNoBlock)
{
    td::String s("old");
    s.format("%s", "");
    EXPECT_EQ(s.c_str(), mu::__zeroBuffer);
    s.format("%d-%05.1f", 7, 2.5);
    EXPECT_STREQ(s.c_str(), "7-002.5");
}

TEST(FormatTest, BoundedPrintReportsCutText)
{
    char buffer[8];
    EXPECT_EQ(_snprintf_s(buffer, sizeof(buffer), static_cast<size_t>(-1), "%s", "1234567"), 7);
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_EQ(_snprintf_s(buffer, sizeof(buffer), static_cast<size_t>(-1), "%s", "12345678"), -1);
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_EQ(_snprintf_s(buffer, sizeof(buffer), 4, "%d", 12345), -1);
    EXPECT_STREQ(buffer, "123");
}

TEST(FormatTest, NumbersAsTextIgnoreTheProcessLocale)
{
    mu::Utils utils;
    EXPECT_STREQ(utils.c_str(1.5), "1.5");
    EXPECT_STREQ(utils.c_str(1e-7), "1e-07");
    EXPECT_STREQ(utils.c_str(1234567.0), "1.23457e+06");
    EXPECT_STREQ(utils.c_str(std::complex<double>(-2, 0.25)), "(-2,0.25)");

    // A locale with a decimal comma must not leak into the text.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    {
        EXPECT_STREQ(utils.c_str(0.5), "0.5");
        std::setlocale(LC_NUMERIC, saved.c_str());
    }
}
