// Malformed model texts: the message each pass reports, where, and that the
// load fails.
#include <LoaderSupport.h>
#include <gtest/gtest.h>

namespace
{
using sc::Group;
using sc::ModelLevel;
using Type = sc::ILog::Type;

struct ErrorCase
{
    const char* name;
    std::string text;
    std::string message;
    unsigned line;
    unsigned column;
};

bool hasEntry(const test::CollectingLog& log, const ErrorCase& c)
{
    for (const auto& e : log.entries)
        if (e.type == Type::Error && e.text == c.message && e.line == c.line && e.column == c.column)
            return true;
    return false;
}

void expectFailure(const ErrorCase& c)
{
    test::Load ld;
    ld.fromString(c.text);
    EXPECT_FALSE(ld.ok) << c.name;
    EXPECT_TRUE(hasEntry(ld.log, c)) << c.name << ": expected " << c.message << " at " << c.line << ":" << c.column
                                     << ", got\n"
                                     << ld.log;
}

// Body lines of test::mainModel("x\ny", ...) start at line 8.
std::string nle(const std::string& body) { return test::mainModel("x\ny", body); }

TEST(LoadErrors, BodyPass)
{
    const std::string sub = "Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\nSubModel\nVars\nu\nNLEs\n";
    const ErrorCase cases[] = {
        {"undeclared name", nle("x = z + 1"), "@ML.UnknownLbl:z", 8, 5},
        {"undeclared in sub-model", sub + "u = y\nend\nend\n", "@ML.UnknownLblSM:y", 10, 5},
        {"tokenizer error", nle("x $ 1"), "@ML.UnexpectedToken:$", 8, 3},
        {"exponent without digits", nle("x - 5e = 0"), "@ML.UnexpectedToken:5e", 8, 5},
        {"the same in a negative number", nle("x - (-5e) = 0"), "@ML.UnexpectedToken:-5e", 8, 6},
        {"@main in main model", nle("x = @main.y"), "@ML.MainRefInMainModel", 8, 5},
        {"@main without dot", sub + "u = @main x\nend\nend\n", "@ML.NoDotAfterBase", 10, 11},
        {"@main dot without name", sub + "u = @main.1\nend\nend\n", "@ML.NoDotAfterBase", 10, 11},
        {"@main unknown name", sub + "u = @main.q\nend\nend\n", "@ML.UnknownLblBase", 10, 11},
        {"attributes only, then ;", nle("[eps = 1];"), "@ML.SemiColNoExpr", 8, 10},
        {"attributes only", nle("[eps = 1]"), "@ML.EmptyExpression", 8, 9},
        {"expression before end", nle("x = 1 end"), "@ML.ExprAfterEnd", 8, 7},
        {"text after end", nle("end x"), "@ML.ExprAfterEnd", 8, 5},
        {"consecutive case", nle("switch\ncase x case"), "@ML.ConsecCase", 9, 8},
        {"; in case condition", nle("switch\ncase x; x = 1"), "@ML.;InCaseCond", 9, 7},
        {"second bracket", nle("x = 1 [eps = 1] [eps = 2]"), "@ML.ConsAttribStartToken", 8, 17},
        {"bracket open at ;", nle("x = 1 [eps = 1; y = 1"), "@ML.AttribStartEndMismatch", 8, 15},
        {"bracket open at line end", nle("x = 1 [eps = 1"), "@ML.AttribStartEndMismatch", 8, 14},
        {"no attribute name", nle("x = 1 [y = 1]"), "@ML.ExpectedAttName", 8, 8},
        {"no = after name", nle("x = 1 [eps 1]"), "@ML.Expected=InAttDef", 8, 12},
        {"group repeated", nle("x = 1\nPreProc\ny = 1\nNLEs\ny = 2"), "@ML.GroupRepeated", 11, 1},
        {"expression before a group", "Header:\nend\n1 + 2\n", "@ML.WrongCurrentGroup", 3, 5},
        // columns count characters: the name before w has two bytes
        {"column in characters", test::mainModel("z\xC3\xA4", "z\xC3\xA4 = w"), "@ML.UnknownLbl:w", 7, 6},
        // a sub-model after the main model's first expression group is never declared
        {"late sub-model", "Header:\nend\nModel\nVars\nx\nNLEs\nx = 1\nSubModel\nVars\nu\nNLEs\nu = 1\nend\nend\n",
         "@ML.UnknownLblSM:u", 10, 1},
        {"bracket before a group", "Header:\nend\n[eps = 1]\n", "@ML.AttribStartGr", 3, 1},
        // the tokenizer refuses a "]" that closes no bracket
        {"second bracket end", nle("x = 1 [eps = 1] ]"), "@ML.UnexpectedToken:]", 8, 17},
        // a NUL would end the line early and drop what follows it
        {"NUL in an equation", nle(std::string("x = 1\0 + y", 10)), "@ML.NulInText", 8, 6},
        // after the sub-model's end no group is current until the next heading
        {"line after sub-model", sub + "u = 1\nend\nx = 1\nend\n", "@ML.WrongCurrentGroup", 12, 5},
    };
    for (const ErrorCase& c : cases)
        expectFailure(c);
}

TEST(LoadErrors, DeclarationPass)
{
    const std::string head = "Header:\nend\nModel [type = NL, eps = 1]\n";
    const std::string tail = "NLEs\nx = 1\nend\n";
    const ErrorCase cases[] = {
        {"variable twice", head + "Vars\nx\nx\n" + tail, "@ML.VarDDVars (x)", 6, 1},
        {"parameter twice", head + "Vars\nx\nParams\np\np = 1\n" + tail, "@ML.ParDDInPars (p)", 8, 1},
        {"parameter named as variable", head + "Vars\nx\nParams\n  x\n" + tail, "@ML.ParDDInVars (x)", 7, 3},
        {"generator named as parameter", head + "Vars\nx\nParams\np\nDistribs\np\n" + tail, "@ML.DistDDInPars (p)", 9,
         1},
        {"statistic named as generator", head + "Vars\nx\nDistribs\nd\nStats\nd\n" + tail, "@ML.DistDDInDists (d)", 9,
         1},
        {"sub-model parameter named as main parameter",
         head + "Vars\nx\nParams\np\nSubModel\nVars\nu\nParams\np\nNLEs\nu = p\nend\n" + tail, "@ML.SubParDDInPars (p)",
         12, 1},
        {"sub-model variable twice", head + "Vars\nx\nSubModel\nVars\nu; u\nNLEs\nu = 1\nend\n" + tail,
         "@ML.SubVarDDSubVars (u)", 8, 4},
        {"sub-model parameter named as sub-model variable",
         head + "Vars\nx\nSubModel\nVars\nu\nParams\nu\nNLEs\nu = 1\nend\n" + tail, "@ML.SubParDDSubVars (u)", 10, 1},
        {"sub-model parameter twice", head + "Vars\nx\nSubModel\nVars\nu\nParams\nk; k\nNLEs\nu = k\nend\n" + tail,
         "@ML.SubParDDSubPars (k)", 10, 4},
        {"sub-model statistic named as sub-model variable",
         head + "Vars\nx\nSubModel\nVars\nu\nStats\nu\nNLEs\nu = 1\nend\n" + tail, "@ML.DistDDInVars (u)", 10, 1},
        {"second Model line", head + "Vars\nx\nModel\n" + tail, "@ML.WrongModelPos", 6, 1},
        {"sub-model first", "Header:\nend\nSubModel\nModel\nVars\nx\n" + tail, "@ML.WrongSubModelPos", 3, 1},
        {"tokenizer error", head + "Vars\nx ? 1\n" + tail, "@ML.UnexpectedToken:?", 5, 3},
        {"NUL", head + "Vars\nx" + std::string(1, '\0') + "; y\n" + tail, "@ML.NulInText", 5, 2},
    };
    for (const ErrorCase& c : cases)
        expectFailure(c);
}

TEST(LoadErrors, ModelInformationAndStructure)
{
    const std::string body = "\nVars\nx\nNLEs\nx = 1\nend\n";
    const ErrorCase cases[] = {
        {"model type", "Header:\nend\nModel [type = XY, eps = 1]" + body, "@ML.WrongModelType", 3, 15},
        {"model type not a word", "Header:\nend\nModel [type = 1, eps = 1]" + body, "@ML.MissModelTypeEn", 3, 15},
        {"domain not a word", "Header:\nend\nModel [domain = \"c\", eps = 1]" + body, "@ML.MissDomainEn", 3, 18},
        {"eps not a number", "Header:\nend\nModel [type = NL, eps = x]" + body, "@ML.WrongEpsType", 3, 25},
        {"name not a string", "Header:\nend\nModel [type = NL, name = x]" + body, "@ML.WrongModelNameType", 3, 26},
        {"method not a word", "Header:\nend\nModel [type = NL, method = 1]" + body, "@ML.WrongMethodType", 3, 28},
        {"repeat outside Repeats", test::mainModel("x", "repeat"), "@CE.RepeatOnlyInRepeatsGroup", 7, 1},
        // the second expression has attributes only: it leaves a record without
        // tokens, reported at the line's start
        {"attributes only after ;", nle("x = 1; [eps = 1];"), "@CE.NoTokensCountExpr", 8, 1},
        // a line after the model's end counts in the last group, past the end line
        {"text after the model", test::mainModel("x", "x = 1") + "x = 2\n", "@CE.OutOfModel", 8, 1},
    };
    for (const ErrorCase& c : cases)
        expectFailure(c);
}

TEST(LoadErrors, MissingHeaderStillReportsTheBody)
{
    // no header: nothing is declared and the body pass reads from the first line
    test::Load ld;
    ld.fromString("Model [type = NL, eps = 1]\nVars\nx\nNLEs\nx = 1\nend\n");
    EXPECT_FALSE(ld.ok);
    ASSERT_EQ(ld.log.entries.size(), 3u) << ld.log;
    EXPECT_EQ(ld.log.entries[0].text, "@ML.HeaderFirstTokenErr");
    EXPECT_EQ(ld.log.entries[0].line, 1u);
    EXPECT_EQ(ld.log.entries[1].text, "@ML.HeaderIncorrectOrMissing");
    EXPECT_EQ(ld.log.entries[1].line, 0u);
    EXPECT_EQ(ld.log.entries[2].text, "@ML.UnknownLbl:x");
    EXPECT_EQ(ld.log.entries[2].line, 3u);
    EXPECT_EQ(ld.naming.getNumberOfVars(ModelLevel::Main), 0u);

    // a body without names loads cleanly, yet the header failed
    test::Load noNames;
    noNames.fromString("Model\nend\n");
    EXPECT_FALSE(noNames.ok);
    EXPECT_EQ(noNames.log.texts(Type::Error),
              (std::vector<std::string> {"@ML.HeaderFirstTokenErr", "@ML.HeaderIncorrectOrMissing"}));
}

TEST(LoadErrors, ErrorsAreLimitedButCounted)
{
    // 40 duplicates: the logger receives 32 errors, the load fails
    std::string text = "Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\n";
    for (int i = 0; i < 40; ++i)
        text += "x\n";
    text += "NLEs\nx = 1\nend\n";
    test::Load ld;
    ld.fromString(text);
    EXPECT_FALSE(ld.ok);
    EXPECT_EQ(ld.log.texts(Type::Error).size(), 32u);

    // a logger already full still gets warnings
    test::Load full;
    full.log.extraErrors = 40;
    full.fromString("Header:\nend\nModel [type = NL, eps = -1]\nVars\nx\nx\nNLEs\nx = 1\nend\n");
    EXPECT_FALSE(full.ok);
    EXPECT_TRUE(full.log.texts(Type::Error).empty());
    EXPECT_EQ(full.log.texts(Type::Warning), std::vector<std::string> {"@ML.NegativeEpsUseDefault"});
}

// Without a translation function of the tokenized model every load message
// reaches the logger's translateAndAdd as its bare key, with the name it
// carries as the text for the "@" of the logger's translation.
TEST(LoadErrors, WithoutTranslationFunctionTheLoggerTranslates)
{
    const std::string body = "\nVars\nx\nNLEs\nx = 1\nend\n";
    const ErrorCase cases[] = {
        {"undeclared name", nle("x = z"), "ML.UnknownLbl <z>", 8, 5},
        {"variable twice", test::mainModel("x\nx", "x = 1"), "ML.VarDDVars <x>", 6, 1},
        {"tokenizer error in the declarations", test::mainModel("x ? 1", "x = 1"), "ML.UnexpectedToken <?>", 5, 3},
        {"header", "Model" + body, "ML.HeaderFirstTokenErr <@>", 1, 1},
        {"model information", "Header:\nend\nModel [type = XY, eps = 1]" + body, "ML.WrongModelType <@>", 3, 15},
        {"block structure", test::mainModel("x", "repeat"), "CE.RepeatOnlyInRepeatsGroup <@>", 7, 1},
    };
    for (const ErrorCase& c : cases)
    {
        test::Load ld(true, nullptr);
        ld.log.setTranslationFn([](const char* key) { return td::String((std::string(key + 1) + " <@>").c_str()); });
        ld.fromString(c.text);
        EXPECT_FALSE(ld.ok) << c.name;
        EXPECT_TRUE(hasEntry(ld.log, c)) << c.name << ": expected " << c.message << ", got\n" << ld.log;
    }
}

TEST(LoadErrors, WithoutLoggerTheLoadStillFails)
{
    test::Load ld(false);
    ld.fromString("Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\nx\nNLEs\nx = 1\nend\n");
    EXPECT_FALSE(ld.ok);
}

TEST(LoadErrors, MissingFileGivesFalseWithoutMessage)
{
    // a folder opens as a stream, but reading it would throw
    for (const char* path : {"/nonexistent/model.txt", TEST_DATA_DIR})
    {
        test::Load ld;
        ld.fromFile(path);
        EXPECT_FALSE(ld.ok) << path;
        EXPECT_TRUE(ld.log.entries.empty()) << path;
    }
}
TEST(LoadErrors, BlockQueries)
{
    // the block opened at the first line of PostProc, whose lines start at line 7
    struct Case
    {
        const char* body;
        bool switchCases;
        Group group;
        const char* key;
        unsigned line;
    };
    const Case cases[] = {
        {"group\nx = 1\nelse\nend", false, Group::PostProc, "@CE.ElseWoEnd", 9},
        {"if x > 0\ns\nend", false, Group::PostProc, "@CE.EqStartWReservedKW", 8},
        {"if x > 0\nrepeat\nend", false, Group::PostProc, "@CE.RepeatWrongPos", 8},
        {"if x > 0\nrepeat\nend", false, Group::Repeats, nullptr, 0},
        {"if x > 0\nx = 1; [eps = 1];\nend", false, Group::PostProc, "@CE.NoTokensInExpr", 8},
        {"switch\ncase x > 0\ndefault\ndefault\nend", true, Group::PostProc, "@CE.DblDefaultInCase", 10},
        {"switch\ncase x > 0\ns\nend", true, Group::PostProc, "@CE.EqStartWReservedKW", 9},
        {"switch\nrepeat\nend", true, Group::PostProc, "@CE.RepeatWrongPos", 8},
    };
    for (const Case& c : cases)
    {
        // the load itself may fail (an empty expression): the records stay
        test::Load ld;
        ld.fromString(std::string("Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\nPostProc\n") + c.body +
                      "\nend\n");
        ld.log.clean();
        const auto it = ld.model->getGroupIterator(Group::PostProc, ModelLevel::Main);
        bool hasDefault = false;
        const unsigned n = c.switchCases ? ld.model->countSwitchCases(it, 0, c.group, hasDefault)
                                         : ld.model->countChildren(it, 0, c.group, ld.model->getExpressionType(it));
        if (!c.key)
        {
            EXPECT_EQ(n, 1u) << c.body;
            EXPECT_TRUE(ld.log.entries.empty()) << c.body;
            continue;
        }
        EXPECT_EQ(n, 0u) << c.body;
        ASSERT_EQ(ld.log.entries.size(), 1u) << c.body;
        EXPECT_EQ(ld.log.entries[0].text, c.key) << c.body;
        EXPECT_EQ(ld.log.entries[0].line, c.line) << c.body;
        EXPECT_EQ(ld.log.entries[0].column, 1u) << c.body;
        EXPECT_EQ(ld.log.entries[0].type, Type::Error) << c.body;
    }
}
} // namespace
