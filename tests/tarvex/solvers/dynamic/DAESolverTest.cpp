// The implicit integrator through the model compiler: each method's step
// against its stability function R(z) = x(h)/x(0) for x' = λx, and the
// stepping, range runs and failures of the solver.
#include <DynamicModel.h>
#include <gtest/gtest.h>
#include <sparse/ISolver.h>

#include <cmath>
#include <string>
#include <vector>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

// x' = -x from 1 in steps of 0.1: the stability functions of the four
// methods at z = -0.1 (implicit Euler; the trapezoid; the Pade forms of
// the two- and three-stage Gauss-Legendre methods).
struct Method
{
    const char* name;
    double (*R)(double z);
    double oneStep;  // as worked by hand
    double tenSteps; // R(-0.1)^10
};

const Method methods[] = {
    {"Euler", [](double z) { return 1 / (1 - z); }, 0.9090909091, 0.385543289},
    {"Trapez", [](double z) { return (1 + z / 2) / (1 - z / 2); }, 0.9047619048, 0.367572542},
    {"RK4", [](double z) { return (1 + z / 2 + z * z / 12) / (1 - z / 2 + z * z / 12); }, 0.9048374306, 0.367879492},
    {"RK6",
     [](double z) { return (1 + z / 2 + z * z / 10 + z * z * z / 120) / (1 - z / 2 + z * z / 10 - z * z * z / 120); },
     0.9048374180, 0.367879441},
};

std::string decay(const std::string& method, const std::string& odes)
{
    return dynamicModel("DAE", ", method = " + method, {"x = 1", "", odes});
}

TEST(DAESolver, EachMethodStepsAsItsStabilityFunction)
{
    for (const Method& m : methods)
        for (const char* form : {"x' = -x", "x = int(-x)"})
        {
            DAE c(decay(m.name, form));
            ASSERT_TRUE(c.ok) << m.name << c.load.log << c.log;
            c.solver.setIntegrationStepSize(0.1);
            ASSERT_TRUE(c.solver.reset(0));
            EXPECT_EQ(c.solver.step(1), S::OK);
            EXPECT_NEAR(re(c.value("x")), m.R(-0.1), 1e-13) << m.name << " " << form;
            EXPECT_NEAR(re(c.value("x")), m.oneStep, 1e-10) << m.name;
            EXPECT_EQ(c.solver.step(9), S::OK);
            EXPECT_NEAR(re(c.value("x")), std::pow(m.R(-0.1), 10), 1e-12) << m.name << " " << form;
            EXPECT_NEAR(re(c.value("x")), m.tenSteps, 1e-9) << m.name;
            EXPECT_NEAR(re(c.value("t")), 1.0, 1e-15);
        }
}

TEST(DAESolver, AlgebraicEquationsFollowTheStates)
{
    // x' = -x/tau with y = 2x: the trapezoid gives x = (1 - 0.01)/(1 + 0.01).
    DAE c(dynamicModel("DAE", ", method = Trapezoidal", {"x = 1\ny", "tau = 0.5", "x' = -x/tau", "y = 2*x"}));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    c.solver.setIntegrationStepSize(0.01);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(1), S::OK);
    EXPECT_NEAR(re(c.value("x")), 0.99 / 1.01, 1e-12);
    EXPECT_NEAR(re(c.value("x")), 0.9801980198, 1e-10);
    EXPECT_NEAR(re(c.value("y")), 1.9603960396, 1e-10);
}

TEST(DAESolver, RungeKuttaAddsStageVariablesAndAHistoryParameter)
{
    DAE c(dynamicModel("DAE", ", method = RK6", {"x = 1", "", "x' = -x"}));
    ASSERT_TRUE(c.ok) << c.log;
    const char* vars[] = {"x", "x#k1", "x#k2", "x#k3"};
    ASSERT_EQ(c.solver.getNumberVariables(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(c.solver.getVariableName(i), vars[i]);
    const char* params[] = {"dT", "t", "x@_"};
    ASSERT_EQ(c.solver.getNumberParameters(), 3);
    for (int j = 0; j < 3; ++j)
        EXPECT_STREQ(c.solver.getParameterName(j), params[j]);
    EXPECT_EQ(c.solver.getNumberOfStateSpaceVariables(), 1);
    EXPECT_EQ(c.solver.getTimeMethod(), math::IntMethod::GaussLegendre3);
}

TEST(DAESolver, EveryMethodSeesTheTimeAndTheStatesAtItsOwnPoints)
{
    // x' = 1, y' = x from 0: x = t, y = t^2/2, which every method but
    // Euler integrates exactly; x' = t gives t^2/2 too, and x' = -a x reads
    // the parameter a beside the state.
    struct Case
    {
        const char* method;
        Groups groups;
        const char* var;
        double expected; // after ten steps of 0.1
    };
    const Case cases[] = {
        {"RK4", {"x = 0\ny = 0", "", "x' = 1\ny' = x"}, "y", 0.5},
        {"RK6", {"x = 0\ny = 0", "", "x' = 1\ny' = x"}, "y", 0.5},
        {"Trapez", {"x = 0\ny = 0", "", "x' = 1\ny' = x"}, "y", 0.5},
        {"Trapez", {"x = 0", "", "x' = t"}, "x", 0.5},
        {"RK4", {"x = 0", "", "x' = t"}, "x", 0.5},
        // Euler: x_n = sum of 0.1 t_k over k = 1..10.
        {"Euler", {"x = 0", "", "x' = t"}, "x", 0.55},
        {"Euler", {"x = 1", "a = 2", "x' = -a*x"}, "x", std::pow(1 / 1.2, 10)},
    };
    for (const Case& k : cases)
    {
        DAE c(dynamicModel("DAE", std::string(", method = ") + k.method, k.groups));
        ASSERT_TRUE(c.ok) << k.method << c.log;
        c.solver.setIntegrationStepSize(0.1);
        ASSERT_TRUE(c.solver.reset(0));
        EXPECT_EQ(c.solver.step(1), S::OK);
        if (std::string(k.var) == "y")
        {
            EXPECT_NEAR(re(c.value("y")), 0.005, 1e-14) << k.method; // h^2/2 after one step
        }
        EXPECT_EQ(c.solver.step(9), S::OK);
        EXPECT_NEAR(re(c.value(k.var)), k.expected, 1e-12) << k.method << " " << k.groups.odes;
    }
}

TEST(DAESolver, UnknownOrAbsentMethodIsTheTrapezoid)
{
    for (const std::string attribs : {"", ", method = Heun"})
    {
        DAE c(dynamicModel("DAE", attribs, {"x = 1", "", "x' = -x"}));
        ASSERT_TRUE(c.ok) << c.log;
        EXPECT_EQ(c.logged("@SC.WrongDAEMethod"), !attribs.empty());
        EXPECT_EQ(c.solver.getTimeMethod(), math::IntMethod::Trapezoid);
        c.solver.setIntegrationStepSize(0.1);
        ASSERT_TRUE(c.solver.reset(0));
        EXPECT_EQ(c.solver.step(1), S::OK);
        EXPECT_NEAR(re(c.value("x")), 0.95 / 1.05, 1e-13);
    }
}

TEST(DAESolver, ASolversMethodServesTheNextModelThatNamesNone)
{
    DAE c(dynamicModel("DAE", "", {"x = 1", "", "x' = -x"}));
    // Set after the read: the compiled trapezoid stays.
    c.solver.setTimeMethod(math::IntMethod::GaussLegendre3);
    c.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(1), S::OK);
    EXPECT_NEAR(re(c.value("x")), 0.95 / 1.05, 1e-13);
    // The next read takes it.
    ASSERT_TRUE(c.reload(dynamicModel("DAE", "", {"x = 1", "", "x' = -x"})));
    EXPECT_EQ(c.solver.getNumberVariables(), 4);
    c.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(1), S::OK);
    EXPECT_NEAR(re(c.value("x")), methods[3].R(-0.1), 1e-13);
}

TEST(DAESolver, ModelErrors)
{
    const std::vector<ModelError> cases = {
        {{"x = 1\ny = 0", "", "x' = int(y)", "y = 1"}, "@SC.ODEWithDiffAndInt"},
        {{"x = 1", "a = 1\nb = 1", "x = int(a) + int(b)"}, "@SC.ODEHasMultInts"},
        {{"x = 1", "", "x = 2 + x"}, "@SC.ODEMissInt"},
        {{"x = 1", "", "x = int(1) + 1"}, "@SC.ODEIntWrongOperators"},
        // Outside int only time-invariant factors: no variable, no t.
        {{"x = 1\ny = 1", "", "x = y*int(1)", "y = 1"}, "@SC.ODEIntWithSS"},
        {{"x = 1", "", "x = t*int(1)"}, "@SC.ODEIntWithSS"},
        {{"x = 1", "", "x' 1"}, "@SC.ODEExpected=Token"},
        {{"x = 1", "a = 1", "x' = a = 1"}, "@SC.WrongODEExp"},
        {{"x = 1", "a = 1", "a' = 1"}, "@SC.ODEExpectedVariable"},
        {{"x = 1\ny = 0", "", "x' = 1\nx' = 2"}, "@SC.DAEEqError"},
        {{"x = 1\ny = 0", "", "x' = 1"}, "@SC.Vars!=#Eqs"},
    };
    expectRefused<DAE>("DAE", cases, "@SC.ErrorDAEInit");
    DAE c(dynamicModel("DAE", "", {"x = 1\ny = 0", "", "x' = int(y)", "y = 1"}));
    EXPECT_TRUE(c.logged("@SC.DAEEqError"));
    // The message points at the int that must not be there.
    for (const auto& e : c.log.entries)
    {
        if (e.text == "@SC.ODEWithDiffAndInt")
        {
            EXPECT_EQ(e.column, 6u);
        }
    }
}

TEST(DAESolver, ResetAndStep)
{
    DAE c(dynamicModel("DAE", "", {"x = 1", "", "x' = -x"}));
    ASSERT_TRUE(c.ok);
    // No step from the model or the header yet.
    EXPECT_EQ(c.solver.getIntegrationStepSize(), 0.0);
    EXPECT_FALSE(c.solver.reset(0));
    EXPECT_TRUE(c.logged("@SC.ZeroOrNegDeltaT"));
    c.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(c.solver.reset(2.0));
    EXPECT_EQ(re(c.value("t")), 2.0);
    EXPECT_EQ(re(c.value("dT")), 0.1);
    EXPECT_EQ(c.solver.step(0), S::OK);
    EXPECT_EQ(re(c.value("x")), 1.0);
    EXPECT_EQ(re(c.value("t")), 2.0);
    EXPECT_EQ(c.solver.step(2), S::OK);
    EXPECT_NEAR(re(c.value("t")), 2.2, 1e-15);

    // A step that the model declares serves until another is set.
    DAE declared(dynamicModel("DAE", "", {"x = 1", "dT = 0.05", "x' = -x"}));
    ASSERT_TRUE(declared.ok);
    EXPECT_EQ(declared.solver.getIntegrationStepSize(), 0.05);
    EXPECT_TRUE(declared.solver.reset(0));
}

TEST(DAESolver, ReInitRestoresOnlyAFilledBackup)
{
    // With reInit a value set from outside is undone at the next step, back
    // to the values of the last reset; before any reset there is nothing
    // to go back to.
    DAE c(dynamicModel("DAE", ", reInit = true", {"x = 1", "", "x' = -x"}));
    ASSERT_TRUE(c.ok) << c.log;
    c.solver.setIntegrationStepSize(0.1);
    const double R = 0.95 / 1.05;
    EXPECT_TRUE(c.solver.setVariableValue("x", 5.0));
    EXPECT_EQ(c.solver.step(1), S::OK);
    EXPECT_NEAR(re(c.value("x")), 5 * R, 1e-12);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_TRUE(c.solver.setVariableValue("x", 7.0));
    EXPECT_EQ(c.solver.step(1), S::OK);
    EXPECT_NEAR(re(c.value("x")), 5 * R * R, 1e-12);
}

TEST(DAESolver, AFailingStepReturnsSolutionError)
{
    // y^2 + 1 = 0 has no real root: Newton never converges.
    DAE c(dynamicModel("DAE", "", {"x = 1\ny = 1", "", "x' = -x", "y^2 + 1 = 0"}));
    ASSERT_TRUE(c.ok) << c.log;
    c.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(3), S::SolutionError);
    EXPECT_NE(c.solver.getSolutionStatus(), S::OK);
    if constexpr (!isComplexBuild)
    {
        // NaN never converges either.
        DAE nan(dynamicModel("DAE", "", {"x = -1", "", "x' = sqrt(x)"}));
        ASSERT_TRUE(nan.ok);
        nan.solver.setIntegrationStepSize(0.1);
        ASSERT_TRUE(nan.solver.reset(0));
        EXPECT_EQ(nan.solver.step(1), S::SolutionError);
    }
}

TEST(DAESolver, ANonSquareSystemOrNoModelIsRefused)
{
    DAE c(dynamicModel("DAE", "", {"x = 1", "", "x' = -x"}));
    c.reload("Header:\nend\nModel [type = DAE]\nVars\nx\nNLEs\nx = 1\nend\n");
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.logged("@SC.NoDAEorTFEqs"));
    // A solver without a model refuses to run.
    EXPECT_FALSE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(1), S::SolutionError);
    Recorder r(&c.solver);
    EXPECT_FALSE(c.solver.solve(0, 0.1, 1, &r, 1));
    EXPECT_TRUE(c.logged("@SC.NoModelToSolve"));
}

TEST(DAESolver, RangeRuns)
{
    DAE c(dynamicModel("DAE", "", {"x = 1", "", "x' = -x"}));
    ASSERT_TRUE(c.ok);
    Recorder r(&c.solver);
    // 0 to 1 by 0.1: the start and every step up to 1.0, never beyond.
    ASSERT_TRUE(c.solver.solve(0, 0.1, 1, &r, 1));
    ASSERT_EQ(r.times.size(), 11u);
    for (unsigned k = 0; k < 11; ++k)
        EXPECT_NEAR(r.times[k], 0.1 * k, 1e-12);
    EXPECT_NEAR(r.values.back(), std::pow(0.95 / 1.05, 10), 1e-12);
    EXPECT_EQ(r.ends, std::vector<int> {3});
    EXPECT_EQ(c.solver.getIntegrationStepSize(), 0.1);

    // Every second point.
    Recorder every2(&c.solver);
    c.solver.setVariableValue("x", 1.0);
    ASSERT_TRUE(c.solver.solve(0, 0.1, 1, &every2, 2));
    EXPECT_EQ(every2.times.size(), 6u);

    // t0 >= t1 runs until the consumer stops it.
    Recorder stopper(&c.solver, 5);
    ASSERT_TRUE(c.solver.solve(1, 0.1, 0, &stopper, 1));
    EXPECT_EQ(stopper.times.size(), 5u);
    EXPECT_EQ(stopper.ends, std::vector<int> {3});

    EXPECT_FALSE(c.solver.solve(0, 0, 1, &r, 1));
    EXPECT_TRUE(c.logged("@SC.WrongDTForDAE"));
    EXPECT_FALSE(c.solver.solve(0, 0.1, 1, nullptr, 1));
    EXPECT_TRUE(c.logged("@SC.NoConsumer"));

    // A failing step ends the run with 0.
    DAE bad(dynamicModel("DAE", "", {"x = 1\ny = 1", "", "x' = -x", "y^2 + 1 = 0"}));
    Recorder failed(&bad.solver);
    EXPECT_FALSE(bad.solver.solve(0, 0.1, 1, &failed, 1));
    EXPECT_EQ(failed.ends, std::vector<int> {0});
}

TEST(DAESolver, AJacobianOfParametersIsFactorisedOnlyWhenItChanges)
{
    // The trapezoid's Jacobian of x' = -a x is -(1 + dT a / 2): no variable.
    DAE c(dynamicModel("DAE", "", {"x = 1", "a = 1", "x' = -a*x"}));
    ASSERT_TRUE(c.ok);
    c.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(10), S::OK);
    EXPECT_EQ(c.solver.getNoOfFactorisations(), 1u);
    // A new step size and a new a each change it once.
    c.solver.setIntegrationStepSize(0.2);
    EXPECT_EQ(c.solver.step(1), S::OK);
    EXPECT_NEAR(re(c.value("x")), std::pow(0.95 / 1.05, 10) * 0.9 / 1.1, 1e-12);
    EXPECT_TRUE(c.solver.setParamValue("a", 2.0));
    EXPECT_EQ(c.solver.step(1), S::OK);
    EXPECT_NEAR(re(c.value("x")), std::pow(0.95 / 1.05, 10) * 0.9 / 1.1 * 0.8 / 1.2, 1e-12);
    EXPECT_EQ(c.solver.getNoOfFactorisations(), 3u);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(5), S::OK);
    EXPECT_EQ(c.solver.getNoOfFactorisations(), 3u);

    // A Jacobian of the variables: a step starts from the last
    // factorisation and refactorises once after its first iteration; the
    // iterations after it converge on that one.
    DAE nonlinear(dynamicModel("DAE", "", {"x = 1", "n = 0", "x' = -x^2", "", "PostProc\nn += baseIter#"}));
    nonlinear.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(nonlinear.solver.reset(0));
    EXPECT_EQ(nonlinear.solver.step(10), S::OK);
    EXPECT_EQ(nonlinear.solver.getNoOfFactorisations(), 1u + 10u);
    EXPECT_EQ(nonlinear.solver.getSparseSolver()->getNoOfAnalyses(), 1u) << "the one of the model read";
    EXPECT_GT(re(nonlinear.value("n")), 20);
    // x' = -x^2 from 1 is 1/(1 + t); the trapezoid is second order.
    EXPECT_NEAR(re(nonlinear.value("x")), 0.5, 1e-3);
}

TEST(DAESolver, ALimitGroupThatAlwaysSignalsEndsAtTheIterationLimit)
{
    DAE c(dynamicModel("DAE", "",
                       {"x = 1", "on = 0", "x' = -x", "",
                        "Limits\ngroup\nif x > 10\non = 1\nelse [signal = MedLow]\non = 0\nend\nend"}));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    c.solver.setIntegrationStepSize(0.1);
    c.solver.setMaxIterations(10);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(1), S::SolutionError);
    EXPECT_EQ(c.solver.getSolutionStatus(), S::MaximumIteration);
    EXPECT_TRUE(c.logged("@SC.MaxIterLimit"));
}

TEST(DAESolver, PostProcessingSeesTheStepsIterations)
{
    // A linear step lands on its solution in one iteration; a non-linear
    // one needs a second to show that the correction has become small.
    DAE c(dynamicModel("DAE", "", {"x = 1", "n = 0", "x' = -x", "", "PostProc\nn += baseIter#"}));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    c.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(4), S::OK);
    EXPECT_EQ(re(c.value("n")), 4);
    DAE nonlinear(dynamicModel("DAE", "", {"x = 1", "n = 0", "x' = -x^2", "", "PostProc\nn += baseIter#"}));
    nonlinear.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(nonlinear.solver.reset(0));
    EXPECT_EQ(nonlinear.solver.step(1), S::OK);
    EXPECT_GE(re(nonlinear.value("n")), 2);
}

TEST(DAESolver, ModelsLargerThanABatchOfTrees)
{
    // 6000 equations x' = -a sin(x)^2 + cos(w t) are compiled in more than
    // one batch. Each has values of its own shared per pass (sin x, twice in
    // it), values of its step (its previous point), and one value of the step
    // that all share (cos(w t)). The trapezoid's step, solved here by Newton:
    // x1 = x0 + h/2 (g(x0, t0) + g(x1, t1)) with g(x, t) = -a sin(x)^2 + cos(w t).
    const int n = 6000;
    Groups g;
    for (int k = 1; k <= n; ++k)
    {
        const std::string x = "x" + std::to_string(k);
        g.vars += x + " = " + std::to_string(k) + "\n";
        g.odes += x + "' = -a*sin(" + x + ")*sin(" + x + ") + cos(w*t)\n";
    }
    g.params = "a = 2\nw = 3";
    DAE c(dynamicModel("DAE", "", g));
    ASSERT_TRUE(c.ok) << c.log;
    c.solver.setIntegrationStepSize(0.01);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(3), S::OK);
    const double h = 0.01;
    auto slope = [](double x, double t) { return -2 * std::sin(x) * std::sin(x) + std::cos(3 * t); };
    for (int k : {1, n / 2, n})
    {
        double x = k, t = 0;
        for (int i = 0; i < 3; ++i, t += h)
        {
            double x1 = x;
            for (int it = 0; it < 50; ++it)
            {
                const double r = x + h / 2 * (slope(x, t) + slope(x1, t + h)) - x1;
                x1 += r / (1 + h * 2 * std::sin(x1) * std::cos(x1));
            }
            x = x1;
        }
        EXPECT_NEAR(re(c.value(("x" + std::to_string(k)).c_str())), x, 1e-8) << k;
    }
}

TEST(DAESolver, ADynamicSubModelNeedsItsOwnTime)
{
    // One equation for the main model's one variable, without conjugates.
    const std::string text = std::string("Header:\nend\nModel [type = NL]\nVars") +
                             (isComplexBuild ? " [conj = false]" : "") +
                             "\nx = 0\n"
                             "SubModel [type = DAE]\nVars\nz = 1\nODEs\nz' = -z\nend\n"
                             "NLEs\nx = 1\nend\n";
    Compiled c(text);
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.logged("@SC.NoTimeParams")) << c.load.log << c.log;
}
} // namespace
} // namespace test
