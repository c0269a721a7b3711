// The declaration pass: names of variables, parameters, random generators
// and statistics of both model levels, and the attributes of the model lines.
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <sc/ModelLoader.h>
#include <mu/LineLoader.h>
#include <mu/NumberParser.h>

namespace sc
{

namespace
{
bool isSubModel(Location loc) { return loc >= Location::SubOther; }

// The model type is matched on its leading letters, as the model information does.
bool isDynamicType(const char* text)
{
    return std::strncmp(text, "ODE", 3) == 0 || std::strncmp(text, "DAE", 3) == 0;
}

std::int32_t truncToInt32(double val)
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

} // namespace

double ModelLoader::constantValue(std::uint32_t id)
{
    switch (static_cast<SpecialConstant>(id))
    {
    case SpecialConstant::Pi: return 3.14159265358979323846;
    case SpecialConstant::E: return 2.71828182845904523536;
    default: return 0.0;
    }
}

VarAndParamMap& ModelLoader::map(UserLabel kind, bool main) const
{
    return main ? _naming.getUserSymbolMap(kind) : _naming.getUserSymbolSubModelMap(kind);
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

void ModelLoader::insertVarPrParam(const char* name, std::uint32_t line, std::uint32_t column, Location location)
{
    const std::string_view key(name);
    const bool main = !isSubModel(location);
    auto has = [&](UserLabel kind, bool inMain) { return map(kind, inMain).contains(key); };
    const char* clash = nullptr;
    UserLabel kind = UserLabel::Var;
    switch (location)
    {
    case Location::MainVars:
        if (has(UserLabel::Var, true))
            clash = "@ML.VarDDVars";
        break;
    case Location::MainParams:
        kind = UserLabel::Param;
        if (has(UserLabel::Param, true))
            clash = "@ML.ParDDInPars";
        else if (has(UserLabel::Var, true))
            clash = "@ML.ParDDInVars";
        break;
    case Location::SubVars:
        if (has(UserLabel::Var, false))
            clash = "@ML.SubVarDDSubVars";
        break;
    case Location::SubParams:
        kind = UserLabel::Param;
        if (has(UserLabel::Var, false))
            clash = "@ML.SubParDDSubVars";
        else if (has(UserLabel::Param, false))
            clash = "@ML.SubParDDSubPars";
        else if (has(UserLabel::Param, true))
            clash = "@ML.SubParDDInPars";
        break;
    case Location::MainDistribs:
    case Location::MainStats:
    case Location::SubDistribs:
    case Location::SubStats:
        kind = (location == Location::MainDistribs || location == Location::SubDistribs) ? UserLabel::Distrib
                                                                                         : UserLabel::Stat;
        if (has(UserLabel::Param, main))
            clash = "@ML.DistDDInPars";
        else if (has(UserLabel::Var, main))
            clash = "@ML.DistDDInVars";
        else if (has(UserLabel::Distrib, main) || has(UserLabel::Stat, main))
            clash = "@ML.DistDDInDists";
        break;
    default: return;
    }
    const td::StringExt* pName = poolCopy(key.data(), static_cast<std::uint32_t>(key.size()));
    if (clash)
    {
        reportDuplicate(clash, name, line, column);
        VarAndParamMap& dup = _naming.getDuplicatedVarsAndParams();
        dup.try_emplace(*pName, static_cast<td::UINT4>(dup.size()));
        return;
    }
    VarAndParamMap& target = map(kind, main);
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
    case Token::Real:
    case Token::SpecialConst:
        *st.pSlot = td::Variant(t == Token::SpecialConst ? constantValue(tok._identifier) : mu::toDouble(text));
        break;
    default: return;
    }
    if (level == 0 && t == Token::Identifier && st.attribID == AttribID::domain)
    {
        _complex = _complexDomainText.length() > 0 && std::strcmp(text, _complexDomainText.c_str()) == 0;
        tok._complex = _complex;
    }
    else if (level == 0 && t == Token::Identifier && st.attribID == AttribID::type)
        _dynamic = isDynamicType(text);
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

bool ModelLoader::loadVarsAndParams(mu::LineLoader& source, td::MutableString& line)
{
    prepareDeclarations();
    Tokenizer& tok = _tokenizer;
    int modelLines = 0;       // 0 before the Model line, 1 in the main model, 2 in the sub-model
    bool modelLineSeen = false;
    int openGroup = -1;       // the open declaration group
    std::uint32_t lineNo = 0;
    bool done = false;
    while (!done && source.getLine(line))
    {
        ++lineNo;
        tok.startLine(line.c_str());
        bool exprStart = true;
        int attribLevel = -1; // the model line whose attributes are read
        ModelAttribState attribs;
        for (bool lineDone = false; !lineDone && !done;)
        {
            const Token t = tok.getNextToken();
            const std::uint32_t col = tok._firstColumn + 1;
            if (t == Token::EndOfLine)
                break;
            if (t == Token::Error)
            {
                reportError("@ML.UnexpectedToken", lineNo, col);
                break;
            }
            if (t == Token::SemiColon)
            {
                exprStart = true;
                continue;
            }
            const bool atStart = exprStart;
            exprStart = false;
            if (t == Token::Reserved)
            {
                lineDone = true;
                if (static_cast<ReservedID>(tok._identifier) != ReservedID::End)
                    continue;
                const int c = modelLines - 1;
                if (isSubModel(getLocation(lineNo)) && c == 1)
                {
                    LineRange& sub = _model._locationOfModels[1];
                    sub.count = lineNo - sub.location;
                    done = true;
                    continue;
                }
                modelLines = c;
                if (c == 0)
                {
                    LineRange& mainModel = _model._locationOfModels[0];
                    mainModel.count = lineNo - mainModel.location + 1;
                    done = true;
                }
                continue;
            }
            if (attribLevel >= 0)
            {
                readModelAttribute(tok, t, attribLevel, attribs);
                if (attribs.step == ModelAttribState::SkipLine)
                    lineDone = true;
                continue;
            }
            if (t == Token::Name && atStart && openGroup >= 0)
            {
                declare(tok, static_cast<Group>(openGroup), modelLines, lineNo);
                continue;
            }
            if (t != Token::Group)
                continue;
            const auto group = static_cast<Group>(tok._identifier);
            switch (group)
            {
            case Group::Model:
                if (modelLineSeen)
                {
                    reportError("@ML.WrongModelPos", lineNo, col);
                    ++modelLines;
                    break;
                }
                modelLineSeen = true;
                _model._locationOfModels[0].location = lineNo;
                _model._modelAttribValues[0].reserve(countAssignments(line.c_str()));
                modelLines = 1;
                attribLevel = 0;
                break;
            case Group::SubModel:
                modelLineSeen = true;
                if (++modelLines != 2)
                    reportError("@ML.WrongSubModelPos", lineNo, col);
                _model._locationOfModels[1] = LineRange {lineNo, ~0u};
                closeRange(openGroup, lineNo);
                openGroup = -1;
                _model._modelAttribValues[1].reserve(countAssignments(line.c_str()));
                attribLevel = 1;
                break;
            case Group::Vars:
            case Group::Params:
            case Group::Distribs:
            case Group::Stats:
                closeRange(openGroup, lineNo);
                rangesOf(group)[isSubModel(getLocation(lineNo)) ? 1 : 0] = LineRange {lineNo, ~0u};
                openGroup = static_cast<int>(group);
                break;
            default:
                closeRange(openGroup, lineNo);
                openGroup = -1;
                // a main-model group of expressions ends the declarations
                if (!isSubModel(getLocation(lineNo)))
                    done = true;
                break;
            }
        }
    }
    addTimeDomainParams();
    return true;
}

std::uint32_t ModelLoader::countAssignments(const char* text)
{
    std::uint32_t n = 0;
    for (; *text; ++text)
        n += *text == '=';
    return n;
}

void ModelLoader::declare(const Tokenizer& tok, Group group, int modelLines, std::uint32_t line)
{
    static constexpr Location mainLoc[] = {Location::MainVars, Location::MainParams, Location::MainDistribs,
                                           Location::MainStats};
    static constexpr Location subLoc[] = {Location::SubVars, Location::SubParams, Location::SubDistribs,
                                          Location::SubStats};
    const auto kind = static_cast<unsigned>(group) - static_cast<unsigned>(Group::Vars);
    Location loc;
    if (modelLines == 1)
        loc = mainLoc[kind];
    else if (modelLines == 2 && isSubModel(getLocation(line)))
        loc = subLoc[kind];
    else
        return;
    insertVarPrParam(tok.text(), line, tok._firstColumn + 1, loc);
}

} // namespace sc
