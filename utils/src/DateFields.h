#pragma once
// The text fields of dates and times. Reading works the way "%d" of scanf
// reads them, but with a defined result for any input: a value beyond the
// int range stops at its nearer end instead of overflowing.
#include <td/String.h>

#include <cctype>
#include <climits>
#include <cstddef>

namespace td::priv
{
// Skips white space, reads an optional sign and at least one digit; on
// success advances p and returns true.
inline bool readIntField(const char*& p, int& value)
{
    const char* s = p;
    while (std::isspace(static_cast<unsigned char>(*s)))
        ++s;
    const bool negative = *s == '-';
    if (*s == '-' || *s == '+')
        ++s;
    if (!std::isdigit(static_cast<unsigned char>(*s)))
        return false;
    long long magnitude = 0;
    for (; std::isdigit(static_cast<unsigned char>(*s)); ++s)
        if (magnitude <= INT_MAX)
            magnitude = magnitude * 10 + (*s - '0');
    if (magnitude > INT_MAX)
        magnitude = INT_MAX;
    value = static_cast<int>(negative ? -magnitude : magnitude);
    p = s;
    return true;
}

// Reads up to nFields fields separated by the given characters (separators[i]
// between field i and i + 1) and stops at the first mismatch, leaving the
// remaining fields as they are; returns the position after the last field.
inline const char* readFields(const char* p, int* fields, int nFields, const char* separators)
{
    for (int i = 0; i < nFields; ++i)
    {
        if (i > 0)
        {
            if (*p != separators[i - 1])
                return p;
            ++p;
        }
        if (!readIntField(p, fields[i]))
            return p;
    }
    return p;
}

inline int clampField(int value, int lo, int hi) { return value < lo ? lo : (value > hi ? hi : value); }

// The text that value.format(buf) writes into its 32-byte buffer.
template <class T>
td::String formattedText(const T& value)
{
    char buf[32];
    const int len = value.format(buf);
    return td::String(buf, static_cast<std::size_t>(len));
}
} // namespace td::priv
