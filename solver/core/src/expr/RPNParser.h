#pragma once
// The expression lexer: turns one expression, given as text or as the tokens
// of a tokenized model, into a checked token list with its symbols resolved
// and an equation rewritten into its residual (a = b + c becomes a - (b + c)).
// The model compiler derives from it and overrides the two virtual
// operations to collect the variables each expression uses.
#include <expr/Build.h>
#include <expr/CmplxStack.h>
#include <expr/ExpressionPools.h>
#include <expr/Token.h>
#include <cnt/Dictionary.h>
#include <cnt/DictionaryNonDyn.h>
#include <cnt/SafeFullVector.h>
#include <cnt/Set.h>
#include <sc/ILog.h>
#include <sc/TokenizedModel.h>
#include <td/StrKey.h>
#include <td/String.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sc
{
class StringPool;
}

namespace SL_NS
{
struct SolverData;

class RPNParser
{
public:
    using ModelTokens = sc::TokenizedModel::ExprTokens;

    RPNParser(sc::StringPool* pSymbols, std::vector<Value>* pValues);
    RPNParser(const RPNParser&) = delete;
    RPNParser& operator=(const RPNParser&) = delete;
    virtual ~RPNParser();

    // The model compiler collects the variables of an expression through these.
    virtual bool isClearLastUsed() { return false; }
    virtual bool addLastUsedVar(int) { return true; }

    // Binds the parser to a solver's data: its logger and error text, and the
    // pools that tokens and lists are taken from. Before any lexing.
    void initSolverData(SolverData* pSolverData);

    // Text path: 25 (the end of line that closed the text) on success, 0 on
    // failure; brackets are checked first.
    int parse(const char* text);
    bool createTokenList(const char* text, Token::Type& lastType);
    // The next token of text from the read position on: its text (a view into
    // text) and its type (0 for a character that starts no token).
    void getNextToken(const char* text, std::string_view& tokenText, Token::Type& type);

    // Model-text path: the tokens of the expression record at it, from its
    // first token plus offset up to min(record count, upperBound).
    bool createTokenList(const ModelTokens& tokens, const sc::TokenizedModel::iterator& it, unsigned offset,
                         sc::ExpressionType& exprType, unsigned upperBound);

    TokenList& getTokenList() { return _tokenList; }
    // The source column of each entry of the token list, in its order (0
    // where none is known): the tree builder names them in its messages.
    const std::vector<std::uint16_t>& getTokenColumns() const { return _tokenColumns; }
    void clearTokenList();

    // Symbols.
    int findOrAddSymbol(const char* name, unsigned char add);
    int findOrAddSymbol(const td::StringExt* pName, unsigned char add);
    int findOrAddSymbol(const td::String& name, unsigned char add);
    void addSymbol(const td::StringExt& name, int index);
    void addSymbol(const td::String& name, int index);
    int findSymbol(const char* name) const;
    bool variableAlreadyExists(const td::StringExt* pName) const;
    const td::StringExt& getVariableName(int index) const;

    Value* getVariableValues() { return _pValues->data(); }
    Value* getParamValues() { return _pValues->data() + _nVars; }
    unsigned getNumberOfEquations() const { return _nEquations; }

    // Texts given fill the "@" of the key's translation in order.
    void translateAndAddLog(const char* key, unsigned line, unsigned column, sc::ILog::Type type,
                            const char* first = nullptr, const char* second = nullptr);

    // The process-wide name tables of this build, filled by the first parser.
    void setSupportedFunctions() const;
    bool isFunction(const char* word, Token::Type& type) const;
    bool isLogicOperator(const char* word, Token::Type& type) const;
    // A constant, truth value, function or logical operator of expressions.
    bool isLanguageWord(const char* word) const;
    cnt::SafeFullVector<td::String> getFunctionNames() const;
    cnt::SafeFullVector<td::String> getLogicOperators() const;

#if SL_COMPLEX
    // z from the three model-text tokens at pos: literal, operator, literal.
    bool getComplexValue(const ModelTokens& tokens, std::complex<double>& z, unsigned pos) const;
    // Adds the conjugate of a variable ("#" and its name) and returns its index.
    int getConjVariableIndex(const td::StringExt* pName, unsigned char addVariable);
    bool _conjVars = true;
#endif

    // Filled by the model compiler.
    cnt::DictionaryNonDyn<td::StrKey, Token::Type, 1> _specialNames;
    int _nVars = 0;
    int _nParams = 0;
    int _parentOffset = 0;
    unsigned _nEquations = 0;
    bool _paramsFlag = false;
    bool _tfFlag = false;

protected:
    // The symbol index of model-text variable id (2 id with conjugates kept).
    int variableIndexOf(int id) const;

    SolverData* _pSolverData = nullptr;

private:
    struct ModelLexer;

    // Appends a token to the list; the complex build folds literal pairs on
    // the way. False when the fold meets two operators in a row.
    bool emit(const Token& token);
    // Flushes what the complex fold still holds.
    void finishTokens();
    void appendToList(const Token& token);
    // The column the tokens emitted next come from.
    void setSourceColumn(std::size_t column) { _column = column <= 0xFFFF ? std::uint16_t(column) : 0; }
    bool resolveWord(std::string_view word, Token& token);
    void noteUsedSymbol(const Token& token);
    void startExpression();
    // A '-' after these is a sign: 0 is put before it.
    static bool startsOperand(Token::Type prev)
    {
        return prev == Token::Type::LEXER_START || prev == Token::Type::COMMA || prev == Token::Type::OPEN_PARENTHESIS;
    }
    static Token integerToken(int v) { return Token {double(v), {0}, Token::Type::INTEGER}; }
    int variableIndex(int id) const { return variableIndexOf(id); }
    // Complex build: false for a conj opened inside another conj.
    bool trackConjugates(const Token& token);
    bool failText(const char* message, std::string_view argument = {});
    Value numberValue(std::string_view text, Token::Type type);

    ExpressionPools* _pPools = nullptr;
    TokenList _tokenList;
    std::vector<std::uint16_t> _tokenColumns;
    std::uint16_t _column = 0;
    sc::StringPool* _pSymbols;
    std::vector<Value>* _pValues;
    std::string _word; // NUL-terminated copy of a text word for lookups
    int _readPos = 0;
    Token::Type _prevType = Token::Type::LEXER_START;
    int _parenDepth = 0;
    int _conjDepth = -1; // bracket depth at which the open conj stands; -1 none
#if SL_COMPLEX
    CmplxStack _cmplx;
#endif
};
} // namespace SL_NS
