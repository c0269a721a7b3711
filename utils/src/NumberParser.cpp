#include <mu/NumberParser.h>

#include <atomic>
#include <charconv>
#include <cstring>
#include <cstdlib>
#include <locale.h>
#include <mutex>

#include <mu/Assert.h>

namespace mu
{
// The handle is read without a lock on every parse; creation and freeing go
// through the mutex. A freed locale is created again on the next parse, so a
// null handle never reaches strtod_l.
std::atomic<locale_t> __c_locale {nullptr};

namespace
{
std::mutex s_localeMutex;

locale_t cLocale()
{
    locale_t loc = __c_locale.load(std::memory_order_acquire);
    if (loc)
        return loc;
    initCLocale();
    loc = __c_locale.load(std::memory_order_acquire);
    MU_ASSERT(loc);
    return loc;
}
} // namespace

void initCLocale()
{
    std::lock_guard<std::mutex> lock(s_localeMutex);
    if (!__c_locale.load(std::memory_order_relaxed))
        __c_locale.store(newlocale(LC_NUMERIC_MASK, "C", nullptr), std::memory_order_release);
}

void freeCLocale()
{
    std::lock_guard<std::mutex> lock(s_localeMutex);
    if (locale_t loc = __c_locale.exchange(nullptr, std::memory_order_acq_rel))
        freelocale(loc);
}

namespace
{
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A plain decimal number (what model text holds) is read by from_chars, which
// rounds correctly as strtod does and so gives the same bits, several times
// faster. What it reads otherwise or not at all (a '+' or spaces before the
// number, hexadecimal, a value out of range) is left to strtod.
bool readDecimal(const char* text, double& value)
{
    const char* p = text + (*text == '-');
    if (!isDigit(*p) && !(*p == '.' && isDigit(p[1])))
        return false;
    const auto [pEnd, ec] = std::from_chars(text, text + std::strlen(text), value);
    return ec == std::errc() && *pEnd != 'x' && *pEnd != 'X';
}
} // namespace

double toDouble(const char* text)
{
    if (!text)
        return 0.0;
    double value;
    if (readDecimal(text, value))
        return value;
    return strtod_l(text, nullptr, cLocale());
}
} // namespace mu
