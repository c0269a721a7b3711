// Weighted least squares through the model compiler: measurement models in,
// estimates checked against hand-solved normal equations.
#include <CompiledModel.h>
#include <NearlyEqual.h>
#include <gtest/gtest.h>
#include <sc/SolverFactory.h>
#include <solvers/WLSSolver.h>
#include <sparse/priv/Solvers.h>

#include <cmath>
#include <string>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;
using CompiledWLS = CompiledWith<WLSSolver>;

std::string model(const std::string& vars, const std::string& params, const std::string& measurements,
                  const std::string& constraints = "", const std::string& modelAttribs = "")
{
    std::string text = "Header:\nend\nModel [type = WLS" + modelAttribs + "]\nVars\n" + vars + "\n";
    if (!params.empty())
        text += "Params\n" + params + "\n";
    text += "WLSEs\n" + measurements + "\n";
    if (!constraints.empty())
        text += "ECs\n" + constraints + "\n";
    return text + "end\n";
}

const char* const lineFit = "a + b = 1.02 [w = 1]\na + 2*b = 2.97 [w = 2]\na + 3*b = 4.95 [w = 1]";

#if !SL_COMPLEX
// The normal equations [4 8; 8 18] (a, b) = (11.91, 27.75) give a = -0.9525,
// b = 1.965; with a + b = 1, a = 1 - b leaves 2 (b - 1.97)^2 + (2 b - 3.95)^2,
// least at b = 5.92 / 3. The model is linear: the second step is 0.
TEST(WLSSolver, LineFitWithAndWithoutAConstraint)
{
    struct Case
    {
        const char* constraints;
        double a, b;
    };
    const Case cases[] = {{"", -0.9525, 1.965}, {"a + b = 1", 1 - 5.92 / 3, 5.92 / 3}};
    for (const Case& k : cases)
    {
        CompiledWLS c(model("a = 0\nb = 0", "", lineFit, k.constraints));
        ASSERT_TRUE(c.ok) << c.load.log << c.log;
        EXPECT_EQ(c.solver.solve(), S::OK) << c.log;
        EXPECT_NEAR(c.value("a"), k.a, 1e-12) << k.constraints;
        EXPECT_NEAR(c.value("b"), k.b, 1e-12) << k.constraints;
        EXPECT_EQ(c.solver.getIterationsNo(), 2) << k.constraints;
        EXPECT_EQ(c.solver.getType(), sc::SolverType::WLS);
        // One sparse solver, its pattern analysed at init: every step a
        // Cholesky refactorisation.
        EXPECT_EQ(c.solver.solve(), S::OK);
        const auto* pSparse = dynamic_cast<sparse::priv::CholmodSolver<double>*>(c.solver.getSparseSolver());
        ASSERT_NE(pSparse, nullptr);
        EXPECT_EQ(pSparse->getStatistics().analyses, 1u);
        EXPECT_EQ(pSparse->getStatistics().factorisations, 3u);
        EXPECT_EQ(pSparse->getStatistics().fallbacks, 0u);
    }
}

// x measured three times: the estimate is the weighted mean sum w_i z_i / sum w_i;
// the weights are divided by the mean of the smallest and the largest.
TEST(WLSSolver, WeightsFromNumbersTruthValuesAndSymbols)
{
    struct Case
    {
        const char* w[3];
        double normalised[3];
        double x;
    };
    const Case cases[] = {
        {{"1", "2", "3"}, {0.5, 1, 1.5}, 14.0 / 6},
        // p = -4 and v = -3 weigh by their magnitude; true 1, false 0.
        {{"p", "true", "false"}, {2, 0.5, 0}, 6.0 / 5},
        {{"v", "", "0.5"}, {3 / 1.75, 1 / 1.75, 0.5 / 1.75}, (3 + 2 + 1.5) / 4.5},
    };
    for (const Case& k : cases)
    {
        std::string lines;
        for (int i = 0; i < 3; ++i)
        {
            lines += "x = " + std::to_string(i + 1);
            if (*k.w[i])
                lines += std::string(" [w = ") + k.w[i] + "]";
            lines += "\n";
        }
        CompiledWLS c(model("x = 0\nv = -3", "p = -4", lines + "v = -3"));
        ASSERT_TRUE(c.ok) << lines << c.load.log << c.log;
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(c.solver.getWeights().getValue(i), k.normalised[i], 1e-15) << lines;
        EXPECT_EQ(c.solver.solve(), S::OK);
        EXPECT_NEAR(c.value("x"), k.x, 1e-12) << lines;
    }
}

// (x^2 - 4)^2 + (x - 2.1)^2 is least where 2 x^3 - 7 x - 2.1 = 0.
TEST(WLSSolver, NonLinearMeasurementsMeetAtTheLeastMisfit)
{
    CompiledWLS c(model("x = 2", "", "x^2 = 4\nx = 2.1", "", ", eps = 1e-12"));
    ASSERT_TRUE(c.ok) << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    const double x = c.value("x");
    EXPECT_NEAR(x, 2.0058581, 1e-7);
    EXPECT_NEAR(2 * x * x * x - 7 * x - 2.1, 0, 1e-12);
}

TEST(WLSSolver, Failures)
{
    struct Case
    {
        const char* name;
        std::string text;
        S status;
        const char* key;
    };
    const Case cases[] = {
        // a + b is measured twice, a - b never: H*WH is singular.
        {"rank deficient", model("a = 0\nb = 0", "", "a + b = 1\n2*a + 2*b = 2.2"), S::SolutionError,
         "@CE.WLSEErrorSolve"},
        {"iteration limit", model("x = 10", "", "x^3 = 2", "", ", maxIter = 2"), S::MaximumIteration,
         "@SC.MaxIterLimit"},
        // The constraint's step is 2e-9 (x flips between -1e-9 and 1e-9)
        // while the constraint stays at 2e-3: the iteration limit ends it.
        {"constraint never met", model("x = 1", "", "x = 0", "1e6*(abs(x) + 1e-9) = 0", ", maxIter = 20"),
         S::MaximumIteration, "@SC.MaxIterLimit"},
        // Newton on x^2 = -1: x := (x^2 - 1) / (2 x), steps of at least 1
        // that keep growing past five times their least.
        {"oscillation", model("x = 0.5", "", "x^2 = -1", "", ", maxIter = 20000"), S::Oscillation, "@SC.Oscillation"},
        // The same map with a constraint: from x = y the constrained step
        // keeps x = y, so x y = -1 is again x^2 = -1.
        {"oscillation with a constraint", model("x = 0.5\ny = 0.5", "", "x*y = -1", "x - y = 0", ", maxIter = 20000"),
         S::Oscillation, "@SC.Oscillation"},
        // sqrt(-1) is NaN in reals: the residual and the derivative too.
        {"NaN measurement", model("x = -1", "", "sqrt(x) = 2"), S::SolutionError, "@CE.WLSEErrorSolve"},
        // The derivative is 1 but the residual is NaN: the normal
        // equations factorise and the step comes out NaN.
        {"NaN step", model("x = 0", "p = -1", "x + sqrt(p) = 2"), S::SolutionError, "@CE.WLSEErrorSolve"},
        {"NaN step with a constraint", model("x = 0\ny = 0", "p = -1", "x + sqrt(p) = 2", "x - y = 0"),
         S::SolutionError, "@CE.WLSEErrorSolve"},
    };
    for (const Case& k : cases)
    {
        CompiledWLS c(k.text);
        ASSERT_TRUE(c.ok) << k.name << c.log;
        EXPECT_EQ(c.solver.solve(), k.status) << k.name;
        EXPECT_TRUE(c.logged(k.key)) << k.name << c.log;
    }
}
TEST(WLSSolver, AsSubModel)
{
    // The sub-model estimates u, the mean of 1 and 3, and hands it over.
    Compiled c("Header:\nend\nModel [type = NL]\nVars\n  x = 0\nParams\n  p = 0\nSubModel [type = WLS]\n  Vars\n"
               "    u = 0\n  WLSEs\n    u = 1\n    u = 3\n  PostProc\n    @main.p = u\nend\nNLEs\n  x = p + 1\nend\n");
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    ASSERT_EQ(c.solver._subModels.size(), 1u);
    EXPECT_EQ(c.solver._subModels[0]->getType(), sc::SolverType::WLS);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("x"), 3, 1e-12);
}

#else
// z measured as 1 + i and 3 + 3i: the mean, with and without conjugates.
TEST(WLSSolver, ComplexMeanWithAndWithoutConjugates)
{
    for (const char* vars : {"Vars\n", "Vars [conj = false]\n"})
    {
        std::string text = std::string("Header:\nend\nModel [type = WLS, domain = cmplx]\n") + vars +
                           "z = 0\nWLSEs\nz = 1+1i\nz = 3+3i\nend\n";
        CompiledWLS c(text);
        ASSERT_TRUE(c.ok) << vars << c.load.log << c.log;
        EXPECT_EQ(c.solver.solve(), S::OK) << vars;
        EXPECT_NEAR(std::abs(c.value("z") - Value(2, 2)), 0, 1e-12) << vars;
    }
}

// |z|^2 = 25 and z - conj(z) = 6i hold at 4 + 3i: the misfit is 0 there.
TEST(WLSSolver, ConjugateMeasurements)
{
    CompiledWLS c(model("z = 3 + 2i", "", "z*conj(z) = 25\nz - conj(z) = 6i", "", ", domain = cmplx"));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(std::abs(c.value("z") - Value(4, 3)), 0, 1e-9);
    EXPECT_NEAR(std::abs(c.value("#z") - Value(4, -3)), 0, 1e-9);
}
#endif

TEST(WLSSolver, ModelErrors)
{
    const std::pair<std::string, const char*> cases[] = {
        {model("a\nb\nc", "", "a + b = 1", "c = 2"), "@SC.WLSNotEnoughEQs"},
        {"Header:\nend\nModel [type = WLS]\nVars\nx\nend\n", "@SC.WLSNoWLSEs"},
        {model("x", "", "x = 1 [w = -2]"), "@CS.WLSEsError"},
        // min has no derivative.
        {model("x", "", "x = 1", "min(x, 1) = 0"), "@CS.WLSECError"},
    };
    for (const auto& [text, key] : cases)
    {
        CompiledWLS c(text);
        EXPECT_FALSE(c.ok) << text;
        EXPECT_TRUE(c.logged(key)) << text << c.log;
    }
    // 3 variables, 2 measurements and a constraint: enough.
    CompiledWLS c(model("a\nb\nc", "", "a + b = 1\nb + c = 2", "a - c = 0"));
    EXPECT_TRUE(c.ok) << c.log;
}

TEST(WLSSolver, Factory)
{
    CollectingLog log;
#if SL_COMPLEX
    auto* pSolver = sc::createCmplxWLSSolver(&log, 20);
#else
    auto* pSolver = sc::createDblWLSSolver(&log, 20);
#endif
    ASSERT_NE(pSolver, nullptr);
    EXPECT_EQ(pSolver->getType(), sc::SolverType::WLS);
    EXPECT_EQ(pSolver->getMaxIterations(), 20);
    EXPECT_TRUE(log.entries.empty());
    pSolver->release();
}

TEST(WLSSolver, SolveWithoutAModel)
{
    CollectingLog log;
    WLSSolver solver(&log, 100, 1e-6);
    EXPECT_EQ(solver.solve(), S::SolutionError);
    EXPECT_FALSE(log.entries.empty());
}
} // namespace
} // namespace test
