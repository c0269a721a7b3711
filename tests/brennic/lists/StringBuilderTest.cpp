#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <cnt/StringBuilder.h>
#include <td/String.h>

namespace
{
std::string textOf(size_t n, char seed)
{
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i)
        s[i] = char('a' + (seed + i) % 26);
    return s;
}

template <class TBUILDER>
std::string built(const TBUILDER& builder)
{
    td::String s = builder.toString();
    return std::string(s.c_str(), s.length());
}

struct PutCase
{
    std::vector<size_t> pieces; // lengths written one after the other
    size_t chunks;              // chunks the text needs
};

TEST(StringBuilderTest, PiecesFillChunksWithoutGaps)
{
    constexpr unsigned CHUNK = 16;
    const PutCase cases[] = {
        {{16}, 1},                        // exactly one chunk: full, no second chunk
        {{17}, 2},                        // one byte into the second chunk
        {{48}, 3},                        // whole chunks only
        {{10, 6}, 1},                     // fills the first chunk to the byte
        {{10, 7}, 2},    {{5, 40, 3}, 3}, // a piece spanning several chunks mid-chunk
        {{15, 1, 1}, 2}, {{0, 3, 0}, 1},
    };
    for (const PutCase& c : cases)
    {
        cnt::StringBuilder<td::String, CHUNK> builder;
        std::string expected;
        char seed = 0;
        for (size_t n : c.pieces)
        {
            std::string piece = textOf(n, seed++);
            builder.put(piece.c_str(), unsigned(n));
            expected += piece;
        }
        SCOPED_TRACE(expected);
        EXPECT_EQ(builder.length(), expected.size());
        EXPECT_EQ(builder.getCapacity(), c.chunks * CHUNK);
        EXPECT_EQ(built(builder), expected);
    }
}

TEST(StringBuilderTest, ResetReusesTheChunksForTheNextText)
{
    cnt::StringBuilder<td::String, 1024> builder;
    EXPECT_EQ(built(builder), "");
    std::string first = textOf(3000, 1);
    builder.put(first.c_str(), unsigned(first.size()));
    EXPECT_EQ(builder.getCapacity(), 3 * 1024u);
    EXPECT_EQ(built(builder), first);

    builder.reset();
    builder.put("Cannot parse translation file: ");
    builder.put('x');
    std::string second = textOf(2100, 7);
    builder.put(second.c_str(), unsigned(second.size()));
    EXPECT_EQ(builder.getCapacity(), 3 * 1024u); // overwritten, not replaced
    EXPECT_EQ(built(builder), "Cannot parse translation file: x" + second);
}

} // namespace
