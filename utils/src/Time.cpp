#include <td/Time.h>

#include <cstdio>

#include "DateFields.h"

namespace td
{
Time::Time(int hours, int minutes, int seconds, int fractions)
{
    using priv::clampField;
    hours = clampField(hours, 0, 23);
    minutes = clampField(minutes, 0, 59);
    seconds = clampField(seconds, 0, 59);
    // The packed form has room for 0..9999 only; clamp like the other
    // fields rather than let a long fraction spill into the seconds.
    fractions = clampField(fractions, 0, FractionsPerSecond - 1);
    _value = ((hours * 60 + minutes) * 60 + seconds) * FractionsPerSecond + fractions;
}

Time Time::fromString(const char* text)
{
    if (!text || !*text)
        return Time();
    int fields[4] = {0, 0, 0, 0};
    priv::readFields(text, fields, 4, "::.");
    return Time(fields[0], fields[1], fields[2], fields[3]);
}

int Time::format(char* buf) const
{
    return std::snprintf(buf, 32, "%02d:%02d:%02d.%04d", hours(), minutes(), seconds(), fractions());
}

td::String Time::toString() const { return priv::formattedText(*this); }
} // namespace td
