// What the model compiler asks of a loaded model: block structure, output
// symbols, attributes, literal values and shared parameters.
#include <LoaderSupport.h>
#include <gtest/gtest.h>

namespace
{
using sc::ExpressionType;
using sc::Group;
using sc::ModelLevel;
using sc::Token;
constexpr ModelLevel Main = ModelLevel::Main;
constexpr ModelLevel Sub = ModelLevel::SubModel;

const char* const blocks = "Header:\nend\n"
                           "Model [type = NL, eps = 1]\n"
                           "Vars\nx [out = true]\ny\n"
                           "Params [out = 1]\np\n"
                           "NLEs\nx = 2147483648 + 2147483647 + y [w = 2.5, name = \"n\"]\ny = p [w = pi]\n"
                           "PostProc\n"
                           "if x > 0\n  x = 1\n  group\n    y = 2\n  end\n  p = 3\nelse\n  x = 2\nend\n"
                           "switch\ncase x > 1\n  y = 1\ndefault\n  y = 2\ncase y > 1\n  y = 3\nend\n"
                           "end\n";

class Blocks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ld.fromString(blocks);
        ASSERT_TRUE(ld.ok) << ld.log;
    }
    test::Load ld;
};

TEST_F(Blocks, ExpressionTypesAndChildren)
{
    const sc::TokenizedModel& m = *ld.model;
    EXPECT_EQ(m.getNumberOfExpressions(Group::PostProc, Main), 2u);
    sc::TokenizedModel::iterator it = m.getGroupIterator(Group::PostProc, Main);
    const ExpressionType expected[] = {ExpressionType::If,    ExpressionType::Plain, ExpressionType::Group,
                                       ExpressionType::Plain, ExpressionType::End,   ExpressionType::Plain,
                                       ExpressionType::Else,  ExpressionType::Plain, ExpressionType::End,
                                       ExpressionType::Switch};
    sc::TokenizedModel::iterator walk = it;
    for (ExpressionType t : expected)
    {
        ASSERT_TRUE(walk.isValid());
        EXPECT_EQ(m.getExpressionType(walk), t) << walk._current;
        ++walk;
    }
    // if: x = 1, the group, p = 3 (the else ends the count)
    EXPECT_EQ(m.countChildren(it, 0, Group::PostProc, ExpressionType::If), 3u);
    sc::TokenizedModel::iterator group = it;
    group._current += 2;
    EXPECT_EQ(m.countChildren(group, 0, Group::PostProc, ExpressionType::Group), 1u);
    EXPECT_TRUE(ld.log.entries.empty());

    // switch: case, default, then a case after the default
    sc::TokenizedModel::iterator sw = it;
    sw._current += 9;
    bool hasDefault = false;
    EXPECT_EQ(m.countSwitchCases(sw, 0, Group::PostProc, hasDefault), 0u);
    ASSERT_EQ(ld.log.entries.size(), 1u);
    EXPECT_EQ(ld.log.entries[0].text, "@CE.CaseAfterDefault");
    EXPECT_EQ(ld.log.entries[0].line, 27u);
    EXPECT_EQ(ld.log.entries[0].column, 1u);
}

TEST_F(Blocks, OutputSymbolsAndAttributes)
{
    ld.model->countOutSymbols();
    EXPECT_EQ(ld.model->getNumberOfOutVars(), 1u);   // only x is marked
    EXPECT_EQ(ld.model->getNumberOfOutParams(), 1u); // the heading marks all

    sc::TokenizedModel::iterator it = ld.model->getGroupIterator(Group::NLEs, Main);
    double w = 0;
    float wf = 0;
    bool wb = false;
    EXPECT_TRUE(it.getAttribValue(sc::AttribID::w, w));
    EXPECT_EQ(w, 2.5);
    EXPECT_TRUE(it.getAttribValue(sc::AttribID::w, wf));
    EXPECT_EQ(wf, 2.5f);
    EXPECT_TRUE(it.getAttribValue(sc::AttribID::w, wb));
    EXPECT_TRUE(wb);
    EXPECT_FALSE(it.getAttribValue(sc::AttribID::eps, w));
    ASSERT_NE(it.getAttribValueStrPtr(sc::AttribID::name), nullptr);
    EXPECT_STREQ(it.getAttribValueStrPtr(sc::AttribID::name)->c_str(), "n");
    EXPECT_EQ(it.getAttribValueStrPtr(sc::AttribID::w), nullptr);

    // a word as the value is an identifier, also a constant's name: no number
    ++it;
    w = 0;
    EXPECT_FALSE(it.getAttribValue(sc::AttribID::w, w));
    ASSERT_NE(it.getAttribValueStrPtr(sc::AttribID::w), nullptr);
    EXPECT_STREQ(it.getAttribValueStrPtr(sc::AttribID::w)->c_str(), "pi");
    ++it;
    EXPECT_FALSE(it.isValid());
    EXPECT_FALSE(it.getAttribValue(sc::AttribID::w, w));
}

TEST_F(Blocks, IntegerLiteralsBeyond32BitsStayExact)
{
    const sc::_tl& l = ld.line(Group::NLEs, Main, 0);
    const sc::_TokV& big = ld.token(l, 2);
    EXPECT_EQ(big.code, Token::Real);
    EXPECT_EQ(big.dblVal, 2147483648.0);
    const sc::_TokV& max = ld.token(l, 4);
    EXPECT_EQ(max.code, Token::Integer);
    EXPECT_EQ(max.intVal, 2147483647);
    double v = 0;
    EXPECT_TRUE(max.getValue(v));
    EXPECT_EQ(v, 2147483647.0);
}

TEST(TokenValue, NumbersConstantsAndTruthValues)
{
    struct Case
    {
        Token code;
        double stored; // as the loader stores it: an integer in intVal, else in dblVal
        bool numeric;
        double expected;
    };
    const Case cases[] = {{Token::Integer, -7, true, -7.0},   {Token::SpecialConst, 2.5, true, 2.5},
                          {Token::Real, 0.125, true, 0.125},  {Token::Imaginary, 3, true, 3.0},
                          {Token::True, 0, true, 1.0},        {Token::False, 0, true, 0.0},
                          {Token::Identifier, 0, false, 0.0}, {Token::String, 0, false, 0.0}};
    for (const Case& c : cases)
    {
        sc::_TokV tok;
        tok.code = c.code;
        if (c.code == Token::Integer)
            tok.intVal = static_cast<std::int32_t>(c.stored);
        else
            tok.dblVal = c.stored;
        double v = 42;
        EXPECT_EQ(tok.getValue(v), c.numeric) << static_cast<int>(c.code);
        EXPECT_EQ(v, c.numeric ? c.expected : 42.0) << static_cast<int>(c.code);
    }
}

TEST(CopyPars, SharedParametersFollowTheSubModelsOwn)
{
    struct Case
    {
        const char* attribute;
        std::vector<std::string> subParams;
    };
    const Case cases[] = {
        {"", {"k"}},
        {", copyPars = 0", {"k"}},
        {", copyPars = 2", {"k", "a", "b"}},
        {", copyPars = 2.9", {"k", "a", "b"}},
        {", copyPars = -1", {"k", "a", "b", "c"}},
        {", copyPars = 9", {"k", "a", "b", "c"}},
    };
    for (const Case& c : cases)
    {
        test::Load ld;
        ld.fromString(std::string("Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\nParams\na\nb\nc\n") +
                      "SubModel [type = NL" + c.attribute + "]\nVars\nu\nParams\nk\nNLEs\nu = k\nend\n" +
                      "NLEs\nx = a\nend\n");
        ASSERT_TRUE(ld.ok) << c.attribute << "\n" << ld.log;
        std::vector<std::string> names;
        for (unsigned i = 0; i < ld.naming.getNumberOfParams(Sub); ++i)
            names.push_back(ld.name(sc::UserLabel::Param, i, Sub));
        EXPECT_EQ(names, c.subParams) << c.attribute;
        EXPECT_EQ(ld.model->getNumberOfCopiedParams(), c.subParams.size() - 1) << c.attribute;
    }

    // on the Model line the attribute does nothing
    test::Load onMain;
    onMain.fromString("Header:\nend\nModel [type = NL, copyPars = 1]\nVars\nx\nParams\na\nSubModel\nVars\nu\n"
                      "NLEs\nu = 1\nend\nNLEs\nx = a\nend\n");
    ASSERT_TRUE(onMain.ok) << onMain.log;
    EXPECT_EQ(onMain.naming.getNumberOfParams(Sub), 0u);
}

TEST(CopyPars, SharedNameClashIsReported)
{
    // the sub-model's own t clashes with the t that a dynamic main model gets
    test::Load ld;
    ld.fromString("Header:\nend\nModel [type = ODE, eps = 1]\nVars\nx\nSubModel [copyPars = -1, type = NL]\n"
                  "Vars\nu\nParams\nt\nNLEs\nu = t\nend\nODEs\nx' = t\nend\n");
    EXPECT_FALSE(ld.ok);
    EXPECT_EQ(ld.log.texts(sc::ILog::Type::Error), std::vector<std::string> {"@ML.SubParDDInPars (t)"});
    // dT would have been copied before t clashed: a refused copy enters nothing
    ASSERT_EQ(ld.naming.getNumberOfParams(Sub), 1u);
    EXPECT_EQ(ld.name(sc::UserLabel::Param, 0, Sub), "t");
    EXPECT_EQ(ld.model->getNumberOfCopiedParams(), 0u);
}
} // namespace
