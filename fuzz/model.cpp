// Model texts: the input is loaded from a string and from a file, the two
// tokenized models must agree record by record, every query a host or the
// model compiler makes is run over every line, and a model that loads is
// compiled by the real and the complex solver of its type and solved once.
#include <Check.h>
#include <LoaderSupport.h>
#include <MemoryFile.h>
#include <ModelQueries.h>
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

// A property that does not hold stops the run, so libFuzzer keeps the input.
bool check(bool holds, const char* property)
{
    if (!holds)
        fuzz::checkFailed(property, __FILE__, __LINE__);
    return true;
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

    test::queryEverything(fromString, check);
    if (!fromString.ok)
        return 0;
    // As the model objects do: a complex model is refused by a real solver.
    if (!fromString.model->getModelInfo(sc::ModelLevel::Main).complex)
        slDbl::compileAndSolve(fromString.naming, *fromString.model);
    slCmplx::compileAndSolve(fromFile.naming, *fromFile.model);
    return 0;
}
