#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <mu/Regionals.h>

#include "RegionalsSupport.h"
#include "TestApplication.h"

namespace
{
namespace fs = std::filesystem;
using test::describe;

struct BuiltIn
{
    const char* code;
    const char* name;
    char decimalSeparator;
    char thousandsSeparator;
    std::vector<const char*> days;
    std::vector<const char*> dayShortNames;
    std::vector<const char*> months;
    std::vector<const char*> monthShortNames;
};

const BuiltIn s_english = {"US",
                           "en-US",
                           '.',
                           ',',
                           {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"},
                           {"sun", "mon", "tue", "wed", "thu", "fri", "sat"},
                           {"january", "february", "march", "april", "may", "june", "july", "august", "september",
                            "october", "november", "december"},
                           {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"}};

// The names as UTF-8 bytes (\304\215 is the letter c with caron), so that
// the comparison does not rest on the source's own encoding.
const BuiltIn s_bosnian = {"BA",
                           "bs-Latn-BA",
                           ',',
                           '.',
                           {"nedjelja", "ponedjeljak", "utorak", "srijeda", "\304\215etvrtak", "petak", "subota"},
                           {"ned", "pon", "uto", "sri", "\304\215et", "pet", "sub"},
                           {"januar", "februar", "mart", "april", "maj", "juni", "juli", "avgust", "septembar",
                            "oktobar", "novembar", "decembar"},
                           {"jan", "feb", "mar", "apr", "maj", "jun", "jul", "avg", "sep", "okt", "nov", "dec"}};

void expectLocale(const mu::Regionals& regionals, const BuiltIn& locale)
{
    SCOPED_TRACE(locale.name);
    EXPECT_STREQ(regionals.getName(), locale.name);
    EXPECT_EQ(regionals.getDecimalSeparator(), locale.decimalSeparator);
    EXPECT_EQ(regionals.getThousandsSeparator(), locale.thousandsSeparator);
    EXPECT_EQ(regionals.getThirdSeparator(), '.');
    EXPECT_STREQ(regionals.getDateOrder(), "dmy");
    for (int i = 0; i < 7; ++i)
    {
        EXPECT_STREQ(regionals.getDayName(i), locale.days[i]);
        EXPECT_STREQ(regionals.getDayShortName(i), locale.dayShortNames[i]);
    }
    for (int i = 0; i < 12; ++i)
    {
        EXPECT_STREQ(regionals.getMonthName(i), locale.months[i]);
        EXPECT_STREQ(regionals.getMonthShortName(i), locale.monthShortNames[i]);
    }
}

TEST(LocalesTest, BuiltInLocales)
{
    test::TestApplication app;
    struct Case
    {
        const char* code;
        const BuiltIn& locale;
    };
    const Case cases[] = {{"BA", s_bosnian}, {"US", s_english},    {"DE", s_english},
                          {"", s_english},   {nullptr, s_english}, {"ba", s_english}};
    for (const Case& c : cases)
    {
        app.createRegionals(c.code);
        ASSERT_NE(mu::getMainThreadRegionals(), nullptr);
        expectLocale(*mu::getMainThreadRegionals(), c.locale);
    }

    app.createRegionals("BA");
    const mu::Regionals& bosnian = *app.getMainThreadRegionals();
    EXPECT_STREQ(bosnian.getEraDesignator(), "BC");
    EXPECT_STREQ(bosnian.getAMDesignator(), "AM");
    EXPECT_STREQ(bosnian.getPMDesignator(), "PM");
    EXPECT_EQ(bosnian.getPrintLimit(), 512 - 33);
    EXPECT_EQ(describe(bosnian.getDateFormat(td::Date::DateWinLong)), "6 %s|8  |5 %d|8 .|8  |4 %s|8  |0 %d");
    EXPECT_EQ(describe(bosnian.getTimeFormat(td::Time::TimeWinLong)), "0 %d|6 :|2 %02d|6 :|3 %02d|6  |4 %d");
    EXPECT_EQ(describe(bosnian.getTimeFormat(td::Time::TimeOwnHMSF)), "1 %d|6 :|2 %02d|6 :|3 %02d|6 .|4 %03d");
    EXPECT_EQ(describe(bosnian.getDateFormat(td::Date::DateOwnShortY2)), "5 %02d|8 .|2 %02d|8 .|1 %02d");
}

// An application whose resource folder holds a "regionals" folder.
class LocaleFileTest : public ::testing::Test
{
protected:
    LocaleFileTest() { app.setResFolder(res); }

    // The fixture locale, changed by replacing from with to, as the file of code.
    void placeLocale(const char* code, const std::string& from = "", const std::string& to = "") const
    {
        std::string text = test::readFile(fs::path(TEST_DATA_DIR) / "xx.xml");
        if (!from.empty())
        {
            const size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            text.replace(at, from.size(), to);
        }
        fs::create_directories(res / "regionals");
        test::writeFile(res / "regionals" / (std::string(code) + ".xml"), text);
    }

    const mu::Regionals& regionals() const { return *mu::getMainThreadRegionals(); }

    test::TestApplication app;
    fs::path res = app.homeFolder() / "res";
};

TEST_F(LocaleFileTest, ReadsEveryItem)
{
    placeLocale("HR");
    app.createRegionalsFromRes("HR");
    const mu::Regionals& hr = regionals();
    EXPECT_STREQ(hr.getName(), "hr-Test");
    EXPECT_EQ(hr.getDecimalSeparator(), ',');
    EXPECT_EQ(hr.getThousandsSeparator(), ' ');
    EXPECT_EQ(hr.getPrintLimit(), 1024 - 33);
    EXPECT_EQ(describe(hr.getDateFormat(td::Date::DateWinShort)), "5 %d|8 .|2 %d|8 .|0 %d");
    EXPECT_EQ(describe(hr.getDateFormat(td::Date::DateWinLong)), "6 %s|8 ,|8  |5 %d|8 .|8  |3 %s|8  |0 %d|8 .");
    EXPECT_EQ(describe(hr.getDateFormat(td::Date::DateOwnShortDM)), "5 %d|8 -|2 %d");
    EXPECT_EQ(describe(hr.getTimeFormat(td::Time::TimeWinLong)), "1 %02d|6 :|2 %02d|6 :|3 %02d");
    EXPECT_EQ(describe(hr.getTimeFormat(td::Time::TimeOwnHM)), "1 %02d|6 .|2 %02d");
    EXPECT_STREQ(hr.getDayName(4), "\304\215etvrtak");
    EXPECT_STREQ(hr.getDayShortName(0), "ned");
    EXPECT_STREQ(hr.getMonthName(1), "velja\304\215a");
    // A missing name or short name is "NA".
    EXPECT_STREQ(hr.getDayName(6), "subota");
    EXPECT_STREQ(hr.getDayShortName(6), "NA");
    EXPECT_STREQ(hr.getMonthName(11), "NA");
    EXPECT_STREQ(hr.getMonthShortName(11), "pro");
}

// A file that cannot be used gives the code's built-in locale, whole.
TEST_F(LocaleFileTest, AnUnusableFileGivesTheBuiltInLocale)
{
    struct Case
    {
        const char* what;
        std::string from;
        std::string to;
    };
    const Case cases[] = {
        {"six days", "<Day name=\"subota\"/>", ""},
        {"thirteen months", "<Month shortName=\"pro\"/>", "<Month/><Month/>"},
        {"a second hour field", "winLong=\"HH:mm:ss\"", "winLong=\"HH:mm:ss HH\""},
        {"a second hour field in the short pattern", "winShort=\"HH:mm\"", "winShort=\"h:mm H\""},
        {"no Numeric", "<Numeric decSeparator=\",\" thSeparator=\" \"/>", ""},
        {"an empty separator", "decSeparator=\",\"", "decSeparator=\"\""},
        {"no id", " id=\"hr-Test\"", ""},
        {"no long date pattern", " winLong=\"dddd, d. MMMM yyyy.\"", ""},
        {"no time separator", "<Time separator=\".\"", "<Time"},
        {"malformed XML", "</Locale>", "</Locales>"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        app.createRegionals("US");
        placeLocale("BA", c.from, c.to);
        app.createRegionalsFromRes("BA");
        EXPECT_STREQ(regionals().getName(), "bs-Latn-BA");
        EXPECT_EQ(regionals().getDecimalSeparator(), ',');
        EXPECT_STREQ(regionals().getDayShortName(6), "sub");
        EXPECT_STREQ(regionals().getMonthShortName(11), "dec");
        EXPECT_EQ(regionals().getPrintLimit(), 512 - 33);
    }
}

TEST_F(LocaleFileTest, WhereTheFilesAreLookedFor)
{
    placeLocale("HR");
    // No file for the code: the built-in locale.
    app.createRegionalsFromRes("XX");
    EXPECT_STREQ(regionals().getName(), "en-US");
    // A code that would lead out of the folder names no file.
    placeLocale("HR");
    fs::create_directories(res / "regionals" / "sub");
    app.createRegionalsFromRes("sub/../HR");
    EXPECT_STREQ(regionals().getName(), "en-US");
    app.createRegionalsFromRes(nullptr);
    EXPECT_STREQ(regionals().getName(), "en-US");

    // Environment 1: the SDK folder's Common/Regionals, not the resources.
    app.setEnvironment(1);
    app.createRegionalsFromRes("HR");
    EXPECT_STREQ(regionals().getName(), "en-US");
    const fs::path sdk = app.homeFolder() / "Zorbel.SDK" / "Common" / "Regionals";
    fs::create_directories(sdk);
    fs::copy_file(res / "regionals" / "HR.xml", sdk / "HR.xml");
    app.createRegionalsFromRes("HR");
    EXPECT_STREQ(regionals().getName(), "hr-Test");
}
} // namespace
