#include <gtest/gtest.h>

#include <xml/Writer.h>

#include <XmlSupport.h>

#include <fstream>
#include <sstream>
#include <string>

namespace
{
std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// A file the test removes; the writer creates it.
class OutFile : public test::TempFile
{
public:
    OutFile()
        : test::TempFile("")
    {
    }
    td::String name() const { return td::String(path().c_str()); }
};
} // namespace

TEST(XmlWriterTest, LayoutPutsTagsOnTabbedLinesAndTextInline)
{
    OutFile file;
    {
        xml::Writer w(file.name(), true, 2);
        w.startElement("a");
        w.startElement("b");
        w.elementText("x");
        w.endElement();
        w.startElement("c");
        w.attribute("k", "v");
        w.endElement();
        w.startElement("d");
        w.startElement("e");
        w.endElement();
        w.endElement();
        w.endElement();
        EXPECT_EQ(w.getDepth(), 0u);
        EXPECT_TRUE(w.close());
    }
    EXPECT_EQ(readFile(file.path()), "\n<a>\n\t<b>x</b>\n\t<c k=\"v\"/>\n\t<d>\n\t\t<e/>\n\t</d>\n</a>");

    {
        xml::Writer flat(file.name(), false, 2);
        flat.startElement("a");
        flat.startElement("b");
        flat.endElement();
        flat.elementText("t");
        flat.endElement();
    }
    EXPECT_EQ(readFile(file.path()), "<a><b/>t</a>");
}

TEST(XmlWriterTest, TextAndValuesAreEscapedLiteralsAreNot)
{
    OutFile file;
    {
        xml::Writer w(file.name(), false, 2);
        w.putCStr("<?xml version=\"1.0\"?>");
        w.startElement("a");
        w.attribute("v", "a & b < c");
        w.attribute("q", "\"'>");
        w.elementText("1 < 2 & \"x\"\n\r'y' > 0");
        w.writeStringWithChecking(nullptr);
        w.writeString(3, "raw&more");
        w.endElement();
    }
    EXPECT_EQ(readFile(file.path()), "<?xml version=\"1.0\"?><a v=\"a &amp; b &lt; c\" q=\"&quot;&apos;&gt;\">"
                                     "1 &lt; 2 &amp; &quot;x&quot;\n\r&apos;y&apos; &gt; 0raw</a>");
}

TEST(XmlWriterTest, AnAttributeNeedsAnOpenStartTag)
{
    OutFile file;
    xml::Writer w(file.name(), true, 2);
    w.startElement("a");
    w.elementText("x");
    try
    {
        w.attribute("k", "v");
        FAIL() << "no exception";
    }
    catch (const td::String& message)
    {
        EXPECT_STREQ(message.c_str(), "Cannot add attrib! There is no node started!");
    }
}

TEST(XmlWriterTest, DestroyingTheWriterClosesOpenElements)
{
    OutFile file;
    {
        xml::Writer w(file.name(), true, 2);
        w.startElement("a");
        w.startElement("b");
        w.startElement("c");
        w.elementText("x");
        EXPECT_EQ(w.getDepth(), 3u);
    }
    EXPECT_EQ(readFile(file.path()), "\n<a>\n\t<b>\n\t\t<c>x</c>\n\t</b>\n</a>");
}

// A save on a full disk, or into a folder that does not exist, reports
// failure when the writer is closed.
TEST(XmlWriterTest, FailedOpensWritesAndClosesAreReported)
{
    {
        xml::Writer missing(td::String("/nonexistent-folder/settings.plist"), true, 2);
        EXPECT_FALSE(missing.isOk());
        missing.startElement("a");
        EXPECT_FALSE(missing.close());
        EXPECT_FALSE(missing.close());
    }
    {
        xml::Writer full(td::String("/dev/full"), true, 2);
        EXPECT_TRUE(full.isOk());
        full.startElement("plist");
        full.elementText("data");
        EXPECT_FALSE(full.close());
    }
    OutFile file;
    xml::Writer bad(file.name(), true, 2);
    bad.writeString(static_cast<const char*>(nullptr));
    EXPECT_FALSE(bad.isOk());
    EXPECT_FALSE(bad.close());
}

// What the writer writes, the parser reads back: the same tree of names,
// attributes and values.
TEST(XmlWriterTest, AWrittenDocumentParsesBackToTheSameTree)
{
    OutFile file;
    {
        xml::Writer w(file.name(), true, 2);
        w.putCStr("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
        w.startElement("plist");
        w.attribute("version", "1.0");
        w.startElement("dict");
        w.startElement("key");
        w.elementText("a/b & <c>");
        w.endElement();
        w.startElement("string");
        w.elementText("'quoted' \"text\"\nsecond line");
        w.endElement();
        w.startElement("true");
        w.endElement();
        w.startElement("empty");
        w.attribute("x", "");
        w.attribute("y", "1 > 0");
        w.endElement();
        ASSERT_TRUE(w.close());
    }
    test::FileParser parser;
    ASSERT_TRUE(parser.parseFile(file.name()));
    EXPECT_EQ(test::dump(parser.getRootNode()),
              "plist{version=1.0;}(dict(key'a/b & <c>' string''quoted' \"text\"\nsecond line' true "
              "empty{x=;y=1 > 0;}))");
}
