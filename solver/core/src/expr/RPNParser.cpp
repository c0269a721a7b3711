#include <expr/RPNParser.h>
#include <expr/SolverData.h>
#include <mu/Assert.h>
#include <sc/SCLib.h>
#include <sc/StringPool.h>

#include <cstring>

namespace SL_NS
{
namespace
{
using T = Token::Type;

// The longest word of each table: longer words are not looked up.
constexpr std::size_t longestFunctionName = 5;
constexpr std::size_t longestLogicOperator = 3;
const char* const integralSign = "\xE2\x88\xAB"; // U+222B, another spelling of int

struct NameTables
{
    NameTables();

    cnt::Dictionary<td::StrKey, T> functions;
    cnt::Dictionary<td::StrKey, T> logicOperators;
    cnt::Set<T> supportedOperators;
};

template <std::size_t NR, std::size_t NC>
void setFunctionNames(cnt::Dictionary<td::StrKey, T>& dict, const char* const (&realNames)[NR],
                      const char* const (&complexNames)[NC])
{
    dict.reserve(isComplexBuild ? NR + NC + 1 : NR + 1);
    dict.startBulkUpdate();
    for (std::size_t i = 0; i < NR; ++i)
        dict.insert(td::StrKey(realNames[i], -1), T(std::size_t(Token::firstFunction) + i));
    if constexpr (isComplexBuild)
        for (std::size_t i = 0; i < NC; ++i)
            dict.insert(td::StrKey(complexNames[i], -1), T(std::size_t(Token::firstFunction) + NR + i));
    dict.insert(td::StrKey(integralSign, -1), T::INT);
    dict.endBulkUpdate();
}

NameTables::NameTables()
{
    NameTables& t = *this;
    setFunctionNames(t.functions, sc::RealFunctionNames, sc::ComplexFunctionNames);

    t.logicOperators.reserve(4);
    t.logicOperators.startBulkUpdate();
    t.logicOperators.insert(td::StrKey("and", -1), T::AND);
    t.logicOperators.insert(td::StrKey("or", -1), T::OR);
    t.logicOperators.insert(td::StrKey("xor", -1), T::XOR);
    t.logicOperators.insert(td::StrKey("not", -1), T::NOT);
    t.logicOperators.endBulkUpdate();

    const T supported[] = {T::PLUS,
                           T::MINUS,
                           T::MULT,
                           T::DIV,
                           T::POW,
                           T::GT,
                           T::GE,
                           T::LT,
                           T::LE,
                           T::EQ,
                           T::NE,
                           T::OR,
                           T::AND,
                           T::XOR,
                           T::NOT,
                           T::COMMA,
                           T::OPEN_PARENTHESIS,
                           T::CLOSE_PARENTHESIS};
    t.supportedOperators.reserve(std::uint32_t(std::size(supported)));
    t.supportedOperators.startBulkUpdate();
    for (T type : supported)
        t.supportedOperators.insert(type);
    t.supportedOperators.endBulkUpdate();
}

// Filled once per build, on first use, then only read.
const NameTables& nameTables()
{
    static const NameTables s_tables;
    return s_tables;
}

bool lookUp(const cnt::Dictionary<td::StrKey, T>& dict, std::size_t longest, const char* word, T& type)
{
    const std::size_t len = word ? std::strlen(word) : 0;
    if (len < 2 || len > longest)
        return false;
    return dict.find(td::StrKey(word, int(len)), type);
}

cnt::SafeFullVector<td::String> keysOf(const cnt::Dictionary<td::StrKey, T>& dict)
{
    cnt::SafeFullVector<td::String> names(dict.size());
    std::size_t i = 0;
    for (const auto& entry : dict)
        entry.key.toString(names[i++]);
    return names;
}
} // namespace

RPNParser::RPNParser(sc::StringPool* pSymbols, std::vector<Value>* pValues)
    : _pSymbols(pSymbols)
    , _pValues(pValues)
{
    setSupportedFunctions();
}

RPNParser::~RPNParser()
{
    clearTokenList();
    // The solver's data outlives the parser: it must not point at its list.
    if (_pSolverData && _pSolverData->pLexedTokens == &_tokenList)
    {
        _pSolverData->pLexedTokens = nullptr;
        _pSolverData->pTokenColumns = nullptr;
        _pSolverData->pBuildAt = nullptr;
    }
}

void RPNParser::initSolverData(SolverData* pSolverData)
{
    MU_ASSERT(pSolverData && pSolverData->pPools);
    clearTokenList();
    _pSolverData = pSolverData;
    _pPools = pSolverData->pPools;
    pSolverData->pLexedTokens = &_tokenList;
    pSolverData->pTokenColumns = &_tokenColumns;
#if SL_COMPLEX
    _cmplx.bind(&_tokenList, &_pPools->listEntries, &_tokenColumns);
#endif
}

void RPNParser::setSupportedFunctions() const { nameTables(); }

bool RPNParser::isFunction(const char* word, Token::Type& type) const
{
    return lookUp(nameTables().functions, longestFunctionName, word, type);
}

bool RPNParser::isLogicOperator(const char* word, Token::Type& type) const
{
    return lookUp(nameTables().logicOperators, longestLogicOperator, word, type);
}

cnt::SafeFullVector<td::String> RPNParser::getFunctionNames() const { return keysOf(nameTables().functions); }

cnt::SafeFullVector<td::String> RPNParser::getLogicOperators() const { return keysOf(nameTables().logicOperators); }

void RPNParser::clearTokenList()
{
    // The entries go back to the pool for the next expression.
    for (TokenList::_tEntry* p = _tokenList.getFirstEntry(); p;)
    {
        TokenList::_tEntry* pNext = p->pNext;
        _pPools->listEntries.deallocate(p);
        p = pNext;
    }
    _tokenList.clean();
    _tokenColumns.clear();
}

void RPNParser::appendToList(const Token& token)
{
    _tokenList.push_back(_pPools->listEntries, token);
    _tokenColumns.push_back(_column);
}

bool RPNParser::emit(const Token& token)
{
#if SL_COMPLEX
    const bool literal = token.type == T::INTEGER || token.type == T::REAL || token.type == T::IMAGINARY;
    if (literal)
    {
        const double magnitude = token.type == T::IMAGINARY ? token.value.imag() : token.value.real();
        if (_cmplx.addValuePart(token.type, magnitude, _column))
            return true;
    }
    else
    {
        bool error = false;
        if (_cmplx.addOperator(token.type, error, _column))
            return true;
        if (error)
            return false;
    }
#endif
    appendToList(token);
    return true;
}

void RPNParser::finishTokens()
{
#if SL_COMPLEX
    bool error = false;
    _cmplx.addOperator(T::END_OF_LINE, error, _column);
    _cmplx.reset();
#endif
}

void RPNParser::startExpression()
{
    _parenDepth = 0;
    _conjDepth = -1;
#if SL_COMPLEX
    _cmplx.reset();
#endif
}

int RPNParser::variableIndexOf(int id) const
{
#if SL_COMPLEX
    if (_conjVars)
        return 2 * id;
#endif
    return id;
}

bool RPNParser::trackConjugates(const Token& token)
{
    if (token.type == T::OPEN_PARENTHESIS)
        ++_parenDepth;
    else if (token.type == T::CLOSE_PARENTHESIS && --_parenDepth == _conjDepth)
        _conjDepth = -1;
#if SL_COMPLEX
    else if (token.isFunctionOf(T::CONJ))
    {
        if (_conjDepth >= 0)
            return false;
        _conjDepth = _parenDepth;
    }
#endif
    return true;
}

void RPNParser::noteUsedSymbol(const Token& token)
{
    if (token.type == T::SYMBOL && token.symbolOrigin == sc::SymbolOrigin::ThisModel && token.index >= 0 &&
        token.index < _nVars && isClearLastUsed())
        addLastUsedVar(token.index);
}

int RPNParser::findSymbol(const char* name) const
{
    const std::uint32_t index = _pSymbols->getIndex(name);
    return index == sc::HashMap::NotFound ? -1 : int(index);
}

int RPNParser::findOrAddSymbol(const char* name, unsigned char add)
{
    const int index = findSymbol(name);
    if (index >= 0 || !add)
        return index;
    int newIndex;
    if (_paramsFlag)
    {
        newIndex = int(_pSymbols->getNames().size());
        ++_nParams;
    }
    else
        newIndex = _nVars++;
    _pSymbols->addString(name, newIndex);
    return newIndex;
}

int RPNParser::findOrAddSymbol(const td::StringExt* pName, unsigned char add)
{
    return findOrAddSymbol(pName ? pName->c_str() : "", add);
}

int RPNParser::findOrAddSymbol(const td::String& name, unsigned char add) { return findOrAddSymbol(name.c_str(), add); }

void RPNParser::addSymbol(const td::StringExt& name, int index) { _pSymbols->setString(name, index); }

void RPNParser::addSymbol(const td::String& name, int index) { _pSymbols->setString(name, index); }

bool RPNParser::variableAlreadyExists(const td::StringExt* pName) const
{
    return pName && findSymbol(pName->c_str()) >= 0;
}

const td::StringExt& RPNParser::getVariableName(int index) const
{
    MU_ASSERT_MSG(index >= 0 && index < _nVars, "index < _nVars");
    return _pSymbols->getNames()[std::uint32_t(index)];
}

void RPNParser::translateAndAddLog(const char* key, unsigned line, unsigned column, sc::ILog::Type type,
                                   const char* first, const char* second)
{
    sc::ILog* pLog = _pSolverData ? _pSolverData->getLogger() : nullptr;
    if (!pLog)
        return;
    if (first)
        pLog->translateAndAdd(key, line, column, type, first, second, nullptr);
    else
        pLog->translateAndAdd(key, line, column, type);
}

int RPNParser::parse(const char* text)
{
    if (!text)
        return 0;
    // Brackets up to a line comment, which the lexer ignores too.
    int depth = 0;
    for (const char* p = text; *p && depth >= 0 && !(p[0] == '/' && p[1] == '/'); ++p)
        depth += (*p == '(') - (*p == ')');
    if (depth != 0)
    {
        _pSolverData->appendError("Brackets mismatch");
        return 0;
    }
    clearTokenList();
    Token::Type lastType = T::NONE;
    return createTokenList(text, lastType) ? int(lastType) : 0;
}

#if SL_COMPLEX
int RPNParser::getConjVariableIndex(const td::StringExt* pName, unsigned char addVariable)
{
    MU_ASSERT_MSG(addVariable == 1, "addVariable == 1");
    const int index = _paramsFlag ? int(_pSymbols->getNames().size()) : _nVars++;
    _pSymbols->addString(pName, index, '#');
    return index;
}
#endif
} // namespace SL_NS
