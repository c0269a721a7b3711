#pragma once
// A 16-byte key that is either a fresh unique identifier (the default) or a
// short name packed into its first 64 bits (the second 64 bits then 0), so
// name lookups compare two integers instead of texts.
#include <compare>
#include <cstdint>
#include <cctype>
#include <cstring>

#include <td/GUID.h>

namespace td
{
template <typename T>
class KeyStringBase
{
    static_assert(sizeof(T) == 2 * sizeof(unsigned long long), "the key is two 64-bit words");

public:
    KeyStringBase() { mu::getGUID(reinterpret_cast<char*>(_words)); }

    explicit KeyStringBase(const char* name, bool toLower = true, int length = -1)
    {
        buildKey(name, _words[0], toLower, length);
    }

    // A key from its two words, e.g. a name longer than nine characters
    // packed as two halves.
    constexpr KeyStringBase(unsigned long long first, unsigned long long second) noexcept
        : _words {first, second}
    {
    }

    unsigned long long getKey() const noexcept { return _words[0]; }

    // Packs up to nine characters, 7 bits each: character i (0-7) at bit
    // 57 - 7i, the ninth at bits 1-7. Bit 0 marks a name longer than nine
    // characters, so it differs from the key of its first nine. length 1-9
    // packs that many characters at most; below 1 the whole name.
    static void buildKey(const char* name, unsigned long long& key, bool toLower, int length)
    {
        key = 0;
        if (!name)
            return;
        int maxChars = (length >= 1 && length <= 9) ? length : 9;
        const char* p = name;
        int i = 0;
        for (; i < maxChars && *p; ++i, ++p)
        {
            unsigned long long c = static_cast<unsigned char>(*p);
            if (toLower)
                c = static_cast<unsigned char>(std::tolower(static_cast<int>(c)));
            if (i < 8)
                key |= (c & 0x7F) << (57 - 7 * i);
            else
                key |= (c * 2) & 0xFF;
        }
        if (i == 9 && length != 9 && *p)
            key |= 1;
    }

    bool operator==(const KeyStringBase&) const = default;

    // The order the colour-name table is sorted and searched in: the words
    // as signed numbers, first word first.
    std::strong_ordering operator<=>(const KeyStringBase& other) const noexcept
    {
        if (auto cmp = static_cast<long long>(_words[0]) <=> static_cast<long long>(other._words[0]); cmp != 0)
            return cmp;
        return static_cast<long long>(_words[1]) <=> static_cast<long long>(other._words[1]);
    }

private:
    unsigned long long _words[2] = {0, 0};
};
} // namespace td
