#pragma once
// td::Variant: a typed value (the model's header values, settings entries).
// A string8 value shares its td::String; every other kind is held in place.
#include <td/VariantBase.h>
#include <td/VariantVisitors.h>

#include <concepts>
#include <type_traits>
#include <utility>

namespace td
{
class Variant : public VariantBase
{
public:
    Variant() = default;

    // Only a real bool makes a boolean: no pointer or number slips in.
    template <std::same_as<bool> B>
    Variant(B val)
    {
        set(boolean, val ? 'Y' : 'N');
    }
    // A char would silently become an int4; booleans are made from bool.
    Variant(char) = delete;
    Variant(BYTE val) { set(byte, val); }
    Variant(WORD val) { set(word, val); }
    Variant(INT2 val) { set(int2, val); }
    Variant(UINT4 val) { set(uint4, val); }
    Variant(INT4 val) { set(int4, val); }
    Variant(LINT8 val) { set(lint8, val); }
    Variant(LUINT8 val) { set(luint8, val); }
    Variant(float val) { set(real4, val); }
    Variant(double val) { set(real8, val); }
    Variant(const Date& val) { set(date, val); }
    Variant(const Time& val) { set(time, val); }
    Variant(const DateTime& val) { set(dateTime, val); }
    template <typename T, int N>
    Variant(const Decimal<T, N>& val)
    {
        set(td::getType(val), val);
    }
    Variant(const InlineText& val) { set(inlineText, val); }
    Variant(const Color& val) { set(color, val); }
    Variant(ColorID val) { set(colorID, val); }
    Variant(LinePattern val) { set(linePattern, val); }
    Variant(DotPattern val) { set(dotPattern, val); }
    Variant(Anchor val) { set(anchor, val); }

    // Shares the string's block (a block that may not be shared is copied).
    Variant(const String& str) { set(string8, str); }
    // A new block; null or "" gives the empty string.
    Variant(const char* str) { set(string8, String(str)); }

    Variant(const Variant& other) { copyFrom(other); }
    Variant(Variant&& other) noexcept { moveFrom(other); }

    Variant& operator=(const Variant& other)
    {
        if (this != &other)
        {
            Variant copy(other);
            *this = std::move(copy);
        }
        return *this;
    }

    Variant& operator=(Variant&& other) noexcept
    {
        if (this != &other)
        {
            release();
            moveFrom(other);
        }
        return *this;
    }

    ~Variant() { release(); }

    // Drops the value held and becomes a string8 sharing str.
    void takeFromString(const String& str)
    {
        String share(str);
        release();
        set(string8, std::move(share));
    }

    // Copies the value out; the type of out must be the variant's type.
    template <typename T>
    void getValue(T& out) const
    {
        if constexpr (std::is_same_v<T, String>)
            out = strVal();
        else if constexpr (std::is_same_v<T, bool>)
            out = boolVal();
        else
        {
            MU_ASSERT(getType() == td::getType(out));
            out = as<T>();
        }
    }

private:
    // Creates the value in place; the variant must hold nothing.
    template <typename T>
    void set(_tDataType type, T val)
    {
        static_assert(sizeof(T) <= sizeof(_value) && alignof(T) <= 8);
        new (_value) T(std::move(val));
        _type = type;
    }

    void copyFrom(const Variant& other)
    {
        if (other._type == string8)
            set(string8, other.as<String>());
        else
        {
            std::memcpy(_value, other._value, sizeof(_value));
            _type = other._type;
        }
    }

    void moveFrom(Variant& other) noexcept
    {
        if (other._type == string8)
        {
            set(string8, std::move(other.as<String>()));
            other.release();
        }
        else
        {
            std::memcpy(_value, other._value, sizeof(_value));
            _type = other._type;
        }
    }

    void release() noexcept
    {
        if (_type == string8)
            as<String>().~String();
        _type = none;
    }
};

static_assert(sizeof(String) == 8, "a string8 value is the string's one pointer");

// Same types: a copy of a with b added. Two different integer kinds
// (byte to luint8, decimal0, smallDecimal0): an int4 of their 32-bit sum.
// Otherwise: a real8 of the sum of both as doubles.
Variant operator+(const Variant& a, const Variant& b);
} // namespace td
