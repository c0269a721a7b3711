#include <td/DateTime.h>

#include <cstdio>
#include <cstring>

#include "DateFields.h"

namespace td
{
DateTime DateTime::now()
{
    _BaseDate d;
    _BaseTime t;
    mu::getCurrentDateTime(d, t, false);
    return DateTime(Date(d.year, d.month, d.day),
                    Time(t.hours, t.minutes, t.seconds, static_cast<int>(t.microseconds / 100)));
}

DateTime DateTime::fromString(const char* text)
{
    if (!text || !*text)
        return DateTime();
    const char* pTime = std::strchr(text, ' ');
    return DateTime(Date::fromString(text), pTime ? Time::fromString(pTime + 1) : Time());
}

int DateTime::format(char* buf) const
{
    return std::snprintf(buf, 32, "%04d-%02d-%02d %02d:%02d:%02d.%04d", _date.year(), _date.month(), _date.day(),
                         _time.hours(), _time.minutes(), _time.seconds(), _time.fractions());
}

td::String DateTime::toString() const { return priv::formattedText(*this); }
} // namespace td
