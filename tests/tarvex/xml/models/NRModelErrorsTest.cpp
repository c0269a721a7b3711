// What a Newton-Raphson model in XML that cannot be read leaves in the
// solver's error text: one entry per message, "(model number,section):",
// the item entry naming the failing element, and the solver's own last line.
// In a processing group every failing Eq is named, not only a conditional one.
#include <XmlModelSupport.h>

namespace test
{
namespace
{
using Z = std::complex<double>;

constexpr Factory<double> nr = sc::createDblNRSolver;
constexpr Factory<Z> cnr = sc::createCmplxNRSolver;
const std::string readFailed = "\n(0,ReadModel):Cannot read the data..";

std::string real(const std::string& sections) { return xmlModel(R"(type="NR" domain="real")", sections); }

// One variable x from 1 and the equation x = 1 around the sections given.
std::string withX(const std::string& sections)
{
    return real(R"(<Vars><Var name="x" val="1"/></Vars><NLEqs><Eq fx="x = 1"/></NLEqs>)" + sections);
}

struct Case
{
    const char* what;
    std::string document;
    std::string errors;
};

template <std::size_t N>
void expectErrors(const Case (&cases)[N])
{
    for (const Case& c : cases)
        EXPECT_EQ(loadErrors(nr, c.document), c.errors + readFailed) << c.what;
}

TEST(XmlNRModelErrors, RootAndCounts)
{
    const Case cases[] = {
        {"lower-case type", xmlModel(R"(type="nr")", R"(<Vars><Var name="x"/></Vars>)"),
         "(0,Other):Model type is not NR"},
        {"no attributes", xmlModel("", ""), "(0,Other):Undefined model type!"},
        {"complex domain", xmlModel(R"(type="NR" domain="cmplx")", ""), "(0,Other):Numeric type is not 'real'"},
        {"empty domain", xmlModel(R"(type="NR" domain="")", ""), "(0,Other):Numeric type is not 'real'"},
        {"3 variables, 2 equations", real(R"(<Vars><Var name="a"/><Var name="b"/><Var name="c"/></Vars>
                 <NLEqs><Eq fx="a = 1"/><Eq fx="b = 1"/></NLEqs>)"),
         "(0,Other):Detected 3 variables and 2 equations!"},
        {"no NLEqs", real(R"(<Vars><Var name="x"/></Vars>)"), "(0,Other):Missing NLEqs node!"},
        {"NLEqs without Eq", real(R"(<Vars><Var name="x"/></Vars><NLEqs/>)"), "(0,Other):Missing Eq node in NLEqs!"},
        {"no Vars", real(R"(<NLEqs><Eq fx="1 = 1"/></NLEqs>)"), "(0,Other):Missing declation of variables!"},
        {"Vars without Var", real(R"(<Vars/>)"), "(0,Other):There is no any variable declared!"},
    };
    expectErrors(cases);
}

TEST(XmlNRModelErrors, Declarations)
{
    const std::string longName(33, 'v');
    const Case cases[] = {
        {"33-character variable name", real(R"(<Vars><Var name="x"/><Var name=")" + longName + R"("/></Vars>)"),
         "(0,Vars):Variable name is too long! Maximum allowed variable name length is 32 chars! Var name=" + longName +
             "\n(0,Vars):Var#: 1"},
        {"variable twice", real(R"(<Vars><Var name="x"/><Var name="x"/></Vars>)"),
         "(0,Vars):Variable declared twice: x\n(0,Vars):Var#: 1"},
        {"empty variable name", real(R"(<Vars><Var name=""/></Vars>)"),
         "(0,Vars):Empty variable name!\n(0,Vars):Var#: 0"},
        {"open group name", real(R"(<Vars><Var name="x"/></Vars><Params><Param name="k{a"/></Params>)"),
         "(0,Params):Parameter name is not formatted properly! Par name=k{a\n(0,Params):Par#: 0"},
        {"grouped name",
         real(R"(<Vars><Var name="x"/></Vars><Params><Param name="p"/><Param name="k{a,b}"/></Params>)"),
         "(0,Params):Parameter name is not formatted properly! Par name=k{a,b}\n(0,Params):Par#: 1"},
        {"parameter named as a variable", real(R"(<Vars><Var name="x"/></Vars><Params><Param name="x"/></Params>)"),
         "(0,Params):Parameter declared twice: x\n(0,Params):Par#: 0"},
        // an equation would read the function, constant or operator instead
        {"variable named as a function", real(R"(<Vars><Var name="x"/><Var name="sin"/></Vars>)"),
         "(0,Vars):Variable name is a reserved word! Var name=sin\n(0,Vars):Var#: 1"},
        {"variable named as a constant", real(R"(<Vars><Var name="e"/></Vars>)"),
         "(0,Vars):Variable name is a reserved word! Var name=e\n(0,Vars):Var#: 0"},
        {"variable named as a logical operator", real(R"(<Vars><Var name="and"/></Vars>)"),
         "(0,Vars):Variable name is a reserved word! Var name=and\n(0,Vars):Var#: 0"},
        {"parameter without name", real(R"(<Vars><Var name="x"/></Vars><Params><Param val="1"/></Params>)"),
         "(0,Params):Empty parameter name!\n(0,Params):Par#: 0"},
        {"33-character parameter name",
         real(R"(<Vars><Var name="x"/></Vars><Params><Param name=")" + longName + R"("/></Params>)"),
         "(0,Params):Parameter name is too long! Maximum allowed parameter name length is 32 chars! Par name=" +
             longName + "\n(0,Params):Par#: 0"},
        {"value naming nothing", real(R"(<Vars><Var name="x" val="2*w"/></Vars>)"),
         "(0,Vars):Unknown variable or parameter: w\n(0,Vars):Error in initial value expression: 2*w\n(0,Vars):Var#: "
         "0"},
    };
    expectErrors(cases);
}

TEST(XmlNRModelErrors, Equations)
{
    const std::string vars = R"(<Vars><Var name="a"/><Var name="b"/><Var name="c"/><Var name="d"/></Vars>)";
    auto eqs = [&vars](const std::string& fourth) {
        return real(vars + R"(<NLEqs><Eq fx="a = 1"/><Eq fx="b = 1"/><Eq fx="c = 1"/>)" + fourth + "</NLEqs>");
    };
    const std::string cond = R"(<Eq cond="d > 1">)";
    const Case cases[] = {
        {"unknown symbol", eqs(R"(<Eq fx="d = w"/>)"),
         "(0,NLEqs):Unknown variable or parameter: w\n(0,NLEqs):Syntax error in equation: d = w\n"
         "(0,NLEqs):Cannot parse equation: d = w\n(0,NLEqs):Eq#: 3"},
        {"neither fx nor cond", eqs("<Eq/>"),
         "(0,NLEqs):Equation is neither condition (missing cond) nor normal (missing fx)\n(0,NLEqs):Eq#: 3"},
        {"no Then", eqs(cond + R"(<Else fx="d = 2"/></Eq>)"),
         "(0,NLEqs):Missing Then statement in conditional equation!\n"
         "(0,NLEqs):Cannot parse if-then-else equation with condition: d > 1\n(0,NLEqs):Eq#: 3"},
        {"no Else", eqs(cond + R"(<Then fx="d = 2"/></Eq>)"),
         "(0,NLEqs):Missing Else statement in conditional equation!\n"
         "(0,NLEqs):Cannot parse if-then-else equation with condition: d > 1\n(0,NLEqs):Eq#: 3"},
        {"empty Then", eqs(cond + R"(<Then/><Else fx="d = 2"/></Eq>)"),
         "(0,NLEqs):Missing Then Equation for condition!\n"
         "(0,NLEqs):Cannot parse if-then-else equation with condition: d > 1\n(0,NLEqs):Eq#: 3"},
        {"two equations in Else", eqs(cond + R"(<Then fx="d = 2"/><Else><Eq fx="d = 3"/><Eq fx="d = 4"/></Else></Eq>)"),
         "(0,NLEqs):More than one Eq in Else statement for condition: d > 1\n"
         "(0,NLEqs):Cannot parse if-then-else equation with condition: d > 1\n(0,NLEqs):Eq#: 3"},
        {"fx and Eq in Then", eqs(cond + R"(<Then fx="d = 2"><Eq fx="d = 3"/></Then><Else fx="d = 2"/></Eq>)"),
         "(0,NLEqs):If-then equation for condition: d > 1 has specified fx in Then and Eq as child of Then!!\n"
         "(0,NLEqs):Cannot parse if-then-else equation with condition: d > 1\n(0,NLEqs):Eq#: 3"},
        {"bad condition", eqs(R"(<Eq cond="d >"><Then fx="d = 2"/><Else fx="d = 3"/></Eq>)"),
         "(0,NLEqs):Syntax error in conditition statement: d >\n"
         "(0,NLEqs):Cannot parse if-then-else equation with condition: d >\n(0,NLEqs):Eq#: 3"},
    };
    expectErrors(cases);
}

TEST(XmlNRModelErrors, ProcessingGroups)
{
    const Case cases[] = {
        {"no sign", withX(R"(<PreProc><Eq fx="x + 1"/></PreProc>)"),
         "(0,PreProc):Missing missing '=' for numeric assignment eq or '<<' for stats assignment equation. Eq:x + 1\n"
         "(0,PreProc):Eq#: 0"},
        {"unknown target", withX(R"(<PostProc><Eq fx="x = 2"/><Eq fx="w = 1"/></PostProc>)"),
         "(0,PostProc):Variable was not declared:w\n(0,PostProc):Eq#: 1"},
        {"parent in a main model", withX(R"(<PostProc><Eq fx="base.x = 1"/></PostProc>)"),
         "(0,PostProc):Variable was not declared:base.x\n(0,PostProc):Eq#: 0"},
        {"bad right side", withX(R"(<PreProc><Eq fx="x = 2 + w"/></PreProc>)"),
         "(0,PreProc):Unknown variable or parameter: w\n(0,PreProc):Error in assignment part: 2 + w\n"
         "(0,PreProc):Eq#: 0"},
        {"empty", withX(R"(<PostProc><Eq/></PostProc>)"),
         "(0,PostProc):Empty Equation (missing fx and cond)! Assignment equation requires either fx or cond "
         "attribute!\n(0,PostProc):Eq#: 0"},
        {"statistics in a model without them", withX(R"(<PostProc><Eq fx="s &lt;&lt; x"/></PostProc>)"),
         "(0,PostProc):Cannot find stats object with name=s\n"
         "(0,PostProc):Canot parse stats assignment to stats object name=s\n(0,PostProc):Eq#: 0"},
        {"conditional without Then", withX(R"(<PostProc><Eq fx="x = 1"/><Eq cond="x > 1"/></PostProc>)"),
         "(0,PostProc):Missing Then statement in conditional equation!\n(0,PostProc):Eq#: 1"},
    };
    expectErrors(cases);
}

TEST(XmlNRModelErrors, Limits)
{
    auto group = [](const std::string& entries) { return withX("<Limits><Group>" + entries + "</Group></Limits>"); };
    const Case cases[] = {
        {"ungrouped", withX(R"(<Limits><Eq fx="x = 1"/></Limits>)"),
         "(0,Limits):Limits have to be grouped! Missing Group node in Limits section!"},
        {"unknown signal", group(R"(<Eq cond="x > 2"><Then signal="High" fx="x = 2"/></Eq>)"),
         "(0,Limits):Wrong signal for Then equations for condition: x > 2. Signal=High\n"
         "(0,Limits):Group#: 0; Eq#: 0"},
        {"unknown target", group(R"(<Eq fx="x = 1"/><Eq fx="w = 1"/>)"),
         "(0,Limits):Assignment parameter name wasn't declared:w, fx=w = 1\n(0,Limits):Group#: 0; Eq#: 1"},
        {"empty entry", group("<Eq/>"),
         "(0,Limits):Empty Equation (fx) in assignment part\n(0,Limits):Group#: 0; Eq#: 0"},
        {"no Then", group(R"(<Eq cond="x > 2"><Else fx="x = 1"/></Eq>)"),
         "(0,Limits):Missing Then in condition eq: x > 2\n(0,Limits):Group#: 0; Eq#: 0"},
        {"empty Else", group(R"(<Eq cond="x > 2"><Then fx="x = 2"/><Else/></Eq>)"),
         "(0,Limits):Missing Else equations for condition: x > 2\n(0,Limits):Group#: 0; Eq#: 0"},
        {"fx and Eq in Then", group(R"(<Eq cond="x > 2"><Then fx="x = 2"><Eq fx="x = 3"/></Then></Eq>)"),
         "(0,Limits):If-then equation for condition: x > 2 has specified fx in Then and Eq as child of Then!!\n"
         "(0,Limits):Group#: 0; Eq#: 0"},
    };
    expectErrors(cases);
}

TEST(XmlNRModelErrors, ChildModels)
{
    auto init = [](const std::string& models) { return withX("<Init>" + models + "</Init>"); };
    const std::string body = R"(<Vars><Var name="y"/></Vars><NLEqs><Eq fx="y = 2"/></NLEqs>)";
    const Case cases[] = {
        {"no name", init(R"(<Model type="NR" domain="real"/>)"),
         "(0,Init):Init (child) model without name\n(0,Init):Eq#: 0"},
        {"no type", init(R"(<Model name="c" domain="real"/>)"),
         "(0,Init):Missing type for init (child) model with name= 'c'\n(0,Init):Eq#: 0"},
        {"no domain", init(R"(<Model name="c" type="NR"/>)"),
         "(0,Init):Missing domain for init (child) model with type='NR' and name= 'c'\n(0,Init):Eq#: 0"},
        {"unknown type", init(R"(<Model name="c" type="LP" domain="real"/>)"),
         "(0,Init):Cannot create solver of type='LP' for model name= 'c'\n(0,Init):Eq#: 0"},
        {"kind without a child reader", init(R"(<Model name="c" type="WLS" domain="real">)" + body + "</Model>"),
         "(0,Init):Cannot initialize child solver of type='WLS' for model name= 'c'\n(0,Init):Eq#: 0"},
        // The children are models 1 and 2; the second fails its own read,
        // whose entries come first.
        {"second child fails", init(R"(<Model name="a" type="NL" domain="real">)" + body + R"(</Model>
                 <Model name="b" type="NR" domain="real">
                   <Vars><Var name="y"/><Var name="z"/></Vars><NLEqs><Eq fx="y = 2"/></NLEqs>
                 </Model>)"),
         "(2,Other):Detected 2 variables and 1 equations!\n"
         "(0,Init):Cannot initialize child solver of type='NR' for model name= 'b'\n(0,Init):Eq#: 1"},
    };
    expectErrors(cases);
}

// levels conditions, each in the Then branch of the one before, around x = 1.
std::string nestedConditions(int levels)
{
    std::string text = R"(<Eq fx="x = 1"/>)";
    for (int i = 0; i < levels; ++i)
        text = R"(<Eq cond="x > -5"><Then>)" + text + R"(</Then><Else fx="x = 2"/></Eq>)";
    return text;
}

// levels Init sections, each holding one model with the next.
std::string nestedChildren(int levels)
{
    std::string text;
    for (int i = 0; i < levels; ++i)
        text = R"(<Init><Model name="c" type="NR" domain="real"><Vars><Var name="y"/></Vars>)"
               R"(<NLEqs><Eq fx="y = 1"/></NLEqs>)" +
               text + "</Model></Init>";
    return text;
}

TEST(XmlNRModelErrors, NestingIsBounded)
{
    // Conditions nest as deep as in model text, Init models 32 levels; one
    // level more is refused before the reader goes deeper.
    auto equation = [](int levels) {
        return real(R"(<Vars><Var name="x" val="3"/></Vars><NLEqs>)" + nestedConditions(levels) + "</NLEqs>");
    };
    auto assignment = [](int levels) { return withX("<PostProc>" + nestedConditions(levels) + "</PostProc>"); };
    for (const std::string& doc : {equation(1000), assignment(1000), withX(nestedChildren(32))})
    {
        XmlSolver<double> s(nr, doc, Road::Text);
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s->solve(), sc::Solution::OK);
        EXPECT_NEAR(s.value("x"), 1, 1e-9);
    }
    const std::string tooDeep = "Conditions nested deeper than 1000 levels: x > -5";
    EXPECT_EQ(loadErrors(nr, equation(1001)),
              "(0,NLEqs):" + tooDeep + "\n(0,NLEqs):Cannot parse if-then-else equation with condition: x > -5\n" +
                  "(0,NLEqs):Eq#: 0" + readFailed);
    EXPECT_EQ(loadErrors(nr, assignment(1001)), "(0,PostProc):" + tooDeep + "\n(0,PostProc):Eq#: 0" + readFailed);
    // The deepest child refuses an Init of its own; every level above names
    // the child that failed.
    const std::string errors = loadErrors(nr, withX(nestedChildren(33)));
    EXPECT_EQ(
        errors.rfind("(32,Init):Init (child) models nested deeper than 32 levels!\n"
                     "(31,Init):Cannot initialize child solver of type='NR' for model name= 'c'\n(31,Init):Eq#: 0\n",
                     0),
        0u)
        << errors;
}

TEST(XmlNRModelErrors, ComplexDomain)
{
    const std::string body = R"(<Vars><Var name="z"/></Vars><NLEqs><Eq fx="z = 1"/></NLEqs>)";
    EXPECT_EQ(loadErrors(cnr, xmlModel(R"(type="NR")", body)),
              "(0,Other):Numeric domain is not specified!" + readFailed);
    EXPECT_EQ(loadErrors(cnr, xmlModel(R"(type="NR" domain="real")", body)),
              "(0,Other):Numeric type is not 'cmplx'" + readFailed);
    // The complex functions are words of complex expressions alone.
    const std::string namedReal = R"(<Vars><Var name="real" val="1"/></Vars><NLEqs><Eq fx="real = 2"/></NLEqs>)";
    EXPECT_EQ(loadErrors(cnr, xmlModel(R"(type="NR" domain="cmplx")", namedReal)),
              "(0,Vars):Variable name is a reserved word! Var name=real\n(0,Vars):Var#: 0" + readFailed);
    onBothRoads(nr, real(namedReal), [](XmlSolver<double>& solver) {
        ASSERT_TRUE(solver.ok) << solver.errors();
        EXPECT_EQ(solver->solve(), sc::Solution::OK);
        EXPECT_DOUBLE_EQ(solver.value("real"), 2.0);
    });
    // Conjugate variables double the unknowns: z and its conjugate.
    EXPECT_EQ(loadErrors(cnr, xmlModel(R"(type="NR" domain="cmplx")",
                                       R"(<Vars conj="True"><Var name="z"/></Vars><NLEqs><Eq fx="z = 1"/></NLEqs>)")),
              "(0,Other):Detected 2 variables and 1 equations!" + readFailed);
}

TEST(XmlNRModelErrors, DocumentThatDoesNotParse)
{
    const std::string noDeclaration = R"(<Model type="NR" domain="real"><Vars><Var name="x"/></Vars></Model>)";
    XmlSolver<double> fromText(nr, noDeclaration, Road::Text);
    EXPECT_FALSE(fromText.ok);
    EXPECT_EQ(fromText.errors(), "(0,Other):Cannot parse xml input data" + readFailed);

    // From a file the parser's own message follows, with the line of the fault.
    XmlSolver<double> fromFile(nr, real("<Vars>\n<Var name=\"x\">\n</Vars>"), Road::File);
    EXPECT_FALSE(fromFile.ok);
    EXPECT_EQ(fromFile.errors().rfind("(0,Other):Cannot parse the file\n(0,Other):Line no=5: ", 0), 0u)
        << fromFile.errors();

    sc::ISolver<double>* pSolver = nr(nullptr, 100);
    EXPECT_FALSE(pSolver->init(td::String("/no/such/model.xml"), sc::SourceType::File));
    const td::String text = pSolver->getLastErrorStr();
    EXPECT_STREQ(
        text.c_str(),
        ("(0,Other):Cannot parse the file\n(0,Other):Cannot open xml file: /no/such/model.xml" + readFailed).c_str());
    pSolver->release();
}
} // namespace
} // namespace test
