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
void ModelLoader::addLogEntry(const ILog::LE& entry, ILog::Type type)
{
    if (type == ILog::Type::Error)
        ++_nErrors;
    if (!_pLog)
        return;
    if (type == ILog::Type::Error && _pLog->getNoOfErrors() >= _errorLimit)
        return;
    _pLog->add(entry, type);
}

void ModelLoader::reportError(const char* key, std::uint32_t line, std::uint32_t column, const char* name)
{
    ILog::LE entry {translate(_translate, key), line, column};
    if (name)
    {
        entry.text.appendString(":", 1);
        entry.text.appendString(name, static_cast<int>(std::strlen(name)));
    }
    addLogEntry(entry, ILog::Type::Error);
}

void ModelLoader::reportDuplicate(const char* key, const char* name, std::uint32_t line, std::uint32_t column)
{
    ILog::LE entry {translate(_translate, key), line, column};
    entry.text.appendString(" (", 2);
    entry.text.appendString(name, static_cast<int>(std::strlen(name)));
    entry.text.appendString(")", 1);
    addLogEntry(entry, ILog::Type::Error);
}

void ModelLoader::reportHeader(const char* key, std::uint32_t line, std::uint32_t column, ILog::Type type)
{
    if (type == ILog::Type::Error)
        ++_nErrors;
    if (_pLog)
        _pLog->translateAndAdd(key, line, column, type);
}

ModelLoader::HeaderResult ModelLoader::headerFailed(const char* key, std::uint32_t line, std::uint32_t column)
{
    reportHeader(key, line, column);
    return {};
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
    _bodyPosition = res.bodyPosition;
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

ModelLoader::HeaderResult ModelLoader::loadHeader(cnt::SafeFullVector<td::Variant>& headerValues,
                                                  td::MutableString& line, mu::LineLoader& source)
{
    headerValues.reserve(NumberOfHeaderParams);
    for (unsigned i = 0; i < NumberOfHeaderParams; ++i)
        headerValues[i] = HeaderDefaultValues[i];

    // no dictionaries: every word but true and false is a name
    Tokenizer tok;
    enum
    {
        ExpectName,
        ExpectAssign,
        ExpectValue
    } state = ExpectName;
    int param = -1;
    bool inHeader = false;
    std::uint32_t lineNo = 0;
    while (source.getLine(line))
    {
        ++lineNo;
        tok.startLine(line.c_str());
        if (!inHeader)
        {
            const Token first = tok.getNextToken();
            if (endsLine(first))
                continue;
            if (first == Token::Error)
                return headerFailed("@ML.HeaderTokError", lineNo, tok._firstColumn + 1);
            if (first != Token::Name || std::strcmp(tok.text(), "Header") != 0)
                return headerFailed("@ML.HeaderFirstTokenErr", lineNo, tok._firstColumn + 1);
            if (tok.getNextToken() != Token::Colon)
                return headerFailed("@ML.HeaderWithout:", lineNo, tok._firstColumn + 1);
            if (!endsLine(tok.getNextToken()))
                return headerFailed("@ML.HeaderTokenAfter:", lineNo, tok._firstColumn + 1);
            inHeader = true;
            continue;
        }
        for (Token t = tok.getNextToken(); !endsLine(t); t = tok.getNextToken())
        {
            const std::uint32_t col = tok._firstColumn + 1;
            const char* key = nullptr;
            switch (t)
            {
            case Token::Name:
                if (state == ExpectName)
                {
                    if (std::strcmp(tok.text(), "end") == 0)
                    {
                        if (!endsLine(tok.getNextToken()))
                            return headerFailed("@ML.HeaderEndAfter", lineNo, tok._firstColumn + 1);
                        return {source.getCurrentPosition(), lineNo};
                    }
                    param = findHeaderParam(tok.text());
                    if (param < 0)
                        key = "@ML.HeaderParamUnknown";
                    state = ExpectAssign;
                }
                else if (state == ExpectAssign)
                    key = "@ML.HeaderParamExp=";
                else if (static_cast<HeaderParam>(param) != HeaderParam::report)
                    key = "@ML.HeaderReportExp";
                else
                {
                    const char* word = tok.text();
                    const td::INT4 report = std::strcmp(word, "Solved") == 0 ? 0 : std::strcmp(word, "All") == 0 ? 1 : 2;
                    headerValues[param] = td::Variant(report);
                    state = ExpectName;
                }
                break;
            case Token::Assign:
                if (state == ExpectAssign)
                    state = ExpectValue;
                else
                    key = "@ML.HeaderWrong=Pos";
                break;
            case Token::Integer:
            case Token::SpecialConst:
            case Token::Real:
                if (state != ExpectValue)
                    key = "@ML.HeaderWrongConstPos";
                else if (HeaderParamTypes[param] == Token::Integer)
                    headerValues[param] = td::Variant(truncToInt32(mu::toDouble(tok.text())));
                else if (HeaderParamTypes[param] == Token::Real)
                    headerValues[param] = td::Variant(mu::toDouble(tok.text()));
                else
                    key = "@ML.HeaderWrongParamType";
                state = ExpectName;
                break;
            case Token::True:
            case Token::False:
                if (state != ExpectValue)
                    key = "@ML.HeaderWrongConstPos";
                else if (HeaderParamTypes[param] == Token::Switch)
                    headerValues[param] = td::Variant(t == Token::True);
                else
                    key = "@ML.HeaderWrongParamType";
                state = ExpectName;
                break;
            case Token::String:
                if (state != ExpectValue)
                    key = "@ML.HeaderWrongConstPos";
                else if (HeaderParamTypes[param] == Token::String)
                    headerValues[param] = td::Variant(td::String(tok.text()));
                else
                    key = "@ML.HeaderWrongParamType";
                state = ExpectName;
                break;
            case Token::Error: key = "@ML.HeaderTokError"; break;
            default: reportHeader("@ML.HeaderUnknownParamType", lineNo, col, ILog::Type::Warning); break;
            }
            if (key)
                return headerFailed(key, lineNo, col);
        }
        if (state != ExpectName)
            return headerFailed("@ML.HeaderParamIncomplete", lineNo, tok._firstColumn + 1);
    }
    return {}; // the text ended before the header's "end"
}

} // namespace sc
