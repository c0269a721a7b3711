#include <expr/TokenMaps.h>

#include <array>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using C = sc::Token;

constexpr std::size_t codeCount = 71;

constexpr std::array<T, codeCount> makeCodeMap()
{
    std::array<T, codeCount> map {};
    auto set = [&map](C code, T type) { map[std::size_t(code)] = type; };
    set(C::Name, T::IDENTIFIER);
    set(C::Var, T::SYMBOL);
    set(C::Param, T::PARAMETER);
    set(C::EmbeddedParam, T::PARAMETER);
    set(C::Function, T::FUNCTION);
    set(C::Integer, T::INTEGER);
    set(C::SpecialConst, T::REAL);
    set(C::Real, T::REAL);
    set(C::Imaginary, T::IMAGINARY);
    map[15] = T::COMPLEX; // no model-text token carries it
    set(C::True, T::BOOL_TRUE);
    set(C::False, T::BOOL_FALSE);
    set(C::LeftParen, T::OPEN_PARENTHESIS);
    set(C::RightParen, T::CLOSE_PARENTHESIS);
    set(C::AttribStart, T::OPEN_SQUARE_BRACKET);
    set(C::AttribEnd, T::CLOSE_SQUARE_BRACKET);
    set(C::Plus, T::PLUS);
    set(C::Minus, T::MINUS);
    set(C::Mult, T::MULT);
    set(C::Div, T::DIV);
    set(C::Modulo, T::MODULO);
    set(C::Backslash, T::DIV); // the backslash divides
    set(C::Power, T::POW);
    set(C::MultAssign, T::MULT_ASSIGN);
    set(C::DivAssign, T::DIV_ASSIGN);
    set(C::PlusAssign, T::PLUS_ASSIGN);
    set(C::MinusAssign, T::MINUS_ASSIGN);
    set(C::PowerAssign, T::POW_ASSIGN);
    for (C code : {C::ShiftLeft, C::ShiftRight, C::LeftArrow, C::RightArrow, C::Assign})
        set(code, T::ASSIGN);
    set(C::Apostrophe, T::PRIME);
    set(C::DoubleApostrophe, T::DOUBLE_PRIME);
    set(C::Not, T::NOT);
    set(C::Or, T::OR);
    set(C::And, T::AND);
    set(C::Xor, T::XOR);
    set(C::Less, T::LT);
    set(C::LessEq, T::LE);
    set(C::Greater, T::GT);
    set(C::GreaterEq, T::GE);
    set(C::Equal, T::EQ);
    set(C::NotEqual, T::NE);
    set(C::Comma, T::COMMA);
    set(C::Dot, T::POINT);
    set(C::Colon, T::COLON);
    set(C::SemiColon, T::SEMICOLON);
    set(C::Distrib, T::RND_GEN);
    set(C::Stat, T::STAT);
    set(C::BlockStart, T::END_OF_LINE);
    return map;
}

constexpr std::array<T, codeCount> s_codeMap = makeCodeMap();

const Token s_reverseTokens[] = {{0, {0}, T::MINUS_REV}, {0, {0}, T::DIV_REV}, {0, {0}, T::POW_REV}};
} // namespace

Token::Type sTT(sc::Token code)
{
    const auto i = std::size_t(code);
    return i < codeCount ? s_codeMap[i] : T::NONE;
}

const char* getSpecialTokenName(Token::Type type)
{
    switch (type)
    {
    case T::LAPLACE: return "s:LaplaceOperator";
    case T::QUOTE: return "\"";
    case T::SEMICOLON: return ";";
    case T::COLON: return ":";
    case T::POINT: return ".";
    case T::COMMA: return ",";
    case T::END_OF_LINE: return "EoLn";
    case T::EQUATION_START: return "EqStart";
    case T::EMPTY_LINE: return "EmptyLn";
    case T::OPEN_SQUARE_BRACKET: return "[";
    case T::CLOSE_SQUARE_BRACKET: return "]";
    default: return "NEDEF";
    }
}

const Token* getReverseToken(Token::Type op)
{
    switch (op)
    {
    case T::MINUS: return &s_reverseTokens[0];
    case T::DIV: return &s_reverseTokens[1];
    case T::POW: return &s_reverseTokens[2];
    default: return nullptr;
    }
}
} // namespace SL_NS
