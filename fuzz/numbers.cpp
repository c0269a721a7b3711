// Number and value texts, as model text, XML and settings files hand them
// over: the locale-free number parser against the C library's own reader,
// the complex and decimal readers, dates and times, colour names. The whole
// input is the text (up to its first NUL).
#include <Check.h>
#include <mu/NumberParser.h>
#include <td/ColorID.h>
#include <td/DateTime.h>
#include <td/Decimal.h>
#include <td/StringUtils.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <strings.h>

namespace
{
bool sameDouble(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

// The process runs in the "C" locale, so strtod is the reference.
void checkToDouble(const char* text) { FUZZ_CHECK(sameDouble(mu::toDouble(text), std::strtod(text, nullptr))); }

void checkComplex(const char* text)
{
    std::complex<double> whole(-7, -7), prefix(-7, -7);
    const bool wholeOk = td::_extract(whole, text, true);
    const bool prefixOk = td::_extract(prefix, text, false);
    if (!wholeOk)
    {
        FUZZ_CHECK(whole == std::complex<double>(-7, -7));
        return;
    }
    FUZZ_CHECK(prefixOk && sameDouble(whole.real(), prefix.real()) && sameDouble(whole.imag(), prefix.imag()));
    if (!std::isfinite(whole.real()) || !std::isfinite(whole.imag()))
        return;
    // Seventeen significant digits give the same double back.
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.17g%+.17gi", whole.real(), whole.imag());
    std::complex<double> again;
    FUZZ_CHECK(td::_extract(again, printed, true) && again == whole);
}

// Only white space, a sign, digits and one point: the texts on which the
// decimal reader and strtod read the same number.
bool isPlainDecimal(const char* p)
{
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    bool digits = false, point = false;
    for (; *p; ++p)
    {
        if (*p >= '0' && *p <= '9')
            digits = true;
        else if (*p == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

template <typename T, int N>
void checkDecimal(const char* text)
{
    using D = td::Decimal<T, N>;
    const D value = D::fromString(text);
    // The text form reads back as the same value.
    FUZZ_CHECK(D::fromString(value.toString().c_str()) == value);
    if (!isPlainDecimal(text))
        return;
    // Digits beyond the N kept are dropped, so the reading is within one
    // unit of the last place of the exact value (and strtod's rounding).
    const double exact = std::strtod(text, nullptr) * double(D::Scale);
    const double limit = double(std::numeric_limits<T>::max());
    if (std::fabs(exact) < 1e15 && std::fabs(exact) < limit)
        FUZZ_CHECK(std::fabs(double(value.getValue()) - exact) <= 1.0 + std::fabs(exact) * 1e-15);
    else if (exact >= limit)
        FUZZ_CHECK(value.getValue() >= T(limit / 2));
}

void checkDecimals(const char* text)
{
    checkDecimal<td::LINT8, 0>(text);
    checkDecimal<td::LINT8, 2>(text);
    checkDecimal<td::LINT8, 4>(text);
    checkDecimal<td::INT4, 0>(text);
    checkDecimal<td::INT4, 3>(text);
}

bool isValidDate(const td::Date& d)
{
    return d.year() >= td::Date::MinYear && d.year() <= td::Date::MaxYear && d.month() >= 1 && d.month() <= 12 &&
           d.day() >= 1 && d.day() <= td::Date::daysInMonth(d.year(), d.month());
}

bool isValidTime(const td::Time& t)
{
    return t.getValue() >= 0 && t.hours() <= 23 && t.minutes() <= 59 && t.seconds() <= 59 &&
           t.fractions() < td::Time::FractionsPerSecond;
}

void checkDatesAndTimes(const char* text)
{
    const bool empty = *text == 0;
    const td::Date date = td::Date::fromString(text);
    FUZZ_CHECK(empty ? date == td::Date() : isValidDate(date));
    if (!empty)
        FUZZ_CHECK(td::Date::fromString(date.toString().c_str()) == date);
    const td::Time time = td::Time::fromString(text);
    FUZZ_CHECK(isValidTime(time));
    FUZZ_CHECK(td::Time::fromString(time.toString().c_str()) == time);
    const td::DateTime both = td::DateTime::fromString(text);
    FUZZ_CHECK(empty ? both == td::DateTime() : isValidDate(both.getDate()) && isValidTime(both.getTime()));
    if (!empty)
        FUZZ_CHECK(td::DateTime::fromString(both.toString().c_str()) == both);
}

// A colour found by name carries that name, in any case.
void checkColorName(const char* text, std::size_t length)
{
    const auto none = static_cast<td::ColorID>(-1); // an unnamed value
    const int n = length > 64 ? 64 : int(length);
    const td::ColorID id = td::toColorID(text, n, none);
    if (id == none)
        return;
    const char* name = td::toString(id);
    FUZZ_CHECK(std::strlen(name) == std::size_t(n) && strncasecmp(name, text, std::size_t(n)) == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* text = input.c_str();
    checkToDouble(text);
    checkComplex(text);
    checkDecimals(text);
    checkDatesAndTimes(text);
    checkColorName(text, std::strlen(text));
    return 0;
}
