// ODE and DAE models written as XML, through the exported solvers: each
// one steps as its model-text twin does (compared symbol by symbol, by
// name, since the two lay out stage variables differently), and the values
// are those worked out by hand or in closed form.
#include <LoaderSupport.h>
#include <XmlModelSupport.h>

#include <cmath>
#include <vector>

namespace test
{
namespace
{
using S = sc::Solution;

constexpr Factory<double> dae = sc::createDblDAESolver;
constexpr Factory<double> ode = [](sc::ILog* pLog, int) { return sc::createDblODESolver(pLog); };

std::string daeModel(const std::string& attribs, const std::string& sections)
{
    return xmlModel(R"(type="DAE" domain="real" )" + attribs, sections);
}

// A model text read by a solver of the factory's kind, for comparison.
class TextTwin
{
public:
    TextTwin(Factory<double> factory, const std::string& text)
        : _p(factory(nullptr, 100))
    {
        _load.fromString(text);
        ok = _load.ok && _p->init(&_load.naming, _load.model.get(), true);
    }
    ~TextTwin() { _p->release(); }
    TextTwin(const TextTwin&) = delete;
    TextTwin& operator=(const TextTwin&) = delete;

    sc::ISolver<double>* operator->() const { return _p; }
    bool ok = false;

private:
    Load _load;
    sc::ISolver<double>* _p;
};

std::vector<std::string> variableNames(sc::ISolver<double>* p)
{
    std::vector<std::string> names;
    for (int i = 0; i < p->getNumberVariables(); ++i)
        names.emplace_back(p->getVariableName(i));
    return names;
}

std::vector<std::string> parameterNames(sc::ISolver<double>* p)
{
    std::vector<std::string> names;
    for (int i = 0; i < p->getNumberParameters(); ++i)
        names.emplace_back(p->getParameterName(i));
    return names;
}

// Every variable and parameter of the XML model has the twin's value.
void expectSameValues(XmlSolver<double>& xml, const TextTwin& twin)
{
    ASSERT_EQ(xml->getNumberVariables(), twin->getNumberVariables());
    ASSERT_EQ(xml->getNumberParameters(), twin->getNumberParameters());
    for (const auto& names : {variableNames(xml.operator->()), parameterNames(xml.operator->())})
        for (const std::string& name : names)
        {
            double v = NAN;
            EXPECT_TRUE(twin->getVariableValue(name.c_str(), v) || twin->getParamValue(name.c_str(), v)) << name;
            EXPECT_NEAR(xml.value(name.c_str()), v, 1e-13) << name;
        }
}

TEST(XmlDynamicModel, ODEStepsAsItsText)
{
    // Heun, h = 0.1: x = 1 + 0.05 (-1 - 0.9) = 0.905; v' = k = 2 gives 0.2.
    // PreProc runs twice per step.
    const std::string doc = xmlModel(R"(type="ODE" domain="real")", R"~(
        <Vars><Var name="x" val="1"/><Var name="v"/></Vars>
        <Params dT="0.1"><Param name="a" val="1"/><Param name="k" val="2*a"/><Param name="w"/><Param name="n"/></Params>
        <ODEqs><Eq fx="x' = -a*x"/><Eq fx=" v = int(k)"/></ODEqs>
        <PreProc><Eq fx="n += 1"/></PreProc>
        <PostProc><Eq fx="w = x + v"/></PostProc>)~");
    TextTwin twin(ode, "Header:\nend\nModel [type = ODE]\nVars\n  x = 1\n  v\nParams\n  a = 1\n  k = 2*a\n  w\n  n\n"
                       "  dT = 0.1\nODEs\n  x' = -a*x\n  v = int(k)\nPreProc\n  n += 1\nPostProc\n  w = x + v\nend\n");
    ASSERT_TRUE(twin.ok);
    EXPECT_EQ(twin->solve(), S::OK);
    onBothRoads(ode, doc, [&twin](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(parameterNames(s.operator->()), (std::vector<std::string> {"a", "k", "w", "n", "dT", "t"}));
        EXPECT_EQ(s->getIntegrationStepSize(), 0.1);
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_NEAR(s.value("x"), 0.905, 1e-15);
        EXPECT_NEAR(s.value("v"), 0.2, 1e-15);
        EXPECT_NEAR(s.value("t"), 0.1, 1e-15);
        EXPECT_NEAR(s.value("w"), 1.105, 1e-15);
        EXPECT_EQ(s.value("n"), 2);
        expectSameValues(s, twin);
    });
}

TEST(XmlDynamicModel, DAEStepsByItsMethod)
{
    // x' = -x/tau, tau = 0.5, h = 0.01, z/x = 1/(s+1), y = 2x. The
    // trapezoid: x = (1 - 0.01)/(1 + 0.01), z' = x - z gives
    // z = 0.005 (1 + x)/1.005; implicit Euler: x = 1/1.02, z = 0.01 x/1.01.
    struct Case
    {
        const char* attrib;
        const char* line; // the method on the Model line of the text
        double x, z;
    };
    const Case cases[] = {{"", "", 0.99 / 1.01, 0.005 * (1 + 0.99 / 1.01) / 1.005},
                          {R"(method="Euler")", ", method = Euler", 1 / 1.02, 0.01 / 1.02 / 1.01}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.attrib);
        const std::string doc = daeModel(c.attrib, R"~(
            <Vars><Var name="x" val="1"/><Var name="y"/><Var name="z"/></Vars>
            <Params dT="0.01"><Param name="tau" val="0.5"/></Params>
            <ODEqs><Eq fx="x = int(-x/tau)"/></ODEqs>
            <TFs><Eq fx="z/x = 1/(s+1)"/></TFs>
            <NLEqs><Eq fx="y = 2*x"/></NLEqs>)~");
        TextTwin twin(dae, std::string("Header:\nend\nModel [type = DAE") + c.line +
                               "]\nVars\n  x = 1\n  y\n  z\nParams\n  tau = 0.5\n  dT = 0.01\nODEs\n"
                               "  x = int(-x/tau)\nTFs\n  z / x = 1/(s+1)\nNLEs\n  y = 2*x\nend\n");
        ASSERT_TRUE(twin.ok);
        ASSERT_TRUE(twin->reset(0));
        EXPECT_EQ(twin->step(1), S::OK);
        onBothRoads(dae, doc, [&twin, &c](XmlSolver<double>& s) {
            ASSERT_TRUE(s.ok) << s.errors();
            EXPECT_EQ(variableNames(s.operator->()), (std::vector<std::string> {"x", "y", "z", "z'x1"}));
            // The step comes from the model's dT.
            ASSERT_TRUE(s->reset(0));
            EXPECT_EQ(s->step(1), S::OK);
            EXPECT_NEAR(s.value("x"), c.x, 1e-10);
            EXPECT_NEAR(s.value("y"), 2 * c.x, 1e-10);
            EXPECT_NEAR(s.value("z"), c.z, 1e-10);
            EXPECT_NEAR(s.value("t"), 0.01, 1e-15);
            expectSameValues(s, twin);
        });
    }
    EXPECT_NEAR(cases[0].x, 0.9801980198, 1e-10);
    EXPECT_NEAR(cases[0].z, 0.0098517314, 1e-10);
    EXPECT_NEAR(cases[1].x, 0.9803921569, 1e-10);
    EXPECT_NEAR(cases[1].z, 0.0097068530, 1e-10);
}

TEST(XmlDynamicModel, TransferFunctionCoefficientsNameParameters)
{
    // y/u = 1/(T s + 1) with T = 2 declared after the variables, and its
    // value as a number, RK4, u = 1 from y = 0: the same steps; the states
    // and their stage variables follow the declared variables. After 40
    // steps of 0.1, y = 1 - e^-2 within the method's error.
    const char* const fractions[] = {"1/(T*s + 1)", "1/(2*s+1)", "(1/T)/(s + 1/T)"};
    for (const char* fraction : fractions)
    {
        SCOPED_TRACE(fraction);
        const std::string doc = daeModel(R"(method="RK4")", std::string(R"(
            <Vars><Var name="y"/><Var name="u"/></Vars>
            <Params dT="0.1"><Param name="T" val="2"/></Params>
            <TFs><Eq fx="y / u = )") + fraction + R"("/></TFs>
            <NLEqs><Eq fx="u = 1"/></NLEqs>)");
        onBothRoads(dae, doc, [](XmlSolver<double>& s) {
            ASSERT_TRUE(s.ok) << s.errors();
            EXPECT_EQ(variableNames(s.operator->()),
                      (std::vector<std::string> {"y", "u", "y'x1", "y'x1#k1", "y'x1#k2"}));
            EXPECT_EQ(parameterNames(s.operator->()), (std::vector<std::string> {"T", "dT", "t", "y'x1@_"}));
            ASSERT_TRUE(s->reset(0));
            EXPECT_EQ(s->step(40), S::OK);
            EXPECT_NEAR(s.value("y"), 1 - std::exp(-2.0), 1e-6);
        });
    }
}

TEST(XmlDynamicModel, StageVariablesFollowTheirState)
{
    // RK6 on x' = -x, h = 0.1: one step multiplies by the (3,3) Pade
    // approximant of e^-0.1, (1 - h/2 + h^2/10 - h^3/120)/(1 + h/2 + h^2/10 + h^3/120).
    const std::string rk6 = daeModel(R"(method="RK6")", R"(
        <Vars><Var name="x" val="1"/></Vars><Params dT="0.1"/><ODEqs><Eq fx="x' = -x"/></ODEqs>)");
    const double h = 0.1;
    const double pade = (1 - h / 2 + h * h / 10 - h * h * h / 120) / (1 + h / 2 + h * h / 10 + h * h * h / 120);
    onBothRoads(dae, rk6, [pade](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(variableNames(s.operator->()), (std::vector<std::string> {"x", "x#k1", "x#k2", "x#k3"}));
        EXPECT_EQ(parameterNames(s.operator->()), (std::vector<std::string> {"dT", "t", "x@_"}));
        ASSERT_TRUE(s->reset(0));
        EXPECT_EQ(s->step(1), S::OK);
        EXPECT_NEAR(s.value("x"), pade, 1e-12);
        EXPECT_NEAR(pade, 0.9048374180, 1e-10);
    });

    // Two states around an algebraic variable, RK4: a' = -a, c' = a - c from
    // c = 0 is c = t e^-t, b = 2a; each step multiplies a by the (2,2) Pade
    // approximant of e^-h, and c keeps to t e^-t within the method's error.
    // The text lays the stages out after the declared variables, XML right
    // behind each state.
    const std::string rk4 = daeModel(R"(method="RK4")", R"(
        <Vars><Var name="a" val="1"/><Var name="b"/><Var name="c"/></Vars>
        <Params dT="0.1"/>
        <ODEqs><Eq fx="c' = a - c"/><Eq fx="a' = -a"/></ODEqs>
        <NLEqs><Eq fx="b = 2*a"/></NLEqs>)");
    TextTwin twin(dae, "Header:\nend\nModel [type = DAE, method = RK4]\nVars\n  a = 1\n  b\n  c\nParams\n  dT = 0.1\n"
                       "ODEs\n  c' = a - c\n  a' = -a\nNLEs\n  b = 2*a\nend\n");
    ASSERT_TRUE(twin.ok);
    ASSERT_TRUE(twin->reset(0));
    EXPECT_EQ(twin->step(5), S::OK);
    onBothRoads(dae, rk4, [&twin](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(variableNames(s.operator->()),
                  (std::vector<std::string> {"a", "a#k1", "a#k2", "b", "c", "c#k1", "c#k2"}));
        ASSERT_TRUE(s->reset(0));
        EXPECT_EQ(s->step(5), S::OK);
        const double a = std::pow((1 - 0.05 + 0.01 / 12) / (1 + 0.05 + 0.01 / 12), 5);
        EXPECT_NEAR(s.value("a"), a, 1e-14);
        EXPECT_NEAR(s.value("b"), 2 * a, 1e-14);
        EXPECT_NEAR(s.value("c"), 0.5 * std::exp(-0.5), 3e-7);
        expectSameValues(s, twin);
    });
}

TEST(XmlDynamicModel, MethodNamesAWholeWordOrKeepsTheSolvers)
{
    // x' = -x, h = 0.1, one step: implicit Euler 1/1.1, the trapezoid
    // 0.95/1.05, RK4 the (2,2) Pade approximant of e^-0.1.
    const double euler = 1 / 1.1, trapezoid = 0.95 / 1.05, rk4 = (1 - 0.05 + 0.01 / 12) / (1 + 0.05 + 0.01 / 12);
    struct Case
    {
        const char* attrib;
        math::IntMethod before; // the solver's method before the read
        double x;
    };
    const Case cases[] = {
        {"", math::IntMethod::Trapezoid, trapezoid},
        {"", math::IntMethod::Euler, euler},
        {R"(method="Euler")", math::IntMethod::Trapezoid, euler},
        {R"(method="RK2")", math::IntMethod::Euler, trapezoid},
        {R"(method="Trapezoidal")", math::IntMethod::Euler, trapezoid},
        {R"(method="RK4")", math::IntMethod::Trapezoid, rk4},
        {R"(method="Trap")", math::IntMethod::Euler, euler},
        {R"(method="euler")", math::IntMethod::GaussLegendre2, rk4},
        {R"(method="")", math::IntMethod::Euler, euler},
    };
    const std::string sections = R"(<Vars><Var name="x" val="1"/></Vars>
        <Params dT="0.1"/><ODEqs><Eq fx="x' = -x"/></ODEqs>)";
    for (const Case& c : cases)
        for (Road road : {Road::File, Road::Text})
        {
            SCOPED_TRACE(std::string(c.attrib) + " " + nameOf(road));
            XmlSolver<double> s(dae, daeModel("", sections), road);
            s->getITime()->setTimeMethod(c.before);
            ASSERT_TRUE(s.read(daeModel(c.attrib, sections), road)) << s.errors();
            ASSERT_TRUE(s->reset(0));
            EXPECT_EQ(s->step(1), S::OK);
            EXPECT_NEAR(s.value("x"), c.x, 1e-12);
        }
}

TEST(XmlDynamicModel, ComplexModelsHaveNoConjugates)
{
    // x' = -x from 1 + 2i, h = 0.1: Heun multiplies by 0.905, RK4 by the
    // (2,2) Pade approximant of e^-0.1; conj is not read.
    using Z = std::complex<double>;
    const Factory<Z> complexOde = [](sc::ILog* pLog, int) { return sc::createCmplxODESolver(pLog); };
    const std::string sections = R"(<Vars conj="true"><Var name="x" val="1+2i"/></Vars>
        <Params dT="0.1"/><ODEqs><Eq fx="x' = -x"/></ODEqs>)";
    const std::pair<Factory<Z>, std::string> models[] = {
        {complexOde, xmlModel(R"(type="ODE" domain="cmplx")", sections)},
        {sc::createCmplxDAESolver, xmlModel(R"(type="DAE" domain="cmplx" method="RK4")", sections)}};
    const double factors[] = {0.905, (1 - 0.05 + 0.01 / 12) / (1 + 0.05 + 0.01 / 12)};
    for (int k = 0; k < 2; ++k)
        onBothRoads(models[k].first, models[k].second, [factor = factors[k], k](XmlSolver<Z>& s) {
            ASSERT_TRUE(s.ok) << s.errors();
            EXPECT_EQ(s->getNumberVariables(), k == 0 ? 1 : 3);
            ASSERT_TRUE(s->reset(0));
            EXPECT_EQ(s->step(1), S::OK);
            EXPECT_NEAR(std::abs(s.value("x") - Z(1, 2) * factor), 0, 1e-12);
        });
}

TEST(XmlDynamicModel, InitChildSolvesBeforeARun)
{
    // The child sets the parent's x to 2 when the run starts; one Euler
    // step of x' = -x with h = 0.1 gives 2/1.1. The child shares dT and t.
    const std::string doc = daeModel(R"(method="Euler")", R"(
        <Vars><Var name="x" val="1"/></Vars>
        <Params dT="0.1"/>
        <ODEqs><Eq fx="x' = -x"/></ODEqs>
        <Init>
          <Model name="start" type="NR" domain="real">
            <Vars><Var name="u" val="1"/></Vars>
            <NLEqs><Eq fx="u^2 = 4 + dT - 0.1 + t"/></NLEqs>
            <PostProc><Eq fx="base.x = u"/></PostProc>
          </Model>
        </Init>)");
    onBothRoads(dae, doc, [](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        ASSERT_TRUE(s->reset(0));
        const double x0 = s.value("x");
        EXPECT_NEAR(x0, 2, 1e-6);
        EXPECT_EQ(s->step(1), S::OK);
        EXPECT_NEAR(s.value("x"), x0 / 1.1, 1e-12);
    });
}
} // namespace
} // namespace test
