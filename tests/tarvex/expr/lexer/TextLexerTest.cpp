// The text path: expressions the model compiler writes itself and those of
// XML models.
#include <LexerFixture.h>

#include <cmath>
#include <numbers>

namespace test
{
namespace
{
struct TextCase
{
    const char* text;
    const char* tokens; // the list on success; null when lexing fails
    const char* error;  // the error entry's text after its head
};

class TextLexer : public LexerTest
{
protected:
    void SetUp() override
    {
        LexerTest::SetUp();
        declare({"x", "y", "a", "b", "ψ", "abcdefghij"}, {"p"});
    }
};

TEST_F(TextLexer, Table)
{
    const TextCase cases[] = {
        {"-x", "0 - x", nullptr},
        {"(-2)", "( -2 )", nullptr},
        {"a*-2", "a * -2", nullptr},
        {"a--b", "a - - b", nullptr},
        {"a^-2 + b/-1.5e1", "a ^ -2 + b / -15", nullptr},
        // As in model text, after any operator a '-' before a digit is a sign.
        {"x - -2", "x - -2", nullptr},
        {"x > -5 and y <= -1e1", "x > -5 and y <= -10", nullptr},
        {"sin(-x, y)", "sin ( 0 - x , y )", nullptr},
        {"x // anything after a comment (", "x", nullptr},
        {"x = y", "x = y", nullptr},
        {"x += 1", "x += 1", nullptr},
        {"e * pi + true - false", "2.71828 * 3.14159 + 1 - 0", nullptr},
        {"x and y or not p xor a", "x and y or not p xor a", nullptr},
        {"x >= 1 != (y <= 2) == (a < b) > p", "x >= 1 != ( y <= 2 ) == ( a < b ) > p", nullptr},
        {"atg2(y, x) + round(x, 2)", "atan2 ( y , x ) + round ( x , 2 )", nullptr},
        {"ψ + abcdefghij", "ψ + abcdefghij", nullptr},
        {"99999999999999999999 + 0.5", "1e+20 + 0.5", nullptr},
        {"x 3", "x 3", nullptr}, // order is the tree builder's to check
        {"1e + x", nullptr, "Unexpected token: 1e"},
        {"1e+ * x", nullptr, "Unexpected token: 1e+"},
        {"x % 2", nullptr, "Unexpected token: %"},
        {"x \\ 2", nullptr, "Unexpected token: \\"},
        {"x ^= 2", nullptr, "Unexpected token: ^="},
        {"x $ 2", nullptr, "Unexpected token: $"},
        {"__ + x", nullptr, "Unexpected token: __"},
        {"f(x)", nullptr, "Unknown variable or parameter: f"},
        {"sin x", nullptr, "Missing open bracket after function name!"},
        {"s + x", nullptr, "Unknown variable or parameter: s"},
    };
    for (const TextCase& c : cases)
    {
        solver._errorStr.clean();
        const int result = parser.parse(c.text);
        if (c.tokens)
        {
            EXPECT_EQ(result, 25) << c.text << ": " << errorText();
            EXPECT_EQ(render(), c.tokens) << c.text;
        }
        else
        {
            EXPECT_EQ(result, 0) << c.text;
            EXPECT_EQ(errorText(), std::string("(0,Other):") + c.error) << c.text;
        }
    }
}

TEST_F(TextLexer, ValuesAndSymbolIndices)
{
    ASSERT_EQ(parser.parse("y + p - e"), 25);
    const std::vector<Token> tokens = lexedTokens();
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[0].type, Token::Type::SYMBOL);
    EXPECT_EQ(tokens[0].index, 1);
    EXPECT_EQ(tokens[2].index, 6); // the parameter follows the six variables
    EXPECT_EQ(tokens[4].type, Token::Type::CONST_E);
    EXPECT_EQ(tokens[4].value, Value(std::numbers::e));
}

TEST_F(TextLexer, BracketsAreCheckedFirst)
{
    data.lineNo = 12;
    data.location = SolutionLocation::NLEqs;
    EXPECT_EQ(parser.parse("(x + 1))"), 0);
    EXPECT_EQ(parser.parse(")x("), 0);
    EXPECT_EQ(parser.parse("(x"), 0);
    EXPECT_EQ(errorText(), "(12,NLEqs):Brackets mismatch\n(12,NLEqs):Brackets mismatch\n(12,NLEqs):Brackets mismatch");
    EXPECT_EQ(parser.parse(nullptr), 0);
}

TEST_F(TextLexer, UsedVariablesAreReportedToTheCompiler)
{
    struct Collecting : RPNParser
    {
        using RPNParser::RPNParser;
        std::vector<int> used;
        bool isClearLastUsed() override { return true; }
        bool addLastUsedVar(int i) override
        {
            used.push_back(i);
            return true;
        }
    } collecting {solver._stringPool.get(), &solver._initialValues};
    collecting.initSolverData(&data);
    collecting._nVars = parser._nVars;
    collecting._nParams = parser._nParams;
    ASSERT_EQ(collecting.parse("p * y + sin(a) - p"), 25);
    EXPECT_EQ(collecting.used, (std::vector<int> {1, 2}));
}

TEST_F(TextLexer, TransferFunctionNamesStayOpen)
{
    parser._tfFlag = true;
    parser._specialNames.insert(td::StrKey("s", 1), Token::Type::LAPLACE);
    ASSERT_EQ(parser.parse("k / (s + x)"), 25);
    EXPECT_EQ(render(), "? / ( <4:-1> + x )");
}
} // namespace
} // namespace test
