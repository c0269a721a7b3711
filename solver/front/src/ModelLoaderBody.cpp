// The body pass: token records and line records of every expression, the
// group counts, and the model information of each level.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>
#include <string_view>
#include <sc/ModelLoader.h>
#include <mu/LineLoader.h>
#include <mu/NumberParser.h>

namespace sc
{

namespace
{
constexpr std::uint8_t NoAttrib = static_cast<std::uint8_t>(NumberOfAttributes);
// "lim": its position among the real functions, kept by the complex set.
constexpr std::uint32_t LimFunction = 29;

constexpr std::uint32_t groupBit(Group group) { return 1u << static_cast<unsigned>(group); }

// A token record keeps a column of up to 16 bits, 0 for a larger one.
std::uint16_t recordColumn(std::uint32_t col) { return col <= 0xFFFF ? static_cast<std::uint16_t>(col) : 0; }

} // namespace

// What the body pass keeps across lines and per expression.
struct ModelLoader::BodyState
{
    enum AttribStep
    {
        ExpectName,
        ExpectAssign,
        ExpectValue
    };

    // across lines
    int level = 0; // 0 main model, 1 sub-model
    int currentGroup = -1;
    int depth = 0;
    std::uint32_t seenGroups[2] = {0, 0}; // a bit per group heading met at each level

    // per line
    std::uint32_t linePosition = 0;
    bool hasExprToken = false;
    bool caseOpen = false;
    bool lineCounts = true;

    // per expression
    bool hasContent = false;
    bool bracketOpen = false;
    bool bracketOpened = false;
    bool bracketClosed = false;
    AttribStep attribStep = ExpectName;
    std::uint8_t currentAttrib = NoAttrib;
    std::uint32_t firstToken = 0;
    std::uint32_t firstAttrib = 0;
    std::uint32_t attribEnd = 0;

    void startExpression(std::uint32_t nTokens, std::uint32_t nAttribs)
    {
        hasContent = false;
        bracketOpen = bracketOpened = bracketClosed = false;
        attribStep = ExpectName;
        currentAttrib = NoAttrib;
        firstToken = nTokens;
        firstAttrib = attribEnd = nAttribs;
    }

    void startLine(std::uint32_t position, std::uint32_t nTokens, std::uint32_t nAttribs)
    {
        linePosition = position;
        hasExprToken = false;
        caseOpen = false;
        lineCounts = true;
        startExpression(nTokens, nAttribs);
    }
};

double ModelLoader::constantValue(std::uint32_t id)
{
    switch (static_cast<SpecialConstant>(id))
    {
    case SpecialConstant::Pi: return std::numbers::pi;
    case SpecialConstant::E: return std::numbers::e;
    default: return 0.0;
    }
}

TokenizedModel::Lines& ModelLoader::linesOf(int level) const
{
    return level == 0 ? _model._mainLines : _model._subLines;
}

TokenizedModel::GroupCounts& ModelLoader::groupsOf(int level) const
{
    return level == 0 ? _model._mainGroups : _model._subGroups;
}

bool ModelLoader::createTokenLists(mu::LineLoader& source, td::MutableString& line, Domain domain)
{
    _model._mainGroups = TokenizedModel::GroupCounts {};
    _model._subGroups = TokenizedModel::GroupCounts {};
    _model._limitUses[0] = _model._limitUses[1] = 0;
    _names[0].build(_naming.getUserLabels());
    _names[1].build(_naming.getUserSubModelLabels());
    Tokenizer tok;
    tok.setDictionaries(_pRealFunctions, _pCmplxFunctions, _pReserved, _pGroups, _pAttribs, _pSpecConsts);
    tok._complex = domain == Domain::Complex;
    BodyState st;
    // a body read after a header starts on the line after it
    std::uint32_t lineNo = _headerLines;
    while (source.getLine(line))
    {
        ++lineNo;
        tok.startLine(line.c_str(), static_cast<std::uint32_t>(line.length()));
        st.startLine(source.getPreviousPosition(), exprTokenCount(), attribTokenCount());
        for (;;)
        {
            const Step step = bodyToken(st, tok, tok.getNextToken(), lineNo);
            if (step == Step::Fail)
                return false;
            if (step == Step::LineDone)
                break;
        }
    }
    return true;
}

std::uint32_t ModelLoader::exprTokenCount() const
{
    return static_cast<std::uint32_t>(_model._expressionTokens.size());
}

std::uint32_t ModelLoader::attribTokenCount() const { return static_cast<std::uint32_t>(_model._attribTokens.size()); }

ModelLoader::Step ModelLoader::fail(const char* key, std::uint32_t line, std::uint32_t column, const char* name)
{
    reportError(key, line, column, name);
    return Step::Fail;
}

ModelLoader::Step ModelLoader::bodyToken(BodyState& st, Tokenizer& tok, Token t, std::uint32_t line)
{
    const std::uint32_t col = tok._firstColumn + 1;
    if (t == Token::Function && tok._identifier == LimFunction)
        ++_model._limitUses[st.level];
    if (t == Token::Error)
        return tok.refusedNul() ? fail("@ML.NulInText", line, col) : fail("@ML.UnexpectedToken", line, col, tok.text());
    if (t == Token::Reserved)
    {
        const auto id = static_cast<ReservedID>(tok._identifier);
        if (st.level == 0)
        {
            if (id == ReservedID::Main)
                return fail("@ML.MainRefInMainModel", line, col);
            if (id == ReservedID::Case || id == ReservedID::Default)
            {
                if (st.caseOpen)
                    return fail("@ML.ConsecCase", line, col);
                st.caseOpen = true;
            }
        }
        else if (id == ReservedID::Main)
            return mainReference(st, tok, line);
    }
    if (t == Token::Comment || t == Token::EndOfLine)
        return endExpression(st, line, col, "@ML.EmptyExpression") ? Step::LineDone : Step::Fail;
    if (t == Token::SemiColon || (t == Token::RightArrow && st.caseOpen))
    {
        if (t == Token::SemiColon && st.caseOpen)
            return fail("@ML.;InCaseCond", line, col);
        st.caseOpen = false;
        return endExpression(st, line, col, "@ML.SemiColNoExpr") ? Step::Next : Step::Fail;
    }
    if (t == Token::AttribStart)
        return openBracket(st, line, col);
    if (t == Token::AttribEnd)
        return closeBracket(st, line, col);

    // A group word begins its line: after other tokens it would move them
    // into another group, or into the other model level.
    if (t == Token::Group && (st.hasContent || st.hasExprToken))
        return fail("@ML.UnexpectedToken", line, col, tok.text());
    st.hasContent = true;
    const bool ends = t == Token::Reserved && static_cast<ReservedID>(tok._identifier) == ReservedID::End;
    // An expression token is written where it stays: a copy of a record
    // just written field by field would wait for those writes.
    const bool stored = !ends && !st.bracketOpen;
    _TokV other;
    _TokV& rec = stored ? _model._expressionTokens.push_back() : other;
    if (!makeRecord(st, tok, t, line, rec) || (t == Token::Group && !groupHeading(st, tok, line)))
    {
        if (stored)
            _model._expressionTokens.pop_back();
        return Step::Fail;
    }
    if (ends)
        return endLine(st, tok, rec, line);
    if (t == Token::Reserved && TokenizedModel::opensBlock(static_cast<ReservedID>(tok._identifier)))
        ++st.depth;
    if (!stored)
        return attributeCycle(st, t, rec, line) ? Step::Next : Step::Fail;
    st.hasExprToken = true;
    return Step::Next;
}

// An expression's attributes stand in one bracket pair, inside a group.
ModelLoader::Step ModelLoader::openBracket(BodyState& st, std::uint32_t line, std::uint32_t col)
{
    if (st.currentGroup < 0)
        return fail("@ML.AttribStartGr", line, col);
    if (st.bracketOpened)
        return fail("@ML.ConsAttribStartToken", line, col);
    st.bracketOpen = st.bracketOpened = true;
    st.firstAttrib = attribTokenCount();
    return Step::Next;
}

ModelLoader::Step ModelLoader::closeBracket(BodyState& st, std::uint32_t line, std::uint32_t col)
{
    if (st.currentGroup < 0)
        return fail("@ML.AttribEndGr", line, col);
    if (st.bracketClosed)
        return fail("@ML.ConsAttribEndToken", line, col);
    st.bracketOpen = false;
    st.bracketClosed = true;
    st.attribEnd = attribTokenCount();
    return Step::Next;
}

bool ModelLoader::makeRecord(BodyState& st, Tokenizer& tok, Token t, std::uint32_t line, _TokV& rec)
{
    const std::uint32_t col = tok._firstColumn + 1;
    rec.column = recordColumn(col);
    rec.code = t;
    rec.id = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int16_t>(tok._identifier)));
    const char* text = tok.text();
    switch (t)
    {
    case Token::Name:
        if (resolveName(std::string_view(text, tok._text.length()), st.level == 0, 4, rec))
            return true;
        reportError(st.level == 0 ? "@ML.UnknownLbl" : "@ML.UnknownLblSM", line, col, text);
        return false;
    case Token::Identifier:
    case Token::String: rec.pStr = poolCopy(text, static_cast<std::uint32_t>(tok._text.length())); break;
    case Token::Integer:
    {
        // a literal beyond 32 bits is kept as a real rather than wrapped
        errno = 0;
        const long val = std::strtol(text, nullptr, 10);
        if (errno == ERANGE || val > std::numeric_limits<std::int32_t>::max() ||
            val < std::numeric_limits<std::int32_t>::min())
        {
            rec.code = Token::Real;
            rec.dblVal = mu::toDouble(text);
        }
        else
            rec.intVal = static_cast<std::int32_t>(val);
        break;
    }
    case Token::SpecialConst: rec.dblVal = constantValue(tok._identifier); break;
    case Token::Real:
    case Token::Imaginary: rec.dblVal = mu::toDouble(text); break;
    case Token::Color:
    case Token::LinePattern: rec.byteVal = static_cast<std::uint8_t>(tok._identifier); break;
    default: break;
    }
    return true;
}

ModelLoader::Step ModelLoader::mainReference(BodyState& st, Tokenizer& tok, std::uint32_t line)
{
    // "@main" "." name: neither "@main" nor "." is stored
    if (tok.getNextToken() != Token::Dot)
        return fail("@ML.NoDotAfterBase", line, tok._firstColumn + 1);
    if (tok.getNextToken() != Token::Name)
        return fail("@ML.NoDotAfterBase", line, tok._firstColumn + 1);
    const std::uint32_t col = tok._firstColumn + 1;
    _TokV rec;
    if (!resolveName(std::string_view(tok.text(), tok._text.length()), true, 2, rec))
        return fail("@ML.UnknownLblBase", line, col);
    rec.column = recordColumn(col);
    rec.attribID = 1;
    rec.pStr = nullptr; // a name reached through "@main" carries no text
    _model._expressionTokens.push_back(rec);
    st.hasContent = st.hasExprToken = true;
    return Step::Next;
}

// The first of the first nKinds symbol kinds (variables, parameters, random
// generators, statistics) of a level that declares the name: its code, name
// and position go into rec.
bool ModelLoader::resolveName(std::string_view name, bool main, unsigned nKinds, _TokV& rec) const
{
    static constexpr Token codes[] = {Token::Var, Token::Param, Token::Distrib, Token::Stat};
    const NameIndex::Entry* e = _names[main ? 0 : 1].find(name);
    const auto kind = e ? static_cast<unsigned>(e->kind) : nKinds;
    if (kind >= nKinds)
        return false;
    rec.code = codes[kind];
    rec.pStr = e->name;
    rec.id = e->pos;
    return true;
}

bool ModelLoader::groupHeading(BodyState& st, Tokenizer& tok, std::uint32_t line)
{
    const auto group = static_cast<Group>(tok._identifier);
    if (group == Group::Model || group == Group::SubModel)
        ++st.depth;
    if (group == Group::SubModel)
        st.level = 1;
    // a second heading would make the group's range cover other groups' lines
    const std::uint32_t bit = groupBit(group);
    if (st.seenGroups[st.level] & bit)
    {
        reportError("@ML.GroupRepeated", line, tok._firstColumn + 1);
        return false;
    }
    st.seenGroups[st.level] |= bit;
    groupsOf(st.level)[static_cast<unsigned>(group)].headingLine = static_cast<std::uint32_t>(linesOf(st.level).size());
    st.currentGroup = static_cast<int>(group);
    st.lineCounts = false;
    return true;
}

ModelLoader::Step ModelLoader::endLine(BodyState& st, Tokenizer& tok, _TokV& rec, std::uint32_t line)
{
    const std::uint32_t col = tok._firstColumn + 1;
    --st.depth;
    if (st.hasExprToken || st.bracketOpen)
        return fail("@ML.ExprAfterEnd", line, col);
    const Token next = tok.getNextToken();
    if (next != Token::EndOfLine && next != Token::Comment)
        return fail("@ML.ExprAfterEnd", line, tok._firstColumn + 1);

    // Without its Model line the text's depth is one short: an "end" that
    // brings it to 0 closes a block of the current group, and must not count
    // in a Model group whose heading would come after it.
    int group = st.currentGroup;
    if (st.level == 0 && st.depth == 0 && (st.seenGroups[0] & groupBit(Group::Model)))
        group = static_cast<int>(Group::Model);
    else if (st.level == 1 && st.depth == 1)
        group = static_cast<int>(Group::SubModel);
    if (group < 0)
        return fail("@ML.WrongCurrentGroup", line, col);
    ++groupsOf(st.level)[static_cast<unsigned>(group)].nLines;
    const std::uint32_t first = exprTokenCount();
    linesOf(st.level).push_back(_tl {line, st.linePosition, first, 1, attribTokenCount(), 0});
    _model._expressionTokens.push_back(rec);
    if (st.depth < 2 && st.level == 1)
    {
        // back in the main model: no group is current until its next heading
        st.level = 0;
        st.currentGroup = -1;
    }
    return Step::LineDone;
}

bool ModelLoader::attributeCycle(BodyState& st, Token t, const _TokV& rec, std::uint32_t line)
{
    const std::uint32_t col = rec.column;
    switch (st.attribStep)
    {
    case BodyState::ExpectName:
        if (t == Token::Comma)
            return true;
        if (t != Token::AttribName)
        {
            reportError("@ML.ExpectedAttName", line, col);
            return false;
        }
        if (rec.id >= NumberOfAttributes)
        {
            reportError("@ML.UnknownAttName", line, col);
            return false;
        }
        st.currentAttrib = static_cast<std::uint8_t>(rec.id);
        st.attribStep = BodyState::ExpectAssign;
        return true;
    case BodyState::ExpectAssign:
        if (t != Token::Assign)
        {
            reportError("@ML.Expected=InAttDef", line, col);
            return false;
        }
        st.attribStep = BodyState::ExpectValue;
        return true;
    case BodyState::ExpectValue: break;
    }
    _TokV value = rec;
    value.attribID = st.currentAttrib;
    _model._attribTokens.push_back(value);
    st.currentAttrib = NoAttrib;
    st.attribStep = BodyState::ExpectName;
    return true;
}

bool ModelLoader::appendLineRecord(BodyState& st, std::uint32_t line, std::uint32_t column)
{
    if (st.lineCounts)
    {
        if (st.currentGroup < 0)
        {
            reportError("@ML.WrongCurrentGroup", line, column);
            return false;
        }
        ++groupsOf(st.level)[static_cast<unsigned>(st.currentGroup)].nLines;
    }
    const std::uint32_t nAttribs = st.bracketClosed ? st.attribEnd - st.firstAttrib : 0;
    linesOf(st.level).push_back(
        _tl {line, st.linePosition, st.firstToken, exprTokenCount() - st.firstToken, st.firstAttrib, nAttribs});
    // Only the heading's own expression stays out of its group: a record
    // after it on the same line must count, or the group's range would end
    // one line early.
    st.lineCounts = true;
    return true;
}

// An expression ends at ";" (emptyKey "@ML.SemiColNoExpr") or at the end of
// its line ("@ML.EmptyExpression"); one without content leaves no record.
bool ModelLoader::endExpression(BodyState& st, std::uint32_t line, std::uint32_t column, const char* emptyKey)
{
    if (st.hasContent)
    {
        if (!st.hasExprToken)
        {
            reportError(emptyKey, line, column);
            return false;
        }
        if (!appendLineRecord(st, line, column))
            return false;
    }
    // a bracket closes within its expression, never on a later line
    if (st.bracketOpen)
    {
        reportError("@ML.AttribStartEndMismatch", line, column);
        return false;
    }
    st.startExpression(exprTokenCount(), attribTokenCount());
    return true;
}

// Model information of one level from the attributes of its first line.
bool ModelLoader::getSolverType(ModelLevel level, _MI& info)
{
    info = _MI {};
    const TokenizedModel::Lines& lines = _model.getLines(level);
    if (lines.size() == 0)
        return true;
    const _tl& first = lines[0];
    if (first.nAttribs == 0 || first.nTokens == 0)
        return true;
    const _TokV& head = _model._expressionTokens[first.firstToken];
    if (head.code != Token::Group ||
        (head.id != static_cast<std::uint32_t>(Group::Model) && head.id != static_cast<std::uint32_t>(Group::SubModel)))
        return true;
    for (std::uint32_t i = 0; i < first.nAttribs; ++i)
    {
        const _TokV& val = _model._attribTokens[first.firstAttrib + i];
        const char* key = nullptr;
        switch (static_cast<AttribID>(val.attribID))
        {
        case AttribID::domain:
            if (val.code != Token::Identifier)
                key = "@ML.MissDomainEn";
            else
                info.complex = val.pStr && isComplexDomain(val.pStr->c_str());
            break;
        case AttribID::type:
            if (val.code != Token::Identifier)
                key = "@ML.MissModelTypeEn";
            else if (const int type = modelTypeOf(val.pStr ? val.pStr->c_str() : ""); type < 0)
                key = "@ML.WrongModelType";
            else
                info.type = static_cast<std::uint8_t>(type);
            break;
        case AttribID::method:
            if (val.code != Token::Identifier)
                key = "@ML.WrongMethodType";
            else
                info.method = val.pStr;
            break;
        case AttribID::eps:
            if (val.code == Token::Integer)
                info.eps = val.intVal;
            else if (val.code == Token::Real)
                info.eps = val.dblVal;
            else
                key = "@ML.WrongEpsType";
            if (!key && info.eps < 0)
            {
                info.eps = 1e-6;
                reportModelInfo("@ML.NegativeEpsUseDefault", first.line, val.column, ILog::Type::Warning);
            }
            break;
        case AttribID::name:
            if (val.code != Token::String)
                key = "@ML.WrongModelNameType";
            else
                info.name = val.pStr;
            break;
        default: break;
        }
        if (key)
        {
            reportModelInfo(key, first.line, val.column, ILog::Type::Error);
            return false;
        }
    }
    return true;
}

// Types match on their leading letters: "NL" on two, the others on three.
int ModelLoader::modelTypeOf(const char* text)
{
    static constexpr const char* types[] = {"NL", "WLS", "ODE", "DAE"};
    for (int i = 0; i < 4; ++i)
        if (std::strncmp(text, types[i], std::strlen(types[i])) == 0)
            return i;
    return -1;
}

void ModelLoader::reportModelInfo(const char* key, std::uint32_t line, std::uint32_t column, ILog::Type type)
{
    if (type == ILog::Type::Error)
        ++_nErrors;
    if (_pLog)
        addKey(*_pLog, _translate, key, line, column, type);
}

} // namespace sc
