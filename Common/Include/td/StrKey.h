#pragma once
// A short name packed into one integer, so that the vocabulary dictionaries
// compare names with a single integer comparison.
//
// Names of up to eight bytes are stored as they stand, first byte in the
// least significant byte. Longer names keep their first nine characters at
// seven bits each: c0 at bit 57, c1 at 50, ... c7 at 8 and c8 at bit 0. A
// name that begins with a letter or '_' therefore sets the top bit, which is
// how toString tells the two forms apart. Keys order by value, not
// alphabetically.
#include <mu/Assert.h>
#include <td/String.h>

#include <bit>
#include <compare>
#include <cstring>
#include <type_traits>

namespace td
{

template <typename NumType, int KeyLen>
class StrKeyBase
{
    static_assert(std::is_unsigned_v<NumType> && sizeof(NumType) == 8 && KeyLen == 9,
                  "the packing is defined for nine characters in 64 bits");

    static constexpr int PlainLen = sizeof(NumType);
    static constexpr int PackedShift[KeyLen] = {57, 50, 43, 36, 29, 22, 15, 8, 0};

    NumType _key = 0;

public:
    static constexpr int Length = KeyLen;

    StrKeyBase() = default;

    // strLen below 0 means: up to the terminating NUL.
    StrKeyBase(const char* pStr, int strLen) { set(pStr, strLen); }

    void set(const char* pStr, int strLen)
    {
        _key = 0;
        MU_ASSERT(pStr);
        if (strLen < 0)
            strLen = static_cast<int>(std::strlen(pStr));
        MU_ASSERT(strLen > 0);
        if (strLen < KeyLen)
            setPlain(pStr, strLen);
        else
            setPacked(pStr);
    }

    NumType getValue() const { return _key; }

    friend bool operator==(const StrKeyBase&, const StrKeyBase&) = default;
    friend std::strong_ordering operator<=>(const StrKeyBase& a, const StrKeyBase& b) { return a._key <=> b._key; }

    void toString(td::String& out) const
    {
        char name[KeyLen + 1] = {};
        if (isPlain())
        {
            for (int i = 0; i < PlainLen; ++i)
                name[i] = static_cast<char>((_key >> (8 * i)) & 0xFF);
        }
        else
        {
            for (int i = 0; i < KeyLen; ++i)
                name[i] = static_cast<char>((_key >> PackedShift[i]) & 0x7F);
        }
        out = td::String(name);
    }

private:
    // Byte i in bits 8i..8i+7: a little-endian machine's copy of the bytes.
    void setPlain(const char* pStr, int strLen)
    {
        if constexpr (std::endian::native == std::endian::little)
            std::memcpy(&_key, pStr, static_cast<std::size_t>(strLen));
        else
            for (int i = 0; i < strLen; ++i)
                _key |= static_cast<NumType>(static_cast<unsigned char>(pStr[i])) << (8 * i);
    }

    // A byte with its top bit set does not fit a seven-bit field and would
    // spill into the neighbouring character; such a name gets key 0, which
    // no vocabulary entry has, so it can never match one.
    void setPacked(const char* pStr)
    {
        NumType key = 0;
        for (int i = 0; i < KeyLen; ++i)
        {
            const auto c = static_cast<unsigned char>(pStr[i]);
            if (c > 0x7F)
                return;
            key |= static_cast<NumType>(c) << PackedShift[i];
        }
        _key = key;
    }

    bool isPlain() const
    {
        constexpr NumType topBits = 0x8080808080808080ull;
        return (_key >> 56) == 0 || (_key & topBits) == 0;
    }
};

using StrKey = StrKeyBase<unsigned long long, 9>;

} // namespace td
