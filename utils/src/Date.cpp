#include <td/Date.h>

#include <cstdio>
#include <cstring>

#include "DateFields.h"

namespace td
{
namespace
{
const char* const s_formatNames[] = {"DateOwnShortDM", "DateOwnShortY2", "DateOwnShortY4", "DateWinShort",
                                     "DateWinLong"};
constexpr int s_nFormats = sizeof(s_formatNames) / sizeof(s_formatNames[0]);
} // namespace

bool Date::isLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int Date::daysInMonth(int year, int month)
{
    switch (month)
    {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return isLeapYear(year) ? 29 : 28;
    default: return 31;
    }
}

Date::Date(int year, int month, int day)
{
    using priv::clampField;
    year = clampField(year, MinYear, MaxYear);
    month = clampField(month, 1, 12);
    day = clampField(day, 1, daysInMonth(year, month));
    _value = static_cast<UINT4>(year) << 9 | static_cast<UINT4>(month) << 5 | static_cast<UINT4>(day);
}

Date Date::fromString(const char* text)
{
    if (!text || !*text)
        return Date();
    int fields[3] = {1, 1, 1};
    priv::readFields(text, fields, 3, "--");
    return Date(fields[0], fields[1], fields[2]);
}

int Date::format(char* buf) const { return std::snprintf(buf, 32, "%04d-%02d-%02d", year(), month(), day()); }

td::String Date::toString() const { return priv::formattedText(*this); }

Date::Format dateFormatFromString(const char* name)
{
    if (name)
    {
        for (int i = 0; i < s_nFormats; ++i)
            if (std::strcmp(name, s_formatNames[i]) == 0)
                return static_cast<Date::Format>(i);
    }
    return Date::DateWinShort;
}

const char* dateFormatToString(Date::Format format)
{
    return format < s_nFormats ? s_formatNames[format] : s_formatNames[Date::DateWinShort];
}
} // namespace td
