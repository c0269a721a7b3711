#pragma once
// Complex build: folds a real and an imaginary literal joined by + or -
// (3 + 4i, 4i - 3) into one complex-constant token while an expression is
// lexed, so that trees and the machine see a single value. A pair that
// cannot be folded goes to the list token by token, in its order.
#include <expr/Build.h>
#include <expr/ExpressionPools.h>
#include <expr/Token.h>

#include <cstdint>
#include <vector>

#if SL_COMPLEX
namespace SL_NS
{
class CmplxStack
{
public:
    // Each token appended to the list appends its source column to pColumns.
    void bind(TokenList* pList, mem::Manager<TokenList::_tEntry, 65536>* pPool, std::vector<std::uint16_t>* pColumns);
    void reset();

    // Offers a literal (8 or 9 real, 14 imaginary) of magnitude value, from
    // the source column. True when the stack keeps it; otherwise the stack
    // has flushed what came before it and the caller appends the literal.
    bool addValuePart(Token::Type type, double value, std::uint16_t column);
    // Offers the next token of any other type. True when it is kept as the
    // operator between two literals; error is set for a second operator in
    // a row (3 + + 4i). Otherwise the caller appends the token.
    bool addOperator(Token::Type type, bool& error, std::uint16_t column);
    // Appends what the stack holds: with merge and two values as one
    // complex constant, else value by value with the operator between.
    bool transferToTokenList(bool merge);

private:
    static constexpr auto None = Token::Type(99);
    static bool isSign(Token::Type t) { return t == Token::Type::PLUS || t == Token::Type::MINUS; }
    // After the stack flushed for token t (or held nothing), t decides
    // whether a literal that follows may start a pair.
    void setLeadingOperator(Token::Type t);
    void append(Token::Type type, Value value, std::uint16_t column);

    TokenList* _pList = nullptr;
    mem::Manager<TokenList::_tEntry, 65536>* _pPool = nullptr;
    std::vector<std::uint16_t>* _pColumns = nullptr;
    double _values[2] = {0, 0};
    std::uint16_t _columns[2] = {0, 0}; // of the literals held
    std::uint16_t _middleColumn = 0;
    Token::Type _complexTokenTypes[2] = {None, None};
    Token::Type _leadingOperator = None; // 0: no pair may start here
    Token::Type _middleOperator = None;
    std::uint8_t _count = 0;
};
} // namespace SL_NS
#endif
