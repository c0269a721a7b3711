#include <td/DateTime.h>

#include <cerrno>
#include <ctime>

namespace
{
struct ClockReading
{
    std::tm local;
    unsigned microseconds;
};

// One reading of the real-time clock in local time. tv_nsec is never
// negative, so tv_sec is the floor of the time, before 1970 too.
ClockReading readClock()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    ClockReading r {};
    const time_t t = ts.tv_sec;
    localtime_r(&t, &r.local);
    r.microseconds = static_cast<unsigned>(ts.tv_nsec / 1000);
    return r;
}

void fillDate(td::_BaseDate& date, const std::tm& tm)
{
    date.year = static_cast<td::WORD>(1900 + tm.tm_year);
    date.month = static_cast<td::BYTE>(tm.tm_mon + 1);
    date.day = static_cast<td::BYTE>(tm.tm_mday);
    date.zero = 0;
}

void fillTime(td::_BaseTime& time, const std::tm& tm)
{
    time.hours = static_cast<td::BYTE>(tm.tm_hour);
    time.minutes = static_cast<td::BYTE>(tm.tm_min);
    time.seconds = static_cast<td::BYTE>(tm.tm_sec);
}
} // namespace

namespace mu
{
void getCurrentLocalDate(td::_BaseDate& date) { fillDate(date, readClock().local); }

void getCurrentLocalTime(td::_BaseTime& time)
{
    ClockReading r = readClock();
    fillTime(time, r.local);
    time.microseconds = r.microseconds;
}

void getCurrentDateTime(td::_BaseDate& date, td::_BaseTime& time, bool flag)
{
    ClockReading r = readClock();
    fillDate(date, r.local);
    date.flag = flag ? 1 : 0;
    fillTime(time, r.local);
    time.microseconds = r.microseconds;
}

void convertTime(td::_BaseDate& date, td::_BaseTime& time, bool toUTC)
{
    std::tm tm {};
    tm.tm_year = date.year - 1900;
    tm.tm_mon = date.month - 1;
    tm.tm_mday = date.day;
    tm.tm_hour = time.hours;
    tm.tm_min = time.minutes;
    tm.tm_sec = time.seconds;
    // Let mktime decide whether daylight saving applies on that day; forcing
    // it off puts every summer time one hour off.
    tm.tm_isdst = -1;
    errno = 0;
    time_t t = mktime(&tm);
    if (t == static_cast<time_t>(-1) && errno != 0)
        return;
    std::tm out {};
    const std::tm* split = toUTC ? gmtime_r(&t, &out) : localtime_r(&t, &out);
    if (!split)
        return;
    fillDate(date, out);
    fillTime(time, out);
}
} // namespace mu
