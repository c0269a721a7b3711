// No byte sequence stops, crashes or misleads the parser: cut and damaged
// documents fail (or parse) the same way from memory and from a file.
#include <gtest/gtest.h>

#include <XmlSupport.h>

#include <random>
#include <string>

namespace
{
const std::string body = "<Model type=\"NR\" desc=\"a &amp; b\">\n"
                         "  <!-- comment -->\n"
                         "  <Vars><Var name=\"x\" val=\"1\"/><Var name='y' val=\"&#233;\"/></Vars>\n"
                         "  <Text>a&lt;b<![CDATA[ c]]]]></Text>\n"
                         "  <Mixed>one<b/>two&nbsp;</Mixed>\n"
                         "</Model>";
const std::string document = test::declaration + "<!DOCTYPE model>\n<?pi a=\"1\"?>\n" + body + "\n<!-- tail -->\n";

void expectSameOutcome(const test::Outcome& a, const test::Outcome& b)
{
    EXPECT_EQ(a.ok, b.ok);
    EXPECT_EQ(a.tree, b.tree);
    EXPECT_EQ(a.message, b.message);
    EXPECT_EQ(a.line, b.line);
    EXPECT_EQ(a.type, b.type);
}
} // namespace

// A cut document parses only when the cut falls after the root element and
// outside the trailing comment.
TEST(XmlRobustnessTest, EveryCutOfADocumentFailsUnlessTheRootIsComplete)
{
    const size_t rootEnd = document.find("</Model>") + 8;
    const size_t tailEnd = document.size() - 1; // before the last line feed
    const test::Outcome whole = test::parseInMemory(document);
    ASSERT_TRUE(whole.ok) << whole.message;
    // The CDATA section, the last piece of Text, is its text.
    EXPECT_EQ(whole.tree, "Model{type=NR;desc=a & b;}(Vars(Var{name=x;val=1;} Var{name=y;val=\xC3\xA9;}) "
                          "Text' c]]' Mixed'two\xC2\xA0'(b))");
    for (size_t length = 0; length < document.size(); ++length)
    {
        SCOPED_TRACE(length);
        const std::string cut = document.substr(0, length);
        const test::Outcome fromMemory = test::parseInMemory(cut);
        EXPECT_EQ(fromMemory.ok, length == rootEnd || length == rootEnd + 1 || length >= tailEnd);
        expectSameOutcome(fromMemory, test::parseAsFile(cut));
    }
}

TEST(XmlRobustnessTest, DamagedDocumentsGiveTheSameOutcomeOnBothRoads)
{
    std::mt19937 random(20240517);
    std::uniform_int_distribution<int> byte(1, 255);
    const std::string interesting = "<>/&;#\"'=![]-?x \n";
    std::uniform_int_distribution<size_t> pick(0, interesting.size() - 1);
    for (int round = 0; round < 1500; ++round)
    {
        std::string damaged = document;
        std::uniform_int_distribution<size_t> position(0, damaged.size() - 1);
        for (int k = round % 3; k >= 0; --k)
            damaged[position(random)] = round % 2 ? interesting[pick(random)] : static_cast<char>(byte(random));
        SCOPED_TRACE(damaged);
        expectSameOutcome(test::parseInMemory(damaged), test::parseAsFile(damaged));
    }
}

TEST(XmlRobustnessTest, RandomBytesFailOnBothRoads)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(1, 255);
    for (int round = 0; round < 300; ++round)
    {
        std::string garbage(static_cast<size_t>(round * 37 % 9000), ' ');
        for (char& c : garbage)
            c = static_cast<char>(byte(random));
        // Half of them behind a valid declaration, so the content is read.
        if (round % 2)
            garbage = test::declaration + "<a>" + garbage;
        const test::Outcome fromMemory = test::parseInMemory(garbage);
        EXPECT_FALSE(fromMemory.ok);
        expectSameOutcome(fromMemory, test::parseAsFile(garbage));
    }
}
