// What an ODE or DAE model in XML that cannot be read leaves in the
// solver's error text: the message, the entry naming the failing ODEqs Eq,
// and the solver's own last line.
#include <XmlModelSupport.h>

namespace test
{
namespace
{
constexpr Factory<double> dae = sc::createDblDAESolver;
constexpr Factory<double> ode = [](sc::ILog* pLog, int) { return sc::createDblODESolver(pLog); };

struct Case
{
    const char* what;
    std::string sections;
    std::string errors;
};

// x and y, with the equations given.
std::string xy(const std::string& odeqs, const std::string& more = "")
{
    return R"(<Vars><Var name="x" val="1"/><Var name="y"/></Vars><Params><Param name="a"/></Params><ODEqs>)" + odeqs +
           "</ODEqs>" + more;
}

std::string eq(const std::string& fx) { return "<Eq fx=\"" + fx + "\"/>"; }

TEST(XmlDynamicModelErrors, DifferentialEquations)
{
    const std::string longName(33, 'v');
    const Case cases[] = {
        {"int in a derivative", xy(eq("x' = int(y)") + eq("y' = 1")),
         "(0,ODEqs):Cannot combine integrate with differentiate in a single ODE. Error in ODE eq:x' = int(y)\n"
         "(0,ODEqs):Eq#: 0"},
        {"neither form", xy(eq("y' = 1") + eq("x = 2*y")),
         "(0,ODEqs):Missing ' or 'int' in ODE equation:x = 2*y\n(0,ODEqs):Eq#: 1"},
        {"two integrals", xy(eq("x = int(1) + int(2)") + eq("y' = 1")),
         "(0,ODEqs):More than one 'int' specified in ODE equation:x = int(1) + int(2)\n(0,ODEqs):Eq#: 0"},
        {"int not a factor", xy(eq("x = exp(int(1))") + eq("y' = 1")),
         "(0,ODEqs):The integration (int) function can only be multiplied or divided by time-invariant variables. "
         "Error in eq:x = exp(int(1))\n(0,ODEqs):Eq#: 0"},
        {"int times a state", xy(eq("y' = 1") + eq("x = y*int(1)")),
         "(0,ODEqs):Detected int (integrate) with time or state variables outside of 'int' function in ODE "
         "equation:x = y*int(1)\n(0,ODEqs):Eq#: 1"},
        {"int over the time", xy(eq("x = int(1)/t") + eq("y' = 1")),
         "(0,ODEqs):Detected int (integrate) with time or state variables outside of 'int' function in ODE "
         "equation:x = int(1)/t\n(0,ODEqs):Eq#: 0"},
        {"two equations for x", xy(eq("x' = 1") + eq("x = int(2)")),
         "(0,ODEqs):State variable already used!\n(0,ODEqs):Eq#: 1"},
        {"no fx", xy("<Eq/>" + eq("y' = 1")), "(0,ODEqs):Missing fx in ODE equation!\n(0,ODEqs):Eq#: 0"},
        {"no equation sign", xy(eq("y' = 1") + eq("= -x")),
         "(0,ODEqs):Missing equation sign in ODE equation: = -x\n(0,ODEqs):Eq#: 1"},
        {"no name", xy(eq(" ' = -x") + eq("y' = 1")),
         "(0,ODEqs):Missing state variable name in ODE equation:  ' = -x\n(0,ODEqs):Eq#: 0"},
        {"34-character name", xy(eq(longName + "' = 1") + eq("y' = 1")),
         "(0,ODEqs):Variable name in ODE equation too long. Eq=" + longName + "' = 1\n(0,ODEqs):Eq#: 0"},
        {"undeclared state", xy(eq("w' = 1") + eq("y' = 1")),
         "(0,ODEqs):Undeclared state variable:w, found in ODE equation:w' = 1\n(0,ODEqs):Eq#: 0"},
        {"parameter as state", xy(eq("y' = 1") + eq("a' = 1")),
         "(0,ODEqs):State variable cannot be declared as a parameter! Variable name=a in ODEeq=a' = 1\n"
         "(0,ODEqs):Eq#: 1"},
        {"empty right side", xy(eq("x' =  ") + eq("y' = 1")),
         "(0,ODEqs):Right hand side of ODE equation x' =   is empty\n(0,ODEqs):Eq#: 0"},
        {"second equation sign", xy(eq("x' = y = 1") + eq("y' = 1")),
         "(0,ODEqs):Someting wrong in equation: x' = y = 1\n(0,ODEqs):Eq#: 0"},
        {"unknown name", xy(eq("x' = q") + eq("y' = 1")),
         "(0,ODEqs):Unknown variable or parameter: q\n(0,ODEqs):Someting wrong in equation: x' = q\n"
         "(0,ODEqs):Eq#: 0"},
    };
    // Both kinds read their equations alike; the DAE model makes y algebraic
    // where an equation for it fails to be one.
    for (const Case& c : cases)
    {
        EXPECT_EQ(loadErrors(ode, xmlModel(R"(type="ODE")", c.sections)),
                  c.errors + "\n(0,ReadModel):ODESolver cannot read the data..")
            << c.what;
        EXPECT_EQ(loadErrors(dae, xmlModel(R"(type="DAE")", c.sections)),
                  c.errors + "\n(0,Other):Cannot read the data..")
            << c.what;
    }
}

TEST(XmlDynamicModelErrors, TransferFunctions)
{
    // y and u = 1, with the TFs given.
    auto tfs = [](const std::string& eqs) {
        return xmlModel(R"(type="DAE")", R"(<Vars><Var name="y"/><Var name="u"/></Vars>
            <Params><Param name="a" val="2"/></Params><NLEqs><Eq fx="u = 1"/></NLEqs><TFs>)" +
                                             eqs + "</TFs>");
    };
    const std::string form = " TF must be in form y/=f(s)";
    // A product that expands to more terms than a transfer function may spend.
    std::string product = "1/((s+1)";
    for (int k = 1; k < 1500; ++k)
        product += "*(s+1)";
    product += ")";
    const Case cases[] = {
        {"division right of =", tfs(eq("y = 1/(s+1)")),
         "(0,TFs):Missing division sign '/' in left part of TF Equation!" + form + "\n(0,TFs):Eq#: 0"},
        {"no fx", tfs("<Eq/>"), "(0,TFs):Missing fx in TF Equation!\n(0,TFs):Eq#: 0"},
        {"no =", tfs(eq("y/u 1/(s+1)")),
         "(0,TFs):Missing equaity sign '=' in fx part of TF Equation!" + form + "\n(0,TFs):Eq#: 0"},
        {"no /", tfs(eq("y = s")),
         "(0,TFs):Missing division sign '/' in fx part of TF Equation!" + form + "\n(0,TFs):Eq#: 0"},
        {"open bracket", tfs(eq("y/u = 1/(s+1")),
         "(0,TFs):Brackets mismatch\n(0,TFs):Something wrong with TF expression: y/u = 1/(s+1\n(0,TFs):Eq#: 0"},
        {"no s", tfs(eq("y/u = 5")), "(0,TFs):Badly formatted transfer function: y/u = 5\n(0,TFs):Eq#: 0"},
        {"undeclared coefficient", tfs(eq("y/u = 1/(w*s+1)")),
         "(0,TFs):Badly formatted transfer function: y/u = 1/(w*s+1)\n(0,TFs):Eq#: 0"},
        {"undeclared in a function", tfs(eq("y/u = exp(w)/(s+1)")),
         "(0,TFs):Badly formatted transfer function: y/u = exp(w)/(s+1)\n(0,TFs):Eq#: 0"},
        {"undeclared output", tfs(eq("w/u = 1/(s+1)")),
         "(0,TFs):TF output 'w' was not declared! It must be declared as a variable!\n(0,TFs):Eq#: 0"},
        {"parameter output", tfs(eq("a / u = 1/(s+1)")),
         "(0,TFs):TF output 'a' was declared as a parameter! It must be declared as a variable!\n(0,TFs):Eq#: 0"},
        {"parameter input", tfs(eq("y/a = 1/(s+1)")),
         "(0,TFs):TF input 'a' was not declared! It must be declared as a variable!\n(0,TFs):Eq#: 0"},
        {"output twice",
         xmlModel(R"(type="DAE")", R"(<Vars><Var name="y"/><Var name="u"/></Vars><TFs>)" + eq("y/u = 1/(s+1)") +
                                       eq("y/u = 2/(s+1)") + "</TFs>"),
         "(0,TFs):TF output 'y' is the output of an earlier TF!\n(0,TFs):Eq#: 1"},
        {"too many products", tfs(eq("y/u = " + product)),
         "(0,TFs):TF with output=y, input=u, and tf=" + product + " is not formatted properly!\n(0,TFs):Eq#: 0"},
        {"an equation short", tfs(eq("y/u = 1/(s+1)") + eq("u/y = 1/s")),
         "(0,Other):Number of unknows and number of equations do not match"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loadErrors(dae, c.sections), c.errors + "\n(0,Other):Cannot read the data..") << c.what;
}

TEST(XmlDynamicModelErrors, ModelsAndDeclarations)
{
    const std::string odeReadFailed = "\n(0,ReadModel):ODESolver cannot read the data..";
    const std::string daeReadFailed = "\n(0,Other):Cannot read the data..";
    const std::pair<Factory<double>, Case> cases[] = {
        {ode, {"NR given to the ODE solver", xmlModel(R"(type="NR")", ""), "(0,Other):Model type is not ODE"}},
        {dae, {"ODE given to the DAE solver", xmlModel(R"(type="ODE")", ""), "(0,Other):Model type is not DAE"}},
        {ode,
         {"an equation short", xmlModel(R"(type="ODE")", xy(eq("x' = 1"))),
          "(0,Other):Number of unknows and number of equations do not match"}},
        {dae,
         {"an equation short", xmlModel(R"(type="DAE")", xy(eq("x' = 1"))),
          "(0,Other):Number of unknows and number of equations do not match"}},
        {dae,
         {"an equation short with stages", xmlModel(R"(type="DAE" method="RK4")", xy(eq("x' = 1"))),
          "(0,Other):Number of unknows and number of equations do not match"}},
        {dae,
         {"empty ODEqs", xmlModel(R"(type="DAE")", xy("", "<NLEqs>" + eq("x = 1") + eq("y = 1") + "</NLEqs>")),
          "(0,Other):Missing both ODE and TF equaitons in DAE model!"}},
        {dae,
         {"no declared state", xmlModel(R"(type="DAE")", xy(eq("w' = 1"))),
          "(0,Other):DAE Solver requires either one ODE or TF!"}},
        {dae,
         {"a stage variable as state", xmlModel(R"(type="DAE" method="RK4")", xy(eq("x' = 1") + eq("x#k1' = 1"))),
          "(0,ODEqs):Undeclared state variable:x#k1, found in ODE equation:x#k1' = 1\n(0,ODEqs):Eq#: 1"}},
        {ode,
         {"parameter without name",
          xmlModel(R"(type="ODE")", R"(<Vars><Var name="x"/></Vars><Params><Param val="1"/></Params>)"),
          "(0,Params):Empty name\n(0,Params):Par#: 0"}},
        {ode,
         {"t declared twice",
          xmlModel(R"(type="ODE")",
                   R"(<Vars><Var name="x"/></Vars><Params><Param name="t"/><Param name="t"/></Params>)"),
          "(0,Params):Parameter declared twice: t\n(0,Params):Par#: 1"}},
    };
    for (const auto& [factory, c] : cases)
        EXPECT_EQ(loadErrors(factory, c.sections), c.errors + (factory == ode ? odeReadFailed : daeReadFailed))
            << c.what;
}
} // namespace
} // namespace test
