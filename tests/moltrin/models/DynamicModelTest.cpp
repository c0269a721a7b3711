// Dynamic models through the model objects: the header's time step, reset
// and step on both kinds, closed-form answers.
#include <ModelSupport.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace test
{
namespace
{
using S = sc::Solution;

Owned<sc::IRealDynamicModel> dynamicModel(sc::IDynamic::Problem problem, sc::ILog* pLog)
{
    return Owned<sc::IRealDynamicModel>(sc::createRealDynamicModel(problem, pLog, 100));
}

// x' = -x from 1 with y = 2x, in steps of 0.1 from the header.
std::string decay(const std::string& type)
{
    const bool dae = type == "DAE";
    return "Header:\ndTime = 0.1\nend\nModel [type = " + type + ", method = RK4]\nVars\nx = 1\n" + (dae ? "y\n" : "") +
           "ODEs\nx' = -x\n" + (dae ? "NLEs\ny = 2*x\n" : "") + "end\n";
}

double valueOf(sc::IRealDynamicModel& model, const char* name)
{
    cnt::SafeFullVector<double> values;
    model.getVariableValues(values);
    const long index = model.getVariableIndex(text(name));
    if (index >= 0 && std::size_t(index) < values.size())
        return values[std::size_t(index)];
    cnt::SafeFullVector<double> params;
    model.getParameterValues(params);
    return params[std::size_t(model.getParameterIndex(text(name)))];
}

TEST(DynamicModel, ImplicitStepsFromTheHeadersStep)
{
    CollectingLog log;
    auto model = dynamicModel(sc::IDynamic::Problem::DAE, &log);
    ASSERT_TRUE(model);
    ASSERT_TRUE(model->initFromString(text(decay("DAE")))) << log;
    sc::IDynamic& dynamic = *model->getSolverInterface();
    EXPECT_EQ(dynamic.getStepSize(), 0.1);
    ASSERT_TRUE(dynamic.reset(0));
    EXPECT_EQ(dynamic.step(10), S::OK);
    // Two-stage Gauss-Legendre: R(z) = (1 + z/2 + z^2/12) / (1 - z/2 + z^2/12).
    const double R = (1 - 0.05 + 0.01 / 12) / (1 + 0.05 + 0.01 / 12);
    EXPECT_NEAR(valueOf(*model, "x"), std::pow(R, 10), 1e-12);
    EXPECT_NEAR(valueOf(*model, "y"), 2 * std::pow(R, 10), 1e-12);
    EXPECT_NEAR(valueOf(*model, "t"), 1.0, 1e-12);
    dynamic.setStepSize(0.2);
    EXPECT_EQ(dynamic.getStepSize(), 0.2);
    EXPECT_EQ(dynamic.step(-1), S::SolutionError);
}

TEST(DynamicModel, ExplicitStepsAndResetsItsTime)
{
    CollectingLog log;
    auto model = dynamicModel(sc::IDynamic::Problem::ODE, &log);
    ASSERT_TRUE(model->initFromString(text(decay("ODE")))) << log;
    sc::IDynamic& dynamic = *model->getSolverInterface();
    ASSERT_TRUE(dynamic.reset(5));
    EXPECT_EQ(valueOf(*model, "t"), 5);
    EXPECT_EQ(dynamic.step(10), S::OK);
    EXPECT_NEAR(valueOf(*model, "x"), std::pow(0.905, 10), 1e-14);
    EXPECT_NEAR(valueOf(*model, "t"), 6, 1e-12);
}
} // namespace
} // namespace test
