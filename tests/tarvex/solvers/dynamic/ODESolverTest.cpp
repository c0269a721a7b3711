// The explicit integrator: Heun's step x + h/2 (f(t, x) + f(t + h, x + h f))
// worked by hand, stepping, range runs and the errors of its models.
#include <DynamicModel.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

TEST(ODESolver, HeunSteps)
{
    for (const char* form : {"x' = -x", "x = int(-x)", "x = 2*int(-x/2)"})
    {
        ODE c(dynamicModel("ODE", "", {"x = 1", "", form}));
        ASSERT_TRUE(c.ok) << form << c.load.log << c.log;
        c.solver.setIntegrationStepSize(0.1);
        ASSERT_TRUE(c.solver.reset(0));
        // f0 = -1, the predictor 0.9, f1 = -0.9: 1 + 0.05 (-1.9).
        EXPECT_EQ(c.solver.step(1), S::OK);
        EXPECT_NEAR(re(c.value("x")), 0.905, 1e-15) << form;
        EXPECT_NEAR(re(c.value("t")), 0.1, 1e-15);
        EXPECT_EQ(c.solver.step(9), S::OK);
        EXPECT_NEAR(re(c.value("x")), std::pow(0.905, 10), 1e-15) << form;
        EXPECT_NEAR(re(c.value("x")), 0.368540985, 1e-9);
        EXPECT_EQ(c.solver.getIterationsNo(), 10);
    }
}

TEST(ODESolver, BothSlopesAtTheirOwnTimes)
{
    // f0 at t, f1 at t + h: exact for x' = t, and a system reads every
    // predictor value in its second slope.
    ODE c(dynamicModel("ODE", "", {"x = 0\ny = 0", "", "x' = t\ny' = x"}));
    ASSERT_TRUE(c.ok) << c.log;
    c.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(c.solver.reset(0));
    EXPECT_EQ(c.solver.step(10), S::OK);
    EXPECT_NEAR(re(c.value("x")), 0.5, 1e-14);
    // y' = x with x from Heun: y_{n+1} = y_n + h/2 (x_n + x_n + h t_n).
    double x = 0, y = 0, t = 0;
    for (int k = 0; k < 10; ++k, t += 0.1)
    {
        y += 0.05 * (x + (x + 0.1 * t));
        x += 0.05 * (t + t + 0.1);
    }
    EXPECT_NEAR(re(c.value("y")), y, 1e-14);
    // reset sets the time; step(0) changes nothing.
    ASSERT_TRUE(c.solver.reset(3.0));
    EXPECT_EQ(re(c.value("t")), 3.0);
    EXPECT_EQ(c.solver.step(0), S::OK);
    EXPECT_EQ(re(c.value("t")), 3.0);
    c.solver.setIntegrationStepSize(0);
    EXPECT_FALSE(c.solver.reset(0));
    EXPECT_TRUE(c.logged("@SC.ZeroOrNegDeltaT"));
}

TEST(ODESolver, RangeRunsStepWhileTheTimeIsWithinTheRange)
{
    ODE c(dynamicModel("ODE", "", {"x = 1", "", "x' = -x"}));
    ASSERT_TRUE(c.ok);
    Recorder r(&c.solver);
    ASSERT_TRUE(c.solver.solve(0, 0.25, 1, &r, 1));
    const std::vector<double> times = {0, 0.25, 0.5, 0.75, 1.0, 1.25};
    EXPECT_EQ(r.times, times);
    EXPECT_NEAR(r.values.back(), std::pow(1 - 0.25 + 0.25 * 0.25 / 2, 5), 1e-14);
    EXPECT_EQ(r.ends, std::vector<int> {3});

    Recorder stopper(&c.solver, 4);
    ASSERT_TRUE(c.solver.solve(1, 0.25, 0, &stopper, 1));
    EXPECT_EQ(stopper.times.size(), 4u);

    EXPECT_FALSE(c.solver.solve(0, -1, 1, &r, 1));
    EXPECT_TRUE(c.logged("@SC.WrongDTForODE"));
    EXPECT_FALSE(c.solver.solve(0, 0.25, 1, nullptr, 1));
    EXPECT_TRUE(c.logged("@SC.NoConsumer"));
}

TEST(ODESolver, ModelErrors)
{
    const std::vector<ModelError> cases = {
        {{"x = 1\ny = 1", "", "x' = -x"}, "@SC.#Vars!=#ODEs"},
        // Two equations for x leave y without one.
        {{"x = 1\ny = 1", "", "x' = -x\nx' = 1"}, "@SC.DAEEqError"},
        {{"x = 1", "a = 1\nb = 1", "x = int(a) + int(b)"}, "@SC.ODEHasMultInts"},
        {{"x = 1", "", "x' = int(x)"}, "@SC.ODEWithDiffAndInt"},
    };
    expectRefused<ODE>("ODE", cases, "@SC.ODEReadModelError");
}
} // namespace
} // namespace test
