#include <mu/UTFConverter.h>

namespace mu
{
namespace
{
using Result = UTFConverter::Result;

constexpr unsigned ReplacementChar = 0xFFFD;
constexpr unsigned MaxBMP = 0xFFFF;
constexpr unsigned MaxLegal = 0x10FFFF;
constexpr unsigned HighFirst = 0xD800;
constexpr unsigned HighLast = 0xDBFF;
constexpr unsigned LowFirst = 0xDC00;
constexpr unsigned LowLast = 0xDFFF;

constexpr bool isSurrogate(unsigned c) { return c >= HighFirst && c <= LowLast; }
constexpr bool isHigh(unsigned c) { return c >= HighFirst && c <= HighLast; }
constexpr bool isLow(unsigned c) { return c >= LowFirst && c <= LowLast; }

// Trailing bytes announced by a UTF-8 lead byte; 4 and 5 (0xF8..0xFF) are
// never legal but still decide whether the source was cut short.
constexpr int trailingBytes(unsigned char lead)
{
    return lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : lead < 0xFC ? 4 : 5;
}

// Subtracted after summing a sequence of 1 + n bytes shifted by 6 bits each:
// removes the lead-byte prefix and the 0x80 of every trailing byte.
constexpr unsigned decodeOffsets[6] = {0x00000000, 0x00003080, 0x000E2080, 0x03C82080, 0xFA082080, 0x82082080};

// Prefix of the first byte of a UTF-8 sequence by its length.
constexpr unsigned char firstBytePrefix[5] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};

// A conversion's target.
template <typename UNIT>
class Target
{
public:
    Target(UNIT* pBegin, UNIT* pEnd)
        : _p(pBegin)
        , _pEnd(pEnd)
    {
    }
    bool fits(int units) const { return _pEnd - _p >= units; }
    void put(unsigned unit) { *_p++ = static_cast<UNIT>(unit); }

private:
    UNIT* _p;
    UNIT* _pEnd;
};

// A measurement's target: counts the bytes that would be written.
template <typename UNIT>
class Counter
{
public:
    bool fits(int) const { return true; }
    void put(unsigned) { _bytes += sizeof(UNIT); }
    unsigned bytes() const { return static_cast<unsigned>(_bytes); }

private:
    unsigned long long _bytes = 0;
};

template <typename SINK>
bool putUTF16(SINK& out, unsigned c)
{
    if (c <= MaxBMP)
    {
        if (!out.fits(1))
            return false;
        out.put(c);
        return true;
    }
    if (!out.fits(2))
        return false;
    c -= 0x10000;
    out.put(HighFirst + (c >> 10));
    out.put(LowFirst + (c & 0x3FF));
    return true;
}

template <typename SINK>
bool putUTF8(SINK& out, unsigned c)
{
    const int length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (!out.fits(length))
        return false;
    unsigned char bytes[4];
    for (int i = length - 1; i > 0; --i)
    {
        bytes[i] = static_cast<unsigned char>((c & 0x3F) | 0x80);
        c >>= 6;
    }
    bytes[0] = static_cast<unsigned char>(c | firstBytePrefix[length]);
    for (int i = 0; i < length; ++i)
        out.put(bytes[i]);
    return true;
}

// One character from UTF-16. A lone surrogate stops a strict conversion and
// passes unchanged through a lenient one; a high surrogate as the last unit
// always ends it.
Result decodeUTF16(const unsigned short*& src, const unsigned short* srcEnd, UTFConverter::Flags flags, unsigned& c)
{
    c = *src++;
    if (isHigh(c))
    {
        if (src == srcEnd)
            return UTFConverter::SourceExhausted;
        if (isLow(*src))
            c = ((c - HighFirst) << 10) + (*src++ - LowFirst) + 0x10000;
        else if (flags == UTFConverter::Strict)
            return UTFConverter::SourceIllegal;
    }
    else if (isLow(c) && flags == UTFConverter::Strict)
        return UTFConverter::SourceIllegal;
    return UTFConverter::OK;
}

// One character from UTF-8 in both modes. The cut-off test comes before the
// legality test. A legal sequence never decodes to a surrogate or to a value
// above U+10FFFF, so the value needs no further check.
Result decodeUTF8(const unsigned char*& src, const unsigned char* srcEnd, unsigned& c)
{
    const int extra = trailingBytes(*src);
    if (extra >= srcEnd - src)
        return UTFConverter::SourceExhausted;
    if (!UTFConverter::isLegalUTF8(src, extra + 1))
        return UTFConverter::SourceIllegal;
    c = 0;
    for (int i = 0; i <= extra; ++i)
        c = (c << 6) + *src++;
    c -= decodeOffsets[extra];
    return UTFConverter::OK;
}

template <typename SINK>
Result utf32to16(const unsigned* src, const unsigned* srcEnd, SINK& out, UTFConverter::Flags flags)
{
    Result result = UTFConverter::OK;
    for (; src < srcEnd; ++src)
    {
        unsigned c = *src;
        if (isSurrogate(c) || c > MaxLegal)
        {
            if (flags == UTFConverter::Strict)
            {
                // A surrogate stops; a value out of range is skipped and
                // remembered.
                if (c <= MaxLegal)
                    return UTFConverter::SourceIllegal;
                result = UTFConverter::SourceIllegal;
                continue;
            }
            c = ReplacementChar;
        }
        if (!putUTF16(out, c))
            return UTFConverter::TargetExhausted;
    }
    return result;
}

template <typename SINK>
Result utf16to32(const unsigned short* src, const unsigned short* srcEnd, SINK& out, UTFConverter::Flags flags)
{
    while (src < srcEnd)
    {
        unsigned c;
        if (Result r = decodeUTF16(src, srcEnd, flags, c); r != UTFConverter::OK)
            return r;
        if (!out.fits(1))
            return UTFConverter::TargetExhausted;
        out.put(c);
    }
    return UTFConverter::OK;
}

template <typename SINK>
Result utf16to8(const unsigned short* src, const unsigned short* srcEnd, SINK& out, UTFConverter::Flags flags)
{
    while (src < srcEnd)
    {
        unsigned c;
        if (Result r = decodeUTF16(src, srcEnd, flags, c); r != UTFConverter::OK)
            return r;
        if (!putUTF8(out, c))
            return UTFConverter::TargetExhausted;
    }
    return UTFConverter::OK;
}

template <typename SINK>
Result utf8to16(const unsigned char* src, const unsigned char* srcEnd, SINK& out)
{
    while (src < srcEnd)
    {
        unsigned c;
        if (Result r = decodeUTF8(src, srcEnd, c); r != UTFConverter::OK)
            return r;
        if (!putUTF16(out, c))
            return UTFConverter::TargetExhausted;
    }
    return UTFConverter::OK;
}

template <typename SINK>
Result utf32to8(const unsigned* src, const unsigned* srcEnd, SINK& out, UTFConverter::Flags flags)
{
    Result result = UTFConverter::OK;
    for (; src < srcEnd; ++src)
    {
        unsigned c = *src;
        if (isSurrogate(c) && flags == UTFConverter::Strict)
            return UTFConverter::SourceIllegal;
        // Out of range in both modes: the replacement character, and the
        // conversion goes on.
        if (c > MaxLegal)
        {
            c = ReplacementChar;
            result = UTFConverter::SourceIllegal;
        }
        if (!putUTF8(out, c))
            return UTFConverter::TargetExhausted;
    }
    return result;
}

template <typename SINK>
Result utf8to32(const unsigned char* src, const unsigned char* srcEnd, SINK& out)
{
    while (src < srcEnd)
    {
        unsigned c;
        if (Result r = decodeUTF8(src, srcEnd, c); r != UTFConverter::OK)
            return r;
        if (!out.fits(1))
            return UTFConverter::TargetExhausted;
        out.put(c);
    }
    return UTFConverter::OK;
}

template <typename UNIT>
unsigned measured(Result result, const Counter<UNIT>& counter)
{
    if (result == UTFConverter::SourceExhausted)
        return UTFConverter::MeasureSourceExhausted;
    if (result == UTFConverter::SourceIllegal)
        return UTFConverter::MeasureSourceIllegal;
    return counter.bytes();
}
} // namespace

Result UTFConverter::convertUTF32toUTF16(const unsigned* srcBegin, const unsigned* srcEnd, unsigned short* dstBegin,
                                         unsigned short* dstEnd, Flags flags)
{
    Target<unsigned short> out(dstBegin, dstEnd);
    return utf32to16(srcBegin, srcEnd, out, flags);
}

Result UTFConverter::convertUTF16toUTF32(const unsigned short* srcBegin, const unsigned short* srcEnd,
                                         unsigned* dstBegin, unsigned* dstEnd, Flags flags)
{
    Target<unsigned> out(dstBegin, dstEnd);
    return utf16to32(srcBegin, srcEnd, out, flags);
}

Result UTFConverter::convertUTF16toUTF8(const unsigned short* srcBegin, const unsigned short* srcEnd,
                                        unsigned char* dstBegin, unsigned char* dstEnd, Flags flags)
{
    Target<unsigned char> out(dstBegin, dstEnd);
    return utf16to8(srcBegin, srcEnd, out, flags);
}

// The flags do not matter from UTF-8: a legal sequence never decodes to a
// value that strict and lenient conversion treat differently.
Result UTFConverter::convertUTF8toUTF16(const unsigned char* srcBegin, const unsigned char* srcEnd,
                                        unsigned short* dstBegin, unsigned short* dstEnd, Flags)
{
    Target<unsigned short> out(dstBegin, dstEnd);
    return utf8to16(srcBegin, srcEnd, out);
}

Result UTFConverter::convertUTF32toUTF8(const unsigned* srcBegin, const unsigned* srcEnd, unsigned char* dstBegin,
                                        unsigned char* dstEnd, Flags flags)
{
    Target<unsigned char> out(dstBegin, dstEnd);
    return utf32to8(srcBegin, srcEnd, out, flags);
}

Result UTFConverter::convertUTF8toUTF32(const unsigned char* srcBegin, const unsigned char* srcEnd, unsigned* dstBegin,
                                        unsigned* dstEnd, Flags)
{
    Target<unsigned> out(dstBegin, dstEnd);
    return utf8to32(srcBegin, srcEnd, out);
}

unsigned UTFConverter::measureUTF32toUTF16(const unsigned* srcBegin, const unsigned* srcEnd, Flags flags)
{
    Counter<unsigned short> out;
    return measured(utf32to16(srcBegin, srcEnd, out, flags), out);
}

unsigned UTFConverter::measureUTF16toUTF32(const unsigned short* srcBegin, const unsigned short* srcEnd, Flags flags)
{
    Counter<unsigned> out;
    return measured(utf16to32(srcBegin, srcEnd, out, flags), out);
}

unsigned UTFConverter::measureUTF16toUTF8(const unsigned short* srcBegin, const unsigned short* srcEnd, Flags flags)
{
    Counter<unsigned char> out;
    return measured(utf16to8(srcBegin, srcEnd, out, flags), out);
}

unsigned UTFConverter::measureUTF8toUTF16(const unsigned char* srcBegin, const unsigned char* srcEnd, Flags)
{
    Counter<unsigned short> out;
    return measured(utf8to16(srcBegin, srcEnd, out), out);
}

unsigned UTFConverter::measureUTF32toUTF8(const unsigned* srcBegin, const unsigned* srcEnd, Flags flags)
{
    Counter<unsigned char> out;
    return measured(utf32to8(srcBegin, srcEnd, out, flags), out);
}

unsigned UTFConverter::measureUTF8toUTF32(const unsigned char* srcBegin, const unsigned char* srcEnd, Flags)
{
    Counter<unsigned> out;
    return measured(utf8to32(srcBegin, srcEnd, out), out);
}

bool UTFConverter::isLegalUTF8(const unsigned char* source, int length)
{
    if (length < 1 || length > 4)
        return false;
    const unsigned char lead = source[0];
    for (int i = 2; i < length; ++i)
    {
        if (source[i] < 0x80 || source[i] > 0xBF)
            return false;
    }
    if (length >= 2)
    {
        // The first trailing byte also rules out overlong forms, surrogates
        // and values above U+10FFFF.
        const unsigned char a = source[1];
        if (a > 0xBF)
            return false;
        switch (lead)
        {
        case 0xE0: return a >= 0xA0;
        case 0xED: return a <= 0x9F;
        case 0xF0: return a >= 0x90;
        case 0xF4: return a <= 0x8F;
        default:
            if (a < 0x80)
                return false;
        }
    }
    return !(lead >= 0x80 && lead < 0xC2) && lead <= 0xF4;
}
} // namespace mu
