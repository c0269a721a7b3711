// Complex literals: a real and an imaginary literal joined by a sign fold
// into one constant; conjugate variables take the slot after their variable.
#include <LoaderSupport.h>
#include <LexerFixture.h>

namespace test
{
namespace
{
#if SL_COMPLEX
class ComplexText : public LexerTest
{
protected:
    void SetUp() override
    {
        LexerTest::SetUp();
        declare({"x", "w"}, {});
    }
};

TEST_F(ComplexText, Folding)
{
    const std::pair<const char*, const char*> cases[] = {
        {"3 + 4i", "(3,4)"},
        {"4i + 3", "(3,4)"},
        {"(3 + 4i)", "( (3,4) )"},
        {"3 - 4i", "(3,-4)"},
        {"-3 - 4i", "(-3,-4)"},
        {"4i - 3", "(-3,4)"},
        {"x - 3 + 4i", "x - (3,-4)"},
        {"x - 3 - 4i", "x - (3,4)"},
        {"x + 3 - 4i * 2", "x + 3 - (0,4) * 2"},
        {"3 + 4", "3 + 4"},
        {"3 + 4 + 5i", "3 + (4,5)"},
        {"2 * 3 + 4i", "2 * 3 + (0,4)"},
        {"2i * x", "(0,2) * x"},
        {"sin(1 + 2i, 3i - 1)", "sin ( 1 + (0,2) , (0,3) - 1 )"}, // a comma ends no pair
        {"conj(x) + conj(w)", "conj ( x ) + conj ( w )"},
    };
    for (const auto& [text, tokens] : cases)
    {
        EXPECT_EQ(parser.parse(text), 25) << text << ": " << errorText();
        EXPECT_EQ(render(), tokens) << text;
    }
}

TEST_F(ComplexText, Errors)
{
    EXPECT_EQ(parser.parse("3 + + 4i"), 0);
    EXPECT_EQ(parser.parse("conj(conj(x))"), 0);
    EXPECT_EQ(errorText(), "(0,Other):Error in expression (two consecutive numbers without operator)\n"
                           "(0,Other):Nested complex conj functions are not allowed!");
}

TEST_F(ComplexText, ConjugatesFollowTheirVariables)
{
    NRSolver own;
    SolverData ownData;
    own.initSolverData(ownData);
    RPNParser p {own._stringPool.get(), &own._initialValues};
    p.initSolverData(&ownData);
    for (const char* name : {"u", "v", "z"})
    {
        const int index = p.findOrAddSymbol(name, 1);
        const td::StringExt& stored = own._stringPool->getNames()[std::uint32_t(index)];
        const int conj = p.getConjVariableIndex(&stored, 1);
        EXPECT_EQ(conj, index + 1);
    }
    EXPECT_EQ(p.findSymbol("z"), 4);
    EXPECT_EQ(p.findSymbol("#z"), 5);
    EXPECT_EQ(conjugatePartner(4), 5);
    EXPECT_EQ(conjugatePartner(5), 4);
}

class ComplexModel : public LexerTest
{
protected:
    Load load;

    std::vector<std::string> lexAll(const std::vector<const char*>& equations)
    {
        std::string text = "Header:\nend\nModel [type = NL, domain = cmplx]\nVars\nz\nx\nNLEs\n";
        for (const char* eq : equations)
            text += std::string(eq) + "\n";
        text += "end\n";
        load.fromString(text);
        EXPECT_TRUE(load.ok) << text << load.log;
        for (const char* name : {"z", "x"})
        {
            const int index = parser.findOrAddSymbol(name, 1);
            parser.getConjVariableIndex(&solver._stringPool->getNames()[std::uint32_t(index)], 1);
        }
        std::vector<std::string> out;
        sc::TokenizedModel::iterator it = load.model->getGroupIterator(sc::Group::NLEs, sc::ModelLevel::Main);
        for (std::size_t i = 0; i < equations.size(); ++i, ++it)
        {
            parser.clearTokenList();
            log.clean();
            sc::ExpressionType type;
            const bool ok = parser.createTokenList(load.model->getExpressionTokens(), it, 0, type, 0xFFFFFFFF);
            out.push_back(ok ? render() : (log.entries.empty() ? "failed" : log.entries[0].text));
        }
        return out;
    }
};

TEST_F(ComplexModel, Folding)
{
    const std::vector<const char*> equations = {
        "z = 3 - 4i",    "z - 3 + 4i = 0", "z = 2 * 3 + 4i",    "z = 3 + + 4i",      "z = 4i + 3",
        "z = (3 + 4i)",  "z = x - 3 + 4i", "z = x - 3 - 4i",    "z + 3 + 4 = 0",     "z = 1 / 0",
        "z = 2 ^ 2 * x", "z = 1i * 1i",    "conj(conj(z)) = 1", "conj(z) = conj(x)",
    };
    const std::vector<std::string> expected = {
        "z - (3,-4)",
        "z - (3,-4)",
        "z - ( 2 * 3 + (0,4) )",
        "@SC.TwoConsOperands",
        "z - (3,4)",
        "z - ( ( (3,4) ) )",
        "z - ( x - (3,-4) )",
        "z - ( x - (3,4) )",
        "z + 3 + 4",
        "z - ( 1 / 0 )", // a zero divisor is not folded
        "z - ( 2 ^ 2 * x )",
        "z - -1",
        "@SC.NestedConjNotAllowed",
        "conj ( z ) - ( conj ( x ) )",
    };
    EXPECT_EQ(lexAll(equations), expected);
}
#else
TEST(RealModel, ConjIsNoFunction)
{
    Load load;
    load.fromString("Header:\nend\nModel [type = NL]\nVars\nx\nNLEs\nconj(x) = 1\nend\n");
    EXPECT_FALSE(load.ok);
    ASSERT_FALSE(load.log.entries.empty());
    EXPECT_NE(load.log.entries[0].text.find("conj"), std::string::npos) << load.log;
}
#endif
} // namespace
} // namespace test
