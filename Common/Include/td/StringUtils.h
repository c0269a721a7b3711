#pragma once
// Free helpers around the strings: bounded printing, UTF-8 length and the
// complex-number reader.
#include <complex>
#include <cstddef>
#include <cstdint>
#include <utility>

// Prints into at most min(size, count) bytes (count (size_t)-1 means size).
// Returns the text's length when it fitted with its NUL, -1 when it was cut
// (the buffer then holds the cut text, NUL-terminated), or the negative error
// of vsnprintf.
__attribute__((format(printf, 4, 5))) int _snprintf_s(char* buffer, size_t size, size_t count, const char* fmt, ...);

namespace td
{
// Bytes and UTF-8 characters of a NUL-terminated text, in that order; both 0
// for a null or empty text. A lead byte whose continuation bytes are missing
// (the text ends or another byte follows), and a byte that starts no
// sequence, count as one character of one byte, so the walk never passes the
// NUL.
std::pair<uint32_t, uint32_t> getLenUTF8(const char* text);

// Reads a real or complex number written as text: "1.5", "2i", "1+2i",
// "1 2i", "2i-1" (each number: optional sign, digits, optional '.' and
// digits, optional exponent; without a sign it must begin with a digit).
// Exactly one of two numbers carries the 'i'. With wholeText only white
// space may follow. False (value untouched) when the text is not such a
// number.
bool _extract(std::complex<double>& value, const char* text, bool wholeText);
} // namespace td
