// Valid model texts: what the tokenized model and the naming hold afterwards.
#include <LoaderSupport.h>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <mu/ILineLoader.h>

namespace
{
using sc::Group;
using sc::ModelLevel;
using sc::Token;
using sc::UserLabel;
constexpr ModelLevel Main = ModelLevel::Main;
constexpr ModelLevel Sub = ModelLevel::SubModel;

std::string fixture(const char* name) { return std::string(TEST_DATA_DIR) + "/" + name; }

TEST(LoadValid, FullModelFromFile)
{
    test::Load ld;
    ld.fromFile(fixture("full.txt"));
    for (const auto& e : ld.log.entries)
        ADD_FAILURE() << e.text << " at " << e.line << ":" << e.column;
    ASSERT_TRUE(ld.ok);
    const sc::TokenizedModel& m = *ld.model;

    // header: two assignments on one line, a word, a truth value, a string
    int maxIter = 0;
    double dTime = 0;
    EXPECT_EQ(m.getHeaderParamValue(sc::HeaderParam::maxIter, maxIter), 1);
    EXPECT_EQ(maxIter, 100);
    EXPECT_EQ(m.getHeaderParamValue(sc::HeaderParam::dTime, dTime), 1);
    EXPECT_DOUBLE_EQ(dTime, 0.01);
    EXPECT_EQ(m.getReportingType(), 1);
    td::Variant outToTxt;
    ASSERT_TRUE(m.getHeaderVariantValue(sc::HeaderParam::outToTxt, outToTxt));
    bool out = false;
    outToTxt.getValue(out);
    EXPECT_TRUE(out);
    EXPECT_STREQ(m.getHeaderParamString(sc::HeaderParam::txtFile).c_str(), "out.txt");
    EXPECT_EQ(m.getNumberOfHeaderLines(), 7u);

    // names, positions and kinds of both levels; p is shared with the sub-model
    EXPECT_EQ(ld.naming.getNumberOfVars(Main), 3u);
    EXPECT_EQ(ld.name(UserLabel::Var, 2, Main), "z\xC3\xA4");
    EXPECT_EQ(ld.name(UserLabel::Param, 1, Main), "q");
    EXPECT_EQ(ld.name(UserLabel::Distrib, 0, Main), "r");
    EXPECT_EQ(ld.name(UserLabel::Stat, 0, Main), "s1");
    EXPECT_EQ(ld.naming.getNumberOfParams(Sub), 2u);
    EXPECT_EQ(ld.name(UserLabel::Param, 0, Sub), "k");
    EXPECT_EQ(ld.name(UserLabel::Param, 1, Sub), "p");
    EXPECT_EQ(m.getNumberOfCopiedParams(), 1u);
    EXPECT_EQ(m.getFirstCopiedParamPos(), 1u);

    // expressions per group, counted by hand from the fixture
    struct Count
    {
        Group group;
        ModelLevel level;
        unsigned lines, expressions;
    };
    const Count counts[] = {
        {Group::Model, Main, 1, 1},    {Group::Vars, Main, 3, 3},  {Group::Params, Main, 2, 2},
        {Group::Distribs, Main, 1, 1}, {Group::Stats, Main, 1, 1}, {Group::ReInit, Main, 1, 1},
        {Group::PreProc, Main, 1, 1},  {Group::NLEs, Main, 3, 3},  {Group::PostProc, Main, 11, 2},
        {Group::Repeats, Main, 1, 1},  {Group::ODEs, Main, 0, 0},  {Group::SubModel, Sub, 1, 1},
        {Group::Vars, Sub, 1, 1},      {Group::Params, Sub, 1, 1}, {Group::NLEs, Sub, 11, 3},
    };
    for (const Count& c : counts)
    {
        EXPECT_EQ(m.getGroupCounts(c.group, c.level).nLines, c.lines) << static_cast<int>(c.group);
        EXPECT_EQ(m.getNumberOfExpressions(c.group, c.level), c.expressions) << static_cast<int>(c.group);
    }
    EXPECT_TRUE(m.hasRepetitions());

    // model information of both levels
    const sc::_MI& mi = m.getModelInfo(Main);
    EXPECT_EQ(mi.type, 0);
    EXPECT_EQ(mi.complex, 0);
    EXPECT_DOUBLE_EQ(mi.eps, 1e-6);
    ASSERT_TRUE(mi.name && mi.method);
    EXPECT_STREQ(mi.name->c_str(), "full");
    EXPECT_STREQ(mi.method->c_str(), "NR");
    EXPECT_DOUBLE_EQ(m.getModelInfo(Sub).eps, 1e-8);
    EXPECT_DOUBLE_EQ(m.getModelInfo(static_cast<ModelLevel>(5)).eps, 1e-8);

    // a line record: line 42 of the file starts 467 bytes after the body start
    const sc::_tl& nle = ld.line(Group::NLEs, Main, 0);
    EXPECT_EQ(nle.line, 42u);
    EXPECT_EQ(nle.position, 467u);
    EXPECT_EQ(nle.nTokens, 7u);
    ASSERT_EQ(nle.nAttribs, 1u);
    const sc::_TokV& x = ld.token(nle, 0);
    EXPECT_EQ(x.code, Token::Var);
    EXPECT_EQ(x.id, 0u);
    EXPECT_EQ(x.column, 3);
    EXPECT_STREQ(x.pStr->c_str(), "x");
    const sc::_TokV& w = m.getAttribTokens()[nle.firstAttrib];
    EXPECT_EQ(w.code, Token::Integer);
    EXPECT_EQ(w.intVal, 2);
    EXPECT_EQ(w.attribID, static_cast<std::uint8_t>(sc::AttribID::w));
    EXPECT_EQ(w.column, 20);

    // the sub-model reaches main symbols through @main, and its own shared p
    const sc::_tl& sub = ld.line(Group::NLEs, Sub, 0);
    ASSERT_EQ(sub.nTokens, 9u);
    const sc::_TokV& mainX = ld.token(sub, 2);
    EXPECT_EQ(mainX.code, Token::Var);
    EXPECT_EQ(mainX.id, 0u);
    EXPECT_TRUE(mainX.isFromMainModel());
    EXPECT_EQ(mainX.pStr, nullptr);
    EXPECT_EQ(ld.token(sub, 4).code, Token::Param);
    EXPECT_EQ(ld.token(sub, 6).id, 1u); // p after the sub-model's own k
    EXPECT_FALSE(ld.token(sub, 6).isFromMainModel());

    // in the sub-model a case line is one expression: case u > 0 -> u = 1
    EXPECT_EQ(ld.line(Group::NLEs, Sub, 7).nTokens, 8u);
    // in the main model it is two: the condition and the expression
    EXPECT_EQ(ld.line(Group::PostProc, Main, 4).nTokens, 4u);
    EXPECT_EQ(ld.line(Group::PostProc, Main, 5).nTokens, 3u);
}

std::string withCrLf(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

void compareFileAndString(const std::string& text)
{
    const std::string path = ::testing::TempDir() + "loader_model.txt";
    std::ofstream(path, std::ios::binary) << text;
    test::Load fromFile;
    fromFile.fromFile(path);
    test::Load fromString;
    fromString.fromString(text);
    std::remove(path.c_str());
    ASSERT_TRUE(fromFile.ok && fromString.ok) << fromFile.log << fromString.log;
    for (ModelLevel level : {Main, Sub})
    {
        const auto& a = fromFile.model->getLines(level);
        const auto& b = fromString.model->getLines(level);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
        {
            EXPECT_EQ(a[i].line, b[i].line);
            EXPECT_EQ(a[i].position, b[i].position);
            EXPECT_EQ(a[i].nTokens, b[i].nTokens);
            EXPECT_EQ(a[i].nAttribs, b[i].nAttribs);
        }
    }
}

// A comment takes the rest of its line whatever its bytes: a stored file
// whose comments are Latin-1 (or end in a cut-off UTF-8 sequence) loads.
TEST(LoadValid, CommentsInAnotherEncoding)
{
    test::Load ld;
    ld.fromFile(fixture("latin1-comments.txt"));
    EXPECT_TRUE(ld.ok) << ld.log;
    EXPECT_TRUE(ld.log.entries.empty()) << ld.log;
    EXPECT_EQ(ld.name(UserLabel::Var, 0, Main), "T");
    EXPECT_EQ(ld.model->getNumberOfExpressions(Group::NLEs, Main), 1u);
}

TEST(LoadValid, FileAndStringGiveTheSameRecords)
{
    std::ifstream f(fixture("full.txt"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    compareFileAndString(text);
    // carriage returns count in the positions of both roads alike
    compareFileAndString(withCrLf(text));
}

TEST(LoadValid, DynamicModelsGetTimeParameters)
{
    // dT and t come after the declared parameters, dT first; a declared t keeps its index
    struct Case
    {
        const char* type;
        const char* params;
        int dT, t;
        unsigned nParams;
    };
    const Case cases[] = {
        {"ODE", "a\nb", 2, 3, 4u}, {"DAE", "t\na", 2, 0, 3u}, {"ODEx", "a", 1, 2, 3u}, {"NL", "a", -1, -1, 1u}};
    for (const Case& c : cases)
    {
        test::Load ld;
        ld.fromString(std::string("Header:\nend\nModel [type = ") + c.type + ", eps = 1]\nVars\nx\nParams\n" +
                      c.params + "\nODEs\nx' = -x * t + dT\nend\n");
        EXPECT_EQ(ld.ok, c.dT >= 0) << c.type;
        EXPECT_EQ(ld.model->getIndexOfDeltaTimeParam(Sub), c.dT) << c.type;
        EXPECT_EQ(ld.model->getIndexOfTimeParam(Main), c.t) << c.type;
        EXPECT_EQ(ld.naming.getNumberOfParams(Main), c.nParams) << c.type;
    }
}

TEST(LoadValid, DeclarationForms)
{
    // names on the group's own line are not declared; every expression after ";" is
    test::Load ld;
    ld.fromString("Header:\nend\nModel\nVars: z\nx = 1; y = 2\n;;\nz\nNLEs\nx = y + z\nend\n");
    EXPECT_TRUE(ld.ok);
    EXPECT_EQ(ld.naming.getNumberOfVars(Main), 3u);
    EXPECT_EQ(ld.naming.getVarPos(nullptr, Main), -1);
    EXPECT_EQ(ld.model->getModelInfo(Main).type, 4); // fewer than two attributes: no information
    // ";;" adds no line record
    EXPECT_EQ(ld.model->getGroupCounts(Group::Vars, Main).nLines, 3u);

    // a main model without Vars and Params still gives its sub-model names
    test::Load sub;
    sub.fromString("Header:\nend\nModel\nSubModel\nVars\nu\nNLEs\nu = 1\nend\nend\n");
    EXPECT_TRUE(sub.ok) << sub.log;
    EXPECT_EQ(sub.name(UserLabel::Var, 0, Sub), "u");
}

TEST(LoadValid, HeadingLineKeepsOnlyItsFirstExpression)
{
    // what follows a ";" on a group's own line belongs to the group
    test::Load ld;
    ld.fromString("Header:\nend\nModel [type = NL, eps = 1]\nVars; x\ny\nNLEs [w = 1]; x = 1\ny = 2\nend\n");
    ASSERT_TRUE(ld.ok) << ld.log;
    EXPECT_EQ(ld.naming.getNumberOfVars(Main), 2u);
    EXPECT_EQ(ld.model->getNumberOfExpressions(Group::Vars, Main), 2u);
    EXPECT_EQ(ld.model->getNumberOfExpressions(Group::NLEs, Main), 2u);
    EXPECT_EQ(ld.line(Group::NLEs, Main, 0).line, 6u);
    EXPECT_EQ(ld.line(Group::NLEs, Main, 0).nTokens, 3u);
    EXPECT_EQ(ld.line(Group::NLEs, Main, 1).line, 7u);
}

TEST(LoadValid, EveryGroupHoldsItsLines)
{
    // the expression groups in their fixed order, each with one line (the
    // default vocabulary has no Plots group)
    const char* const names[] = {"ReInit", "PreProc",   "NLEs",      "WLSEs",    "ECs",    "ODEs",   "PDEs",
                                 "TFs",    "IterPostP", "BasePostP", "PostProc", "Limits", "Repeats"};
    std::string text = "Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\n";
    for (const char* name : names)
        text += std::string(name) + "\nx = 1\n";
    test::Load ld;
    ld.fromString(text + "end\n");
    ASSERT_TRUE(ld.ok) << ld.log;
    // records: Model, Vars, x, then a heading and a line per group
    for (unsigned k = 0; k < std::size(names); ++k)
    {
        const auto group = static_cast<Group>(static_cast<unsigned>(Group::ReInit) + k);
        const sc::_CP& cp = ld.model->getGroupCounts(group, Main);
        EXPECT_EQ(cp.headingLine, 3 + 2 * k) << names[k];
        EXPECT_EQ(cp.nLines, 1u) << names[k];
        EXPECT_EQ(cp.nExpressions, 1u) << names[k];
        EXPECT_EQ(ld.line(group, Main, 0).line, 7 + 2 * k) << names[k];
    }
}

TEST(LoadValid, ComplexDomainChangesFunctionsAndLiterals)
{
    test::Load ld;
    ld.fromString("Header:\nend\nModel [domain = cmplx, type = NL]\nVars\nx\nNLEs\nx = 2.5i + imag(x)\nend\n");
    ASSERT_TRUE(ld.ok);
    EXPECT_TRUE(ld.model->isComplex());
    EXPECT_EQ(ld.model->getModelInfo(Main).complex, 1);
    const sc::_tl& l = ld.line(Group::NLEs, Main, 0);
    EXPECT_EQ(ld.token(l, 2).code, Token::Imaginary);
    EXPECT_DOUBLE_EQ(ld.token(l, 2).dblVal, 2.5);
    EXPECT_EQ(ld.token(l, 4).code, Token::Function);
    EXPECT_EQ(ld.token(l, 4).id, 39u);
}

TEST(LoadValid, NegativeEpsWarnsAndLoads)
{
    test::Load ld;
    ld.fromString("Header:\nend\nModel [type = NL, eps = -1]\nVars\nx\nNLEs\nx = 1\nend\n");
    EXPECT_TRUE(ld.ok);
    EXPECT_DOUBLE_EQ(ld.model->getModelInfo(Main).eps, 1e-6);
    ASSERT_EQ(ld.log.entries.size(), 1u);
    EXPECT_EQ(ld.log.entries[0].text, "@ML.NegativeEpsUseDefault");
    EXPECT_EQ(ld.log.entries[0].type, sc::ILog::Type::Warning);
    EXPECT_EQ(ld.log.entries[0].line, 3u);
    EXPECT_EQ(ld.log.entries[0].column, 25u);
}

// An outside line source: the lines of a vector, read again from the start
// after it reported its end.
class VectorSource : public mu::ILineLoader
{
public:
    explicit VectorSource(std::vector<std::string> lines)
        : _lines(std::move(lines))
    {
    }

    unsigned loadNextLine(td::MutableString& line) override
    {
        line.erase();
        if (_next == _lines.size())
        {
            _next = 0;
            _position = 0;
            return 0;
        }
        line.append(_lines[_next].c_str(), _lines[_next].size());
        _position += static_cast<unsigned>(_lines[_next++].size()) + 1;
        return _position;
    }

private:
    std::vector<std::string> _lines;
    size_t _next = 0;
    unsigned _position = 0;
};

TEST(LoadValid, EditorTextHasNoHeader)
{
    VectorSource source({"Model [type = WLS, eps = 1]", "Vars", "x", "Params", "c = 2", "WLSEs", "x = c", "end"});
    test::Load ld;
    ASSERT_TRUE(ld.model->loadFromEditor(&source, true, sc::Domain::Real));
    for (const auto& e : ld.log.entries)
        ADD_FAILURE() << e.text << " at " << e.line << ":" << e.column;
    EXPECT_EQ(ld.model->getModelInfo(Main).type, 1);
    EXPECT_EQ(ld.line(Group::WLSEs, Main, 0).line, 7u);
    EXPECT_EQ(ld.line(Group::WLSEs, Main, 0).position, 54u);
    // no header block: the header values are the defaults
    int maxIter = 0;
    EXPECT_EQ(ld.model->getHeaderParamValue(sc::HeaderParam::maxIter, maxIter), 1);
    EXPECT_EQ(maxIter, 200);
}
} // namespace
