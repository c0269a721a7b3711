// Numbers written with the separators of a locale. Nothing here allocates:
// numbers are printed into the scratch area of the buffer (from byte 32 on)
// and copied to its start with the thousands separators.
#include <mu/Regionals.h>

#include <cmath>
#include <cstring>
#include <type_traits>

#include <td/StringUtils.h>

namespace mu
{
namespace
{
constexpr size_t s_noCount = static_cast<size_t>(-1);

unsigned long long magnitudeOf(long long value)
{
    // In unsigned arithmetic, so that the smallest long long has one too.
    return value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
}

unsigned long long magnitudeOf(unsigned long long value) { return value; }

// The bounded print's result for a value followed by the suffix.
template <typename T>
int printWithSuffix(char* out, int size, const char* format, T value, const char* suffix)
{
    if (size < 1)
        return -1;
    const int n = _snprintf_s(out, static_cast<size_t>(size), s_noCount, format, value);
    if (n < 0 || !suffix || !*suffix)
        return n;
    const int m = _snprintf_s(out + n, static_cast<size_t>(size - n), s_noCount, "%s", suffix);
    return m < 0 ? -1 : n + m;
}

int fail(char* out)
{
    out[0] = 0;
    return -1;
}
} // namespace

template <typename T>
bool Regionals::isAboveLimit(T magnitude) const
{
    return magnitude > static_cast<T>(std::is_same_v<T, float> ? _maxFloat : _maxDouble);
}

template <typename T>
bool Regionals::isBelowLimit(T magnitude) const
{
    return magnitude < static_cast<T>(std::is_same_v<T, float> ? _minFloat : _minDouble);
}

int Regionals::copyGrouped(char* out, const char* text, bool group, int limit) const
{
    const int sign = text[0] == '-' ? 1 : 0;
    int digits = 0;
    while (text[sign + digits] >= '0' && text[sign + digits] <= '9')
        ++digits;
    const bool separate = group && digits >= 4;
    const int firstGroup = digits % 3 == 0 ? 3 : digits % 3;

    // out may lie 32 bytes before text in the same buffer: the copy gains
    // one byte per separator on the reading (at most six for a 64-bit
    // number), so it never overwrites a byte still to be read.
    int n = 0;
    for (int i = 0; text[i]; ++i)
    {
        const int pos = i - sign - firstGroup; // from the end of the first group
        const bool separator = separate && i > sign && pos >= 0 && pos % 3 == 0 && i < sign + digits;
        const int need = separator ? 2 : 1;
        if (n + need > limit - 1)
        {
            out[n] = 0;
            return -1;
        }
        if (separator)
            out[n++] = _thousandsSeparator;
        out[n++] = text[i];
    }
    out[n] = 0;
    return n;
}

template <int N>
int Regionals::format(const td::Decimal<td::LINT8, N>& value, bool group, const char* suffix)
{
    const unsigned long long magnitude = magnitudeOf(value.getValue());
    const unsigned long long scale = static_cast<unsigned long long>(td::Decimal<td::LINT8, N>::Scale);
    const char* sign = value.getValue() < 0 ? "-" : "";
    const char* tail = suffix ? suffix : "";
    const bool direct = !group || magnitude < scale * 1000;
    char* target = direct ? _buffer : _buffer + 32;

    int n;
    if constexpr (N == 0)
        n = _snprintf_s(target, static_cast<size_t>(_printLimit), s_noCount, "%s%llu%s", sign, magnitude, tail);
    else
        n = _snprintf_s(target, static_cast<size_t>(_printLimit), s_noCount, "%s%llu%c%0*llu%s", sign,
                        magnitude / scale, _decimalSeparator, N, magnitude % scale, tail);
    if (direct)
        return n;
    return n < 0 ? fail(_buffer) : copyGrouped(_buffer, target, true, _copyLimit);
}

template <typename T>
int Regionals::convertFloat(char* buf, T value, int nDec, int bufLen, td::FormatFloat format, const char* suffix)
{
    if (bufLen < 1)
        return -1;
    const T magnitude = std::fabs(value);
    if (isAboveLimit(magnitude))
    {
        // "*" or "*." and nDec stars, which must fit with the NUL as a print
        // would.
        const int length = nDec < 1 ? 1 : nDec + 2;
        if (length > bufLen - 2)
            return -1;
        std::memset(buf, '*', static_cast<size_t>(length));
        if (nDec >= 1)
            buf[1] = '.';
        buf[length] = 0;
        return length;
    }
    if (isBelowLimit(magnitude))
        value = 0;
    // A negative precision is taken as none: six decimals.
    const char* pattern = format == td::FormatFloat::Exponent ? "%.*e%s" : "%.*f%s";
    return _snprintf_s(buf, static_cast<size_t>(bufLen - 1), s_noCount, pattern, nDec, static_cast<double>(value),
                       suffix ? suffix : "");
}

template <typename T>
int Regionals::formatFloat(char* out, char* tmp, T value, int nDec, int bufLen, bool group, td::FormatFloat format,
                           const char* suffix)
{
    MU_ASSERT_MSG(bufLen >= nDec + 1, "BUFFLEN >= nDec + 1");
    const int n = convertFloat(tmp, value, nDec, bufLen, format, suffix);
    if (n < 0)
        return bufLen > 0 ? fail(out) : -1;

    // The conversion's point becomes the locale's; the suffix (which the
    // stars go without) is left alone.
    const bool stars = isAboveLimit(std::fabs(value));
    const int numberLength = stars ? n : n - static_cast<int>(suffix ? std::strlen(suffix) : 0);
    if (char* point = static_cast<char*>(std::memchr(tmp, '.', static_cast<size_t>(numberLength))))
        *point = _decimalSeparator;
    return copyGrouped(out, tmp, group && format == td::FormatFloat::Fixed, bufLen);
}

template <typename T>
int Regionals::formatInt(char* out, char* tmp, T value, const char* format, int bufLen, bool group, const char* suffix)
{
    if (!group || magnitudeOf(value) < 1000)
        return printWithSuffix(out, bufLen - 1, format, value, suffix);
    const int n = printWithSuffix(tmp, bufLen - 1, format, value, suffix);
    if (n < 0)
        return bufLen > 0 ? fail(out) : -1;
    return copyGrouped(out, tmp, true, bufLen);
}

template int Regionals::format<0>(const td::Decimal<td::LINT8, 0>&, bool, const char*);
template int Regionals::format<1>(const td::Decimal<td::LINT8, 1>&, bool, const char*);
template int Regionals::format<2>(const td::Decimal<td::LINT8, 2>&, bool, const char*);
template int Regionals::format<3>(const td::Decimal<td::LINT8, 3>&, bool, const char*);
template int Regionals::format<4>(const td::Decimal<td::LINT8, 4>&, bool, const char*);
template int Regionals::convertFloat<float>(char*, float, int, int, td::FormatFloat, const char*);
template int Regionals::convertFloat<double>(char*, double, int, int, td::FormatFloat, const char*);
template int Regionals::formatFloat<float>(char*, char*, float, int, int, bool, td::FormatFloat, const char*);
template int Regionals::formatFloat<double>(char*, char*, double, int, int, bool, td::FormatFloat, const char*);
template int Regionals::formatInt<long long>(char*, char*, long long, const char*, int, bool, const char*);
template int Regionals::formatInt<unsigned long long>(char*, char*, unsigned long long, const char*, int, bool,
                                                      const char*);
} // namespace mu
