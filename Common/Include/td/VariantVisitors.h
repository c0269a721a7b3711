#pragma once
// Visitors of td::VariantBase: text form, conversion to a number and adding
// one variant to another of the same type.
#include <td/VariantBase.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

namespace td
{
// The text form of each type; numbers never depend on the process locale.
class ToStringVisitor
{
public:
    String operator()(char boolByte) const;
    String operator()(BYTE val) const;
    String operator()(WORD val) const;
    String operator()(INT2 val) const;
    String operator()(UINT4 val) const;
    String operator()(INT4 val) const;
    String operator()(LINT8 val) const;
    String operator()(LUINT8 val) const;
    String operator()(float val) const;
    String operator()(double val) const;
    String operator()(const String& val) const { return val; }
    String operator()(const Date& val) const { return val.toString(); }
    String operator()(const Time& val) const { return val.toString(); }
    String operator()(const DateTime& val) const { return val.toString(); }
    template <typename T, int N>
    String operator()(const Decimal<T, N>& val) const
    {
        return val.toString();
    }
    String operator()(const InlineText& val) const { return String(val.text, strnlen(val.text, sizeof(val.text))); }
    String operator()(const Color& val) const;
    String operator()(ColorID val) const { return String(td::toString(val)); }
    String operator()(LinePattern val) const { return String(td::toString(val)); }
    String operator()(DotPattern val) const { return String(td::toString(val)); }
    String operator()(Anchor val) const { return String(td::toString(val)); }
};

// Conversion to T (int, long long, unsigned long long or double).
template <typename T>
class ToNumberVisitor
{
public:
    T operator()(char boolByte) const { return boolByte == 'Y' ? T(1) : T(0); }

    template <typename I>
    requires std::is_integral_v<I> T operator()(I val) const { return static_cast<T>(val); }

    T operator()(float val) const { return fromReal(val); }
    T operator()(double val) const { return fromReal(val); }

    // Only the leading integer counts: "2.5" converts to 2.
    T operator()(const String& val) const
    {
        return static_cast<T>(static_cast<INT4>(std::strtol(val.c_str(), nullptr, 10)));
    }

    T operator()(const Date& val) const { return static_cast<T>(static_cast<INT4>(val.getValue())); }
    T operator()(const Time& val) const { return static_cast<T>(val.getValue()); }
    // The time is the lower half, so an int receives the time alone.
    T operator()(const DateTime& val) const { return static_cast<T>(val.getValue()); }

    template <typename D, int N>
    T operator()(const Decimal<D, N>& val) const
    {
        if constexpr (std::is_floating_point_v<T>)
            return static_cast<T>(val.toDouble());
        else
            return static_cast<T>(val.getValue() / Decimal<D, N>::Scale);
    }

    T operator()(const InlineText&) const { return T(0); }

    T operator()(const Color& val) const
    {
        UINT4 bits;
        std::memcpy(&bits, val.bytes, sizeof(bits));
        return static_cast<T>(bits);
    }

    // The one-byte kinds count as unsigned bytes.
    T operator()(ColorID val) const { return static_cast<T>(static_cast<BYTE>(val)); }
    T operator()(LinePattern val) const { return static_cast<T>(static_cast<BYTE>(val)); }
    T operator()(DotPattern val) const { return static_cast<T>(static_cast<BYTE>(val)); }
    T operator()(Anchor val) const { return static_cast<T>(static_cast<BYTE>(val)); }

private:
    // Truncates toward zero; a value beyond T's range stops at its nearer
    // end and NaN gives 0, where a plain cast would be undefined.
    template <typename R>
    static T fromReal(R val)
    {
        if constexpr (std::is_floating_point_v<T>)
            return static_cast<T>(val);
        else
        {
            if (val != val)
                return T(0);
            if (val <= static_cast<R>(std::numeric_limits<T>::min()))
                return std::numeric_limits<T>::min();
            if (val >= static_cast<R>(std::numeric_limits<T>::max()))
                return std::numeric_limits<T>::max();
            return static_cast<T>(val);
        }
    }
};

// a += b for a variant a visited with this visitor holding b; b must have
// a's type.
template <class VARIANT>
class PlusEqVisitor
{
public:
    explicit PlusEqVisitor(const VARIANT& var)
        : _var(var)
    {
    }

    // Logical or.
    void operator()(char& boolByte) const
    {
        if (_var.boolVal())
            boolByte = 'Y';
    }
    void operator()(BYTE& val) const { wrapAdd(val, _var.byteVal()); }
    void operator()(WORD& val) const { wrapAdd(val, _var.wordVal()); }
    void operator()(INT2& val) const { wrapAdd(val, _var.i2Val()); }
    void operator()(UINT4& val) const { wrapAdd(val, _var.u4Val()); }
    void operator()(INT4& val) const { wrapAdd(val, _var.i4Val()); }
    void operator()(LINT8& val) const { wrapAdd(val, _var.i8Val()); }
    void operator()(LUINT8& val) const { wrapAdd(val, _var.u8Val()); }
    void operator()(float& val) const { val += _var.r4Val(); }
    void operator()(double& val) const { val += _var.r8Val(); }

    void operator()(String& val) const
    {
        // Hold b's text by a share of its own: b may be a itself.
        const String other = _var.strVal();
        val.appendString(other.c_str(), static_cast<int>(other.length()));
    }

    template <typename D, int N>
    void operator()(Decimal<D, N>& val) const
    {
        const VARIANT& var = _var;
        MU_ASSERT(var.getType() == td::getType(val));
        Decimal<D, N> other;
        var.getValue(other);
        val += other;
    }

    // Dates, times, text kept inline, colours and the one-byte kinds do not
    // add up: a stays as it is.
    template <typename V>
    void operator()(V& val) const
    {
        const VARIANT& var = _var;
        MU_ASSERT(var.getType() == td::getType(val));
    }

private:
    // Integers add in their own width and wrap.
    template <typename I>
    static void wrapAdd(I& a, I b)
    {
        using U = std::make_unsigned_t<decltype(a + b)>;
        a = static_cast<I>(static_cast<U>(a) + static_cast<U>(b));
    }

    const VARIANT& _var;
};
} // namespace td
