// The model-text path of the expression lexer: the tokens that the model
// loader stored for one expression record.
#include <expr/OpTable.h>
#include <expr/RPNParser.h>
#include <expr/SolverData.h>
#include <expr/TokenMaps.h>
#include <mu/Assert.h>
#include <sc/Vocabulary.h>

#include <algorithm>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using C = sc::Token;

sc::ExpressionType expressionTypeOf(sc::ReservedID id)
{
    switch (id)
    {
    case sc::ReservedID::If: return sc::ExpressionType::If;
    case sc::ReservedID::Else: return sc::ExpressionType::Else;
    case sc::ReservedID::Switch: return sc::ExpressionType::Switch;
    case sc::ReservedID::End: return sc::ExpressionType::End;
    default: return sc::ExpressionType::None;
    }
}
} // namespace

// The state of one model-text expression while it is lexed.
struct RPNParser::ModelLexer
{
    RPNParser& parser;
    const ModelTokens& tokens;
    std::uint32_t line;
    std::uint32_t first; // index of the first token of the range
    std::uint32_t end;   // one past the last
    std::uint32_t pos;
    T prevType = T::LEXER_START;
    bool seenEquals = false;
    bool closeAtEnd = false; // a residual a - (b) needs its ')'

    const sc::_TokV& current() const { return tokens[pos]; }
    // Past the range (a missing part at its end): its last token.
    std::uint16_t columnAt(std::uint32_t k) const { return tokens[std::min(k, end - 1)].column; }

    bool fail(const char* key, std::uint16_t column)
    {
        parser.translateAndAddLog(key, line, column, sc::ILog::Type::Error);
        return false;
    }
    bool fail(const char* key) { return fail(key, columnAt(pos)); }

    bool finish()
    {
        parser.setSourceColumn(columnAt(pos));
        if (closeAtEnd && !parser.emit(Token {0, {0}, T::CLOSE_PARENTHESIS}))
            return fail("@SC.TwoConsOperands");
        parser.finishTokens();
        return true;
    }

    // The engine's kind of a model-text token; NONE for a refused one.
    T typeOf(const sc::_TokV& tok) const
    {
        if (tok.code == C::Reserved)
            return tok.id == std::uint32_t(sc::ReservedID::S) && parser._tfFlag ? T::LAPLACE : T::NONE;
        const T type = sTT(tok.code);
        if (Token::isOperator(type) && !opInfo(type).hasInstruction())
            return T::NONE;
        if (!isComplexBuild && (type == T::IMAGINARY || type == T::COMPLEX))
            return T::NONE;
        return type;
    }

    bool fillSymbol(const sc::_TokV& tok, Token& token)
    {
        token.type = T::SYMBOL;
        const bool parent = tok.isFromMainModel();
        token.symbolOrigin = parent ? sc::SymbolOrigin::ParentModel : sc::SymbolOrigin::ThisModel;
        const int id = int(tok.id);
        switch (tok.code)
        {
        case C::Var:
            token.index = parser.variableIndex(id);
            if (parent)
                return true;
            if (token.index >= parser._nVars)
                return fail("@SC.VarOutOfIndex");
            if (parser.isClearLastUsed() && !parser.addLastUsedVar(token.index))
                return fail("@SC.VarOutOfIndex");
            return true;
        case C::Param: token.index = parent ? id + parser._parentOffset : parser._nVars + id; return true;
        default: token.index = parser._nVars + parser._nParams + id; return true;
        }
    }

    bool fillToken(const sc::_TokV& tok, T type, Token& token)
    {
        token.type = type;
        switch (type)
        {
        case T::FUNCTION:
            token.functionID = int(Token::firstFunction) + int(tok.id);
            if (!Token::isFunction(token.function()))
                return fail("@SC.UnexpectedToken");
            return true;
        case T::SYMBOL:
        case T::PARAMETER: return fillSymbol(tok, token);
        case T::RND_GEN:
        case T::STAT: token.index = int(tok.id); return true;
        case T::LAPLACE: token.index = -1; return true;
        case T::IDENTIFIER: return fail("@SC.UnkownSymbol");
        case T::IMAGINARY: token.value = imaginaryValue(tok.dblVal); return true;
        default: break;
        }
        if (Token::isNumeric(type))
        {
            double v = 0;
            tok.getValue(v);
            token.value = v;
        }
        return true;
    }

    static Value imaginaryValue(double b)
    {
#if SL_COMPLEX
        return Value(0, b);
#else
        return b;
#endif
    }

    // The equals sign: a = b becomes a - b, a = b + c becomes a - (b + c) and
    // a = 0 becomes a. True when the expression ended here.
    bool rewriteEquals(bool& ended)
    {
        if (Token::isOperator(prevType))
            return fail("@SC.OperatorAfter=");
        if (seenEquals)
            return fail("@SC.Double=");
        if (pos + 1 == end)
            return fail("@SC.EqEndsWith=");
        seenEquals = true;
        const std::uint32_t remaining = end - pos - 1;
#if SL_COMPLEX
        std::complex<double> z;
        if (remaining == 3 && parser.getComplexValue(tokens, z, pos + 1))
        {
            ended = true;
            return emit(Token {0, {0}, T::MINUS}) && emit(Token {z, {0}, T::COMPLEX}) && finish();
        }
#endif
        if (remaining == 1)
        {
            const sc::_TokV& next = tokens[pos + 1];
            double v = 1;
            if (Token::isNumeric(typeOf(next)) && next.code != C::Imaginary && next.getValue(v) && v == 0)
            {
                ended = true;
                return finish();
            }
            prevType = T::MINUS;
            return emit(Token {0, {0}, T::MINUS});
        }
        closeAtEnd = true;
        prevType = T::OPEN_PARENTHESIS;
        return emit(Token {0, {0}, T::MINUS}) && emit(Token {0, {0}, T::OPEN_PARENTHESIS});
    }

    bool emit(const Token& token) { return parser.emit(token) || fail("@SC.TwoConsOperands"); }

    bool run()
    {
        bool afterFunction = false;
        for (; pos < end; ++pos)
        {
            const sc::_TokV& tok = current();
            if (tok.code == C::Colon)
            {
                if (pos + 1 == end)
                    return finish();
                return fail("@SC.MissingColor");
            }
            parser.setSourceColumn(tok.column);
            const T type = typeOf(tok);
            if (type == T::NONE)
                return fail("@SC.UnexpectedToken");
            if (type == T::SEMICOLON || type == T::END_OF_LINE)
                return finish();
            if (afterFunction && type != T::OPEN_PARENTHESIS)
                return fail("@SC.Missing(AfterFnName");
            if (type == T::ASSIGN)
            {
                bool ended = false;
                if (!rewriteEquals(ended))
                    return false;
                if (ended)
                    return true;
                continue;
            }
            if (type == T::MINUS && startsOperand(prevType) && !emit(integerToken(0)))
                return false;
            Token token;
            if (!fillToken(tok, type, token))
                return false;
            afterFunction = token.type == T::FUNCTION;
            if (!parser.trackConjugates(token))
                return fail("@SC.NestedConjNotAllowed");
            if (!emit(token))
                return false;
            prevType = type;
        }
        return finish();
    }
};

bool RPNParser::createTokenList(const ModelTokens& tokens, const sc::TokenizedModel::iterator& it, unsigned offset,
                                sc::ExpressionType& exprType, unsigned upperBound)
{
    const sc::_tl& record = it.getLine();
    const std::uint32_t count = std::min<std::uint32_t>(record.nTokens, upperBound);
    ModelLexer lexer {*this, tokens, record.line, record.firstToken + offset, record.firstToken + count, 0};
    exprType = sc::ExpressionType::None;
    // Messages about the expression as a whole point at its line's first token.
    const std::uint16_t firstColumn = record.nTokens ? tokens[record.firstToken].column : 0;
    const std::uint16_t lineColumn = firstColumn ? firstColumn : 1;
    if (_pSolverData)
    {
        _pSolverData->logLine = record.line;
        _pSolverData->logColumn = lineColumn;
    }
    if (offset >= count)
        return lexer.fail("@SC.BadExpression", lineColumn);
    lexer.pos = lexer.first;
    startExpression();

    const sc::_TokV& head = tokens[lexer.pos];
    // The s of a transfer function opens its expression like any operand.
    if (head.code == C::Reserved && lexer.typeOf(head) != T::LAPLACE)
    {
        exprType = expressionTypeOf(sc::ReservedID(head.id));
        if (exprType == sc::ExpressionType::None)
            return lexer.fail("@SC.WrongExprType");
        ++lexer.pos;
    }
    else
        exprType = sc::ExpressionType::Plain;
    return lexer.run();
}
} // namespace SL_NS

#if SL_COMPLEX
namespace SL_NS
{
namespace
{
bool literalValue(const sc::_TokV& tok, std::complex<double>& z)
{
    double v = 0;
    if (!tok.getValue(v))
        return false;
    z = tok.code == sc::Token::Imaginary ? std::complex<double>(0, v) : std::complex<double>(v, 0);
    return true;
}
} // namespace

bool RPNParser::getComplexValue(const ModelTokens& tokens, std::complex<double>& z, unsigned pos) const
{
    std::complex<double> a, b;
    if (!literalValue(tokens[pos], a) || !literalValue(tokens[pos + 2], b))
        return false;
    switch (tokens[pos + 1].code)
    {
    case sc::Token::Plus: z = a + b; return true;
    case sc::Token::Minus: z = a - b; return true;
    case sc::Token::Mult: z = a * b; return true;
    case sc::Token::Div:
    case sc::Token::Backslash:
        // A zero divisor is left to run time, like any other division.
        if (b == 0.0)
            return false;
        z = a / b;
        return true;
    case sc::Token::Power: z = std::pow(a, b); return true;
    default: return false;
    }
}
} // namespace SL_NS
#endif
