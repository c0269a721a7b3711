#include <gtest/gtest.h>

#include <mu/UTFConverter.h>

#include <vector>

namespace
{
using C = mu::UTFConverter;
using U8 = std::vector<unsigned char>;

template <typename S, typename D>
struct Case
{
    std::vector<S> source;
    C::Flags flags;
    C::Result result;
    std::vector<D> written; // the target up to the character before a stop
};

template <typename S, typename D>
using Convert = C::Result (*)(const S*, const S*, D*, D*, C::Flags);
template <typename S>
using Measure = unsigned (*)(const S*, const S*, C::Flags);

// Runs each case through the conversion (into a roomy target) and the
// measurement, and checks that the measurement is the byte count the
// conversion writes: into a target of exactly that size it succeeds and
// fills it, into one unit less it runs out of room.
template <typename S, typename D>
void check(const std::vector<Case<S, D>>& cases, Convert<S, D> convert, Measure<S> measure)
{
    constexpr D sentinel = static_cast<D>(0x5A);
    for (size_t i = 0; i < cases.size(); ++i)
    {
        const Case<S, D>& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i) + (c.flags == C::Strict ? " strict" : " lenient"));
        const S* src = c.source.data();
        const S* srcEnd = src + c.source.size();

        std::vector<D> target(c.written.size() + 8, sentinel);
        EXPECT_EQ(convert(src, srcEnd, target.data(), target.data() + target.size(), c.flags), c.result);
        EXPECT_EQ(std::vector<D>(target.begin(), target.begin() + c.written.size()), c.written);
        EXPECT_EQ(target[c.written.size()], sentinel);

        const unsigned measured = measure(src, srcEnd, c.flags);
        if (c.result == C::SourceExhausted)
            EXPECT_EQ(measured, C::MeasureSourceExhausted);
        else if (c.result == C::SourceIllegal)
            EXPECT_EQ(measured, C::MeasureSourceIllegal);
        else
        {
            ASSERT_EQ(measured, c.written.size() * sizeof(D));
            std::vector<D> exact(c.written.size());
            EXPECT_EQ(convert(src, srcEnd, exact.data(), exact.data() + exact.size(), c.flags), C::OK);
            EXPECT_EQ(exact, c.written);
            if (!exact.empty())
            {
                EXPECT_EQ(convert(src, srcEnd, exact.data(), exact.data() + exact.size() - 1, c.flags),
                          C::TargetExhausted);
            }
        }
    }
}

constexpr C::Flags S = C::Strict;
constexpr C::Flags L = C::Lenient;
} // namespace

TEST(UTFConverterTest, Utf16ToUtf8)
{
    check<unsigned short, unsigned char>(
        {
            {{}, S, C::OK, {}},
            {{0x41, 0x7F, 0x80}, S, C::OK, {0x41, 0x7F, 0xC2, 0x80}},
            {{0xE9}, S, C::OK, {0xC3, 0xA9}},
            {{0x7FF, 0x800}, S, C::OK, {0xDF, 0xBF, 0xE0, 0xA0, 0x80}},
            {{0x20AC, 0xFFFF}, S, C::OK, {0xE2, 0x82, 0xAC, 0xEF, 0xBF, 0xBF}},
            {{0xD83D, 0xDE00}, S, C::OK, {0xF0, 0x9F, 0x98, 0x80}}, // U+1F600
            {{0xDBFF, 0xDFFF}, S, C::OK, {0xF4, 0x8F, 0xBF, 0xBF}}, // U+10FFFF
            // A high surrogate as the last unit ends both modes.
            {{0x41, 0xD83D}, S, C::SourceExhausted, {0x41}},
            {{0xD83D}, L, C::SourceExhausted, {}},
            // A lone surrogate stops a strict conversion; a lenient one
            // writes its value as three bytes.
            {{0xDC00}, S, C::SourceIllegal, {}},
            {{0xDC00}, L, C::OK, {0xED, 0xB0, 0x80}},
            {{0x41, 0xD800, 0x42}, S, C::SourceIllegal, {0x41}},
            {{0x41, 0xD800, 0x42}, L, C::OK, {0x41, 0xED, 0xA0, 0x80, 0x42}},
        },
        C::convertUTF16toUTF8, C::measureUTF16toUTF8);
}

TEST(UTFConverterTest, Utf8ToUtf16)
{
    check<unsigned char, unsigned short>(
        {
            {{0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC}, S, C::OK, {0x41, 0xE9, 0x20AC}},
            {{0xE0, 0xA0, 0x80}, S, C::OK, {0x800}},
            {{0xF0, 0x9F, 0x98, 0x80}, S, C::OK, {0xD83D, 0xDE00}},
            {{0xF4, 0x8F, 0xBF, 0xBF}, L, C::OK, {0xDBFF, 0xDFFF}},
            // Overlong forms, encoded surrogates, values above U+10FFFF and
            // stray trailing bytes are illegal in both modes.
            {{0xC0, 0x80}, S, C::SourceIllegal, {}},
            {{0xC0, 0x80}, L, C::SourceIllegal, {}},
            {{0x41, 0xE0, 0x80, 0x80}, S, C::SourceIllegal, {0x41}},
            {{0xED, 0xA0, 0x80}, L, C::SourceIllegal, {}},
            {{0xF4, 0x90, 0x80, 0x80}, L, C::SourceIllegal, {}},
            {{0x80}, L, C::SourceIllegal, {}},
            {{0xC3, 0x41}, S, C::SourceIllegal, {}},
            {{0xF8, 0x88, 0x80, 0x80, 0x80}, L, C::SourceIllegal, {}},
            // A sequence cut by the end of the range; the cut is found before
            // legality, so even 0xFF reports it.
            {{0x41, 0xE2, 0x82}, S, C::SourceExhausted, {0x41}},
            {{0xE2, 0x82}, L, C::SourceExhausted, {}},
            {{0xFF, 0x80}, S, C::SourceExhausted, {}},
        },
        C::convertUTF8toUTF16, C::measureUTF8toUTF16);
}

TEST(UTFConverterTest, Utf32ToUtf16)
{
    check<unsigned, unsigned short>(
        {
            {{0x41, 0xFFFF, 0x10000}, S, C::OK, {0x41, 0xFFFF, 0xD800, 0xDC00}},
            {{0x1F600, 0x10FFFF}, S, C::OK, {0xD83D, 0xDE00, 0xDBFF, 0xDFFF}},
            // Above U+10FFFF: strict writes nothing, goes on and ends illegal;
            // lenient writes the replacement character.
            {{0x110000, 0x41}, S, C::SourceIllegal, {0x41}},
            {{0x110000, 0x41}, L, C::OK, {0xFFFD, 0x41}},
            {{0xD800, 0x41}, S, C::SourceIllegal, {}},
            {{0xD800, 0x41}, L, C::OK, {0xFFFD, 0x41}},
        },
        C::convertUTF32toUTF16, C::measureUTF32toUTF16);
}

TEST(UTFConverterTest, Utf16ToUtf32)
{
    check<unsigned short, unsigned>(
        {
            {{0x41, 0xD83D, 0xDE00, 0xFFFF}, S, C::OK, {0x41, 0x1F600, 0xFFFF}},
            {{0xDC00}, S, C::SourceIllegal, {}},
            {{0xDC00}, L, C::OK, {0xDC00}},
            // A high surrogate not followed by a low one.
            {{0x41, 0xD800, 0x42}, S, C::SourceIllegal, {0x41}},
            {{0xD800, 0x42}, L, C::OK, {0xD800, 0x42}},
            {{0xD83D}, S, C::SourceExhausted, {}},
            {{0xD83D}, L, C::SourceExhausted, {}},
        },
        C::convertUTF16toUTF32, C::measureUTF16toUTF32);
}

TEST(UTFConverterTest, Utf32ToUtf8)
{
    check<unsigned, unsigned char>(
        {
            {{0x41, 0xE9, 0x20AC, 0x10FFFF}, S, C::OK, {0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF4, 0x8F, 0xBF, 0xBF}},
            // Above U+10FFFF in both modes: U+FFFD, and the result is illegal
            // while the conversion goes on.
            {{0x110000}, S, C::SourceIllegal, {0xEF, 0xBF, 0xBD}},
            {{0x41, 0x110000, 0x42}, L, C::SourceIllegal, {0x41, 0xEF, 0xBF, 0xBD, 0x42}},
            {{0xD800}, S, C::SourceIllegal, {}},
            {{0xD800}, L, C::OK, {0xED, 0xA0, 0x80}},
        },
        C::convertUTF32toUTF8, C::measureUTF32toUTF8);
}

TEST(UTFConverterTest, Utf8ToUtf32)
{
    check<unsigned char, unsigned>(
        {
            {{0x41, 0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80}, S, C::OK, {0x41, 0xE9, 0x1F600}},
            {{0xF4, 0x8F, 0xBF, 0xBF}, S, C::OK, {0x10FFFF}},
            {{0xC0, 0x80}, L, C::SourceIllegal, {}},
            {{0x41, 0xF4, 0x90, 0x80, 0x80}, L, C::SourceIllegal, {0x41}},
            {{0xED, 0xBF, 0xBF}, S, C::SourceIllegal, {}},
            {{0xE2, 0x82}, S, C::SourceExhausted, {}},
            {{0xF0, 0x9F, 0x98}, L, C::SourceExhausted, {}},
        },
        C::convertUTF8toUTF32, C::measureUTF8toUTF32);
}

// A character that does not fit leaves the target untouched from its first
// unit on, a surrogate pair included.
TEST(UTFConverterTest, ATargetShortOfACharacterKeepsItsUnitsUntouched)
{
    const unsigned char smile8[] = {0x41, 0xF0, 0x9F, 0x98, 0x80};
    unsigned short units[2] = {0x5A, 0x5A};
    EXPECT_EQ(C::convertUTF8toUTF16(smile8, smile8 + 5, units, units + 2, S), C::TargetExhausted);
    EXPECT_EQ(units[0], 0x41);
    EXPECT_EQ(units[1], 0x5A);

    const unsigned smile32[] = {0x1F600};
    units[0] = 0x5A;
    EXPECT_EQ(C::convertUTF32toUTF16(smile32, smile32 + 1, units, units + 1, S), C::TargetExhausted);
    EXPECT_EQ(units[0], 0x5A);

    const unsigned short euro[] = {0x20AC};
    unsigned char bytes[2] = {0x5A, 0x5A};
    EXPECT_EQ(C::convertUTF16toUTF8(euro, euro + 1, bytes, bytes + 2, S), C::TargetExhausted);
    EXPECT_EQ(bytes[0], 0x5A);
    EXPECT_EQ(bytes[1], 0x5A);
}

TEST(UTFConverterTest, EmptyRangesTouchNothing)
{
    const unsigned short unit = 0x41;
    unsigned char byte = 0x5A;
    EXPECT_EQ(C::convertUTF16toUTF8(&unit, &unit, &byte, &byte + 1, S), C::OK);
    // A begin past the end counts as empty too.
    EXPECT_EQ(C::convertUTF16toUTF8(&unit + 1, &unit, &byte, &byte + 1, S), C::OK);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_EQ(C::measureUTF16toUTF8(&unit + 1, &unit, S), 0u);
}

TEST(UTFConverterTest, IsLegalUtf8FollowsTheBoundariesOfEachLeadByte)
{
    struct Seq
    {
        U8 bytes;
        bool legal;
    };
    const Seq cases[] = {
        {{0x00}, true},
        {{0x7F}, true},
        {{0x80}, false},
        {{0xC1, 0x80}, false}, // overlong
        {{0xC2, 0x80}, true},
        {{0xDF, 0xBF}, true},
        {{0xC2, 0x7F}, false},
        {{0xC2, 0xC0}, false},
        {{0xE0, 0x9F, 0x80}, false}, // overlong
        {{0xE0, 0xA0, 0x80}, true},
        {{0xED, 0x9F, 0xBF}, true},
        {{0xED, 0xA0, 0x80}, false}, // surrogate
        {{0xEF, 0xBF, 0xC0}, false},
        {{0xF0, 0x8F, 0x80, 0x80}, false}, // overlong
        {{0xF0, 0x90, 0x80, 0x80}, true},
        {{0xF4, 0x8F, 0xBF, 0xBF}, true},
        {{0xF4, 0x90, 0x80, 0x80}, false}, // above U+10FFFF
        {{0xF5, 0x80, 0x80, 0x80}, false},
        {{0xF8, 0x88, 0x80, 0x80, 0x80}, false}, // five bytes
    };
    for (const Seq& s : cases)
        EXPECT_EQ(C::isLegalUTF8(s.bytes.data(), int(s.bytes.size())), s.legal) << testing::PrintToString(s.bytes);
    EXPECT_FALSE(C::isLegalUTF8(cases[0].bytes.data(), 0));
}
