#include <gtest/gtest.h>
#include <cnt/PushBackVector.h>
#include <td/String.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> piecesOf(const cnt::PushBackVector<td::String>& out)
{
    std::vector<std::string> pieces;
    for (const td::String& s : out)
        pieces.emplace_back(s.c_str());
    return pieces;
}
} // namespace

TEST(SplitTest, PiecesBetweenSeparators)
{
    struct
    {
        const char* text;
        bool trim;
        std::vector<std::string> pieces;
    } const cases[] = {
        {"a,,b,", false, {"a", "", "b", ""}}, {"", false, {""}},
        {" a , b ", true, {"a", "b"}},        {" a , b ", false, {" a ", " b "}},
        {"  whole\t", true, {"whole"}},       {",", false, {"", ""}},
    };
    cnt::PushBackVector<td::String> out;
    for (const auto& c : cases)
    {
        td::String(c.text).split(',', out, c.trim, true);
        EXPECT_EQ(piecesOf(out), c.pieces) << c.text;
    }
}

TEST(SplitTest, ClearFlagAndSharing)
{
    cnt::PushBackVector<td::String> out;
    td::String whole("no separator");
    whole.split(';', out, false, true);
    whole.split(';', out, false, false);
    ASSERT_EQ(out.size(), 2u);
    // Without a separator a heap string hands out its own block.
    EXPECT_EQ(out[0].c_str(), whole.c_str());

    td::String("x;y").split(';', out, false, true);
    EXPECT_EQ(piecesOf(out), (std::vector<std::string> {"x", "y"}));
}

TEST(SplitTest, PooledStringPiecesArePrivateCopies)
{
    char block[16];
    td::StringExt::writeBlock(block, "p,q", 3);
    const td::StringExt pooled = td::StringExt::fromPoolBlock(block);
    cnt::PushBackVector<td::String> out;
    pooled.split(',', out, false, true);
    EXPECT_EQ(piecesOf(out), (std::vector<std::string> {"p", "q"}));
    pooled.split(';', out, false, true);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_STREQ(out[0].c_str(), "p,q");
    EXPECT_NE(out[0].c_str(), pooled.c_str());
}
