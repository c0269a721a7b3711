#pragma once
// A time of day packed into 32 bits as seconds since midnight times 10000
// plus ten-thousandths of a second.
#include <td/String.h>
#include <td/Types.h>

namespace td
{
// A time as the system clock gives it (see mu::getCurrentLocalTime).
struct _BaseTime
{
    BYTE hours;
    BYTE minutes;
    BYTE seconds;
    UINT4 microseconds;
};

class Time
{
public:
    // The time forms of the regional formats: three of their own, built from
    // the locale's short pattern, then the locale's short and long patterns.
    enum Format : unsigned char
    {
        TimeOwnHM = 0,   // hours and minutes
        TimeOwnHMS = 1,  // hours, minutes and seconds
        TimeOwnHMSF = 2, // the same with the fraction
        TimeWinShort = 3,
        TimeWinLong = 4
    };

    static constexpr INT4 FractionsPerSecond = 10000;

    constexpr Time() = default;
    // Out-of-range fields are clamped: hours to 0..23, minutes and seconds
    // to 0..59, fractions (ten-thousandths of a second) to 0..9999.
    Time(int hours, int minutes, int seconds, int fractions);

    // Reads hours:minutes:seconds.fractions; missing fields are 0. The
    // fraction field counts ten-thousandths: 12:00:00.5 is 5/10000 s past
    // noon. Null or empty text gives 00:00:00.0000.
    static Time fromString(const char* text);

    int hours() const { return _value / (3600 * FractionsPerSecond); }
    int minutes() const { return _value / (60 * FractionsPerSecond) % 60; }
    int seconds() const { return _value / FractionsPerSecond % 60; }
    int fractions() const { return _value % FractionsPerSecond; }
    INT4 getValue() const { return _value; }

    // "%02d:%02d:%02d.%04d"; buf holds 32 bytes; returns the text length.
    int format(char* buf) const;
    td::String toString() const;

    bool operator==(const Time&) const = default;

private:
    INT4 _value = 0;
};
} // namespace td
