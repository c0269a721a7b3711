#pragma once
// A date and a time of day, and the readers of the system clock.
#include <td/Date.h>
#include <td/Time.h>

namespace td
{
class DateTime
{
public:
    constexpr DateTime() = default;
    DateTime(const Date& date, const Time& time)
        : _time(time)
        , _date(date)
    {
    }

    // The current local date and time, fields clamped as Date and Time do;
    // the fractions are the microseconds / 100.
    static DateTime now();

    // "date time" in the forms of Date::fromString and Time::fromString.
    static DateTime fromString(const char* text);

    const Date& getDate() const { return _date; }
    const Time& getTime() const { return _time; }

    // The date in the upper and the time in the lower 32 bits.
    LINT8 getValue() const
    {
        return static_cast<LINT8>((static_cast<LUINT8>(_date.getValue()) << 32) | static_cast<UINT4>(_time.getValue()));
    }

    // "%04d-%02d-%02d %02d:%02d:%02d.%04d"; buf holds 32 bytes.
    int format(char* buf) const;
    td::String toString() const;

    bool operator==(const DateTime&) const = default;

private:
    Time _time;
    Date _date;
};
} // namespace td

namespace mu
{
// Local date from the system clock; sets the zero byte, leaves the flag.
void getCurrentLocalDate(td::_BaseDate& date);
// Local time from the system clock, with microseconds.
void getCurrentLocalTime(td::_BaseTime& time);
// Both from one clock reading; flag is stored in the date record.
void getCurrentDateTime(td::_BaseDate& date, td::_BaseTime& time, bool flag);
// Reads the records as local time and rewrites them as UTC (toUTC) or as
// normalised local time; records that the C library cannot convert stay.
void convertTime(td::_BaseDate& date, td::_BaseTime& time, bool toUTC);
} // namespace mu
