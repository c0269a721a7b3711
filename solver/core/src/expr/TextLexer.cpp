// The text path of the expression lexer: expressions that the model
// compiler writes itself and those of XML models.
#include <expr/OpTable.h>
#include <expr/RPNParser.h>
#include <expr/RndGenManager.h>
#include <expr/SolverData.h>
#include <expr/StatsManager.h>
#include <mu/NumberParser.h>

#include <numbers>

namespace SL_NS
{
namespace
{
using T = Token::Type;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
// Bytes of UTF-8 sequences count as letters, so names may use any script.
bool isWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c & 0x80); }
bool isWordChar(char c) { return isWordStart(c) || isDigit(c); }

// Where an operand is expected a '-' followed by a digit is the sign of a
// number, as in model text: at the start, after ( or , and after any
// operator (x > -5, 2*-3).
bool signsNumberAfter(T prev)
{
    return prev == T::LEXER_START || prev == T::OPEN_PARENTHESIS || prev == T::COMMA || Token::isOperator(prev);
}

// Words read as values before any symbol is looked up.
struct WordConstant
{
    std::string_view word;
    double value;
    T type;
};

constexpr WordConstant s_wordConstants[] = {{"e", std::numbers::e, T::CONST_E},
                                            {"pi", std::numbers::pi, T::CONST_PI},
                                            {"true", 1.0, T::BOOL_TRUE},
                                            {"false", 0.0, T::BOOL_FALSE}};

const WordConstant* wordConstant(std::string_view word)
{
    for (const WordConstant& c : s_wordConstants)
        if (c.word == word)
            return &c;
    return nullptr;
}

struct OperatorText
{
    char first;
    char second; // 0 for a one-character operator
    T type;
};

// Longest match first: the two-character forms precede their prefixes.
constexpr OperatorText s_operators[] = {{'!', '=', T::NE},
                                        {'!', 0, T::NOT},
                                        {'(', 0, T::OPEN_PARENTHESIS},
                                        {')', 0, T::CLOSE_PARENTHESIS},
                                        {'*', '=', T::MULT_ASSIGN},
                                        {'*', 0, T::MULT},
                                        {'+', '=', T::PLUS_ASSIGN},
                                        {'+', 0, T::PLUS},
                                        {',', 0, T::COMMA},
                                        {'-', '=', T::MINUS_ASSIGN},
                                        {'-', 0, T::MINUS},
                                        {'.', 0, T::POINT},
                                        {'/', '=', T::DIV_ASSIGN},
                                        {'/', '/', T::END_OF_LINE},
                                        {'/', 0, T::DIV},
                                        {':', 0, T::COLON},
                                        {'<', '=', T::LE},
                                        {'<', 0, T::LT},
                                        {'=', '=', T::EQ},
                                        {'=', 0, T::ASSIGN},
                                        {'>', '=', T::GE},
                                        {'>', 0, T::GT},
                                        {'^', '=', T::POW_ASSIGN},
                                        {'^', 0, T::POW}};

// Digits, optionally a fraction, optionally an exponent with at least one
// digit; the end of the number. valid is false when the exponent has no digit.
const char* scanNumber(const char* p, bool& isReal, bool& valid)
{
    valid = true;
    while (isDigit(*p))
        ++p;
    if (*p == '.')
    {
        isReal = true;
        ++p;
        while (isDigit(*p))
            ++p;
    }
    if (*p == 'e' || *p == 'E')
    {
        isReal = true;
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        if (!isDigit(*p))
        {
            valid = false;
            return p;
        }
        while (isDigit(*p))
            ++p;
    }
    return p;
}
} // namespace

void RPNParser::getNextToken(const char* text, std::string_view& tokenText, Token::Type& type)
{
    const char* p = text + _readPos;
    while (*p == ' ' || *p == '\t')
        ++p;
    const char* start = p;
    auto finish = [&](const char* end, T t) {
        tokenText = std::string_view(start, std::size_t(end - start));
        type = t;
        _readPos = int(end - text);
    };

    const char c = *p;
    if (c == '\0' || c == '\n' || c == '\r')
        return finish(p, T::END_OF_LINE);
    if (static_cast<unsigned char>(c) < 33)
        return finish(p + 1, T::NONE);
    if (isWordStart(c))
    {
        bool onlyUnderscores = true;
        while (isWordChar(*p))
            onlyUnderscores &= *p++ == '_';
        return finish(p, onlyUnderscores ? T::NONE : T::IDENTIFIER);
    }
    const bool negative = c == '-' && isDigit(p[1]) && signsNumberAfter(_prevType);
    if (isDigit(c) || negative)
    {
        bool isReal = false;
        bool valid = true;
        const char* end = scanNumber(negative ? p + 1 : p, isReal, valid);
        if (!valid)
            return finish(end, T::NONE);
        if (isComplexBuild && *end == 'i')
            return finish(end + 1, T::IMAGINARY);
        return finish(end, isReal ? T::REAL : T::INTEGER);
    }
    for (const OperatorText& op : s_operators)
    {
        if (op.first != c || (op.second && op.second != p[1]))
            continue;
        if (op.type == T::END_OF_LINE)
        {
            // A line comment: the rest of the text is ignored.
            finish(p, T::END_OF_LINE);
            _readPos = int(std::strlen(text));
            return;
        }
        return finish(p + (op.second ? 2 : 1), op.type);
    }
    finish(p + 1, T::NONE);
}

bool RPNParser::resolveWord(std::string_view word, Token& token)
{
    _word.assign(word);
    const char* w = _word.c_str();
    int index = -1;
    T type = T::NONE;
    if (const WordConstant* c = wordConstant(word))
        token = {c->value, {0}, c->type};
    else if (isFunction(w, type))
    {
        token.type = T::FUNCTION;
        token.functionID = int(type);
    }
    else if (isLogicOperator(w, type))
        token.type = type;
    else if ((index = findSymbol(w)) >= 0)
    {
        token.type = T::SYMBOL;
        token.index = index;
    }
    else if ((index = _pSolverData->pRndGens ? _pSolverData->pRndGens->find(w) : -1) >= 0)
    {
        token.type = T::RND_GEN;
        token.index = index;
    }
    else if ((index = _pSolverData->pStats ? _pSolverData->pStats->find(w) : -1) >= 0)
    {
        token.type = T::STAT;
        token.index = index;
    }
    else if (_tfFlag)
    {
        // Inside a transfer function s is the Laplace operator and any other
        // unknown name a symbol the compiler resolves later.
        token.type = T::SYMBOL;
        token.index = -1;
        if (word.size() <= 4 && _specialNames.find(td::StrKey(w, int(word.size())), type))
            token.type = type;
    }
    else
    {
        _pSolverData->appendError("Unknown variable or parameter: @", w);
        return false;
    }
    return true;
}

// A symbol of such a name could never be read: resolveWord takes the word
// for what the language makes of it first.
bool RPNParser::isLanguageWord(const char* word) const
{
    T type = T::NONE;
    return wordConstant(word) || isFunction(word, type) || isLogicOperator(word, type);
}

bool RPNParser::createTokenList(const char* text, Token::Type& lastType)
{
    lastType = T::NONE;
    _readPos = 0;
    _prevType = T::LEXER_START;
    startExpression();
    bool afterFunction = false;
    for (;;)
    {
        std::string_view tokenText;
        T type;
        getNextToken(text, tokenText, type);
        lastType = type;
        if (type == T::END_OF_LINE)
            break;
        setSourceColumn(std::size_t(tokenText.data() - text) + 1);
        const bool refused = type == T::NONE || (Token::isOperator(type) && !opInfo(type).hasInstruction());
        if (refused)
            return failText("Unexpected token: @", tokenText);
        if (afterFunction && type != T::OPEN_PARENTHESIS)
            return failText("Missing open bracket after function name!");
        if (type == T::MINUS && startsOperand(_prevType) && !emit(integerToken(0)))
            return failText("Error in expression (two consecutive numbers without operator)");

        Token token;
        token.type = type;
        if (type == T::IDENTIFIER)
        {
            if (!resolveWord(tokenText, token))
                return failText(nullptr);
            noteUsedSymbol(token);
        }
        else if (Token::isNumeric(type))
            token.value = numberValue(tokenText, type);
        afterFunction = token.type == T::FUNCTION;
        if (!trackConjugates(token))
            return failText("Nested complex conj functions are not allowed!");
        if (!emit(token))
            return failText("Error in expression (two consecutive numbers without operator)");
        _prevType = type;
    }
    finishTokens();
    _readPos = 0;
    return true;
}

bool RPNParser::failText(const char* message, std::string_view argument)
{
    _readPos = 0;
    if (message)
    {
        _word.assign(argument);
        _pSolverData->appendError(message, _word.c_str());
    }
    return false;
}

Value RPNParser::numberValue(std::string_view text, Token::Type type)
{
    if (type == T::IMAGINARY)
        text.remove_suffix(1);
    _word.assign(text);
    const double v = mu::toDouble(_word.c_str());
#if SL_COMPLEX
    return type == T::IMAGINARY ? Value(0, v) : Value(v);
#else
    return v;
#endif
}
} // namespace SL_NS
