#include <td/Anchor.h>
#include <td/DotPattern.h>
#include <td/LinePattern.h>

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Each enumeration: the names it writes and the names it reads, in value
// order, the reader and the reader's default; values past the last name
// are written "NA".
template <typename E, typename READ>
void checkNames(const std::vector<const char*>& names, const std::vector<const char*>& readNames, READ read,
                E defaultValue)
{
    ASSERT_EQ(names.size(), readNames.size());
    for (size_t i = 0; i < names.size(); ++i)
    {
        const E value = static_cast<E>(i);
        EXPECT_STREQ(td::toString(value), names[i]);
        EXPECT_EQ(read(readNames[i]), value) << readNames[i];
        EXPECT_EQ(read(td::String(readNames[i])), value) << readNames[i];
    }
    EXPECT_STREQ(td::toString(static_cast<E>(names.size())), "NA");
    EXPECT_STREQ(td::toString(static_cast<E>(255)), "NA");
    for (const char* unknown : {"", "Solid", "none", "fixed "})
        EXPECT_EQ(read(unknown), defaultValue) << unknown;
    EXPECT_EQ(read(td::String()), defaultValue);
    EXPECT_EQ(read(static_cast<const char*>(nullptr)), defaultValue);
}

TEST(PatternNames, LinePatterns)
{
    const std::vector<const char*> names = {"solid", "dash", "dot", "dashDot", "dashDotDot", "NA"};
    checkNames<td::LinePattern>(
        names, names, [](const auto& s) { return td::toLinePattern(s); }, td::LinePattern::solid);
}

TEST(PatternNames, Anchors)
{
    const std::vector<const char*> names = {"fixed",  "center",  "left",     "right",      "top",
                                            "bottom", "topLeft", "topRight", "bottomLeft", "bottomRight"};
    checkNames<td::Anchor>(
        names, names, [](const auto& s) { return td::toAnchor(s); }, td::Anchor::fixed);
}

// The cross is written "x" but read only as "X"; "x" gives the default.
TEST(PatternNames, DotPatterns)
{
    std::vector<const char*> names = {"pixel",    "plus",           "x",      "circle",       "filledCircle",
                                      "triangle", "filledTriangle", "square", "filledSqaure", "NA"};
    std::vector<const char*> readNames = names;
    readNames[2] = "X";
    checkNames<td::DotPattern>(
        names, readNames, [](const auto& s) { return td::toDotPattern(s); }, td::DotPattern::plus);
    EXPECT_EQ(td::toDotPattern("x"), td::DotPattern::plus);
}
} // namespace
