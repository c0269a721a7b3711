#pragma once
// Conversion between UTF-8, UTF-16 and UTF-32 by the rules of the Unicode
// reference converter. A range is [begin, end). Conversions do not tell how
// far they got, so callers measure first, size the target by the measured
// byte count, then convert; a conversion stops at its first error with the
// target written up to the character before it.

namespace mu
{
class UTFConverter
{
public:
    enum Flags : unsigned char
    {
        Strict = 0,
        Lenient = 1 // any value other than Strict
    };

    enum Result : unsigned char
    {
        OK = 0,
        SourceExhausted = 1, // the source ends inside a sequence
        TargetExhausted = 2, // the next character does not fit
        SourceIllegal = 3
    };

    // What a measuring function returns instead of a byte count when the
    // conversion would report SourceExhausted or SourceIllegal.
    static constexpr unsigned MeasureSourceExhausted = 0xFFFFFFFF;
    static constexpr unsigned MeasureSourceIllegal = 0xFFFFFFFD;

    static Result convertUTF32toUTF16(const unsigned* srcBegin, const unsigned* srcEnd, unsigned short* dstBegin,
                                      unsigned short* dstEnd, Flags flags);
    static Result convertUTF16toUTF32(const unsigned short* srcBegin, const unsigned short* srcEnd, unsigned* dstBegin,
                                      unsigned* dstEnd, Flags flags);
    static Result convertUTF16toUTF8(const unsigned short* srcBegin, const unsigned short* srcEnd,
                                     unsigned char* dstBegin, unsigned char* dstEnd, Flags flags);
    static Result convertUTF8toUTF16(const unsigned char* srcBegin, const unsigned char* srcEnd,
                                     unsigned short* dstBegin, unsigned short* dstEnd, Flags flags);
    static Result convertUTF32toUTF8(const unsigned* srcBegin, const unsigned* srcEnd, unsigned char* dstBegin,
                                     unsigned char* dstEnd, Flags flags);
    static Result convertUTF8toUTF32(const unsigned char* srcBegin, const unsigned char* srcEnd, unsigned* dstBegin,
                                     unsigned* dstEnd, Flags flags);

    // Bytes the matching conversion writes (2 per UTF-16 unit, 4 per UTF-32
    // unit), or one of the two Measure... values above.
    static unsigned measureUTF32toUTF16(const unsigned* srcBegin, const unsigned* srcEnd, Flags flags);
    static unsigned measureUTF16toUTF32(const unsigned short* srcBegin, const unsigned short* srcEnd, Flags flags);
    static unsigned measureUTF16toUTF8(const unsigned short* srcBegin, const unsigned short* srcEnd, Flags flags);
    static unsigned measureUTF8toUTF16(const unsigned char* srcBegin, const unsigned char* srcEnd, Flags flags);
    static unsigned measureUTF32toUTF8(const unsigned* srcBegin, const unsigned* srcEnd, Flags flags);
    static unsigned measureUTF8toUTF32(const unsigned char* srcBegin, const unsigned char* srcEnd, Flags flags);

    // One UTF-8 sequence of length 1 to 4 (any other length is illegal):
    // trailing bytes 0x80..0xBF, no overlong form, no surrogate, nothing
    // above U+10FFFF.
    static bool isLegalUTF8(const unsigned char* source, int length);
};
} // namespace mu
