#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <mu/Regionals.h>

#include "RegionalsSupport.h"

namespace
{
using test::describe;

TEST(RegionalsTest, NameHashRotatesAndTakesBytesAsSigned)
{
    // "ab": (0x61 rotated left by 5) xor 0x62. The bytes C4 8D: 0xFFFFFFC4,
    // rotated left by 5 to 0xFFFFF89F, xor 0xFFFFFF8D.
    const struct
    {
        const char* name;
        uint32_t hash;
    } cases[] = {{"", 0}, {"a", 0x61}, {"ab", 0xC42}, {"\304\215", 0x712}};
    for (const auto& c : cases)
        EXPECT_EQ(test::makeRegionals(c.name, "d", "d", "H", "H").getNameHash(), c.hash) << c.name;
}

// The entries of each form for the patterns given as short or long pattern.
TEST(RegionalsTest, PatternEntries)
{
    enum Slot
    {
        DateShort,
        DateLong,
        TimeShort,
        TimeLong
    };
    struct Case
    {
        Slot slot;
        const char* pattern;
        int form;
        const char* entries;
    };
    const Case cases[] = {
        {DateShort, "YY/MM/DD", td::Date::DateWinShort, "1 %02d|8 /|2 %02d|8 /|5 %02d"},
        {DateShort, "YY/MM/DD", td::Date::DateOwnShortDM, "2 %02d|8 -|5 %02d"},
        {DateShort, "YY/MM/DD", td::Date::DateOwnShortY2, "1 %02d|8 -|2 %02d|8 -|5 %02d"},
        {DateShort, "YY/MM/DD", td::Date::DateOwnShortY4, "0 %d|8 -|2 %02d|8 -|5 %02d"},
        {DateShort, "dd.mm.YYYY", td::Date::DateOwnShortDM, "5 %02d|8 -|2 %02d"},
        {DateShort, "dd.mm.YYYY", td::Date::DateOwnShortY2, "5 %02d|8 -|2 %02d|8 -|1 %02d"},
        {DateShort, "dd.mm.YYYY", td::Date::DateOwnShortY4, "5 %02d|8 -|2 %02d|8 -|0 %d"},
        // Names become numbers in the own forms; day names are passed over.
        {DateShort, "dddd, MMMM d, yyy", td::Date::DateWinShort, "6 %s|8 ,|8  |3 %s|8  |5 %d|8 ,|8  |0 %d"},
        {DateShort, "dddd, MMMM d, yyy", td::Date::DateOwnShortY2, "2 %02d|8 -|5 %d|8 -|1 %02d"},
        {DateShort, "ddd d MMM y", td::Date::DateOwnShortDM, "5 %d|8 -|2 %02d"},
        // A quoted text is one literal, unclosed up to the end; separators
        // outside quotes are one each.
        {DateLong, "d 'de' MMMM 'de' yyyy", td::Date::DateWinLong, "5 %d|8  |8 de|8  |3 %s|8  |8 de|8  |0 %d"},
        {DateLong, "d..'x", td::Date::DateWinLong, "5 %d|8 .|8 .|8 x"},
        {DateLong, "m'", td::Date::DateWinLong, "2 %d|8 "},
        {TimeShort, "H:m:s", td::Time::TimeWinShort, "1 %d|6 :|2 %d|6 :|3 %d"},
        {TimeShort, "H:m:s", td::Time::TimeOwnHM, "1 %d|6 ~|2 %02d"},
        {TimeShort, "H:m:s", td::Time::TimeOwnHMS, "1 %d|6 ~|2 %02d|6 ~|3 %02d"},
        {TimeShort, "H:m:s", td::Time::TimeOwnHMSF, "1 %d|6 ~|2 %02d|6 ~|3 %02d|6 .|4 %03d"},
        {TimeShort, "hh:mm:ss tt", td::Time::TimeWinShort, "0 %02d|6 :|2 %02d|6 :|3 %02d|6  |5 %s"},
        {TimeShort, "hh:mm:ss tt", td::Time::TimeOwnHMS, "1 %02d|6 ~|2 %02d|6 ~|3 %02d"},
        // A designator before any 12-hour field is dropped.
        {TimeLong, "t HH:mm t", td::Time::TimeWinLong, "6  |1 %02d|6 :|2 %02d|6  "},
        {TimeLong, "hh:mm:ss.u", td::Time::TimeWinLong, "0 %02d|6 :|2 %02d|6 :|3 %02d|6 .|4 %d"},
        {TimeLong, "H:mm:ss,uuu", td::Time::TimeWinLong, "1 %d|6 :|2 %02d|6 :|3 %02d|6 ,|4 %03d"},
        // A pattern holds one hour field.
        {TimeLong, "hh:mm hh", td::Time::TimeWinLong, ""},
        {TimeShort, "h:mm H", td::Time::TimeWinShort, ""},
        {TimeShort, "h:mm H", td::Time::TimeOwnHMSF, "6 .|4 %03d"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pattern);
        const mu::Regionals regionals =
            test::makeRegionals("xx", c.slot == DateShort ? c.pattern : "d", c.slot == DateLong ? c.pattern : "d",
                                c.slot == TimeShort ? c.pattern : "H", c.slot == TimeLong ? c.pattern : "H");
        const bool date = c.slot == DateShort || c.slot == DateLong;
        EXPECT_EQ(date ? describe(regionals.getDateFormat(static_cast<td::Date::Format>(c.form)))
                       : describe(regionals.getTimeFormat(static_cast<td::Time::Format>(c.form))),
                  c.entries);
    }
}

TEST(RegionalsTest, MisuseStops)
{
    EXPECT_DEATH(test::makeRegionals("x", "d", "d", "H", "H", 60), "buffLen > 60");
    mu::Regionals regionals = test::makeRegionals("x", "d", "d", "H", "H");
    EXPECT_DEATH(regionals.setDayName(7, "x"), "\\(i >= 0\\) && \\(i < 7\\)");
    EXPECT_DEATH(regionals.setMonthShortName(-1, "x"), "\\(i >= 0\\) && \\(i < 12\\)");
}
} // namespace
