// Model texts: the input is loaded from a string and from a file, the two
// tokenized models must agree record by record, every query a host or the
// model compiler makes is run over every line, and a model that loads is
// compiled by the real and the complex Newton-Raphson solver and solved once.
#include <Check.h>
#include <LoaderSupport.h>
#include <MemoryFile.h>
#include <SolveModel.h>
#include <sc/ModelLevel.h>
#include <sc/TokenizedModel.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

namespace
{
constexpr sc::ModelLevel levels[] = {sc::ModelLevel::Main, sc::ModelLevel::SubModel};

void describeToken(std::ostream& os, const sc::_TokV& tok)
{
    os << ' ' << int(tok.code) << ':' << tok.id << ':' << tok.column << ':' << int(tok.attribID) << ':';
    switch (tok.code)
    {
    case sc::Token::Name:
    case sc::Token::Var:
    case sc::Token::Param:
    case sc::Token::Distrib:
    case sc::Token::Stat:
    case sc::Token::Identifier:
    case sc::Token::String: os << (tok.pStr ? tok.pStr->c_str() : "(null)"); break;
    default: os << tok.raw;
    }
}

// Everything a load leaves in a tokenized model and its naming, as text.
std::string describe(const test::Load& ld)
{
    const sc::TokenizedModel& m = *ld.model;
    std::ostringstream os;
    os << "ok " << ld.ok << " complex " << m.isComplex() << " header lines " << m.getNumberOfHeaderLines() << '\n';
    for (const auto& e : ld.log.entries)
        os << "log " << int(e.type) << ' ' << e.line << ':' << e.column << ' ' << e.text << '\n';
    for (unsigned p = 0; p <= unsigned(sc::HeaderParam::NA); ++p)
        os << "header " << m.getHeaderParamString(sc::HeaderParam(p)).c_str() << '\n';
    for (sc::ModelLevel level : levels)
    {
        const sc::_MI& info = m.getModelInfo(level);
        os << "model " << info.eps << ' ' << int(info.type) << ' ' << int(info.complex) << ' '
           << (info.name ? info.name->c_str() : "-") << ' ' << (info.method ? info.method->c_str() : "-") << '\n';
        for (unsigned g = 0; g < sc::NumberOfGroups; ++g)
        {
            const sc::_CP& cp = m.getGroupCounts(sc::Group(g), level);
            os << "group " << g << ' ' << cp.nLines << ' ' << cp.headingLine << ' ' << cp.nExpressions << '\n';
        }
        const sc::TokenizedModel::Lines& lines = m.getLines(level);
        for (unsigned l = 0; l < lines.size(); ++l)
        {
            const sc::_tl& line = lines[l];
            os << "line " << line.line << ' ' << line.position << ':';
            for (unsigned i = 0; i < line.nTokens; ++i)
                describeToken(os, m.getExpressionTokens()[line.firstToken + i]);
            os << " |";
            for (unsigned i = 0; i < line.nAttribs; ++i)
                describeToken(os, m.getAttribTokens()[line.firstAttrib + i]);
            os << '\n';
        }
    }
    ld.naming.showVarsAndParams(os);
    return os.str();
}

// A string's lines end at a carriage return too, a file's only at a line
// feed: the file holds a line feed for every carriage return that ends a
// line on its own, so that both roads see the same lines.
std::string withFileLineEnds(std::string text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            text[i] = '\n';
    return text;
}

// Shows the first line where the two descriptions part, for the report.
bool sameDescription(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::istringstream sa(a), sb(b);
    std::string la, lb;
    while (std::getline(sa, la) && std::getline(sb, lb) && la == lb)
    {
    }
    std::fprintf(stderr, "string road: %s\nfile road:   %s\n", la.c_str(), lb.c_str());
    return false;
}

// Each count of the naming is matched by a name at every position, and each
// name leads back to its position.
void queryNaming(const sc::Naming& naming)
{
    for (sc::ModelLevel level : levels)
    {
        for (unsigned k = 0; k < unsigned(sc::UserLabel::Last); ++k)
        {
            const auto kind = sc::UserLabel(k);
            for (unsigned pos = 0; pos < naming.getNumberOfUserLabels(kind, level); ++pos)
            {
                const td::StringExt* pName = naming.getUserLabelName(kind, pos, level);
                FUZZ_CHECK(pName != nullptr);
                FUZZ_CHECK(naming.getUserLabelPos(kind, pName, level) == int(pos));
            }
        }
        for (unsigned pos = 0; pos < naming.getNumberOfVars(level); ++pos)
            FUZZ_CHECK(naming.getVarPos(naming.getVarName(pos, level), level) == int(pos));
        for (unsigned pos = 0; pos < naming.getNumberOfParams(level); ++pos)
            FUZZ_CHECK(naming.getParamPos(naming.getParamName(pos, level), level) == int(pos));
    }
}

// A name token carries the index of a symbol its naming has.
void checkNameToken(const sc::Naming& naming, const sc::_TokV& tok, sc::ModelLevel lineLevel)
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
    FUZZ_CHECK(tok.id < naming.getNumberOfUserLabels(kind, level));
}

void queryHeader(const sc::TokenizedModel& m)
{
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
    }
}

void queryGroups(const sc::TokenizedModel& m, sc::ModelLevel level)
{
    const sc::TokenizedModel::Lines& lines = m.getLines(level);
    for (unsigned g = 0; g < sc::NumberOfGroups; ++g)
    {
        const auto group = sc::Group(g);
        m.getNumberOfExpressions(group, level);
        for (auto it = m.getGroupIterator(group, level); it.isValid(); ++it)
        {
            FUZZ_CHECK(it._current < lines.size());
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

// Every query the model compiler and a host make, on every line of every
// group: a partly filled model answers them within its records.
void queryEverything(test::Load& ld)
{
    sc::TokenizedModel& m = *ld.model;
    queryNaming(ld.naming);
    m.countOutSymbols();
    FUZZ_CHECK(m.getNumberOfOutVars() <= ld.naming.getNumberOfVars(sc::ModelLevel::Main));
    FUZZ_CHECK(m.getNumberOfOutParams() <= ld.naming.getNumberOfParams(sc::ModelLevel::Main));
    FUZZ_CHECK(m.getFirstCopiedParamPos() + m.getNumberOfCopiedParams() <=
               ld.naming.getNumberOfParams(sc::ModelLevel::SubModel));
    for (int index : {m.getIndexOfTimeParam(sc::ModelLevel::Main), m.getIndexOfDeltaTimeParam(sc::ModelLevel::Main)})
        FUZZ_CHECK(index < int(ld.naming.getNumberOfParams(sc::ModelLevel::Main)));
    m.hasRepetitions();
    queryHeader(m);
    for (sc::ModelLevel level : levels)
    {
        m.getNumberOfLimitUses(level);
        const sc::TokenizedModel::Lines& lines = m.getLines(level);
        for (unsigned l = 0; l < lines.size(); ++l)
        {
            FUZZ_CHECK(lines[l].firstToken + lines[l].nTokens <= m.getExpressionTokens().size());
            FUZZ_CHECK(lines[l].firstAttrib + lines[l].nAttribs <= m.getAttribTokens().size());
            for (unsigned i = 0; i < lines[l].nTokens; ++i)
                checkNameToken(ld.naming, m.getExpressionTokens()[lines[l].firstToken + i], level);
        }
        queryGroups(m, level);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    test::Load fromString;
    fromString.fromString(text);
    fuzz::MemoryFile file("model");
    const std::string fileText = withFileLineEnds(text);
    file.write(fileText.data(), fileText.size());
    test::Load fromFile;
    fromFile.fromFile(file.path());
    FUZZ_CHECK(sameDescription(describe(fromString), describe(fromFile)));

    queryEverything(fromString);
    if (!fromString.ok)
        return 0;
    // As the model objects do: a complex model is refused by a real solver.
    if (!fromString.model->getModelInfo(sc::ModelLevel::Main).complex)
        slDbl::compileAndSolve(fromString.naming, *fromString.model);
    slCmplx::compileAndSolve(fromFile.naming, *fromFile.model);
    return 0;
}
