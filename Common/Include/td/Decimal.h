#pragma once
// Fixed-point decimal: the value times 10^N kept as one integer, so sums of
// money-like values stay exact.
#include <td/String.h>
#include <td/Types.h>

#include <limits>
#include <type_traits>

namespace td
{
// Text of value / 10^nDec: "-" and the absolute value, nDec digits after the
// point. out must hold 32 bytes; returns the text length.
int formatDecimal(char* out, LINT8 value, int nDec);

// Reads an optional sign, digits and a point with up to nDec digits into the
// value times 10^nDec; further digits are dropped, a number beyond the range
// of [minValue, maxValue] stops at the nearer end. A text without digits
// gives 0.
LINT8 parseDecimal(const char* text, int nDec, LINT8 minValue, LINT8 maxValue);

constexpr LINT8 powerOf10(int n)
{
    LINT8 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

template <typename T, int N>
class Decimal
{
    static_assert(std::is_same_v<T, LINT8> || std::is_same_v<T, INT4>, "decimals are 32- or 64-bit");
    static_assert(N >= 0 && N <= 4, "decimals carry 0 to 4 digits");

public:
    static constexpr T Scale = static_cast<T>(powerOf10(N));

    constexpr Decimal() = default;
    // scaled is the value times 10^N: Decimal<LINT8, 2>(-105) is -1.05.
    constexpr explicit Decimal(T scaled)
        : _value(scaled)
    {
    }

    constexpr T getValue() const { return _value; }
    constexpr void setValue(T scaled) { _value = scaled; }

    // Integer part plus the remainder as a fraction, both carrying the sign.
    double toDouble() const
    {
        return static_cast<double>(_value / Scale) + static_cast<double>(_value % Scale) / Scale;
    }

    // Wraps in T like the integer kinds of a Variant.
    Decimal& operator+=(const Decimal& other)
    {
        using U = std::make_unsigned_t<T>;
        _value = static_cast<T>(static_cast<U>(_value) + static_cast<U>(other._value));
        return *this;
    }

    td::String toString() const
    {
        char buf[32];
        int len = formatDecimal(buf, _value, N);
        return td::String(buf, static_cast<size_t>(len));
    }

    static Decimal fromString(const char* text)
    {
        return Decimal(
            static_cast<T>(parseDecimal(text, N, std::numeric_limits<T>::min(), std::numeric_limits<T>::max())));
    }

    constexpr bool operator==(const Decimal&) const = default;

private:
    T _value = 0;
};

using Decimal0 = Decimal<LINT8, 0>;
using Decimal1 = Decimal<LINT8, 1>;
using Decimal2 = Decimal<LINT8, 2>;
using Decimal3 = Decimal<LINT8, 3>;
using Decimal4 = Decimal<LINT8, 4>;
using SmallDecimal0 = Decimal<INT4, 0>;
using SmallDecimal1 = Decimal<INT4, 1>;
using SmallDecimal2 = Decimal<INT4, 2>;
using SmallDecimal3 = Decimal<INT4, 3>;
using SmallDecimal4 = Decimal<INT4, 4>;
} // namespace td
