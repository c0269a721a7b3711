#pragma once
// A calendar date packed into 32 bits as year << 9 | month << 5 | day, so
// that packed dates order like the dates themselves.
#include <td/String.h>
#include <td/Types.h>

namespace td
{
// A date as the system clock gives it (see mu::getCurrentDateTime).
struct _BaseDate
{
    WORD year;
    BYTE month; // 1 to 12
    BYTE day;
    BYTE zero;
    BYTE flag; // the flag given to mu::getCurrentDateTime
};

class Date
{
public:
    enum Format : unsigned char
    {
        DateOwnShortDM = 0,
        DateOwnShortY2 = 1,
        DateOwnShortY4 = 2,
        DateWinShort = 3,
        DateWinLong = 4
    };

    static constexpr int MinYear = 1;
    static constexpr int MaxYear = 4000;

    constexpr Date() = default;
    // Out-of-range fields are clamped: the year to 1..4000, the month to
    // 1..12, the day to 1..the month's length.
    Date(int year, int month, int day);

    // Reads year-month-day; a missing field counts as 1. Null or empty text
    // gives the zero date, text that does not parse the clamped 0001-01-01.
    static Date fromString(const char* text);

    static bool isLeapYear(int year);
    static int daysInMonth(int year, int month);

    int year() const { return static_cast<int>(_value >> 9); }
    int month() const { return static_cast<int>((_value >> 5) & 0x0F); }
    int day() const { return static_cast<int>(_value & 0x1F); }
    UINT4 getValue() const { return _value; }

    // "%04d-%02d-%02d"; buf holds 32 bytes; returns the text length.
    int format(char* buf) const;
    td::String toString() const;

    bool operator==(const Date&) const = default;

private:
    UINT4 _value = 0;
};

// Exact names of the five formats; an unknown name gives DateWinShort.
Date::Format dateFormatFromString(const char* name);
// A number above 4 gives "DateWinShort".
const char* dateFormatToString(Date::Format format);
} // namespace td
