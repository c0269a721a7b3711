#include <td/DateTime.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace
{
struct TextCase
{
    const char* input;
    const char* expected;
};

TEST(Date, FromStringClampsEachField)
{
    const std::vector<TextCase> cases = {
        {"2023-02-30", "2023-02-28"},  {"2024-02-30", "2024-02-29"}, // divisible by 4
        {"1900-02-29", "1900-02-28"},                                // by 100, not by 400
        {"2000-02-29", "2000-02-29"},                                // by 400
        {"2024-04-31", "2024-04-30"},  {"2024-12-32", "2024-12-31"},
        {"0-13-0", "0001-12-01"},      {"x", "0001-01-01"},
        {"2024", "2024-01-01"},                                    // missing fields count as 1
        {"2024-7", "2024-07-01"},      {"2024/7/8", "2024-01-01"}, // reading stops at the first mismatch
        {" 2024-07-08", "2024-07-08"}, {"99999-1-1", "4000-01-01"},
        {"-5-6-7", "0001-06-07"},      {"99999999999999999999-99999999999999999999-1", "4000-12-01"},
    };
    for (const TextCase& c : cases)
        EXPECT_STREQ(td::Date::fromString(c.input).toString().c_str(), c.expected) << c.input;
}

TEST(Date, EmptyTextIsTheZeroDate)
{
    EXPECT_EQ(td::Date::fromString("").getValue(), 0u);
    EXPECT_EQ(td::Date::fromString(nullptr).getValue(), 0u);
}

TEST(Date, PacksYearMonthDay)
{
    // 2024 << 9 | 2 << 5 | 29
    EXPECT_EQ(td::Date(2024, 2, 29).getValue(), 2024u * 512 + 2 * 32 + 29);
}

// Every day of a leap year and of a century non-leap year goes through its
// text and back.
TEST(Date, RoundTripsThroughText)
{
    for (int year : {1900, 2024})
    {
        int days = 0;
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= td::Date::daysInMonth(year, month); ++day, ++days)
            {
                td::Date d(year, month, day);
                ASSERT_EQ(d.year(), year);
                ASSERT_EQ(d.month(), month);
                ASSERT_EQ(d.day(), day);
                ASSERT_EQ(td::Date::fromString(d.toString().c_str()), d) << d.toString().c_str();
            }
        EXPECT_EQ(days, year == 2024 ? 366 : 365);
    }
}

TEST(Date, FormatNames)
{
    const char* names[] = {"DateOwnShortDM", "DateOwnShortY2", "DateOwnShortY4", "DateWinShort", "DateWinLong"};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(td::dateFormatFromString(names[i]), i);
        EXPECT_STREQ(td::dateFormatToString(static_cast<td::Date::Format>(i)), names[i]);
    }
    EXPECT_EQ(td::dateFormatFromString("dateWinLong"), td::Date::DateWinShort);
    EXPECT_EQ(td::dateFormatFromString(nullptr), td::Date::DateWinShort);
    EXPECT_STREQ(td::dateFormatToString(static_cast<td::Date::Format>(7)), "DateWinShort");
}

TEST(Time, FromStringClampsEachField)
{
    const std::vector<TextCase> cases = {
        {"25:61:61.9999", "23:59:59.9999"},
        {"12:00:00.5", "12:00:00.0005"},  // the fraction counts ten-thousandths
        {"1:2:3.12345", "01:02:03.9999"}, // too long a fraction clamps too
        {"1:2:3.-5", "01:02:03.0000"},
        {"-1:-1:-1", "00:00:00.0000"},
        {"7", "07:00:00.0000"},
        {"7:30", "07:30:00.0000"},
        {"x", "00:00:00.0000"},
        {"99999999999999999999:0:0", "23:00:00.0000"},
    };
    for (const TextCase& c : cases)
        EXPECT_STREQ(td::Time::fromString(c.input).toString().c_str(), c.expected) << c.input;
    EXPECT_EQ(td::Time::fromString(nullptr).getValue(), 0);
}

TEST(Time, PacksTenThousandthsSinceMidnight)
{
    td::Time t(23, 59, 59, 9999);
    EXPECT_EQ(t.getValue(), 86400 * 10000 - 1);
    EXPECT_EQ(td::Time::fromString(t.toString().c_str()), t);
    td::Time u(0, 0, 1, 1);
    EXPECT_EQ(u.getValue(), 10001);
    EXPECT_EQ(td::Time::fromString(u.toString().c_str()), u);
}

TEST(DateTime, RoundTripsThroughText)
{
    td::DateTime dt(td::Date(2024, 2, 29), td::Time(13, 45, 10, 250));
    EXPECT_STREQ(dt.toString().c_str(), "2024-02-29 13:45:10.0250");
    EXPECT_EQ(td::DateTime::fromString(dt.toString().c_str()), dt);
    EXPECT_EQ(td::DateTime::fromString("2024-02-29"), td::DateTime(td::Date(2024, 2, 29), td::Time()));
}

TEST(DateTime, NowIsTheLocalClock)
{
    // Retry until the clock reading and the reference share one second. The
    // reference reads the precise clock: time() may read a coarse one that
    // lags a few milliseconds behind at a second's turn.
    const auto preciseSeconds = [] {
        timespec ts {};
        clock_gettime(CLOCK_REALTIME, &ts);
        return ts.tv_sec;
    };
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        time_t before = preciseSeconds();
        td::DateTime now = td::DateTime::now();
        td::_BaseDate d {};
        td::_BaseTime t {};
        d.zero = 9;
        mu::getCurrentLocalDate(d);
        mu::getCurrentLocalTime(t);
        if (preciseSeconds() != before)
            continue;
        std::tm tm {};
        localtime_r(&before, &tm);
        EXPECT_EQ(now.getDate(), td::Date(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
        EXPECT_EQ(now.getTime().hours(), tm.tm_hour);
        EXPECT_EQ(now.getTime().minutes(), tm.tm_min);
        EXPECT_EQ(now.getTime().seconds(), tm.tm_sec);
        EXPECT_EQ(d.year, tm.tm_year + 1900);
        EXPECT_EQ(d.month, tm.tm_mon + 1);
        EXPECT_EQ(d.day, tm.tm_mday);
        EXPECT_EQ(d.zero, 0);
        EXPECT_EQ(t.hours, tm.tm_hour);
        EXPECT_EQ(t.minutes, tm.tm_min);
        EXPECT_EQ(t.seconds, tm.tm_sec);
        EXPECT_LT(t.microseconds, 1000000u);
        return;
    }
    FAIL() << "the clock never held still for one second";
}

TEST(DateTime, CurrentDateRecordCarriesTheFlag)
{
    td::_BaseDate d {};
    td::_BaseTime t {};
    d.zero = 9;
    mu::getCurrentDateTime(d, t, true);
    EXPECT_EQ(d.flag, 1);
    EXPECT_EQ(d.zero, 0);
    EXPECT_GE(d.year, 2024);
    EXPECT_LT(t.microseconds, 1000000u);
}

// Central European time without the zone database: UTC+1, and UTC+2 from
// the last Sunday of March to the last Sunday of October.
class ConvertTime : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        _hadTZ = tz != nullptr;
        if (tz)
            _savedTZ = tz;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }

    void TearDown() override
    {
        if (_hadTZ)
            setenv("TZ", _savedTZ.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    bool _hadTZ = false;
    std::string _savedTZ;
};

TEST_F(ConvertTime, LocalToUTCFollowsDaylightSaving)
{
    struct Case
    {
        int month;
        int day;
        int localHour;
        int utcHour;
    };
    for (const Case& c : {Case {1, 15, 12, 11}, Case {7, 1, 12, 10}, Case {7, 1, 1, 23}})
    {
        td::_BaseDate d {2024, static_cast<td::BYTE>(c.month), static_cast<td::BYTE>(c.day), 0, 0};
        td::_BaseTime t {static_cast<td::BYTE>(c.localHour), 30, 15, 123};
        mu::convertTime(d, t, true);
        EXPECT_EQ(t.hours, c.utcHour) << c.month << "-" << c.day;
        EXPECT_EQ(t.minutes, 30);
        EXPECT_EQ(t.seconds, 15);
        EXPECT_EQ(t.microseconds, 123u);
        // 01:00 local on 1 July is 23:00 UTC the day before.
        EXPECT_EQ(d.day, c.localHour == 1 ? 30 : c.day);
        EXPECT_EQ(d.month, c.localHour == 1 ? 6 : c.month);
    }
}

TEST_F(ConvertTime, LocalToLocalNormalisesFields)
{
    td::_BaseDate d {2024, 2, 30, 0, 0}; // 30 February is 1 March
    td::_BaseTime t {12, 0, 0, 0};
    mu::convertTime(d, t, false);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(t.hours, 12);
}
} // namespace
