#include <td/StringBase.h>
#include <td/StringUtils.h>

#include <mu/NumberParser.h>

#include <cstdarg>
#include <cstdio>
#include <string>

int _snprintf_s(char* buffer, size_t size, size_t count, const char* fmt, ...)
{
    size_t limit = count < size ? count : size;
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(buffer, limit, fmt, args);
    va_end(args);
    if (n >= 0 && static_cast<size_t>(n) >= limit)
        return -1;
    return n;
}

namespace td
{
std::pair<uint32_t, uint32_t> getLenUTF8(const char* text)
{
    uint32_t bytes = 0;
    uint32_t chars = 0;
    if (!text)
        return {0, 0};
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (p[bytes])
    {
        unsigned need = utf8SequenceLength(p[bytes]);
        unsigned got = 1;
        // The NUL is no continuation byte, so this stops at the end.
        while (got < need && (p[bytes + got] & 0xC0) == 0x80)
            ++got;
        bytes += (got == need) ? got : 1;
        ++chars;
    }
    return {bytes, chars};
}

namespace
{
bool isDigit(char c) { return c >= '0' && c <= '9'; }

const char* skipSpace(const char* p)
{
    while (isTrimSpace(*p))
        ++p;
    return p;
}

const char* skipDigits(const char* p)
{
    while (isDigit(*p))
        ++p;
    return p;
}

// One number of the complex syntax at p: value, whether an 'i' follows, and
// p moved behind it. False when p does not start such a number.
bool readNumber(const char*& p, double& value, bool& imaginary)
{
    const char* pStart = p;
    const char* q = p;
    if (*q == '+' || *q == '-')
        ++q;
    else if (!isDigit(*q))
        return false;
    const char* pDigits = q;
    q = skipDigits(q);
    bool hasDigits = q != pDigits;
    if (*q == '.')
    {
        const char* pFrac = ++q;
        q = skipDigits(q);
        hasDigits = hasDigits || q != pFrac;
    }
    if (!hasDigits)
        return false;
    if (*q == 'e' || *q == 'E')
    {
        ++q;
        if (*q == '+' || *q == '-')
            ++q;
        if (!isDigit(*q))
            return false;
        q = skipDigits(q);
    }
    // Only the accepted text is converted: the number parser alone would read
    // on past it ("0x10" as hexadecimal where the syntax stops at the 'x').
    value = mu::toDouble(std::string(pStart, q).c_str());
    imaginary = *q == 'i';
    p = imaginary ? q + 1 : q;
    return true;
}
} // namespace

bool _extract(std::complex<double>& value, const char* text, bool wholeText)
{
    if (!text)
        return false;
    const char* p = skipSpace(text);
    double first;
    bool firstImaginary;
    if (!readNumber(p, first, firstImaginary))
        return false;
    p = skipSpace(p);
    if (*p == 0)
    {
        value = firstImaginary ? std::complex<double>(0, first) : std::complex<double>(first, 0);
        return true;
    }
    double second;
    bool secondImaginary;
    if (!readNumber(p, second, secondImaginary) || firstImaginary == secondImaginary)
        return false;
    if (wholeText && *skipSpace(p) != 0)
        return false;
    value = firstImaginary ? std::complex<double>(second, first) : std::complex<double>(first, second);
    return true;
}
} // namespace td
