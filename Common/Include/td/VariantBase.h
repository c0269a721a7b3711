#pragma once
// The value part of td::Variant: 8 bytes of value and a one-byte type code.
// It owns nothing; td::Variant manages the string a string8 value holds.
#include <mu/Assert.h>
#include <td/Anchor.h>
#include <td/ColorID.h>
#include <td/DateTime.h>
#include <td/Decimal.h>
#include <td/DotPattern.h>
#include <td/LinePattern.h>
#include <td/String.h>
#include <td/Types.h>

#include <new>

namespace td
{
// Up to seven characters and a NUL kept inside the value itself.
struct InlineText
{
    char text[8] = {};

    InlineText() = default;
    explicit InlineText(const char* s)
    {
        for (int i = 0; s && i < 7 && s[i]; ++i)
            text[i] = s[i];
    }
};

// The type code of each value type a variant can hold.
constexpr _tDataType getType(bool) { return boolean; }
constexpr _tDataType getType(BYTE) { return byte; }
constexpr _tDataType getType(WORD) { return word; }
constexpr _tDataType getType(INT2) { return int2; }
constexpr _tDataType getType(UINT4) { return uint4; }
constexpr _tDataType getType(INT4) { return int4; }
constexpr _tDataType getType(LINT8) { return lint8; }
constexpr _tDataType getType(LUINT8) { return luint8; }
constexpr _tDataType getType(float) { return real4; }
constexpr _tDataType getType(double) { return real8; }
inline _tDataType getType(const String&) { return string8; }
constexpr _tDataType getType(const Date&) { return date; }
constexpr _tDataType getType(const Time&) { return time; }
constexpr _tDataType getType(const DateTime&) { return dateTime; }
template <int N>
constexpr _tDataType getType(const Decimal<LINT8, N>&)
{
    return static_cast<_tDataType>(decimal0 + N);
}
template <int N>
constexpr _tDataType getType(const Decimal<INT4, N>&)
{
    return static_cast<_tDataType>(smallDecimal0 + N);
}
constexpr _tDataType getType(const InlineText&) { return inlineText; }
constexpr _tDataType getType(const Color&) { return color; }
constexpr _tDataType getType(ColorID) { return colorID; }
constexpr _tDataType getType(LinePattern) { return linePattern; }
constexpr _tDataType getType(DotPattern) { return dotPattern; }
constexpr _tDataType getType(Anchor) { return anchor; }

// Typed read of the value; the assertion text names the required type.
#define TD_VARIANT_ACCESSOR(NAME, T, CODE)                                                                             \
    T NAME() const                                                                                                     \
    {                                                                                                                  \
        MU_ASSERT(getType() == td::CODE);                                                                              \
        return as<T>();                                                                                                \
    }

class VariantBase
{
public:
    _tDataType getType() const { return _type; }

    // A boolean holds the byte 'Y' for true; any other byte is false.
    bool boolVal() const
    {
        MU_ASSERT(getType() == td::boolean);
        return as<char>() == 'Y';
    }
    TD_VARIANT_ACCESSOR(byteVal, BYTE, byte)
    TD_VARIANT_ACCESSOR(wordVal, WORD, word)
    TD_VARIANT_ACCESSOR(i2Val, INT2, int2)
    TD_VARIANT_ACCESSOR(u4Val, UINT4, uint4)
    TD_VARIANT_ACCESSOR(i4Val, INT4, int4)
    TD_VARIANT_ACCESSOR(i8Val, LINT8, lint8)
    TD_VARIANT_ACCESSOR(u8Val, LUINT8, luint8)
    TD_VARIANT_ACCESSOR(r4Val, float, real4)
    TD_VARIANT_ACCESSOR(r8Val, double, real8)
    TD_VARIANT_ACCESSOR(dateVal, Date, date)
    TD_VARIANT_ACCESSOR(timeVal, Time, time)
    TD_VARIANT_ACCESSOR(dateTimeVal, DateTime, dateTime)
    TD_VARIANT_ACCESSOR(dec0Val, Decimal0, decimal0)
    TD_VARIANT_ACCESSOR(dec1Val, Decimal1, decimal1)
    TD_VARIANT_ACCESSOR(dec2Val, Decimal2, decimal2)
    TD_VARIANT_ACCESSOR(dec3Val, Decimal3, decimal3)
    TD_VARIANT_ACCESSOR(dec4Val, Decimal4, decimal4)
    TD_VARIANT_ACCESSOR(sdec0Val, SmallDecimal0, smallDecimal0)
    TD_VARIANT_ACCESSOR(sdec1Val, SmallDecimal1, smallDecimal1)
    TD_VARIANT_ACCESSOR(sdec2Val, SmallDecimal2, smallDecimal2)
    TD_VARIANT_ACCESSOR(sdec3Val, SmallDecimal3, smallDecimal3)
    TD_VARIANT_ACCESSOR(sdec4Val, SmallDecimal4, smallDecimal4)
    TD_VARIANT_ACCESSOR(colorVal, Color, color)
    TD_VARIANT_ACCESSOR(colorIDVal, ColorID, colorID)
    TD_VARIANT_ACCESSOR(linePatternVal, LinePattern, linePattern)
    TD_VARIANT_ACCESSOR(dotPatternVal, DotPattern, dotPattern)
    TD_VARIANT_ACCESSOR(anchorVal, Anchor, anchor)

    const String& strVal() const
    {
        MU_ASSERT(getType() == td::string8);
        return as<String>();
    }

    const char* inlineTextVal() const
    {
        MU_ASSERT(getType() == td::inlineText);
        return as<InlineText>().text;
    }

    // Calls visitor(value) with the value as its own type (a boolean as its
    // char, 'Y' for true) and returns what the visitor returns. A type code
    // outside the table stops the process.
    template <class VISITOR, typename RET>
    RET applyConstVisitor(const VISITOR& visitor = VISITOR()) const
    {
        return dispatch<RET>(*this, visitor);
    }

    // The same with the value passed by non-const reference.
    template <class VISITOR, typename RET>
    RET applyVisitor(const VISITOR& visitor)
    {
        return dispatch<RET>(*this, visitor);
    }

protected:
    template <typename T>
    const T& as() const
    {
        return *std::launder(reinterpret_cast<const T*>(_value));
    }

    template <typename T>
    T& as()
    {
        return *std::launder(reinterpret_cast<T*>(_value));
    }

    alignas(8) unsigned char _value[8] = {};
    _tDataType _type = none;

private:
    // One switch for both visitor forms: SELF is const for applyConstVisitor.
    template <typename RET, class SELF, class VISITOR>
    static RET dispatch(SELF& self, const VISITOR& visitor)
    {
        switch (self._type)
        {
        case boolean: return visitor(self.template as<char>());
        case byte: return visitor(self.template as<BYTE>());
        case word: return visitor(self.template as<WORD>());
        case int2: return visitor(self.template as<INT2>());
        case uint4: return visitor(self.template as<UINT4>());
        case int4: return visitor(self.template as<INT4>());
        case lint8: return visitor(self.template as<LINT8>());
        case luint8: return visitor(self.template as<LUINT8>());
        case real4: return visitor(self.template as<float>());
        case real8: return visitor(self.template as<double>());
        case string8: return visitor(self.template as<String>());
        case date: return visitor(self.template as<Date>());
        case time: return visitor(self.template as<Time>());
        case dateTime: return visitor(self.template as<DateTime>());
        case decimal0: return visitor(self.template as<Decimal0>());
        case decimal1: return visitor(self.template as<Decimal1>());
        case decimal2: return visitor(self.template as<Decimal2>());
        case decimal3: return visitor(self.template as<Decimal3>());
        case decimal4: return visitor(self.template as<Decimal4>());
        case inlineText: return visitor(self.template as<InlineText>());
        case color: return visitor(self.template as<Color>());
        case colorID: return visitor(self.template as<ColorID>());
        case linePattern: return visitor(self.template as<LinePattern>());
        case dotPattern: return visitor(self.template as<DotPattern>());
        case anchor: return visitor(self.template as<Anchor>());
        case smallDecimal0: return visitor(self.template as<SmallDecimal0>());
        case smallDecimal1: return visitor(self.template as<SmallDecimal1>());
        case smallDecimal2: return visitor(self.template as<SmallDecimal2>());
        case smallDecimal3: return visitor(self.template as<SmallDecimal3>());
        case smallDecimal4: return visitor(self.template as<SmallDecimal4>());
        default: mu::assertFailed("false", __FILE__, __LINE__);
        }
    }
};

#undef TD_VARIANT_ACCESSOR
} // namespace td
