// The token numbering, the operation table and the name tables of each build.
#include <expr/OpTable.h>
#include <expr/RPNParser.h>
#include <expr/TokenMaps.h>
#include <Vocabulary.h>
#include <gtest/gtest.h>
#include <sc/SCLib.h>
#include <sc/StringPool.h>

#include <cstring>
#include <string>

namespace
{
using namespace SL_NS;
using T = Token::Type;

TEST(OperationTable, DisplayNamesFollowTheVocabulary)
{
    // Display names are the parser names, except atg2, which prints as atan2.
    for (std::size_t i = 0; i < sc::NumberOfRealFunctions; ++i)
    {
        const T type = T(std::size_t(Token::firstFunction) + i);
        const char* expected = type == T::ATG2 ? "atan2" : sc::RealFunctionNames[i];
        EXPECT_STREQ(functionDisplayName(type), expected) << i;
    }
#if SL_COMPLEX
    for (std::size_t i = 0; i < sc::NumberOfComplexFunctions; ++i)
        EXPECT_STREQ(functionDisplayName(T(91 + i)), sc::ComplexFunctionNames[i]);
    EXPECT_EQ(int(T::PUSH_I), 97);
    EXPECT_EQ(int(T::LEXER_START), 99);
#else
    EXPECT_EQ(int(T::PUSH_I), 91);
    EXPECT_EQ(int(T::LEXER_START), 93);
#endif
    EXPECT_STREQ(functionDisplayName(T::ROUND), "round");
    EXPECT_EQ(g_cFuncNames.size(), std::size_t(Token::lastFunction) - 57 + 4);
    EXPECT_STREQ(g_cFuncNames[g_cFuncNames.size() - 3], "pshi");
    EXPECT_STREQ(g_cFuncNames[g_cFuncNames.size() - 2], "pshf");
    EXPECT_STREQ(g_cFuncNames.back(), "NA");
    EXPECT_STREQ(functionDisplayName(T::PLUS), "NA");
}

TEST(OperationTable, Operators)
{
    ASSERT_EQ(g_cOperNames.size(), 26u);
    const char* names[] = {"+",  "-",  "*",  "/",   "%", "\\", "^",  "or", "and", "xor", ">",  ">=", "<",
                           "<=", "==", "!=", "not", "=", "+=", "-=", "*=", "/=",  "-'",  "/'", "^'", "^="};
    const int priorities[] = {15, 15, 16, 16, 16, 16, 17, 5, 6, 5, 11, 11, 11,
                              11, 10, 10, 20, 1,  1,  1,  1, 1, 1, 1,  1,  0};
    for (std::size_t i = 0; i < 26; ++i)
    {
        EXPECT_STREQ(g_cOperNames[i], names[i]) << i;
        EXPECT_EQ(opInfo(T(31 + i)).priority, priorities[i]) << names[i];
    }
    // Operators without an instruction are refused by both lexers.
    for (T t : {T::MODULO, T::BACKSLASH, T::POW_ASSIGN})
        EXPECT_FALSE(opInfo(t).hasInstruction()) << g_cOperNames[std::size_t(t) - 31];
    EXPECT_EQ(opInfo(T::NOT).nOperands, 1);
    EXPECT_EQ(opInfo(T::PLUS).nOperands, 2);
}

TEST(OperationTable, StackEffectsAndArgumentForms)
{
    EXPECT_EQ(opInfo(T::ATG2).nOperands, isComplexBuild ? 1 : 2);
    EXPECT_EQ(opInfo(T::DISC).nOperands, isComplexBuild ? 0 : 3);
    for (T t : {T::DIFF, T::INT, T::DISN})
        EXPECT_FALSE(opInfo(t).hasInstruction());
    for (T t : {T::SMIN, T::SMAX, T::AVG, T::VAR, T::DEV, T::RND})
    {
        EXPECT_EQ(opInfo(t).args, ArgForm::Name);
        EXPECT_TRUE(opInfo(t).pushesOwnValue);
    }
    EXPECT_TRUE(opInfo(T::LIMIT).pushesOwnValue);
    EXPECT_EQ(opInfo(T::LIMIT).args, ArgForm::ThirdLeaf);
    EXPECT_EQ(opInfo(T::ROUND).args, ArgForm::SecondLeaf);
    EXPECT_EQ(opInfo(T::MAX).args, ArgForm::SecondExpression);
    EXPECT_EQ(opInfo(T::SIGN).diff, DiffRule::Zero);
    EXPECT_EQ(opInfo(T::MIN).diff, DiffRule::None);
}

TEST(TokenMaps, ModelTextCodes)
{
    using C = sc::Token;
    EXPECT_EQ(sTT(C::Backslash), T::DIV);
    EXPECT_EQ(sTT(C::Modulo), T::MODULO);
    EXPECT_EQ(sTT(C::EmbeddedParam), T::PARAMETER);
    EXPECT_EQ(sTT(C::SpecialConst), T::REAL);
    EXPECT_EQ(sTT(C::RightArrow), T::ASSIGN);
    EXPECT_EQ(sTT(C::Xor), T::XOR);
    EXPECT_EQ(sTT(C::BlockStart), T::END_OF_LINE);
    EXPECT_EQ(sTT(C::Comment), T::NONE);
    EXPECT_EQ(sTT(C::Error), T::NONE);
    EXPECT_EQ(sTT(sc::Token(15)), T::COMPLEX);
}

TEST(TokenMaps, SpecialNamesAndReverseOperators)
{
    EXPECT_STREQ(getSpecialTokenName(T::END_OF_LINE), "EoLn");
    EXPECT_STREQ(getSpecialTokenName(T::LAPLACE), "s:LaplaceOperator");
    EXPECT_STREQ(getSpecialTokenName(T::QUOTE), "\"");
    for (int t : {27, 31, 200, 0})
        EXPECT_STREQ(getSpecialTokenName(T(t)), "NEDEF") << t;
    EXPECT_EQ(getReverseToken(T::MINUS)->type, T::MINUS_REV);
    EXPECT_EQ(getReverseToken(T::DIV)->type, T::DIV_REV);
    EXPECT_EQ(getReverseToken(T::POW)->type, T::POW_REV);
    EXPECT_EQ(getReverseToken(T::PLUS), nullptr);
    EXPECT_TRUE(Token::isNumeric(T::INTEGER) && Token::isNumeric(T::COMPLEX));
    EXPECT_FALSE(Token::isNumeric(T::FUNCTION) || Token::isNumeric(T::OPEN_PARENTHESIS));
}

TEST(ParserNameTables, Lookups)
{
    test::fillVocabulary();
    sc::StringPool pool;
    std::vector<Value> values;
    RPNParser parser(&pool, &values);
    const cnt::SafeFullVector<td::String> before = parser.getFunctionNames();
    EXPECT_EQ(before.size(), isComplexBuild ? 41u : 35u);

    T type;
    EXPECT_TRUE(parser.isFunction("round", type) && type == T::ROUND);
    EXPECT_TRUE(parser.isFunction("int", type) && type == T::INT);
    EXPECT_TRUE(parser.isFunction("\xE2\x88\xAB", type) && type == T::INT);
    EXPECT_EQ(parser.isFunction("conj", type), isComplexBuild);
    EXPECT_FALSE(parser.isFunction("s", type));      // too short to be looked up
    EXPECT_FALSE(parser.isFunction("sinhxy", type)); // longer than any function name
    EXPECT_TRUE(parser.isLogicOperator("xor", type) && type == T::XOR);
    EXPECT_FALSE(parser.isLogicOperator("nota", type));
    EXPECT_EQ(parser.getLogicOperators().size(), 4u);

    RPNParser second(&pool, &values);
    const cnt::SafeFullVector<td::String> after = second.getFunctionNames();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(std::strcmp(after[i].c_str(), before[i].c_str()), 0);
}
} // namespace
