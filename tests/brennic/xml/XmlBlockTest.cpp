// Files are read in blocks of 4096 bytes and every construct may span two of
// them. Each construct here is slid across the first block boundary one byte
// at a time and must give the same tree from a file as from memory.
#include <gtest/gtest.h>

#include <XmlSupport.h>

#include <string>

using test::declaration;

namespace
{
constexpr size_t blockSize = 4096;

// The construct inside the root element, starting at offset start; a comment
// before it fills the gap, so its terminator crosses the boundary as well.
std::string placedAt(size_t start, const std::string& construct)
{
    const std::string head = declaration + "<r><!--";
    const std::string tail = "-->";
    const size_t fill = start - head.size() - tail.size();
    return head + std::string(fill, '.') + tail + construct + "</r>";
}

struct Construct
{
    std::string text;
    std::string tree; // of the root
};
} // namespace

TEST(XmlBlockTest, ConstructsAcrossTheBlockBoundaryReadAsInMemory)
{
    const Construct constructs[] = {
        {"<t>a&amp;b&#233;c&nbsp;</t>", "r(t'a&b\xC3\xA9"
                                        "c\xC2\xA0')"},
        {"<t v='&quot;q&quot;' w=\"x\ny\"/>", "r(t{v=\"q\";w=x\ny;})"},
        {"<t><!-- a comment --></t>", "r(t)"},
        {"<t><![CDATA[a]]b]]]></t>", "r(t'a]]b]')"},
        {"<aLongElementName attribute.name-x=\"value\"></aLongElementName>",
         "r(aLongElementName{attribute.name-x=value;})"},
        {"<t>\n   text with spaces   \n</t>", "r(t'\n   text with spaces   \n')"},
        {"<?pi a='1'?><t/>", "r(t)"},
    };
    for (const Construct& c : constructs)
    {
        for (size_t start = blockSize - c.text.size() - 2; start <= blockSize + 1; ++start)
        {
            SCOPED_TRACE(c.text + " at " + std::to_string(start));
            const std::string text = placedAt(start, c.text);
            const test::Outcome fromFile = test::parseAsFile(text);
            ASSERT_TRUE(fromFile.ok) << fromFile.message;
            EXPECT_EQ(fromFile.tree, c.tree);
            const test::Outcome fromMemory = test::parseInMemory(text);
            ASSERT_TRUE(fromMemory.ok) << fromMemory.message;
            EXPECT_EQ(fromMemory.tree, c.tree);
        }
    }
}

// Lines are counted over every block before the fault.
TEST(XmlBlockTest, ErrorLinesCountEveryBlock)
{
    std::string text = declaration + "<r>\n";
    for (int i = 0; i < 5000; ++i)
        text += "<i v='" + std::to_string(i) + "'/>\n";
    text += "<bad></r>";
    // declaration, <r>, 5000 items: the end tag stands on line 5002.
    const test::Outcome fromFile = test::parseAsFile(text);
    const test::Outcome fromMemory = test::parseInMemory(text);
    EXPECT_EQ(fromFile.message, "Unexpected closing element name: 'r'. Expected: 'bad'");
    EXPECT_EQ(fromFile.line, 5002);
    EXPECT_EQ(fromMemory.line, 5002);

    text.resize(text.size() - 9);
    EXPECT_EQ(test::parseAsFile(text).line, 5002);
    EXPECT_EQ(test::parseAsFile(text).message, "End of input detected");
}
