#include <td/Decimal.h>

#include <cctype>
#include <cstdio>

namespace td
{
int formatDecimal(char* out, LINT8 value, int nDec)
{
    // Through the unsigned magnitude: the most negative value has no
    // positive counterpart.
    const bool negative = value < 0;
    const LUINT8 magnitude = negative ? 0 - static_cast<LUINT8>(value) : static_cast<LUINT8>(value);
    const char* sign = negative ? "-" : "";
    if (nDec <= 0)
        return std::snprintf(out, 32, "%s%llu", sign, magnitude);
    const LUINT8 scale = static_cast<LUINT8>(powerOf10(nDec));
    return std::snprintf(out, 32, "%s%llu.%0*llu", sign, magnitude / scale, nDec, magnitude % scale);
}

LINT8 parseDecimal(const char* text, int nDec, LINT8 minValue, LINT8 maxValue)
{
    if (!text)
        return 0;
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    // Accumulate the magnitude, stopping at the limit of the sign's side so
    // that no step can overflow.
    const LUINT8 limit = negative ? 0 - static_cast<LUINT8>(minValue) : static_cast<LUINT8>(maxValue);
    LUINT8 magnitude = 0;
    bool saturated = false;
    auto addDigit = [&](char c) {
        const unsigned d = static_cast<unsigned>(c - '0');
        if (saturated || magnitude > (limit - d) / 10)
            saturated = true;
        else
            magnitude = magnitude * 10 + d;
    };
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        addDigit(*text);
    int fracDigits = 0;
    if (*text == '.')
    {
        for (++text; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        {
            if (fracDigits < nDec)
            {
                addDigit(*text);
                ++fracDigits;
            }
        }
    }
    for (; fracDigits < nDec; ++fracDigits)
        addDigit('0');
    if (saturated)
        magnitude = limit;
    return negative ? static_cast<LINT8>(0 - magnitude) : static_cast<LINT8>(magnitude);
}
} // namespace td
