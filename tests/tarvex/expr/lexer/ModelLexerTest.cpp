// The model-text path: the tokens a loaded model holds for each expression.
#include <LoaderSupport.h>
#include <LexerFixture.h>

namespace test
{
namespace
{
class ModelLexer : public LexerTest
{
protected:
    Load load;

    // Loads a model with these declarations and equations and declares its
    // variables and parameters to the parser in the loader's order.
    void loadModel(const std::string& vars, const std::string& params, const std::string& body,
                   const char* domain = isComplexBuild ? "cmplx" : "real")
    {
        std::string text =
            "Header:\nend\nModel [type = NL, domain = " + std::string(domain) + "]\nVars\n" + vars + "\n";
        if (!params.empty())
            text += "Params\n" + params + "\n";
        text += "NLEs\n" + body + "\nend\n";
        load.fromString(text);
        ASSERT_TRUE(load.ok) << text << load.log;
        const sc::ModelLevel main = sc::ModelLevel::Main;
        for (unsigned i = 0; i < load.naming.getNumberOfVars(main); ++i)
        {
            parser.findOrAddSymbol(load.naming.getVarName(i, main), 1);
#if SL_COMPLEX
            parser.getConjVariableIndex(load.naming.getVarName(i, main), 1);
#endif
        }
        parser._paramsFlag = true;
        for (unsigned i = 0; i < load.naming.getNumberOfParams(main); ++i)
            parser.findOrAddSymbol(load.naming.getParamName(i, main), 1);
        parser._paramsFlag = false;
    }

    // Lexes equation i of the NLEs group.
    bool lex(unsigned i, sc::ExpressionType& type)
    {
        sc::TokenizedModel::iterator it = load.model->getGroupIterator(sc::Group::NLEs, sc::ModelLevel::Main);
        for (unsigned k = 0; k < i; ++k)
            ++it;
        parser.clearTokenList();
        return parser.createTokenList(load.model->getExpressionTokens(), it, 0, type, 0xFFFFFFFF);
    }

    std::string lexed(unsigned i)
    {
        sc::ExpressionType type;
        return lex(i, type) ? render() : "failed";
    }
};

TEST_F(ModelLexer, EquationsBecomeResiduals)
{
    struct Case
    {
        const char* equation;
        const char* tokens;
    };
    const Case cases[] = {
        {"x*-2 + 4 = 0", "x * -2 + 4"},
        {"x - (-2) = 0", "x - ( -2 )"},
        {"x - 1.5e3 = 0", "x - 1500"},
        {"x \\ 2 - 1 = 0", "x / 2 - 1"},
        {"x = 10 - 2*x", "x - ( 10 - 2 * x )"},
        {"x = 0", "x"},
        {"x = y", "x - y"},
        {"x = y + 1", "x - ( y + 1 )"},
        {"x = -y", "x - ( 0 - y )"},
        {"-x + y = p", "0 - x + y - p"},
        {"sin(-x) = pi", "sin ( 0 - x ) - 3.14159"},
        {"ψ + abcdefghij = 3", "ψ + abcdefghij - 3"},
    };
    std::string vars = "x\ny\nψ\nabcdefghij";
    std::string body;
    for (const Case& c : cases)
        body += std::string(c.equation) + "\n";
    loadModel(vars, "p", body);
    for (unsigned i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(lexed(i), cases[i].tokens) << cases[i].equation << load.log;
}

TEST_F(ModelLexer, SymbolIndices)
{
    loadModel("x\ny", "p\nq", "y + q = x");
    sc::ExpressionType type;
    ASSERT_TRUE(lex(0, type));
    EXPECT_EQ(type, sc::ExpressionType::Plain);
    const std::vector<Token> tokens = lexedTokens();
    ASSERT_EQ(tokens.size(), 5u);
    const int conj = isComplexBuild ? 2 : 1; // with conjugates each variable takes two slots
    EXPECT_EQ(tokens[0].index, 1 * conj);
    EXPECT_EQ(tokens[2].index, parser._nVars + 1);
    EXPECT_EQ(tokens[4].index, 0);
}

TEST_F(ModelLexer, Errors)
{
    struct Case
    {
        const char* equation;
        const char* key;
        unsigned column;
    };
    const Case cases[] = {
        {"x + = 1", "@SC.OperatorAfter=", 5},        {"x = y = 1", "@SC.Double=", 7},
        {"x % 2 = 1", "@SC.UnexpectedToken", 3},     {"x ^= 2", "@SC.UnexpectedToken", 3},
        {"sin x = 1", "@SC.Missing(AfterFnName", 5}, {"x + s = 1", "@SC.UnexpectedToken", 5},
    };
    std::string body;
    for (const Case& c : cases)
        body += std::string(c.equation) + "\n";
    loadModel("x\ny", "", body);
    for (unsigned i = 0; i < std::size(cases); ++i)
    {
        log.clean();
        sc::ExpressionType type;
        EXPECT_FALSE(lex(i, type)) << cases[i].equation;
        ASSERT_EQ(log.entries.size(), 1u) << cases[i].equation;
        EXPECT_EQ(log.entries[0].text, cases[i].key) << cases[i].equation;
        EXPECT_EQ(log.entries[0].line, i + 8) << cases[i].equation; // the first equation is on line 8
        EXPECT_EQ(log.entries[0].column, cases[i].column) << cases[i].equation;
    }
}
} // namespace
} // namespace test

namespace test
{
namespace
{
// Token records made by hand, for the forms the loader never stores.
class HandMadeRecord : public LexerTest
{
protected:
    sc::TokenizedModel::ExprTokens tokens;
    sc::TokenizedModel::Lines lines;

    void SetUp() override
    {
        LexerTest::SetUp();
        declare({"x"}, {});
    }

    static sc::_TokV make(sc::Token code, std::uint32_t id, std::uint16_t column)
    {
        sc::_TokV t;
        t.code = code;
        t.id = id;
        t.column = column;
        return t;
    }

    bool lex(std::initializer_list<sc::_TokV> record, unsigned offset = 0)
    {
        sc::_tl line;
        line.line = 7;
        line.firstToken = tokens.size();
        line.nTokens = std::uint32_t(record.size());
        for (const sc::_TokV& t : record)
            tokens.push_back(t);
        lines.push_back(line);
        sc::TokenizedModel::iterator it;
        it._pLines = &lines;
        it._pTokens = &tokens;
        it._current = lines.size() - 1;
        it._end = lines.size();
        log.clean();
        parser.clearTokenList();
        sc::ExpressionType type;
        return parser.createTokenList(tokens, it, offset, type, 0xFFFFFFFF);
    }

    void expectError(const char* key, unsigned column)
    {
        ASSERT_EQ(log.entries.size(), 1u);
        EXPECT_EQ(log.entries[0].text, key);
        EXPECT_EQ(log.entries[0].line, 7u);
        EXPECT_EQ(log.entries[0].column, column);
    }
};

using C = sc::Token;

TEST_F(HandMadeRecord, Errors)
{
    EXPECT_FALSE(lex({make(C::Var, 0, 1)}, 1));
    expectError("@SC.BadExpression", 1);
    EXPECT_FALSE(lex({make(C::Reserved, std::uint32_t(sc::ReservedID::Case), 1), make(C::Var, 0, 6)}));
    expectError("@SC.WrongExprType", 1);
    EXPECT_FALSE(lex({make(C::Var, 0, 1), make(C::Colon, 0, 2), make(C::Var, 0, 4)}));
    expectError("@SC.MissingColor", 2);
    EXPECT_FALSE(lex({make(C::Var, 0, 1), make(C::Plus, 0, 3), make(C::Name, 0, 5)}));
    expectError("@SC.UnkownSymbol", 5);
    EXPECT_FALSE(lex({make(C::Var, 3, 1)}));
    expectError("@SC.VarOutOfIndex", 1);
    EXPECT_FALSE(lex({make(C::Var, 0, 1), make(C::Assign, 0, 3)}));
    expectError("@SC.EqEndsWith=", 3);
    EXPECT_FALSE(lex({make(C::Comment, 0, 1)}));
    expectError("@SC.UnexpectedToken", 1);
}

TEST_F(HandMadeRecord, EndsAndBlocks)
{
    EXPECT_TRUE(
        lex({make(C::Reserved, std::uint32_t(sc::ReservedID::If), 1), make(C::Var, 0, 4), make(C::Colon, 0, 5)}));
    EXPECT_EQ(render(), "x");
    EXPECT_TRUE(lex({make(C::Var, 0, 1), make(C::SemiColon, 0, 2), make(C::Var, 0, 4)}));
    EXPECT_EQ(render(), "x");
}

TEST_F(HandMadeRecord, LaplaceOnlyInTransferFunctions)
{
    const sc::_TokV s = make(C::Reserved, std::uint32_t(sc::ReservedID::S), 5);
    EXPECT_FALSE(lex({make(C::Var, 0, 1), make(C::Mult, 0, 3), s}));
    expectError("@SC.UnexpectedToken", 5);
    parser._tfFlag = true;
    EXPECT_TRUE(lex({make(C::Var, 0, 1), make(C::Mult, 0, 3), s}));
    EXPECT_EQ(render(), "x * <4:-1>");
}

TEST_F(HandMadeRecord, ParentSymbols)
{
    parser._parentOffset = 10;
    sc::_TokV parentVar = make(C::Var, 2, 1);
    parentVar.attribID = 1;
    sc::_TokV parentParam = make(C::Param, 3, 5);
    parentParam.attribID = 1;
    ASSERT_TRUE(lex({parentVar, make(C::Plus, 0, 3), parentParam}));
    EXPECT_EQ(render(), isComplexBuild ? "@4 + @13" : "@2 + @13");
}
} // namespace
} // namespace test
