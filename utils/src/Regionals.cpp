#include <mu/Regionals.h>

#include <bit>

#include "RegionalPatterns.h"

namespace mu
{
namespace
{
// Room for the entries of each form: the locale's patterns hold the most.
constexpr size_t s_dateRoom[5] = {8, 10, 10, 16, 16};
constexpr size_t s_timeRoom[5] = {8, 8, 10, 16, 16};

uint32_t hashOf(const char* name)
{
    uint32_t hash = 0;
    for (const char* p = name; p && *p; ++p)
        hash = std::rotl(hash, 5) ^ static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    return hash;
}

// Forms outside the five give the locale's short one.
template <class FORMAT>
unsigned formIndex(FORMAT format)
{
    return static_cast<unsigned>(format) < 5 ? static_cast<unsigned>(format) : 3;
}
} // namespace

Regionals::Regionals(const char* name, int buffLen, char decimalSeparator, char thousandsSeparator,
                     const char* dateShort, const char* dateLong, const char* dateSeparator, const char* timeShort,
                     const char* timeLong, const char* timeSeparator, char thirdSeparator, const char* dateOrder)
    : _name(name)
    , _printLimit(buffLen - 33)
    , _nameHash(hashOf(name))
    , _copyLimit(buffLen - 33)
    , _decimalSeparator(decimalSeparator)
    , _thousandsSeparator(thousandsSeparator)
    , _thirdSeparator(thirdSeparator)
{
    MU_ASSERT(buffLen > 60);
    _buffer = new char[static_cast<size_t>(buffLen)]();
    for (int i = 0; dateOrder && i < 3 && dateOrder[i]; ++i)
        _dateOrder[i] = dateOrder[i];
    for (unsigned i = 0; i < 5; ++i)
    {
        _dateFormats[i].reserve(s_dateRoom[i]);
        _timeFormats[i].reserve(s_timeRoom[i]);
    }

    if (dateLong)
        priv::parseDatePattern(dateLong, _dateFormats[td::Date::DateWinLong]);
    if (dateShort)
    {
        priv::parseDatePattern(dateShort, _dateFormats[td::Date::DateWinShort]);
        for (td::Date::Format own : {td::Date::DateOwnShortY2, td::Date::DateOwnShortY4, td::Date::DateOwnShortDM})
            priv::buildOwnDateFormat(_dateFormats[td::Date::DateWinShort], own, dateSeparator, _dateFormats[own]);
    }
    if (timeShort)
        priv::parseTimePattern(timeShort, _timeFormats[td::Time::TimeWinShort]);
    if (timeLong)
        priv::parseTimePattern(timeLong, _timeFormats[td::Time::TimeWinLong]);
    if (timeShort)
    {
        for (td::Time::Format own : {td::Time::TimeOwnHM, td::Time::TimeOwnHMS, td::Time::TimeOwnHMSF})
            priv::buildOwnTimeFormat(_timeFormats[td::Time::TimeWinShort], own, timeSeparator, _timeFormats[own]);
    }
}

Regionals::~Regionals() { delete[] _buffer; }

void Regionals::setDayName(int i, const char* name)
{
    MU_ASSERT((i >= 0) && (i < 7));
    _dayNames[static_cast<size_t>(i)] = name;
}

void Regionals::setDayShortName(int i, const char* name)
{
    MU_ASSERT((i >= 0) && (i < 7));
    _dayShortNames[static_cast<size_t>(i)] = name;
}

void Regionals::setMonthName(int i, const char* name)
{
    MU_ASSERT((i >= 0) && (i < 12));
    _monthNames[static_cast<size_t>(i)] = name;
}

void Regionals::setMonthShortName(int i, const char* name)
{
    MU_ASSERT((i >= 0) && (i < 12));
    _monthShortNames[static_cast<size_t>(i)] = name;
}

const Regionals::DateFormat& Regionals::getDateFormat(td::Date::Format format) const
{
    return _dateFormats[formIndex(format)];
}

const Regionals::TimeFormat& Regionals::getTimeFormat(td::Time::Format format) const
{
    return _timeFormats[formIndex(format)];
}
} // namespace mu
