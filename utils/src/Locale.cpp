#include "Locale.h"

#include <cstring>

namespace mu::priv
{
namespace
{
const LocaleDefinition s_english = {
    "en-US",
    '.',
    ',',
    "YY/MM/DD",
    "YYYY/MM/DD",
    "/",
    "hh:mm:ss",
    "hh:mm:ss.u",
    ":",
    {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"},
    {"sun", "mon", "tue", "wed", "thu", "fri", "sat"},
    {"january", "february", "march", "april", "may", "june", "july", "august", "september", "october", "november",
     "december"},
    {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"}};

const LocaleDefinition s_bosnian = {
    "bs-Latn-BA",
    ',',
    '.',
    "dd.mm.YYYY",
    "dddd d. mmm YYYY",
    ".",
    "H:m:s",
    "h:mm:ss u",
    ":",
    {"nedjelja", "ponedjeljak", "utorak", "srijeda", "četvrtak", "petak", "subota"},
    {"ned", "pon", "uto", "sri", "čet", "pet", "sub"},
    {"januar", "februar", "mart", "april", "maj", "juni", "juli", "avgust", "septembar", "oktobar", "novembar",
     "decembar"},
    {"jan", "feb", "mar", "apr", "maj", "jun", "jul", "avg", "sep", "okt", "nov", "dec"}};
} // namespace

const LocaleDefinition& builtInLocale(const char* code)
{
    return code && std::strcmp(code, "BA") == 0 ? s_bosnian : s_english;
}

std::unique_ptr<Regionals> makeRegionals(const LocaleDefinition& locale, int buffLen)
{
    auto pRegionals = std::make_unique<Regionals>(
        locale.name, buffLen, locale.decimalSeparator, locale.thousandsSeparator, locale.dateShort, locale.dateLong,
        locale.dateSeparator, locale.timeShort, locale.timeLong, locale.timeSeparator, '.', "dmy");
    for (int i = 0; i < 7; ++i)
    {
        pRegionals->setDayName(i, locale.dayNames[static_cast<size_t>(i)]);
        pRegionals->setDayShortName(i, locale.dayShortNames[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < 12; ++i)
    {
        pRegionals->setMonthName(i, locale.monthNames[static_cast<size_t>(i)]);
        pRegionals->setMonthShortName(i, locale.monthShortNames[static_cast<size_t>(i)]);
    }
    return pRegionals;
}
} // namespace mu::priv
