// The Header block: values by parameter type, and its errors.
#include <LoaderSupport.h>
#include <climits>
#include <gtest/gtest.h>

namespace
{
using sc::HeaderParam;
using Type = sc::ILog::Type;

const std::string model = "Model [type = NL, eps = 1]\nVars\nx\nNLEs\nx = 1\nend\n";

TEST(Header, ValuesByParameterType)
{
    struct Case
    {
        const char* lines;
        int maxIter;
        double dTime;
        int report;
    };
    const Case cases[] = {
        {"maxIter = 100 dTime = 0.01", 100, 0.01, 2},
        {"maxIter = 2.5", 2, 0.001, 2},    // the parameter's type decides: truncated
        {"maxIter = -2.5", -2, 0.001, 2},  // toward zero
        {"maxIter = 1e3", 1000, 0.001, 2}, // an exponent is read, not cut at the "e"
        {"maxIter = 99999999999", INT_MAX, 0.001, 2},
        {"dTime = 1", 200, 1.0, 2},
        {"dTime = -1e-2\nreport = Solved", 200, -0.01, 0},
        {"report = All", 200, 0.001, 1},
        {"report = x", 200, 0.001, 2},
        {"// only a comment\n\n", 200, 0.001, 2},
    };
    for (const Case& c : cases)
    {
        test::Load ld;
        ld.fromString(std::string("// before\n\nHeader: // settings\n") + c.lines + "\nend // done\n" + model);
        EXPECT_TRUE(ld.ok) << c.lines << "\n" << ld.log;
        int maxIter = 0;
        double dTime = 0;
        EXPECT_EQ(ld.model->getHeaderParamValue(HeaderParam::maxIter, maxIter), 1);
        EXPECT_EQ(maxIter, c.maxIter) << c.lines;
        EXPECT_EQ(ld.model->getHeaderParamValue(HeaderParam::dTime, dTime), 1);
        EXPECT_DOUBLE_EQ(dTime, c.dTime) << c.lines;
        EXPECT_EQ(ld.model->getReportingType(), c.report) << c.lines;
    }
}

TEST(Header, SwitchesStringsAndDefaults)
{
    test::Load ld;
    ld.fromString("Header:\noutToTxt = true newTab = false\ntxtFile = \"a b.txt\"\nend\n" + model);
    ASSERT_TRUE(ld.ok) << ld.log;
    td::Variant v;
    bool flag = false;
    ld.model->getHeaderVariantValue(HeaderParam::outToTxt, v);
    v.getValue(flag);
    EXPECT_TRUE(flag);
    ld.model->getHeaderVariantValue(HeaderParam::newTab, v);
    v.getValue(flag);
    EXPECT_FALSE(flag);
    ld.model->getHeaderVariantValue(HeaderParam::drawPlots, v); // default 'Y'
    v.getValue(flag);
    EXPECT_TRUE(flag);
    EXPECT_STREQ(ld.model->getHeaderParamString(HeaderParam::txtFile).c_str(), "a b.txt");

    // typed getters answer -1 for another type and 0 for no parameter
    double d = 7;
    int i = 7;
    EXPECT_EQ(ld.model->getHeaderParamValue(HeaderParam::maxIter, d), -1);
    EXPECT_EQ(d, 7);
    EXPECT_EQ(ld.model->getHeaderParamValue(HeaderParam::maxIter, i), 1);
    EXPECT_EQ(i, 200);
    EXPECT_EQ(ld.model->getHeaderParamValue(HeaderParam::NA, i), 0);
    EXPECT_FALSE(ld.model->getHeaderVariantValue(HeaderParam::NA, v));
    EXPECT_TRUE(ld.model->getHeaderParamString(HeaderParam::maxIter).isEmpty());

    // which values the text stated, rather than the defaults
    EXPECT_TRUE(ld.model->isHeaderParamStated(HeaderParam::outToTxt));
    EXPECT_TRUE(ld.model->isHeaderParamStated(HeaderParam::txtFile));
    EXPECT_FALSE(ld.model->isHeaderParamStated(HeaderParam::maxIter));
    EXPECT_FALSE(ld.model->isHeaderParamStated(HeaderParam::drawPlots));
    EXPECT_FALSE(ld.model->isHeaderParamStated(HeaderParam::NA));
    test::Load stated;
    stated.fromString("Header:\nmaxIter = 200 report = All\nend\n" + model);
    EXPECT_TRUE(stated.model->isHeaderParamStated(HeaderParam::maxIter));
    EXPECT_TRUE(stated.model->isHeaderParamStated(HeaderParam::report));
}

TEST(Header, Errors)
{
    struct Case
    {
        std::string text;
        const char* key;
        unsigned line, column;
    };
    const std::string nul(1, '\0');
    const Case cases[] = {
        {"Header:\n outToTxt = True\nend\n", "@ML.HeaderReportExp", 2, 13},
        {"Header\nend\n", "@ML.HeaderWithout:", 1, 1},
        {"Header: maxIter = 1\nend\n", "@ML.HeaderTokenAfter:", 1, 9},
        {"Header:\n foo = 1\nend\n", "@ML.HeaderParamUnknown", 2, 2},
        {"Header:\n maxIter maxReps\nend\n", "@ML.HeaderParamExp=", 2, 10},
        {"Header:\n = 1\nend\n", "@ML.HeaderWrong=Pos", 2, 2},
        {"Header:\n maxIter 1\nend\n", "@ML.HeaderWrongConstPos", 2, 10},
        {"Header:\n maxIter =\nend\n", "@ML.HeaderParamIncomplete", 2, 10},
        {"Header:\n maxIter = // none\nend\n", "@ML.HeaderParamIncomplete", 2, 12},
        {"Header:\n txtFile = 1\nend\n", "@ML.HeaderWrongParamType", 2, 12},
        {"Header:\n maxIter = true\nend\n", "@ML.HeaderWrongParamType", 2, 12},
        {"Header:\n maxIter = \"a\"\nend\n", "@ML.HeaderWrongParamType", 2, 13},
        {"Header:\n threads = 0\nend\n", "@ML.HeaderThreadsRange", 2, 12},
        {"Header:\n threads = -2\nend\n", "@ML.HeaderThreadsRange", 2, 12},
        {"Header:\n threads = 1025\nend\n", "@ML.HeaderThreadsRange", 2, 12},
        {"Header:\n threads = true\nend\n", "@ML.HeaderWrongParamType", 2, 12},
        {"Header:\nend x\n", "@ML.HeaderEndAfter", 2, 5},
        {"Header:\n maxIter = 1 $\nend\n", "@ML.HeaderTokError", 2, 14},
        {"  $\nHeader:\nend\n", "@ML.HeaderTokError", 1, 3},
        {"x = 1\n", "@ML.HeaderFirstTokenErr", 1, 1},
        // a NUL would end its line early, whatever stands after it
        {"Header:\n maxIter = 1" + nul + " 2\nend\n", "@ML.NulInText", 2, 13},
        {"Header:" + nul + "\nend\n", "@ML.NulInText", 1, 8},
        {"Header:\nend" + nul + "x\n", "@ML.NulInText", 2, 4},
        {nul + "Header:\nend\n", "@ML.NulInText", 1, 1},
    };
    for (const Case& c : cases)
    {
        test::Load ld;
        ld.fromString(c.text);
        EXPECT_FALSE(ld.ok) << c.text;
        ASSERT_GE(ld.log.entries.size(), 2u) << c.text;
        const auto& e = ld.log.entries[0];
        EXPECT_EQ(e.text, c.key) << c.text;
        EXPECT_EQ(e.line, c.line) << c.text;
        EXPECT_EQ(e.column, c.column) << c.text;
        EXPECT_EQ(ld.log.entries[1].text, "@ML.HeaderIncorrectOrMissing") << c.text;
    }
}

// A count of threads is a whole number from 1 to 1024; a fraction is cut.
TEST(Header, ThreadCount)
{
    for (auto [text, count] : {std::pair {"threads = 1", 1}, {"threads = 2.9", 2}, {"threads = 1024", 1024}})
    {
        test::Load ld;
        ld.fromString(std::string("Header:\n") + text + "\nend\n" + model);
        ASSERT_TRUE(ld.ok) << text << "\n" << ld.log;
        int n = 0;
        EXPECT_TRUE(ld.model->isHeaderParamStated(HeaderParam::threads));
        EXPECT_EQ(ld.model->getHeaderParamValue(HeaderParam::threads, n), 1);
        EXPECT_EQ(n, count) << text;
    }
}

TEST(Header, MissingEndAndUnknownTokens)
{
    // the text ends inside the header: only the summary message
    test::Load open;
    open.fromString("Header:\n maxIter = 1\n");
    EXPECT_FALSE(open.ok);
    // the body pass then reads the header's lines as model text
    EXPECT_EQ(open.log.texts(Type::Error),
              (std::vector<std::string> {"@ML.HeaderIncorrectOrMissing", "@ML.UnknownLbl:Header"}));

    // a token of no use in the header is a warning and the load goes on
    test::Load warned;
    warned.fromString("Header:\n maxIter = 5, dTime = 2\nend\n" + model);
    EXPECT_TRUE(warned.ok) << warned.log;
    EXPECT_EQ(warned.log.texts(Type::Warning), std::vector<std::string> {"@ML.HeaderUnknownParamType"});
    double dTime = 0;
    warned.model->getHeaderParamValue(HeaderParam::dTime, dTime);
    EXPECT_EQ(dTime, 2.0);
}
} // namespace
