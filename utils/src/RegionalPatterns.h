#pragma once
// Date and time patterns compiled into the entry lists of the regional
// formats, and the own forms built from the short pattern's entries.
#include <mu/Regionals.h>

namespace mu::priv
{
// Appends the entries of a date pattern.
void parseDatePattern(const char* pattern, Regionals::DateFormat& entries);

// Appends the entries of a time pattern; false, with no entries appended,
// when the pattern holds a second hour field.
bool parseTimePattern(const char* pattern, Regionals::TimeFormat& entries);

// An own date form (DateOwnShortDM, DateOwnShortY2 or DateOwnShortY4) from
// the short pattern's entries, separator between the components.
void buildOwnDateFormat(const Regionals::DateFormat& shortFormat, td::Date::Format format, const char* separator,
                        Regionals::DateFormat& entries);

// An own time form (TimeOwnHM, TimeOwnHMS or TimeOwnHMSF) from the short
// pattern's entries, separator after hours and minutes.
void buildOwnTimeFormat(const Regionals::TimeFormat& shortFormat, td::Time::Format format, const char* separator,
                        Regionals::TimeFormat& entries);
} // namespace mu::priv
