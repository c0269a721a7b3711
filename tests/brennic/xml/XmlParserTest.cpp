#include <gtest/gtest.h>

#include <xml/DOMParser.h>

#include <XmlSupport.h>

#include "TestApplication.h"

#include <string>

using test::declaration;
using test::Outcome;

namespace
{
struct TreeCase
{
    std::string text;
    std::string tree;
};

void expectTree(const std::string& text, const std::string& tree)
{
    const Outcome fromMemory = test::parseInMemory(text);
    EXPECT_TRUE(fromMemory.ok) << fromMemory.message;
    EXPECT_EQ(fromMemory.tree, tree) << "memory";
    const Outcome fromFile = test::parseAsFile(text);
    EXPECT_TRUE(fromFile.ok) << fromFile.message;
    EXPECT_EQ(fromFile.tree, tree) << "file";
}
} // namespace

TEST(XmlParserTest, DocumentsBecomeTheSameTreeFromMemoryAndFromFiles)
{
    const TreeCase cases[] = {
        {declaration + "<a/>", "a"},
        {declaration + "<a x=\"1\" y='two' empty=\"\"/>", "a{x=1;y=two;empty=;}"},
        {declaration + "<a  x = \"1\" ></a >", "a{x=1;}"},
        // Names may hold "-", "." and ":".
        {declaration + "<a:b-c.d e_f.g=\"h\"/>", "a:b-c.d{e_f.g=h;}"},
        // References in values and in text; the other quote, "<", ">" and
        // line feeds are ordinary characters of a value.
        {declaration + "<a v=\"&lt;&gt;&amp;&quot;&apos;\">a&amp;b</a>", "a{v=<>&\"';}'a&b'"},
        {declaration + "<a v=\"1\n' < >2\" w='\"'/>", "a{v=1\n' < >2;w=\";}"},
        {declaration + "<a>&#233;&#65;&#8364;&nbsp;</a>", "a'\xC3\xA9"
                                                          "A\xE2\x82\xAC\xC2\xA0'"},
        // CDATA bodies are taken as they stand; a body may end in "]".
        {declaration + "<a><![CDATA[a]]b]]></a>", "a'a]]b'"},
        {declaration + "<a><![CDATA[x]]]></a>", "a'x]'"},
        {declaration + "<a><![CDATA[<b>&amp;</b>]]></a>", "a'<b>&amp;</b>'"},
        {declaration + "<a><![CDATA[]]><![CDATA[ \n ]]></a>", "a"},
        // Mixed content: the last piece of text wins, and a text that
        // begins with a sign keeps it.
        {declaration + "<a>a<b/>b</a>", "a'b'(b)"},
        {declaration + "<a><b/>-5</a>", "a'-5'(b)"},
        {declaration + "<a><b/>(x)</a>", "a'(x)'(b)"},
        // White space alone is no text; around other text it is kept.
        {declaration + "<a>\n\t<b> </b>\n</a>", "a(b)"},
        {declaration + "<a>\n  x </a>", "a'\n  x '"},
        {declaration + "<r><i/><i>1</i><j/><i/></r>", "r(i i'1' j i)"},
        // Comments, processing instructions and the document type anywhere
        // before the end of the root, comments after it too.
        {declaration + "<!DOCTYPE r>\n<?pi a=\"1\" b='2'?><!-- c --><r><!-- a - b --><!----></r><!-- end -->\n", "r"},
        // The declaration's variants.
        {"\xEF\xBB\xBF" + declaration + "<a/>", "a"},
        {"<?xml version='1.0' encoding='utf8'?><a/>", "a"},
        {"<?xml version=\"1.0\"?><a/>", "a"},
        {"  < ? xml version = \"1.0\" ? >\n<a/>", "a"},
    };
    for (const TreeCase& c : cases)
    {
        SCOPED_TRACE(c.text);
        expectTree(c.text, c.tree);
    }
}

TEST(XmlParserTest, InMemoryTextWithoutHeaderStartsWithTheContent)
{
    EXPECT_EQ(test::parseInMemory("<a/>", false).tree, "a");
    EXPECT_EQ(test::parseInMemory("\xEF\xBB\xBF<a>x</a>", false).tree, "a'x'");
    // A declaration is then an ordinary processing instruction.
    EXPECT_TRUE(test::parseInMemory(declaration + "<a/>", false).ok);
    EXPECT_FALSE(test::parseInMemory("", false).ok);
    EXPECT_EQ(test::parseInMemory("\xEF", false).message, "Not an XML file");
    EXPECT_EQ(test::parseInMemory("\xFE\xFF<a/>", false).message, "Unsupported file encoding");
}

TEST(XmlParserTest, TheDocumentTypeIsKeptUnlessBlank)
{
    test::MemoryParser parser;
    ASSERT_TRUE(parser.parseMemory((declaration + "<!DOCTYPE plist PUBLIC \"x\"><plist/>").c_str(), nullptr, true));
    EXPECT_STREQ(parser.getDocType().c_str(), " plist PUBLIC \"x\"");
    test::MemoryParser blank;
    ASSERT_TRUE(blank.parseMemory((declaration + "<!DOCTYPE  ><plist/>").c_str(), nullptr, true));
    EXPECT_TRUE(blank.getDocType().isEmpty());
}

namespace
{
struct ErrorCase
{
    std::string text;
    std::string message;
    int line;
    mu::ExceptionType type;
};

using T = mu::ExceptionType;

void expectError(const ErrorCase& c, const Outcome& o, const char* road)
{
    EXPECT_FALSE(o.ok) << road;
    EXPECT_EQ(o.message, c.message) << road;
    EXPECT_EQ(o.line, c.line) << road;
    EXPECT_EQ(o.type, c.type) << road;
}
} // namespace

// Every message a document can cause, with the 0-based line of the fault.
TEST(XmlParserTest, MalformedDocumentsFailWithTheirMessageAndLine)
{
    const std::string d = declaration; // line 0
    const ErrorCase cases[] = {
        // The file as a whole and its declaration: no line.
        {"<a/>", "Not an XML file", -1, T::NotXML},
        {"\xEF\xBB<?xml version=\"1.0\"?><a/>", "Not an XML file", -1, T::NotXML},
        {"\xFF\xFF<?xml version=\"1.0\"?><a/>", "Not an XML file", -1, T::NotXML},
        {"\xFF\xFE<?xml version=\"1.0\"?><a/>", "Unsupported file encoding", -1, T::UnsupportedEncoding},
        {"\xFE\xFF<?xml version=\"1.0\"?><a/>", "Unsupported file encoding", -1, T::UnsupportedEncoding},
        {"x<?xml version=\"1.0\"?><a/>", "Wrong header file", -1, T::Header},
        {"<a version=\"1.0\"?><a/>", "Wrong XML header", -1, T::Header},
        {"<?xmlx version=\"1.0\"?><a/>", "Wrong XML header", -1, T::Header},
        {"<?xml encoding=\"UTF-8\"?><a/>", "XML version expected", -1, T::Header},
        {"<?xml version \"1.0\"?><a/>", "Wrong XML header: Expected '=' after 'version'", -1, T::Header},
        {"<?xml version=1.0?><a/>", "Wrong XML header: Expected version number", -1, T::Header},
        {"<?xml version=\"1.1\"?><a/>", "Unsupported XML version", -1, T::Header},
        {"<?xml version=\"1.0\" standalone=\"yes\"?><a/>", "Unsupported XML version", -1, T::Header},
        {"<?xml version=\"1.0\" =?><a/>", "Wrong XML header", -1, T::Header},
        {"<?xml version=\"1.0\" encoding \"UTF-8\"?><a/>", "Wrong XML header: Expected '=' after 'version'", -1,
         T::Header},
        {"<?xml version=\"1.0\" encoding=UTF-8?><a/>", "Wrong XML header: Expected version number", -1, T::Header},
        {"<?xml version=\"1.0\" encoding=\"latin1\"?><a/>", "Unsupported XML encoding", -1, T::Header},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\" x=\"1\"?><a/>",
         "Wrong XML header: Expected xml header closing sign '?'", -1, T::Header},
        {"<?xml version=\"1.0\"?x<a/>", "Wrong XML header: Expected xml header closing sign '>'", -1, T::Header},
        // Elements.
        {d + "<a>\n<b></c>\n</a>", "Unexpected closing element name: 'c'. Expected: 'b'", 2, T::Syntax},
        {d + "<a></zz>", "Unexpected closing element name: 'zz'. Expected: 'a'", 1, T::Syntax},
        {d + "\n</a>", "Unexpected token", 2, T::Syntax},
        {d + "<a></ >", "Unexpected token", 1, T::Syntax},
        {d + "<a></a x>", "Unexpected token", 1, T::Syntax},
        {d + "<1a/>", "Invalid element name", 1, T::Syntax},
        {d + "<a&/>", "Unexpected token", 1, T::Syntax},
        {d + "<a/x>", "Unexpected token", 1, T::Syntax},
        {d + "<a x/>", "Unexpected token", 1, T::Syntax},
        {d + "<a x=1/>", "Unexpected token", 1, T::Syntax},
        {d + "<a x=\"1\" &/>", "Unexpected token", 1, T::Syntax},
        {d + "<a x=\"1\"/x>", "Unexpected token! Expected '>'", 1, T::Syntax},
        // "<!" constructs.
        {d + "<a><!-x --></a>", "Unexpected token", 1, T::Syntax},
        {d + "<a><![CDAT[x]]></a>", "Unexpected token", 1, T::Syntax},
        {d + "<a><!ELEMENT x></a>", "Unexpected token", 1, T::Syntax},
        {d + "<a>\n<!-- a -- b --></a>", "Unexpected token! Comments are not closed with '>'", 2, T::Syntax},
        // Processing instructions.
        {d + "<?1?><a/>", "Unexpected token. Expected working instructions name", 1, T::Syntax},
        {d + "<?pi a?><a/>", "Unexpected token while parsing working instructions attribute. Expected '='", 1,
         T::Syntax},
        {d + "<?pi a=1?><a/>", "Unexpected token while parsing working instructions attribute. Expected '\"' or \"'\"",
         1, T::Syntax},
        {d + "<?pi a=\"1\"?x<a/>", "Unexpected token while parsing working instructions attribute. Expected '>'", 1,
         T::Syntax},
        {d + "<?pi &?><a/>", "Unexpected token while parsing working instructions name", 1, T::Syntax},
        // References.
        {d + "<a>&foo;</a>", "Unexpected character while parsing special character in string", 1, T::Syntax},
        {d + "<a>&amp</a>", "Unexpected character while parsing special character in string", 1, T::Syntax},
        {d + "<a x='&lt'/>", "Unexpected character while parsing special character in string", 1, T::Syntax},
        {d + "<a>&;</a>", "Unexpected character while parsing special character in string", 1, T::Syntax},
        {d + "<a>\n&nbxp;</a>", "Unexpected character while parsing special character in string nbsp", 2, T::Syntax},
        {d + "<a>&#12345;</a>", "Wrong unicode formating!", 1, T::Syntax},
        {d + "<a>&#x41;</a>", "Wrong unicode formating!", 1, T::Syntax},
        {d + "<a>&#;</a>", "Wrong unicode formating!", 1, T::Syntax},
        {d + "<a>&#0;</a>", "Wrong unicode formating!", 1, T::Syntax},
        {d + "<a x=\"&#1\"/>", "Wrong unicode formating!", 1, T::Syntax},
        // After the root element only comments.
        {d + "<a/>\ntext", "Unexpected token at the end of xml", 2, T::TrailingToken},
        {d + "<a>\n</a>\n</a>", "Unexpected token at the end of xml", 3, T::TrailingToken},
        {d + "<a/><?pi?>", "Unexpected token at the end of xml", 1, T::TrailingToken},
        {d + "<a/><!DOCTYPE a>", "Unexpected token at the end of xml", 1, T::TrailingToken},
        {d + "<a/><b/>", "Unexpected token at the end of xml", 1, T::TrailingToken},
        {d + "<a/>\n<!-- a -- b -->", "Unexpected token! Trailing comments are not closed with '>'", 2, T::Syntax},
        // The input ends too early: no element, inside an element, a tag, a
        // comment, or a trailing comment.
        {d, "End of input detected", 1, T::EndOfInput},
        {d + "<a>\n<b>\n", "End of input detected", 3, T::EndOfInput},
        {d + "<a>\n<b x='1'\n", "End of input detected", 3, T::EndOfInput},
        {d + "<a>\n<!-- never closed", "End of input detected", 2, T::EndOfInput},
        {d + "<a/><!-- never closed\n", "End of input detected", 2, T::EndOfInput},
    };
    for (const ErrorCase& c : cases)
    {
        SCOPED_TRACE(c.text);
        expectError(c, test::parseInMemory(c.text), "memory");
        expectError(c, test::parseAsFile(c.text), "file");
    }
}

// Signatures with zero bytes, which a NUL-terminated text cannot hold.
TEST(XmlParserTest, FilesWithUtf32SignaturesAreRefused)
{
    using namespace std::string_literals;
    const ErrorCase cases[] = {
        {"\xFF\xFE\0\0<\0\0\0?\0\0\0x\0\0\0"s, "Unsupported file encoding", -1, T::UnsupportedEncoding},
        {"\0\0\xFE\xFF\0\0\0<\0\0\0?\0\0\0x"s, "Unsupported file encoding", -1, T::UnsupportedEncoding},
        {"\xFF\xFE\0x<?xml version=\"1.0\"?><a/>"s, "Not an XML file", -1, T::NotXML},
        {"\0<?xml version=\"1.0\"?><a/>"s, "Not an XML file", -1, T::NotXML},
    };
    for (const ErrorCase& c : cases)
        expectError(c, test::parseAsFile(c.text), "file");
}

// End tags are matched, and children looked up, by name: "bA" and "ca"
// share a hash.
TEST(XmlParserTest, NamesWithOneHashStayApart)
{
    ASSERT_EQ(td::nameHash("bA", 2), td::nameHash("ca", 2));
    const Outcome o = test::parseInMemory(declaration + "<bA></ca>");
    EXPECT_EQ(o.message, "Unexpected closing element name: 'ca'. Expected: 'bA'");

    test::MemoryParser parser;
    ASSERT_TRUE(parser.parseMemory((declaration + "<r><bA v='1'/><ca v='2'/><bA v='3'/></r>").c_str(), nullptr, true));
    auto ca = parser.getRoot().getChildNode("ca");
    ASSERT_FALSE(ca.isEnd());
    EXPECT_STREQ(ca.getAttribValueStrPtr("v")->c_str(), "2");
    EXPECT_EQ(ca.getCounter(), 1u);
    auto bA = parser.getRoot().getChildNode("bA");
    EXPECT_EQ(bA.getCounter(), 2u);
    EXPECT_STREQ((++bA).getAttribValueStrPtr("v")->c_str(), "3");
}

TEST(XmlParserTest, IteratorsWalkChildrenByName)
{
    test::MemoryParser parser;
    const std::string text = declaration + "<r><item v='1'/><other/><item v=''/><item/><other/></r>";
    ASSERT_TRUE(parser.parseMemory(text.c_str(), nullptr, true));
    auto root = parser.getRoot();
    EXPECT_EQ(root.getCounter(), 1u);

    auto item = root.getChildNode("item");
    EXPECT_EQ(item.getCounter(), 3u);
    double value = -1;
    EXPECT_TRUE(item.getAttribValue("v", value));
    EXPECT_EQ(value, 1.0);
    ++item;
    // An empty value is there and reads as 0; an absent one is not.
    ASSERT_NE(item.getAttribValueStrPtr("v"), nullptr);
    EXPECT_TRUE(item.getAttribValueStrPtr("v")->isEmpty());
    EXPECT_TRUE(item.getAttribValue("v", value));
    EXPECT_EQ(value, 0.0);
    ++item;
    EXPECT_EQ(item.getAttribValueStrPtr("v"), nullptr);
    value = -1;
    EXPECT_FALSE(item.getAttribValue("v", value));
    EXPECT_EQ(value, -1);
    EXPECT_EQ(item.getCounter(), 1u);
    EXPECT_TRUE((++item).isEnd());
    EXPECT_EQ(item.getCounter(), 0u);

    // Without a filter every sibling counts.
    test::MemoryParser::node_iterator all(&parser, parser.getRootNode()->pFirstChild);
    EXPECT_EQ(all.getCounter(), 5u);
    // Names never seen, and children of the end, give the end.
    EXPECT_TRUE(root.getChildNode("missing").isEnd());
    EXPECT_TRUE(root.getChildNode("r").isEnd());
    EXPECT_TRUE(item.getChildNode("item").isEnd());
}

TEST(XmlParserTest, AnElementHoldsAtMost4095Attributes)
{
    auto element = [](int n) {
        std::string text = declaration + "<r><before a='1' b='2'/><e";
        for (int i = 0; i < n; ++i)
            text += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
        return text + "/><after c='3'/></r>";
    };
    test::MemoryParser parser;
    ASSERT_TRUE(parser.parseMemory(element(4095).c_str(), nullptr, true));
    auto e = parser.getRoot().getChildNode("e");
    ASSERT_EQ(e->nAttribs, 4095u);
    // The pairs stay contiguous across the chunk they outgrew.
    for (unsigned i = 0; i < 4095; ++i)
        ASSERT_STREQ(e->pAttribs[i].pValue->c_str(), std::to_string(i).c_str());
    EXPECT_STREQ(parser.getRoot().getChildNode("after").getAttribValueStrPtr("c")->c_str(), "3");
    EXPECT_STREQ(parser.getRoot().getChildNode("before").getAttribValueStrPtr("b")->c_str(), "2");

    const Outcome tooMany = test::parseInMemory(element(4096));
    EXPECT_EQ(tooMany.message, "Too many attributes in one element");
    EXPECT_EQ(tooMany.type, T::Syntax);
}

TEST(XmlParserTest, FailuresAreShownToTheGivenOrTheApplicationsLogger)
{
    const std::string bad = declaration + "<a>\n</b>";
    test::CollectingLogger given;
    test::MemoryParser inMemory;
    EXPECT_FALSE(inMemory.parseMemory(bad.c_str(), &given, true));
    ASSERT_EQ(given.entries.size(), 1u);
    EXPECT_EQ(given.entries[0].type, 2);
    EXPECT_EQ(given.entries[0].title, "SAXParser::parseMemory");
    EXPECT_EQ(given.entries[0].message, "Unexpected closing element name: 'b'. Expected: 'a'");

    test::TestApplication app;
    test::CollectingLogger appLogger;
    app.getSettings()->setLogger(&appLogger);
    test::TempFile file(bad);
    test::FileParser fromFile;
    EXPECT_FALSE(fromFile.parseFile(td::String(file.path().c_str()), nullptr));
    ASSERT_EQ(appLogger.entries.size(), 1u);
    EXPECT_EQ(appLogger.entries[0].title, "XmlFileParser::parseFile");
    EXPECT_EQ(appLogger.entries[0].message,
              "Cannot parse xml file: " + file.path() + "\nUnexpected closing element name: 'b'. Expected: 'a'");
    EXPECT_EQ(fromFile.getLastError().getLine(), 2);

    const std::string missing = file.path() + ".missing";
    test::FileParser none;
    EXPECT_FALSE(none.parseFile(td::String(missing.c_str()), nullptr));
    ASSERT_EQ(appLogger.entries.size(), 2u);
    EXPECT_EQ(appLogger.entries[1].message, "Cannot open xml file: " + missing);
    EXPECT_EQ(none.getLastError().getLine(), -1);

    // A good parse is not reported and leaves no error.
    test::MemoryParser good;
    EXPECT_TRUE(good.parseMemory((declaration + "<a/>").c_str(), nullptr, true));
    EXPECT_EQ(appLogger.entries.size(), 2u);
    EXPECT_TRUE(good.getLastError().getMessage().isEmpty());
}

// The XML form of a model, read as the model reader will: sections by name,
// equations by iteration, numbers from attributes.
TEST(XmlParserTest, AModelFileReadsThroughIterators)
{
    test::FileParser parser;
    ASSERT_TRUE(parser.parseFile(std::filesystem::path(TEST_DATA_DIR) / "model.xml"));
    auto model = parser.getRoot();
    EXPECT_STREQ(model->pName->pStr->c_str(), "Model");
    EXPECT_STREQ(model.getAttribValueStrPtr("type")->c_str(), "NR");
    auto vars = model.getChildNode("Vars").getChildNode("Var");
    ASSERT_EQ(vars.getCounter(), 2u);
    double x = 0;
    EXPECT_TRUE(vars.getAttribValue("val", x));
    EXPECT_EQ(x, 1.5);
    EXPECT_TRUE((++vars).getAttribValue("val", x));
    EXPECT_EQ(x, -2e-3);
    auto eqs = model.getChildNode("NLEqs").getChildNode("Eq");
    ASSERT_EQ(eqs.getCounter(), 2u);
    EXPECT_STREQ(eqs.getAttribValueStrPtr("fx")->c_str(), "x^2 + y < 4 && x > 0");
    EXPECT_STREQ((++eqs).getAttribValueStrPtr("fx")->c_str(), "x - y = 1");
}

// Deep nesting uses no recursion: a hundred thousand levels parse.
TEST(XmlParserTest, DeepNestingParses)
{
    constexpr int depth = 100000;
    std::string text = declaration;
    for (int i = 0; i < depth; ++i)
        text += "<n>";
    text += "x";
    for (int i = 0; i < depth; ++i)
        text += "</n>";
    test::MemoryParser parser;
    ASSERT_TRUE(parser.parseMemory(text.c_str(), nullptr, true));
    const auto* pNode = parser.getRootNode();
    int levels = 1;
    while (pNode->pFirstChild)
    {
        pNode = pNode->pFirstChild;
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    EXPECT_STREQ(pNode->pText->c_str(), "x");
}
