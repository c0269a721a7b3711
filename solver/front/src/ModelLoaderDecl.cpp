// The declaration pass: names of variables, parameters, random generators
// and statistics of both model levels, and the attributes of the model lines.
#include <cstring>
#include <optional>
#include <string_view>
#include <sc/ModelLoader.h>
#include <mu/LineLoader.h>
#include <mu/NumberParser.h>

namespace sc
{

namespace
{
bool isSubModel(Location loc) { return loc >= Location::SubOther; }

// The next token is a lone "=", as after a declared name.
bool assignFollows(const ModelLoader::Tokenizer& tok)
{
    const char* p = tok._line + tok._position;
    while (*p == ' ' || *p == '\t')
        ++p;
    return p[0] == '=' && p[1] != '=';
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A word of the language that stands where a declaration's name stands: no
// expression could read a symbol of that name. A group name, "end" and
// "@main" give a line its structure there, so they stand for a name only
// when "=" follows them.
bool isLanguageWord(const ModelLoader::Tokenizer& tok, Token t)
{
    switch (t)
    {
    case Token::Function:
    case Token::SpecialConst:
    case Token::EmbeddedParam:
    case Token::True:
    case Token::False: return true;
    case Token::Not:
    case Token::Or:
    case Token::And:
    case Token::Xor: return isAsciiLetter(*tok.text()); // the words, not ! || && ##
    case Token::Reserved:
    {
        const auto id = static_cast<ReservedID>(tok._identifier);
        return (id != ReservedID::End && id != ReservedID::Main) || assignFollows(tok);
    }
    case Token::Group: return assignFollows(tok);
    default: return false;
    }
}
} // namespace

// Asked for every name of the text: the label arrays are read directly,
// the kind being always one of the four.
VarAndParamMap& ModelLoader::map(UserLabel kind, bool main) const
{
    return (main ? _naming.getUserLabels() : _naming.getUserSubModelLabels())[static_cast<unsigned>(kind)];
}

const td::StringExt* ModelLoader::poolCopy(const char* text, std::uint32_t len)
{
    if (len == 0)
        return nullptr;
    return _naming.getStringMemManager().alloc(text, len);
}

cnt::Array<LineRange, 2>& ModelLoader::rangesOf(Group group) const
{
    switch (group)
    {
    case Group::Vars: return _model._locationOfVars;
    case Group::Params: return _model._locationOfParams;
    case Group::Distribs: return _model._locationOfDistribs;
    case Group::Stats: return _model._locationOfStats;
    default: return _model._locationOfModels;
    }
}

Location ModelLoader::getLocation(std::uint32_t line) const
{
    const TokenizedModel& m = _model;
    const LineRange& mainModel = m._locationOfModels[0];
    if (line < mainModel.location)
        return Location::BeforeModel;
    if (line == mainModel.location)
        return Location::ModelLine;
    if (!mainModel.isOpen() && mainModel.location + mainModel.count < line)
        return Location::AfterModel;
    // The sub-model is asked first: a model without main Vars and Params
    // groups would otherwise see its sub-model lines as main-model lines.
    if (m._locationOfModels[1].holds(line))
    {
        if (m._locationOfVars[1].holds(line))
            return Location::SubVars;
        if (m._locationOfParams[1].holds(line))
            return Location::SubParams;
        if (m._locationOfDistribs[1].holds(line))
            return Location::SubDistribs;
        if (m._locationOfStats[1].holds(line))
            return Location::SubStats;
        return Location::SubOther;
    }
    if (m._locationOfVars[0].location >= line && m._locationOfParams[0].location >= line)
        return Location::MainOutsideDecl;
    if (m._locationOfDistribs[0].holds(line) || m._locationOfStats[0].holds(line))
        return Location::MainOutsideDecl;
    if (m._locationOfVars[0].holds(line))
        return Location::MainVars;
    if (m._locationOfParams[0].holds(line))
        return Location::MainParams;
    return Location::MainOther;
}

// The open group's range now ends before this line.
void ModelLoader::closeRange(int group, std::uint32_t line)
{
    if (group < 0)
        return;
    LineRange& range = rangesOf(static_cast<Group>(group))[isSubModel(getLocation(line)) ? 1 : 0];
    if (range.location != ~0u && range.location <= line)
        range.count = line - range.location;
}

namespace
{
// A name the new one must not equal: the map of a kind at a level, and the
// key reported when it does.
struct Clash
{
    UserLabel kind;
    bool inMain;
    const char* key;
};

// What a declaration at one location enters, and the clashes checked first,
// in order.
struct DeclRule
{
    UserLabel kind;
    Clash clashes[4];
    unsigned nClashes;
};

constexpr Clash mainDistClashes[] = {{UserLabel::Param, true, "@ML.DistDDInPars"},
                                     {UserLabel::Var, true, "@ML.DistDDInVars"},
                                     {UserLabel::Distrib, true, "@ML.DistDDInDists"},
                                     {UserLabel::Stat, true, "@ML.DistDDInDists"}};
constexpr Clash subDistClashes[] = {{UserLabel::Var, false, "@ML.DistDDInVars"},
                                    {UserLabel::Param, false, "@ML.DistDDInPars"},
                                    {UserLabel::Distrib, false, "@ML.DistDDInDists"},
                                    {UserLabel::Stat, false, "@ML.DistDDInDists"}};

constexpr DeclRule distRule(UserLabel kind, const Clash (&clashes)[4])
{
    return {kind, {clashes[0], clashes[1], clashes[2], clashes[3]}, 4};
}

const DeclRule* declRule(Location location)
{
    static constexpr DeclRule mainVars {UserLabel::Var, {{UserLabel::Var, true, "@ML.VarDDVars"}}, 1};
    static constexpr DeclRule mainParams {
        UserLabel::Param, {{UserLabel::Param, true, "@ML.ParDDInPars"}, {UserLabel::Var, true, "@ML.ParDDInVars"}}, 2};
    static constexpr DeclRule mainDistribs = distRule(UserLabel::Distrib, mainDistClashes);
    static constexpr DeclRule mainStats = distRule(UserLabel::Stat, mainDistClashes);
    static constexpr DeclRule subVars {UserLabel::Var, {{UserLabel::Var, false, "@ML.SubVarDDSubVars"}}, 1};
    static constexpr DeclRule subParams {UserLabel::Param,
                                         {{UserLabel::Var, false, "@ML.SubParDDSubVars"},
                                          {UserLabel::Param, false, "@ML.SubParDDSubPars"},
                                          {UserLabel::Param, true, "@ML.SubParDDInPars"}},
                                         3};
    static constexpr DeclRule subDistribs = distRule(UserLabel::Distrib, subDistClashes);
    static constexpr DeclRule subStats = distRule(UserLabel::Stat, subDistClashes);
    switch (location)
    {
    case Location::MainVars: return &mainVars;
    case Location::MainParams: return &mainParams;
    case Location::MainDistribs: return &mainDistribs;
    case Location::MainStats: return &mainStats;
    case Location::SubVars: return &subVars;
    case Location::SubParams: return &subParams;
    case Location::SubDistribs: return &subDistribs;
    case Location::SubStats: return &subStats;
    default: return nullptr;
    }
}
} // namespace

// A clash is reported and the name goes to the naming's duplicates instead.
void ModelLoader::insertVarPrParam(const char* name, std::uint32_t line, std::uint32_t column, Location location)
{
    const DeclRule* rule = declRule(location);
    if (!rule)
        return;
    const std::string_view key(name);
    const td::StringExt* pName = poolCopy(key.data(), static_cast<std::uint32_t>(key.size()));
    for (unsigned i = 0; i < rule->nClashes; ++i)
    {
        const Clash& clash = rule->clashes[i];
        if (map(clash.kind, clash.inMain).contains(key))
        {
            reportDuplicate(clash.key, name, line, column);
            VarAndParamMap& dup = _naming.getDuplicatedVarsAndParams();
            dup.try_emplace(*pName, static_cast<td::UINT4>(dup.size()));
            return;
        }
    }
    VarAndParamMap& target = map(rule->kind, !isSubModel(location));
    target.try_emplace(*pName, static_cast<td::UINT4>(target.size()));
}

// Dynamic models get the time step "dT" and the time "t" as parameters of
// the main model, after the declared ones, unless they declare them.
void ModelLoader::addTimeDomainParams()
{
    if (!_dynamic)
        return;
    VarAndParamMap& params = map(UserLabel::Param, true);
    auto indexOf = [&](const char* name) {
        auto it = params.find(std::string_view(name));
        if (it != params.end())
            return static_cast<int>(it->second);
        const auto index = static_cast<td::UINT4>(params.size());
        params.try_emplace(*poolCopy(name, static_cast<std::uint32_t>(std::strlen(name))), index);
        return static_cast<int>(index);
    };
    _model._deltaTimeParam[0] = indexOf("dT");
    _model._timeParam[0] = indexOf("t");
}

bool ModelLoader::isComplexDomain(const char* text) const
{
    return _complexDomainText.length() > 0 && std::strcmp(text, _complexDomainText.c_str()) == 0;
}

// One token on a Model or SubModel line: name "=" value, repeated.
void ModelLoader::readModelAttribute(Tokenizer& tok, Token t, int level, ModelAttribState& st)
{
    switch (st.step)
    {
    case ModelAttribState::Name:
        if (t == Token::AttribName)
        {
            st.pSlot = &_model._modelAttribValues[level].push_back();
            st.attribID = static_cast<AttribID>(tok._identifier);
            st.step = ModelAttribState::Assign;
        }
        return;
    case ModelAttribState::Assign:
        st.step = t == Token::Assign ? ModelAttribState::Value : ModelAttribState::SkipLine;
        return;
    case ModelAttribState::Value: break;
    case ModelAttribState::SkipLine: return;
    }
    st.step = ModelAttribState::Name;
    const char* text = tok.text();
    switch (t)
    {
    case Token::Identifier:
    case Token::String: *st.pSlot = td::Variant(td::String(text)); break;
    case Token::True:
    case Token::False: *st.pSlot = td::Variant(t == Token::True); break;
    case Token::Integer:
    case Token::SpecialConst:
    case Token::Real: *st.pSlot = td::Variant(mu::toDouble(text)); break;
    default: return;
    }
    if (level == 0 && t == Token::Identifier && st.attribID == AttribID::domain)
    {
        _complex = isComplexDomain(text);
        tok._complex = _complex;
    }
    else if (level == 0 && t == Token::Identifier && st.attribID == AttribID::type)
        _dynamic = modelTypeOf(text) >= 2; // ODE or DAE
    else if (level == 1 && st.attribID == AttribID::copyPars && (t == Token::Integer || t == Token::Real))
        _copyCount = truncToInt32(mu::toDouble(text));
}

void ModelLoader::prepareDeclarations()
{
    for (bool main : {true, false})
    {
        map(UserLabel::Var, main).clear();
        map(UserLabel::Param, main).clear();
    }
    for (int level = 0; level < 2; ++level)
    {
        for (Group g : {Group::Model, Group::Vars, Group::Params, Group::Distribs, Group::Stats})
            rangesOf(g)[level] = LineRange {};
        _model._deltaTimeParam[level] = -1;
        _model._timeParam[level] = -1;
    }
    _tokenizer.setDictionaries(_pRealFunctions, _pCmplxFunctions, _pReserved, _pGroups, _pAttribs, _pSpecConsts);
    _tokenizer._complex = false;
    _complex = false;
    _dynamic = false;
    _copyCount = 0;
}

// What the declaration pass keeps across lines.
struct ModelLoader::DeclState
{
    int modelLines = 0; // 0 before the Model line, 1 in the main model, 2 in the sub-model
    bool modelLineSeen = false;
    int openGroup = -1; // the open declaration group
    bool done = false;
};

bool ModelLoader::loadVarsAndParams(mu::LineLoader& source, td::MutableString& line)
{
    prepareDeclarations();
    DeclState st;
    // the pass goes on from the line after the header
    std::uint32_t lineNo = _headerLines;
    while (!st.done && source.getLine(line))
        declarationLine(st, line, ++lineNo);
    addTimeDomainParams();
    return true;
}

void ModelLoader::declarationLine(DeclState& st, const td::MutableString& line, std::uint32_t lineNo)
{
    Tokenizer& tok = _tokenizer;
    const char* text = line.c_str();
    tok.startLine(text, static_cast<std::uint32_t>(line.length()));
    bool exprStart = true;
    int attribLevel = -1; // the model line whose attributes are read
    ModelAttribState attribs;
    while (!st.done)
    {
        const Token t = tok.getNextToken();
        if (t == Token::EndOfLine)
            return;
        if (t == Token::Error)
            return reportError(tokenErrorKey(tok, "@ML.UnexpectedToken"), lineNo, tok._firstColumn + 1,
                               tok.refusedNul() ? nullptr : tok.text());
        if (t == Token::SemiColon)
        {
            exprStart = true;
            continue;
        }
        const bool atStart = exprStart;
        exprStart = false;
        // refused, the word is then read on like a declared name
        if (atStart && st.openGroup >= 0 && isLanguageWord(tok, t) &&
            refuseName(tok, static_cast<Group>(st.openGroup), st.modelLines, lineNo))
            continue;
        if (t == Token::Reserved)
        {
            // the rest of the line holds no declaration
            if (static_cast<ReservedID>(tok._identifier) == ReservedID::End)
                declarationEnd(st, lineNo);
            return;
        }
        if (attribLevel >= 0)
        {
            readModelAttribute(tok, t, attribLevel, attribs);
            if (attribs.step == ModelAttribState::SkipLine)
                return;
        }
        else if (t == Token::Name && atStart && st.openGroup >= 0)
            declare(tok, static_cast<Group>(st.openGroup), st.modelLines, lineNo);
        else if (t == Token::Group)
            attribLevel = declarationGroup(st, static_cast<Group>(tok._identifier), text, lineNo, tok._firstColumn + 1);
    }
}

// An "end" closes the sub-model or, at the last level, the model; either ends the pass.
void ModelLoader::declarationEnd(DeclState& st, std::uint32_t lineNo)
{
    const int c = st.modelLines - 1;
    if (isSubModel(getLocation(lineNo)) && c == 1)
    {
        LineRange& sub = _model._locationOfModels[1];
        sub.count = lineNo - sub.location;
        st.done = true;
        return;
    }
    st.modelLines = c;
    LineRange& mainModel = _model._locationOfModels[0];
    if (c == 0 && mainModel.location <= lineNo)
    {
        mainModel.count = lineNo - mainModel.location + 1;
        st.done = true;
    }
}

// A group line; the level whose model attributes the rest of the line holds, or -1.
int ModelLoader::declarationGroup(DeclState& st, Group group, const char* text, std::uint32_t lineNo, std::uint32_t col)
{
    switch (group)
    {
    case Group::Model:
        if (st.modelLineSeen)
        {
            reportError("@ML.WrongModelPos", lineNo, col);
            ++st.modelLines;
            return -1;
        }
        st.modelLineSeen = true;
        _model._locationOfModels[0].location = lineNo;
        _model._modelAttribValues[0].reserve(countAssignments(text));
        st.modelLines = 1;
        return 0;
    case Group::SubModel:
        st.modelLineSeen = true;
        if (++st.modelLines != 2)
            reportError("@ML.WrongSubModelPos", lineNo, col);
        _model._locationOfModels[1] = LineRange {lineNo, ~0u};
        closeRange(st.openGroup, lineNo);
        st.openGroup = -1;
        _model._modelAttribValues[1].reserve(countAssignments(text));
        return 1;
    case Group::Vars:
    case Group::Params:
    case Group::Distribs:
    case Group::Stats:
        closeRange(st.openGroup, lineNo);
        rangesOf(group)[isSubModel(getLocation(lineNo)) ? 1 : 0] = LineRange {lineNo, ~0u};
        st.openGroup = static_cast<int>(group);
        return -1;
    default:
        closeRange(st.openGroup, lineNo);
        st.openGroup = -1;
        // a main-model group of expressions ends the declarations
        if (!isSubModel(getLocation(lineNo)))
            st.done = true;
        return -1;
    }
}

std::uint32_t ModelLoader::countAssignments(const char* text)
{
    std::uint32_t n = 0;
    for (; *text; ++text)
        n += *text == '=';
    return n;
}

// Where a name declared on this line goes; none for a line of a sub-model
// that stands after the main model's other groups.
std::optional<Location> ModelLoader::declarationLocation(Group group, int modelLines, std::uint32_t line) const
{
    static constexpr Location mainLoc[] = {Location::MainVars, Location::MainParams, Location::MainDistribs,
                                           Location::MainStats};
    static constexpr Location subLoc[] = {Location::SubVars, Location::SubParams, Location::SubDistribs,
                                          Location::SubStats};
    const auto kind = static_cast<unsigned>(group) - static_cast<unsigned>(Group::Vars);
    if (modelLines == 1)
        return mainLoc[kind];
    if (modelLines == 2 && isSubModel(getLocation(line)))
        return subLoc[kind];
    return std::nullopt;
}

void ModelLoader::declare(const Tokenizer& tok, Group group, int modelLines, std::uint32_t line)
{
    if (const std::optional<Location> loc = declarationLocation(group, modelLines, line))
        insertVarPrParam(tok.text(), line, tok._firstColumn + 1, *loc);
}

// A word of the language where a name would be declared.
bool ModelLoader::refuseName(const Tokenizer& tok, Group group, int modelLines, std::uint32_t line)
{
    if (!declarationLocation(group, modelLines, line))
        return false;
    reportError("@ML.NameIsReserved", line, tok._firstColumn + 1, tok.text());
    return true;
}

} // namespace sc
