#include <td/ColorID.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
td::ColorID id(int value) { return static_cast<td::ColorID>(value); }

const td::ColorID s_default = id(-50);

TEST(ColorID, KnownPositions)
{
    struct Case
    {
        int value;
        const char* name;
    };
    const Case cases[] = {{-128, "moccasin"},
                          {-107, "black"},
                          {-94, "white"},
                          {-93, "sysSelectedItemBack"},
                          {-74, "sysHighlightBackground"},
                          {-73, "transparent"},
                          {0, "maroon"},
                          {1, "rust"},
                          {7, "red"},
                          {80, "blue"},
                          {127, "rosyBrown"},
                          {-72, "nAColor"},
                          {-50, "nAColor"},
                          {-1, "nAColor"}};
    for (const Case& c : cases)
    {
        EXPECT_STREQ(td::toString(id(c.value)), c.name) << c.value;
        if (std::strcmp(c.name, "nAColor") != 0)
        {
            EXPECT_EQ(td::toColorID(c.name, -1, s_default), id(c.value)) << c.name;
        }
    }
}

// Every named value converts to its name and back; the unnamed ones are
// exactly -72..-1.
TEST(ColorID, EveryNameMapsBackToItsValue)
{
    int named = 0;
    for (int v = -128; v <= 127; ++v)
    {
        const char* name = td::toString(id(v));
        if (v >= -72 && v <= -1)
        {
            EXPECT_STREQ(name, "nAColor") << v;
            continue;
        }
        ++named;
        EXPECT_EQ(td::toColorID(name, -1, s_default), id(v)) << name;
    }
    EXPECT_EQ(named, 184);
    EXPECT_EQ(td::s_colorNamesToID.size(), 184u);
    EXPECT_EQ(td::s_colorNamesToID.capacity(), 184u);
}

TEST(ColorID, NamesIgnoreCase)
{
    for (const char* name : {"DarkRed", "darkred", "darkRed", "DARKRED"})
        EXPECT_EQ(td::toColorID(name, -1, s_default), td::ColorID::darkRed) << name;
    EXPECT_EQ(td::toColorID("RED", -1, s_default), td::ColorID::red);
    EXPECT_EQ(td::toColorID("LIGHTGOLDENRODYELLOW", -1, s_default), td::ColorID::lightGoldenRodYellow);
}

TEST(ColorID, UnknownNamesGiveTheDefault)
{
    for (const char* name : {"nAColor", "", "lightGoldenRod", "re", "redd", "darkRedX"})
        EXPECT_EQ(td::toColorID(name, -1, td::ColorID::teal), td::ColorID::teal) << name;
    EXPECT_EQ(td::toColorID(nullptr, -1, td::ColorID::teal), td::ColorID::teal);
    EXPECT_EQ(td::toColorID("red", 0, td::ColorID::teal), td::ColorID::teal);
}

// The packed key holds seven bits of eighteen characters at most; texts
// that share a key with a name but are not that name give the default.
TEST(ColorID, TextsSharingANameKeyGiveTheDefault)
{
    const char* lookalikes[] = {
        "sysHighlightBackgroundX", // same first eighteen characters, longer
        "lightGoldenRodYellowXYZ", "sysCtrlTextDisabledAnd",
        "\xE4"
        "arkRed", // 0xE4 keeps the seven bits of 'd'
    };
    for (const char* text : lookalikes)
        EXPECT_EQ(td::toColorID(text, -1, td::ColorID::teal), td::ColorID::teal) << text;
    EXPECT_EQ(td::toColorID("sysHighlightBackground", -1, td::ColorID::teal), td::ColorID::sysHighlightBackground);
}

// A name inside a longer text is read by its length alone, also when it
// reaches into the second half of the key.
TEST(ColorID, LengthLimitsTheName)
{
    EXPECT_EQ(td::toColorID("redX", 3, s_default), td::ColorID::red);
    EXPECT_EQ(td::toColorID("darkRedder", 7, s_default), td::ColorID::darkRed);
    EXPECT_EQ(td::toColorID("mediumSeaGreen, width=2", 14, s_default), td::ColorID::mediumSeaGreen);
    EXPECT_EQ(td::toColorID("lightGoldenRodYellow]", 20, s_default), td::ColorID::lightGoldenRodYellow);
    EXPECT_EQ(td::toColorID("darkRed", 4, s_default), s_default); // "dark"
    // A length past the end of the text stops at its NUL.
    EXPECT_EQ(td::toColorID("red", 12, s_default), td::ColorID::red);
    EXPECT_EQ(td::toColorID("lightGoldenRodYellow", 40, s_default), td::ColorID::lightGoldenRodYellow);
}

TEST(ColorID, SystemBackgrounds)
{
    const std::vector<int> backgrounds = {-93, -92, -86, -85, -81, -74};
    int count = 0;
    for (int v = -128; v <= 127; ++v)
    {
        bool expected = false;
        for (int b : backgrounds)
            expected = expected || b == v;
        EXPECT_EQ(td::isSystemBackgroundColor(id(v)), expected) << v;
        count += expected;
    }
    EXPECT_EQ(count, 6);
    EXPECT_FALSE(td::isSystemBackgroundColor(td::ColorID::sysLabel));
}

TEST(ColorScheme, Names)
{
    using td::ColorScheme;
    EXPECT_EQ(td::toColorScheme("dark", -1, ColorScheme::automatic), ColorScheme::dark);
    EXPECT_EQ(td::toColorScheme("light", -1, ColorScheme::automatic), ColorScheme::light);
    EXPECT_EQ(td::toColorScheme("darkly", -1, ColorScheme::light), ColorScheme::light);
    EXPECT_EQ(td::toColorScheme("darkly", 4, ColorScheme::light), ColorScheme::dark);
    EXPECT_EQ(td::toColorScheme("dark", 0, ColorScheme::light), ColorScheme::light);
    EXPECT_EQ(td::toColorScheme("auto", -1, ColorScheme::light), ColorScheme::light);
    EXPECT_EQ(td::toColorScheme(nullptr, -1, ColorScheme::dark), ColorScheme::dark);
    EXPECT_EQ(td::toColorScheme("da", 4, ColorScheme::light), ColorScheme::light);
    EXPECT_STREQ(td::toString(ColorScheme::light), "light");
    EXPECT_STREQ(td::toString(ColorScheme::dark), "dark");
    EXPECT_STREQ(td::toString(ColorScheme::automatic), "auto");
    EXPECT_STREQ(td::toString(static_cast<ColorScheme>(7)), "auto");
}
} // namespace
