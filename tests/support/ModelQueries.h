#pragma once
// Every query the model compiler and a host make of a loaded model, on every
// line of every group: a partly filled model must answer them within its
// records and in agreement with its naming. check(condition, text) reports a
// property that does not hold and gives the condition back: a test records
// a failure, a fuzz target stops. A broken record is not read further.
#include <LoaderSupport.h>
#include <sstream>

namespace test
{
// Each count of the naming (a kind past the last included: none) is matched
// by a name at every position, and each name leads back to its position.
template <typename Check>
void queryNaming(const sc::Naming& naming, Check check)
{
    for (sc::ModelLevel level : {sc::ModelLevel::Main, sc::ModelLevel::SubModel})
    {
        for (unsigned k = 0; k <= unsigned(sc::UserLabel::Last); ++k)
        {
            const auto kind = sc::UserLabel(k);
            for (unsigned pos = 0; pos < naming.getNumberOfUserLabels(kind, level); ++pos)
            {
                const td::StringExt* pName = naming.getUserLabelName(kind, pos, level);
                if (check(pName != nullptr, "a counted name exists"))
                    check(naming.getUserLabelPos(kind, pName, level) == int(pos), "a name leads to its position");
            }
        }
        for (unsigned pos = 0; pos < naming.getNumberOfVars(level); ++pos)
            check(naming.getVarPos(naming.getVarName(pos, level), level) == int(pos), "a variable's position");
        for (unsigned pos = 0; pos < naming.getNumberOfParams(level); ++pos)
            check(naming.getParamPos(naming.getParamName(pos, level), level) == int(pos), "a parameter's position");
    }
    std::ostringstream os;
    naming.showVarsAndParams(os);
}

// A name token of a line carries the index of a symbol that the naming has.
template <typename Check>
void checkNameToken(const sc::Naming& naming, const sc::_TokV& tok, sc::ModelLevel lineLevel, Check check)
{
    sc::UserLabel kind;
    switch (tok.code)
    {
    case sc::Token::Var: kind = sc::UserLabel::Var; break;
    case sc::Token::Param: kind = sc::UserLabel::Param; break;
    case sc::Token::Distrib: kind = sc::UserLabel::Distrib; break;
    case sc::Token::Stat: kind = sc::UserLabel::Stat; break;
    default: return;
    }
    const sc::ModelLevel level = tok.isFromMainModel() ? sc::ModelLevel::Main : lineLevel;
    if (check(tok.id < naming.getNumberOfUserLabels(kind, level), "a name token's symbol exists") &&
        !tok.isFromMainModel())
        check(tok.pStr == naming.getUserLabelName(kind, tok.id, level), "a name token's text is its symbol's");
}

inline void queryHeader(const sc::TokenizedModel& m)
{
    m.hasRepetitions();
    m.isComplex();
    m.getNumberOfHeaderLines();
    m.getReportingType();
    for (unsigned p = 0; p <= unsigned(sc::HeaderParam::NA); ++p)
    {
        const auto param = sc::HeaderParam(p);
        td::Variant v;
        m.getHeaderVariantValue(param, v);
        double d = 0;
        m.getHeaderParamValue(param, d);
        int i = 0;
        m.getHeaderParamValue(param, i);
        m.getHeaderParamString(param);
    }
}

template <typename Check>
void queryGroups(const sc::TokenizedModel& m, sc::ModelLevel level, Check check)
{
    const sc::TokenizedModel::Lines& lines = m.getLines(level);
    for (unsigned g = 0; g < sc::NumberOfGroups; ++g)
    {
        const auto group = sc::Group(g);
        m.getNumberOfExpressions(group, level);
        for (auto it = m.getGroupIterator(group, level); it.isValid(); ++it)
        {
            if (!check(it._current < lines.size(), "a group's line exists"))
                return;
            const sc::ExpressionType type = m.getExpressionType(it);
            m.countChildren(it, 0, group, type);
            bool hasDefault = false;
            m.countSwitchCases(it, 0, group, hasDefault);
            double w = 0;
            it.getAttribValue(sc::AttribID::w, w);
            bool enabled = false;
            it.getAttribValue(sc::AttribID::enabled, enabled);
            it.getAttribValueStrPtr(sc::AttribID::name);
        }
    }
}

template <typename Check>
void queryEverything(const Load& ld, Check check)
{
    sc::TokenizedModel& m = *ld.model;
    const sc::Naming& naming = ld.naming;
    queryNaming(naming, check);
    m.countOutSymbols();
    check(m.getNumberOfOutVars() <= naming.getNumberOfVars(sc::ModelLevel::Main), "output variables declared");
    check(m.getNumberOfOutParams() <= naming.getNumberOfParams(sc::ModelLevel::Main), "output parameters declared");
    check(m.getFirstCopiedParamPos() + m.getNumberOfCopiedParams() <=
              naming.getNumberOfParams(sc::ModelLevel::SubModel),
          "copied parameters declared");
    for (int index : {m.getIndexOfTimeParam(sc::ModelLevel::Main), m.getIndexOfDeltaTimeParam(sc::ModelLevel::Main)})
        check(index < int(naming.getNumberOfParams(sc::ModelLevel::Main)), "a time parameter declared");
    queryHeader(m);
    for (sc::ModelLevel level : {sc::ModelLevel::Main, sc::ModelLevel::SubModel})
    {
        m.getModelInfo(level);
        m.getNumberOfLimitUses(level);
        const sc::TokenizedModel::Lines& lines = m.getLines(level);
        for (unsigned l = 0; l < lines.size(); ++l)
        {
            const sc::_tl& line = lines[l];
            if (!check(line.firstToken + line.nTokens <= m.getExpressionTokens().size(), "a line's tokens exist") ||
                !check(line.firstAttrib + line.nAttribs <= m.getAttribTokens().size(), "a line's attributes exist"))
                return;
            for (unsigned i = 0; i < line.nTokens; ++i)
                checkNameToken(naming, m.getExpressionTokens()[line.firstToken + i], level, check);
        }
        queryGroups(m, level, check);
    }
}
} // namespace test
