#include "RegionalPatterns.h"

#include <cstring>
#include <string>

namespace mu::priv
{
namespace
{
constexpr char s_quote = '\'';
constexpr const char* s_fractionSeparator = ".";

// The scanner's current run: its letter (0 for none; a literal character
// for a literal run), its length, and the text of a literal run.
struct Run
{
    char letter = 0;
    int length = 0;
    std::string literal;
};

template <class ENTRIES>
void add(ENTRIES& entries, td::UINT4 kind, const char* text)
{
    auto& entry = entries.push_back();
    entry.kind = kind;
    entry.text = text;
}

// 'd', 'm' or 'y' for a date letter of either case, else 0.
char dateLetter(char c)
{
    switch (c)
    {
    case 'D':
    case 'd': return 'd';
    case 'M':
    case 'm': return 'm';
    case 'Y':
    case 'y': return 'y';
    default: return 0;
    }
}

// 'H' (24-hour), 'h' (12-hour), 'm', 's', 'u' (fraction) or 't'
// (designator), else 0.
char timeLetter(char c)
{
    switch (c)
    {
    case 'H':
    case 'h':
    case 'u':
    case 't': return c;
    case 'M':
    case 'm': return 'm';
    case 'S':
    case 's': return 's';
    default: return 0;
    }
}

// A month or day run: one or two letters give the number, three the short
// name, more the name.
void addNumberOrName(Regionals::DateFormat& entries, int length, td::UINT4 number, td::UINT4 name, td::UINT4 shortName)
{
    if (length <= 2)
        add(entries, number, length == 1 ? "%d" : "%02d");
    else
        add(entries, length == 3 ? shortName : name, "%s");
}

void closeDateRun(Run& run, Regionals::DateFormat& entries)
{
    switch (run.letter)
    {
    case 0: break;
    case 'y':
        if (run.length == 2)
            add(entries, 1, "%02d");
        else
            add(entries, 0, "%d");
        break;
    case 'm': addNumberOrName(entries, run.length, 2, 3, 4); break;
    case 'd': addNumberOrName(entries, run.length, 5, 6, 7); break;
    default: add(entries, 8, run.literal.c_str()); break;
    }
    run = Run();
}

void closeTimeRun(Run& run, Regionals::TimeFormat& entries)
{
    const char* digits = run.length == 1 ? "%d" : "%02d";
    switch (run.letter)
    {
    case 0: break;
    case 'h': add(entries, 0, digits); break;
    case 'H': add(entries, 1, digits); break;
    case 'm': add(entries, 2, digits); break;
    case 's': add(entries, 3, digits); break;
    case 'u': add(entries, 4, run.length == 1 ? "%d" : "%03d"); break;
    case 't': add(entries, 5, "%s"); break;
    default: add(entries, 6, run.literal.c_str()); break;
    }
    run = Run();
}
} // namespace

void parseDatePattern(const char* pattern, Regionals::DateFormat& entries)
{
    Run run;
    for (const char* p = pattern; *p; ++p)
    {
        const char letter = dateLetter(*p);
        if (letter && letter == run.letter)
        {
            ++run.length;
            continue;
        }
        closeDateRun(run, entries);
        if (letter)
            run = {letter, 1, {}};
        else if (*p == s_quote)
        {
            // The text up to the next quote (or the end) is one literal.
            const char* end = std::strchr(p + 1, s_quote);
            const size_t length = end ? static_cast<size_t>(end - p - 1) : std::strlen(p + 1);
            run.letter = s_quote;
            run.literal.assign(p + 1, length);
            p += end ? length + 1 : length;
        }
        else
        {
            run.letter = *p;
            run.literal = *p;
        }
    }
    closeDateRun(run, entries);
}

bool parseTimePattern(const char* pattern, Regionals::TimeFormat& entries)
{
    Run run;
    bool hour = false;
    bool twelveHour = false;
    for (const char* p = pattern; *p; ++p)
    {
        const char letter = timeLetter(*p);
        // A designator counts only after a 12-hour field.
        if (letter == 't' && !twelveHour)
        {
            closeTimeRun(run, entries);
            continue;
        }
        if (letter && letter == run.letter)
        {
            ++run.length;
            continue;
        }
        closeTimeRun(run, entries);
        if (letter == 'h' || letter == 'H')
        {
            if (hour)
            {
                entries.reserve(entries.capacity());
                return false;
            }
            hour = true;
            twelveHour = letter == 'h';
        }
        if (letter)
            run = {letter, 1, {}};
        else
        {
            run.letter = *p;
            run.literal = *p;
        }
    }
    closeTimeRun(run, entries);
    return true;
}

void buildOwnDateFormat(const Regionals::DateFormat& shortFormat, td::Date::Format format, const char* separator,
                        Regionals::DateFormat& entries)
{
    const int count = format == td::Date::DateOwnShortDM ? 2 : 3;
    bool year = false;
    bool month = false;
    bool day = false;
    int placed = 0;
    // Each component is placed once, in the short pattern's order; names of
    // days and literals are passed over.
    for (const Regionals::_tDateFmt& entry : shortFormat)
    {
        switch (entry.kind)
        {
        case 0:
        case 1:
            if (count == 2 || year)
                continue;
            year = true;
            if (format == td::Date::DateOwnShortY2)
                add(entries, 1, "%02d");
            else
                add(entries, 0, "%d");
            break;
        case 2:
        case 3:
        case 4:
            if (month)
                continue;
            month = true;
            add(entries, 2, entry.kind == 2 ? entry.text.c_str() : "%02d");
            break;
        case 5:
            if (day)
                continue;
            day = true;
            add(entries, 5, entry.text.c_str());
            break;
        default: continue;
        }
        if (++placed < count)
            add(entries, 8, separator);
    }
}

void buildOwnTimeFormat(const Regionals::TimeFormat& shortFormat, td::Time::Format format, const char* separator,
                        Regionals::TimeFormat& entries)
{
    const int count = format == td::Time::TimeOwnHM ? 2 : 3;
    bool hour = false;
    bool minutes = false;
    bool seconds = false;
    int placed = 0;
    // The own forms count hours on the 24-hour clock.
    for (const Regionals::_tTimeFmt& entry : shortFormat)
    {
        switch (entry.kind)
        {
        case 0:
        case 1:
            if (hour)
                continue;
            hour = true;
            add(entries, 1, entry.text.c_str());
            break;
        case 2:
            if (minutes)
                continue;
            minutes = true;
            add(entries, 2, "%02d");
            break;
        case 3:
            if (count == 2 || seconds)
                continue;
            seconds = true;
            add(entries, 3, "%02d");
            break;
        default: continue;
        }
        if (++placed < count)
            add(entries, 6, entry.kind == 3 ? s_fractionSeparator : separator);
    }
    if (format == td::Time::TimeOwnHMSF)
    {
        add(entries, 6, s_fractionSeparator);
        add(entries, 4, "%03d");
    }
}
} // namespace mu::priv
