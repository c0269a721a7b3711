// Transfer functions in differential-algebraic models: the symbols they
// add, their responses against closed forms, and the errors of their lines.
//
// One implicit Euler step of size h from rest with u = 1 gives y = H(1/h),
// whatever the realisation: (I - hA) x = hB u, y = C x + D u is
// C (I/h - A)^-1 B + D. Many steps give the gain H(0).
#include <DynamicModel.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

// The line of the TFs group in tfModel's text, as an editor numbers it.
constexpr std::uint32_t tfLine = 10;

// A model of the TFs line, with u set by an NLEs line.
std::string tfLineModel(const std::string& line, const std::string& input = "u = 1",
                        const std::string& method = "Euler")
{
    return "Header:\nend\nModel [type = DAE, method = " + method + "]\nVars\n  y\n  u\nParams\n  T = 2\nTFs\n  " +
           line + "\nNLEs\n  " + input + "\nend\n";
}

// The same of the line y / u = tf.
std::string tfModel(const std::string& tf, const std::string& input = "u = 1", const std::string& method = "Euler")
{
    return tfLineModel("y / u = " + tf, input, method);
}

bool run(DAE& c, double dT, unsigned steps)
{
    c.solver.setIntegrationStepSize(dT);
    return c.solver.reset(0) && c.solver.step(int(steps)) == S::OK;
}

struct Response
{
    const char* tf;
    double atTen; // H(10)
    double gain;  // H(0)
};

const Response responses[] = {
    {"1/(s+1)", 1.0 / 11, 1},
    {"(s+3)/(s+1)", 13.0 / 11, 3},
    {"(2*s+1)/(s^2+3*s+2)", 21.0 / 132, 0.5},
    {"1/(T*s+1)", 1.0 / 21, 1},
    {"1/(2*s+1)", 1.0 / 21, 1},
    {"(s+1)/2", 5.5, 0.5},
    {"(s^2+3*s+1)/(s+1)", 131.0 / 11, 1},
    {"(4*s^2 + 2*s + 6)/(2*s^2 + 2*s + 2)", 426.0 / 222, 3},
    {"s/(s+1)", 10.0 / 11, 0},
};

TEST(TransferFunctionModel, EulerStepsRespondAsTheFraction)
{
    for (const Response& r : responses)
    {
        SCOPED_TRACE(r.tf);
        DAE c(tfModel(r.tf));
        ASSERT_TRUE(c.ok) << c.load.log << c.log;
        ASSERT_TRUE(run(c, 0.1, 1)) << c.log;
        EXPECT_NEAR(re(c.value("y")), r.atTen, 1e-12 * (1 + std::abs(r.atTen)));
        ASSERT_EQ(c.solver.step(399), S::OK);
        EXPECT_NEAR(re(c.value("y")), r.gain, 1e-7);
    }
}

// The step response 1 - e^-t of 1/(s+1) at t = 1 with each method.
TEST(TransferFunctionModel, EachMethodIntegratesTheStates)
{
    const std::pair<const char*, double> methods[] = {{"Euler", 3e-2}, {"Trapez", 1e-3}, {"RK4", 1e-7}, {"RK6", 1e-9}};
    for (const auto& [method, tolerance] : methods)
    {
        DAE c(tfModel("1/(s+1)", "u = 1", method));
        ASSERT_TRUE(c.ok) << method << c.log;
        ASSERT_TRUE(run(c, 0.1, 10)) << method << c.log;
        EXPECT_NEAR(re(c.value("y")), 1 - std::exp(-1.0), tolerance) << method;
    }
}

TEST(TransferFunctionModel, StatesStagesHistoriesAndTheDivisionAreNamed)
{
    DAE lag(tfModel("1/(s+1)", "u = 1", "RK4"));
    ASSERT_TRUE(lag.ok) << lag.log;
    EXPECT_EQ(lag.solver._nVars, 2 + 3); // y'x1 and its two stages
    for (const char* name : {"y'x1", "y'x1#k1", "y'x1#k2"})
        EXPECT_LT(lag.solver.getVariableIndex(name), lag.solver._nVars) << name;
    EXPECT_GE(lag.solver.getVariableIndex("y'x1@_"), lag.solver._nVars);

    DAE improper(tfModel("(s^2+3*s+1)/(s+1)"));
    ASSERT_TRUE(improper.ok) << improper.log;
    EXPECT_EQ(improper.solver._nVars, 2 + 3);
    EXPECT_EQ(improper.solver._nParams, 3 + 2); // T, t, dT and two histories
    for (const char* name : {"y'x1", "y'x2", "y#div"})
    {
        EXPECT_GE(improper.solver.getVariableIndex(name), 0) << name;
        EXPECT_LT(improper.solver.getVariableIndex(name), improper.solver._nVars) << name;
    }
    for (const char* name : {"y'x1@_", "y'x2@_"})
        EXPECT_GE(improper.solver.getVariableIndex(name), improper.solver._nVars) << name;
}

// u = sin t: (s^2 + 3s + 1)/(s + 1) = s + 2 - 1/(s + 1) gives
// y = cos t + 2 sin t - (sin t - cos t + e^-t)/2; (s + 1)/2 gives
// (cos t + sin t)/2; (s^3 + 2s + 1)/(s + 1) = s^2 - s + 3 - 2/(s + 1) gives
// sin t - e^-t. The derivatives of u come from backward differences with
// every method: first order, and no oscillation for the second derivative
// to amplify.
TEST(TransferFunctionModel, PolynomialPartsFollowASine)
{
    const double s1 = std::sin(1.0), c1 = std::cos(1.0), e1 = std::exp(-1.0);
    const std::pair<const char*, double> cases[] = {
        {"(s^2+3*s+1)/(s+1)", c1 + 2 * s1 - (s1 - c1 + e1) / 2},
        {"(s+1)/2", (c1 + s1) / 2},
        {"(s^3+2*s+1)/(s+1)", s1 - e1},
    };
    for (const char* method : {"Euler", "Trapez", "RK4", "RK6"})
        for (const auto& [tf, expected] : cases)
        {
            DAE c(tfModel(tf, "u = sin(t)", method));
            ASSERT_TRUE(c.ok) << tf << c.log;
            ASSERT_TRUE(run(c, 0.001, 1000)) << tf << c.log;
            EXPECT_NEAR(re(c.value("y")), expected, 1e-3) << tf << " " << method;
        }
    EXPECT_NEAR(c1 + 2 * s1 - (s1 - c1 + e1) / 2, 1.888720, 1e-6);
}

// The load fails with the keys at the line; nothing stops the process.
TEST(TransferFunctionModel, BadLinesAreReportedAtTheirLine)
{
    // (s + 1)^1500 written as a product expands with about 1500^2 / 2
    // products of terms: more than a transfer function may spend.
    std::string product = "y / u = 1/((s+1)";
    for (int k = 1; k < 1500; ++k)
        product += "*(s+1)";
    product += ")";
    const struct
    {
        std::string tf;
        std::vector<std::string> keys;
    } cases[] = {
        {"y / u = (5)", {"@ET.TFNoLaplace", "@SC.TFBadFormat"}},
        {"y / u = s^0.5", {"@ET.TFNomBadFormat", "@SC.TFBadFormat"}},
        {"y / u = T^2", {"@ET.TFNomBadFormat", "@SC.TFBadFormat"}},
        {"y / u = 1/(s+exp(s))", {"@ET.TFDenomBadFormat", "@SC.TFBadFormat"}},
        {"y * u = 1/(s+1)", {"@SC.TFsNoDiv1Operator"}},
        {"y / u = -s", {"@SC.TFsWrongFormat"}},
        {"y / u + 1/(s+1)", {"@SC.TFsNoAssignOperator"}},
        {"2 / u = 1/(s+1)", {"@SC.WrongYInTF"}},
        {"T / u = 1/(s+1)", {"@SC.TFYNotVariable"}},
        {"y / 2 = 1/(s+1)", {"@SC.WrongUInTF"}},
        {"y / T = 1/(s+1)", {"@SC.TFUNotVarNorParam"}},
        {"y / u = 1/(0*s^2 + s + 1)", {"@SC.TF2SSError"}},
        {"y / u = (s+1)/0", {"@SC.TF2SSError"}},
        {product, {"@SC.TFPolyCoefficent"}},
    };
    for (const auto& c : cases)
    {
        DAE model(tfLineModel(c.tf));
        EXPECT_FALSE(model.ok) << c.tf;
        std::vector<std::string> atLine;
        for (const auto& e : model.log.entries)
            if (e.line == tfLine)
                atLine.push_back(e.text);
        EXPECT_EQ(atLine, c.keys) << c.tf << model.log;
    }
}
// Two transfer functions of one output would name their states alike.
TEST(TransferFunctionModel, AnOutputHasOneTransferFunction)
{
    DAE c("Header:\nend\nModel [type = DAE]\nVars\n  y\n  u\n  w\nTFs\n  y / u = 1/(s+1)\n  y / w = 1/(s+2)\n"
          "NLEs\n  u = 1\nend\n");
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.logged("@SC.TFOutputRepeated")) << c.log;
    EXPECT_EQ(c.log.entries.front().line, 10u);
}
// s is the Laplace variable: a symbol of that name is refused where it is
// declared, so that no fraction reads it.
TEST(TransferFunctionModel, ASymbolNamedSIsRefused)
{
    DAE c("Header:\nend\nModel [type = DAE]\nVars\n  y\n  u\nParams\n  s = 2\nTFs\n  y / u = 1/(s+1)\n"
          "NLEs\n  u = 1\nend\n");
    EXPECT_FALSE(c.ok);
    ASSERT_FALSE(c.load.log.entries.empty());
    EXPECT_EQ(c.load.log.entries.front().text, "@ML.NameIsReserved:s");
    EXPECT_EQ(c.load.log.entries.front().line, 8u);
}

// A line of a few characters adds thousands of states: the model's total
// is bounded.
TEST(TransferFunctionModel, StatesAreBoundedPerModel)
{
    std::string vars = "  u\n", tfs;
    for (int k = 1; k <= 5; ++k)
    {
        vars += "  y" + std::to_string(k) + "\n";
        tfs += "  y" + std::to_string(k) + " / u = 1/(s^65535 + 1)\n";
    }
    DAE c("Header:\nend\nModel [type = DAE]\nVars\n" + vars + "TFs\n" + tfs + "NLEs\n  u = 1\nend\n");
    EXPECT_FALSE(c.ok);
    ASSERT_FALSE(c.log.entries.empty());
    EXPECT_EQ(c.log.entries.front().text, "@SC.TFsTooManyStates");
    EXPECT_EQ(c.log.entries.front().line, 16u); // the fifth
}
} // namespace
} // namespace test
