// Texts of any shape load to a result without stopping the process; the
// sanitizer build runs these.
#include <GeneratedModel.h>
#include <LoaderSupport.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace
{
const std::string head = "Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\nNLEs\n";

// Every naming query, for both levels and every kind: each count is
// matched by a name at every position, and each name leads back to its
// position (a host asks for the names even after a failed load).
void queryNaming(const sc::Naming& naming)
{
    for (sc::ModelLevel level : {sc::ModelLevel::Main, sc::ModelLevel::SubModel})
    {
        for (unsigned k = 0; k <= static_cast<unsigned>(sc::UserLabel::Last); ++k)
        {
            const auto kind = static_cast<sc::UserLabel>(k);
            const unsigned n = naming.getNumberOfUserLabels(kind, level);
            for (unsigned pos = 0; pos < n; ++pos)
            {
                const td::StringExt* pName = naming.getUserLabelName(kind, pos, level);
                ASSERT_NE(pName, nullptr) << "kind " << k << " position " << pos;
                EXPECT_EQ(naming.getUserLabelPos(kind, pName, level), static_cast<int>(pos));
            }
        }
        for (unsigned pos = 0; pos < naming.getNumberOfVars(level); ++pos)
            EXPECT_EQ(naming.getVarPos(naming.getVarName(pos, level), level), static_cast<int>(pos));
        for (unsigned pos = 0; pos < naming.getNumberOfParams(level); ++pos)
            EXPECT_EQ(naming.getParamPos(naming.getParamName(pos, level), level), static_cast<int>(pos));
    }
    std::ostringstream os;
    naming.showVarsAndParams(os);
}

// A name token of a line carries the index of a symbol that the naming has.
void checkNameToken(const sc::Naming& naming, const sc::_TokV& tok, sc::ModelLevel lineLevel)
{
    sc::UserLabel kind;
    switch (tok.code)
    {
    case sc::Token::Var: kind = sc::UserLabel::Var; break;
    case sc::Token::Param: kind = sc::UserLabel::Param; break;
    case sc::Token::Distrib: kind = sc::UserLabel::Distrib; break;
    case sc::Token::Stat: kind = sc::UserLabel::Stat; break;
    default: return;
    }
    const sc::ModelLevel level = tok.isFromMainModel() ? sc::ModelLevel::Main : lineLevel;
    ASSERT_LT(tok.id, naming.getNumberOfUserLabels(kind, level));
    if (!tok.isFromMainModel())
    {
        EXPECT_EQ(tok.pStr, naming.getUserLabelName(kind, tok.id, level));
    }
}

// Every query the model compiler and a host make, on every line of every
// group: a partly filled model must answer them within its records, in
// agreement with its naming.
void queryEverything(const test::Load& ld)
{
    sc::TokenizedModel& m = *ld.model;
    queryNaming(ld.naming);
    m.countOutSymbols();
    EXPECT_LE(m.getNumberOfOutVars(), ld.naming.getNumberOfVars(sc::ModelLevel::Main));
    EXPECT_LE(m.getNumberOfOutParams(), ld.naming.getNumberOfParams(sc::ModelLevel::Main));
    EXPECT_LE(m.getFirstCopiedParamPos() + m.getNumberOfCopiedParams(),
              ld.naming.getNumberOfParams(sc::ModelLevel::SubModel));
    for (int index : {m.getIndexOfTimeParam(sc::ModelLevel::Main), m.getIndexOfDeltaTimeParam(sc::ModelLevel::Main)})
        EXPECT_LT(index, static_cast<int>(ld.naming.getNumberOfParams(sc::ModelLevel::Main)));
    m.hasRepetitions();
    m.isComplex();
    m.getNumberOfHeaderLines();
    m.getReportingType();
    for (unsigned p = 0; p <= static_cast<unsigned>(sc::HeaderParam::NA); ++p)
    {
        const auto param = static_cast<sc::HeaderParam>(p);
        td::Variant v;
        m.getHeaderVariantValue(param, v);
        double d = 0;
        m.getHeaderParamValue(param, d);
        int i = 0;
        m.getHeaderParamValue(param, i);
        m.getHeaderParamString(param);
    }
    for (sc::ModelLevel level : {sc::ModelLevel::Main, sc::ModelLevel::SubModel})
    {
        m.getModelInfo(level);
        m.getNumberOfLimitUses(level);
        const sc::TokenizedModel::Lines& lines = m.getLines(level);
        for (unsigned l = 0; l < lines.size(); ++l)
        {
            ASSERT_LE(lines[l].firstToken + lines[l].nTokens, m.getExpressionTokens().size());
            ASSERT_LE(lines[l].firstAttrib + lines[l].nAttribs, m.getAttribTokens().size());
            for (unsigned i = 0; i < lines[l].nTokens; ++i)
                checkNameToken(ld.naming, m.getExpressionTokens()[lines[l].firstToken + i], level);
        }
        for (unsigned g = 0; g < sc::NumberOfGroups; ++g)
        {
            const auto group = static_cast<sc::Group>(g);
            m.getNumberOfExpressions(group, level);
            for (auto it = m.getGroupIterator(group, level); it.isValid(); ++it)
            {
                ASSERT_LT(it._current, lines.size());
                const sc::ExpressionType type = m.getExpressionType(it);
                m.countChildren(it, 0, group, type);
                bool hasDefault = false;
                m.countSwitchCases(it, 0, group, hasDefault);
                double w = 0;
                it.getAttribValue(sc::AttribID::w, w);
                it.getAttribValueStrPtr(sc::AttribID::name);
            }
        }
    }
}

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(Robustness, MalformedTexts)
{
    struct Case
    {
        std::string text;
        bool loads; // brackets and block structure are the compiler's to check
    };
    const Case cases[] = {
        {head + "x = 1 \xC3\nend\n", false},     // UTF-8 cut off at a line's end
        {head + "x = \"\xE2\x82\nend\n", false}, // the same inside a string
        {head + "x = ((((1\nend\n", true},
        {head + "x = 1 [[[[\nend\n", false},
        {head + "x = 1 ]]]]\nend\n", false},
        {head + "x = 1\n", true},                                       // no closing end
        {head + repeat("if x > 0\n", 20000) + "end\n", true},           // deep nesting, never closed
        {head + repeat("end\n", 100), false},                           // more ends than blocks
        {head + "x = " + repeat("x+", 500000) + "1\nend\ny\n", false},  // a 1 MB line, then a fault
        {head + "x = " + std::string(1 << 20, 'a') + "\nend\n", false}, // a 1 MB undeclared name
        {std::string("Header:\n") + repeat("maxIter = 1 ", 100000) + "\n", false},
        {std::string("\xFF\xFE\x00\x01", 4) + "Header:\nend\n", false},
        {"Header:\nend\nModel\nSubModel\nSubModel\nend\nend\nend\n", false},
        {"", false},
        {"\n\n\n", false},
        {"Header:", false},
        // an "end" met before the Model line must not count as the model's end
        {"Header:\nend\nVars\nif\nend\nModel\n", true},
        // a sub-model parameter t or dT clashes with a copied time parameter
        // of a dynamic model after other copies were made
        {"Header:\nend\nModel [type = ODE]\nSubModel [copyPars = -1]\nParams\nt\nend\nend\n", false},
        {"Header:\nend\nModel [type = DAE]\nParams\np\nSubModel [copyPars = 3]\nParams\nt\nend\nend\n", false},
        {"Header:\nend\nModel [type = ODE]\nSubModel [copyPars = 2]\nParams\ndT\nend\nend\n", false},
        {"Header:\nend\nModel\nVars\nx\nx\nNLEs\nx = 1\nend\n", false},                      // declared twice
        {"Header:\nend\nModel\nVars\nx\nSubModel\nVars\nu\nNLEs\nu = x\nend\nend\n", false}, // x not in the sub-model
        {"Header:\nmaxIter = \"a\"\nend\nModel\nVars\nx\nNLEs\nx = 1\nend\n", false},        // header value
    };
    for (const Case& c : cases)
    {
        test::Load ld;
        ld.fromString(c.text);
        EXPECT_EQ(ld.ok, c.loads) << c.text.substr(0, 80) << "\n" << ld.log;
        queryEverything(ld);
    }
    // nothing read at all
    test::Load missing;
    missing.fromFile("/nonexistent/model.txt");
    queryEverything(missing);
}

TEST(Robustness, RandomBytesFromFile)
{
    std::mt19937 gen(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::string path = ::testing::TempDir() + "robustness_model.txt";
    for (int round = 0; round < 50; ++round)
    {
        // valid start, then noise: every pass meets it somewhere
        std::string text = round % 2 ? "Header:\nend\nModel [type = NL]\nVars\nx\nNLEs\n" : "";
        for (int i = 0; i < 2000; ++i)
            text += static_cast<char>(byte(gen));
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        test::Load fromFile;
        fromFile.fromFile(path);
        test::Load fromString;
        fromString.fromString(text);
        EXPECT_FALSE(fromFile.ok);
        EXPECT_FALSE(fromString.ok);
        queryEverything(fromFile);
        queryEverything(fromString);
    }
    std::remove(path.c_str());
}

// A generated model of 100,000 equations loads whole; how its load time
// grows with the size is measured by the model-load benchmark.
TEST(Robustness, HundredThousandEquationModelLoads)
{
    const int n = 100000;
    test::Load ld;
    ld.fromString(test::generatedModel(n));
    EXPECT_TRUE(ld.ok);
    EXPECT_EQ(ld.model->getNumberOfExpressions(sc::Group::NLEs, sc::ModelLevel::Main), static_cast<unsigned>(n));
}
} // namespace
