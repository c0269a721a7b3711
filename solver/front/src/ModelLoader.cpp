#include <cmath>
#include <cstring>
#include <limits>
#include <sc/ModelLoader.h>
#include <mu/LineLoader.h>
#include <mu/NumberParser.h>

namespace sc
{

ModelLoader::ModelLoader(TokenizedModel& model, bool resetNaming)
    : _tokenizer(s_tokenizer)
    , _model(model)
    , _naming(model._naming)
    , _translate(model._translate)
    , _complexDomainText(s_strComplexAttribValue)
{
    if (resetNaming)
        _naming.clean();
}

// Errors are counted even without a logger, so that a load that met one
// never reports success; only the forwarding of errors is limited.
void ModelLoader::addLogEntry(const char* key, std::uint32_t line, std::uint32_t column, const char* name,
                              bool nameInBrackets)
{
    ++_nErrors;
    if (!_pLog || _pLog->getNoOfErrors() >= _errorLimit)
        return;
    addKey(*_pLog, _translate, key, line, column, ILog::Type::Error, name, nameInBrackets);
}

void ModelLoader::reportError(const char* key, std::uint32_t line, std::uint32_t column, const char* name)
{
    addLogEntry(key, line, column, name, false);
}

void ModelLoader::reportDuplicate(const char* key, const char* name, std::uint32_t line, std::uint32_t column)
{
    addLogEntry(key, line, column, name, true);
}

void ModelLoader::reportHeader(const char* key, std::uint32_t line, std::uint32_t column, ILog::Type type)
{
    if (type == ILog::Type::Error)
        ++_nErrors;
    if (_pLog)
        _pLog->translateAndAdd(key, line, column, type);
}

// A header error at the tokenizer's current token.
ModelLoader::HeaderResult ModelLoader::headerFailed(const char* key, std::uint32_t line, const Tokenizer& tok)
{
    reportHeader(tokenErrorKey(tok, key), line, tok._firstColumn + 1);
    return {};
}

// A token refused at a NUL has its own key: the text holds a byte it must not.
const char* ModelLoader::tokenErrorKey(const Tokenizer& tok, const char* key)
{
    return tok.refusedNul() ? "@ML.NulInText" : key;
}

void ModelLoader::reportNoPosition(const char* key)
{
    ++_nErrors;
    if (_pLog)
        _pLog->translateAndAdd(key, ILog::Type::Error);
}

std::uint32_t ModelLoader::loadHeaders(td::MutableString& line, std::ifstream& source,
                                       cnt::SafeFullVector<td::Variant>& headerValues)
{
    mu::LineLoader loader(0, mu::LineLoader::Source::File);
    loader.setSource(&source);
    return loadHeaders(loader, line, headerValues);
}

std::uint32_t ModelLoader::loadHeaders(td::MutableString& line, const td::String& source,
                                       cnt::SafeFullVector<td::Variant>& headerValues)
{
    if (_pLog)
        _pLog->clean();
    mu::LineLoader loader(0, mu::LineLoader::Source::String);
    loader.setSource(&source);
    return loadHeaders(loader, line, headerValues);
}

std::uint32_t ModelLoader::loadHeaders(mu::LineLoader& source, td::MutableString& line,
                                       cnt::SafeFullVector<td::Variant>& headerValues)
{
    _nErrors = 0;
    const HeaderResult res = loadHeader(headerValues, line, source);
    _headerLines = res.headerLines;
    if (res.headerLines == 0 || res.bodyPosition == 0)
    {
        reportNoPosition("@ML.HeaderIncorrectOrMissing");
        return 0;
    }
    loadVarsAndParams(source, line);
    return res.bodyPosition;
}

namespace
{
int findHeaderParam(const char* name)
{
    for (unsigned i = 0; i < NumberOfHeaderParams; ++i)
        if (std::strcmp(name, getHeaderParamName(static_cast<HeaderParam>(i))) == 0)
            return static_cast<int>(i);
    return -1;
}

bool endsLine(Token t) { return t == Token::EndOfLine || t == Token::Comment; }

bool threadCountAllowed(const td::Variant& v)
{
    td::INT4 n = 0;
    v.getValue(n);
    return n >= 1 && n <= maxThreadsSetting;
}

// The parameter's type decides which values it takes: any number for a
// number, true or false for a switch, a string for a text.
bool acceptsValue(Token paramType, Token t)
{
    switch (t)
    {
    case Token::Integer:
    case Token::SpecialConst:
    case Token::Real: return paramType == Token::Integer || paramType == Token::Real;
    case Token::True:
    case Token::False: return paramType == Token::Switch;
    case Token::String: return paramType == Token::String;
    default: return false;
    }
}

// "Solved" 0, "All" 1, any other word 2.
td::INT4 reportingType(const char* word)
{
    if (std::strcmp(word, "Solved") == 0)
        return 0;
    return std::strcmp(word, "All") == 0 ? 1 : 2;
}
} // namespace

// A number read as an integer: truncated toward zero and kept within 32
// bits, so that 1e3 is 1000 and 2.5 is 2.
std::int32_t ModelLoader::truncToInt32(double val)
{
    val = std::trunc(val);
    if (std::isnan(val))
        return 0;
    if (val >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (val <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(val);
}

// A value converted by the parameter's type, whatever the token's own kind.
td::Variant ModelLoader::headerValue(Token paramType, Token t, const char* text)
{
    switch (paramType)
    {
    case Token::Integer: return td::Variant(truncToInt32(mu::toDouble(text)));
    case Token::Real: return td::Variant(mu::toDouble(text));
    case Token::Switch: return td::Variant(t == Token::True);
    default: return td::Variant(td::String(text));
    }
}

// A line before the header: true when it opens the header; a key names
// what is wrong with it, an empty line or a comment gives false and no key.
bool ModelLoader::headerOpens(Tokenizer& tok, const char*& key)
{
    const Token first = tok.getNextToken();
    if (endsLine(first))
        return false;
    if (first == Token::Error)
        key = "@ML.HeaderTokError";
    else if (first != Token::Name || std::strcmp(tok.text(), "Header") != 0)
        key = "@ML.HeaderFirstTokenErr";
    else if (tok.getNextToken() != Token::Colon)
        key = "@ML.HeaderWithout:";
    else if (!endsLine(tok.getNextToken()))
        key = "@ML.HeaderTokenAfter:";
    return key == nullptr;
}

// One token of the cycle name "=" value inside the header; the key of an
// error, or null.
const char* ModelLoader::headerToken(HeaderCycle& cycle, Tokenizer& tok, Token t,
                                     cnt::SafeFullVector<td::Variant>& headerValues, std::uint32_t line)
{
    switch (t)
    {
    case Token::Name:
        if (cycle.step == HeaderCycle::Name)
        {
            cycle.param = findHeaderParam(tok.text());
            cycle.step = HeaderCycle::Assign;
            return cycle.param < 0 ? "@ML.HeaderParamUnknown" : nullptr;
        }
        if (cycle.step == HeaderCycle::Assign)
            return "@ML.HeaderParamExp=";
        if (static_cast<HeaderParam>(cycle.param) != HeaderParam::report)
            return "@ML.HeaderReportExp";
        headerValues[cycle.param] = td::Variant(reportingType(tok.text()));
        stateHeaderParam(cycle);
        return nullptr;
    case Token::Assign:
        if (cycle.step != HeaderCycle::Assign)
            return "@ML.HeaderWrong=Pos";
        cycle.step = HeaderCycle::Value;
        return nullptr;
    case Token::Integer:
    case Token::SpecialConst:
    case Token::Real:
    case Token::True:
    case Token::False:
    case Token::String:
    {
        if (cycle.step != HeaderCycle::Value)
            return "@ML.HeaderWrongConstPos";
        const Token type = HeaderParamTypes[cycle.param];
        if (!acceptsValue(type, t))
            return "@ML.HeaderWrongParamType";
        headerValues[cycle.param] = headerValue(type, t, tok.text());
        if (static_cast<HeaderParam>(cycle.param) == HeaderParam::threads &&
            !threadCountAllowed(headerValues[cycle.param]))
            return "@ML.HeaderThreadsRange";
        stateHeaderParam(cycle);
        return nullptr;
    }
    case Token::Error: return "@ML.HeaderTokError";
    default:
        reportHeader("@ML.HeaderUnknownParamType", line, tok._firstColumn + 1, ILog::Type::Warning);
        return nullptr;
    }
}

// The cycle's parameter has its value from the text.
void ModelLoader::stateHeaderParam(HeaderCycle& cycle)
{
    _model._statedHeaderParams |= static_cast<std::uint16_t>(1u << cycle.param);
    cycle.step = HeaderCycle::Name;
}

ModelLoader::HeaderResult ModelLoader::loadHeader(cnt::SafeFullVector<td::Variant>& headerValues,
                                                  td::MutableString& line, mu::LineLoader& source)
{
    setDefaultHeader(headerValues);
    _model._statedHeaderParams = 0;
    // no dictionaries: every word but true and false is a name
    Tokenizer tok;
    HeaderCycle cycle;
    bool inHeader = false;
    std::uint32_t lineNo = 0;
    while (source.getLine(line))
    {
        ++lineNo;
        tok.startLine(line.c_str(), static_cast<std::uint32_t>(line.length()));
        if (!inHeader)
        {
            const char* key = nullptr;
            inHeader = headerOpens(tok, key);
            if (key)
                return headerFailed(key, lineNo, tok);
            continue;
        }
        for (Token t = tok.getNextToken(); !endsLine(t); t = tok.getNextToken())
        {
            if (t == Token::Name && cycle.step == HeaderCycle::Name && std::strcmp(tok.text(), "end") == 0)
            {
                if (!endsLine(tok.getNextToken()))
                    return headerFailed("@ML.HeaderEndAfter", lineNo, tok);
                return {source.getCurrentPosition(), lineNo};
            }
            if (const char* key = headerToken(cycle, tok, t, headerValues, lineNo))
                return headerFailed(key, lineNo, tok);
        }
        if (cycle.step != HeaderCycle::Name)
            return headerFailed("@ML.HeaderParamIncomplete", lineNo, tok);
    }
    return {}; // the text ended before the header's "end"
}

void ModelLoader::setDefaultHeader(cnt::SafeFullVector<td::Variant>& headerValues)
{
    headerValues.reserve(NumberOfHeaderParams);
    for (unsigned i = 0; i < NumberOfHeaderParams; ++i)
        headerValues[i] = HeaderDefaultValues[i];
}

} // namespace sc
