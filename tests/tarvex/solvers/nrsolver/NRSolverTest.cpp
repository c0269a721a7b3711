// Newton-Raphson through the model compiler: model text in, solutions
// checked against closed forms.
#include <CompiledModel.h>
#include <solvers/NRSolver.h>
#include <NearlyEqual.h>
#include <gtest/gtest.h>
#include <sc/SolverFactory.h>
#include <sparse/ISolver.h>

#include <cmath>
#include <memory>
#include <string>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

std::string model(const std::string& vars, const std::string& params, const std::string& equations,
                  const std::string& modelAttribs = "")
{
    std::string text = "Header:\nend\nModel [type = NL" + modelAttribs + "]\nVars\n" + vars + "\n";
    if (!params.empty())
        text += "Params\n" + params + "\n";
    return text + "NLEs\n" + equations + "\nend\n";
}

#if !SL_COMPLEX
TEST(NRSolver, CircleAndLine)
{
    Compiled c(model("x = 1\ny = 2", "r = 5", "x^2 + y^2 = r^2\nx - y = 1"));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("x"), 4, 1e-9);
    EXPECT_NEAR(c.value("y"), 3, 1e-9);
    // Again from there with another radius: x - y = 1 and x^2 + y^2 = 841.
    EXPECT_TRUE(c.solver.setParamValue("r", 29));
    EXPECT_EQ(c.solver.solve(), S::OK);
    // The step stops once the residual is below 1e-6: x is then within 1e-7.
    EXPECT_NEAR(c.value("x"), 21, 1e-7);
    EXPECT_NEAR(c.value("y"), 20, 1e-7);
    EXPECT_STREQ(c.solver.getSolutionStatusStr(), "OK");
}

TEST(NRSolver, SquareRootOfTwoInFourSteps)
{
    // Newton from 1: 1.5, 1.41667, 1.4142157, 1.41421356237; |x^2 - 2| falls
    // below 1e-6 at the fourth step (6.0e-6 after the third).
    Compiled c(model("x = 1", "", "x^2 - 2 = 0"));
    ASSERT_TRUE(c.ok) << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("x"), 1.41421356237469, 1e-14); // the fourth iterate
    EXPECT_EQ(c.solver.getIterationsNo(), 4);
    EXPECT_LT(c.solver.getSolvedPrecision(), 1e-6);
}

TEST(NRSolver, StartingAtTheSolutionTakesNoStep)
{
    Compiled c(model("x = 2", "", "x^2 - 4 = 0"));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_EQ(c.solver.getIterationsNo(), 0);
}

TEST(NRSolver, Failures)
{
    {
        // Only parameters in the equation: no Jacobian entry at all.
        Compiled c(model("x = 1", "p = 2", "p = 2"));
        ASSERT_TRUE(c.ok) << c.log;
        EXPECT_EQ(c.solver.solve(), S::SolutionError);
        EXPECT_EQ(c.solver.getSolutionStatus(), S::EmptyMatrix);
        EXPECT_TRUE(c.logged("@SC.EmptyJacobian"));
    }
    {
        Compiled c(model("x = 1\ny = 1", "", "x + y = 1\n2*x + 2*y = 2"));
        ASSERT_TRUE(c.ok);
        EXPECT_EQ(c.solver.solve(), S::FactorizationError);
        EXPECT_STREQ(c.solver.getSolutionStatusStr(), "FactorizationError");
        EXPECT_TRUE(c.logged("@SC.ErrFactorize"));
    }
    {
        // 2x is singular at 0; from 1 the same model solves, factorised
        // afresh on the analysis made when it was read.
        Compiled c(model("x = 0", "", "x^2 - 4 = 0"));
        ASSERT_TRUE(c.ok);
        EXPECT_EQ(c.solver.solve(), S::FactorizationError);
        c.solver.getVariablesPtr()[0] = 1;
        EXPECT_EQ(c.solver.solve(), S::OK);
        EXPECT_NEAR(c.value("x"), 2, 1e-6);
        EXPECT_EQ(c.solver.getSparseSolver()->getNoOfAnalyses(), 1u);
    }
    {
        Compiled c(model("x = 10", "", "x^3 - 2 = 0", ", maxIter = 1"));
        ASSERT_TRUE(c.ok);
        EXPECT_EQ(c.solver.solve(), S::MaximumIteration);
        EXPECT_STREQ(c.solver.getSolutionStatusStr(), "MaxIters");
        EXPECT_TRUE(c.logged("@SC.MaxIterLimit"));
    }
    {
        // Newton on the cube root doubles x and flips its sign: the residual
        // grows from 1e5 by 2^(1/3) a step and has risen twice at the third.
        Compiled c(model("x = 1e15", "", "sign(x)*abs(x)^(1/3) = 0"));
        ASSERT_TRUE(c.ok) << c.log;
        EXPECT_EQ(c.solver.solve(), S::NoImprovement);
        EXPECT_EQ(c.solver.getIterationsNo(), 3);
        EXPECT_NEAR(c.value("x"), -8e15, 1e3);
        EXPECT_STREQ(c.solver.getSolutionStatusStr(), "NoImprovement");
        EXPECT_TRUE(c.logged("@SC.NoImprovement"));
    }
    {
        // A NaN residual is never a solution.
        Compiled c(model("x = -1", "", "sqrt(x) - 2 = 0"));
        ASSERT_TRUE(c.ok);
        const S s = c.solver.solve();
        EXPECT_NE(s, S::OK);
        EXPECT_NE(s, S::BaseOK);
    }
}

TEST(NRSolver, ModelErrors)
{
    const std::pair<std::string, const char*> cases[] = {
        {model("x\ny", "", "x = 1"), "@CS.#Vars!=#Eqs"},
        {model("x", "", "if x > 1\nx = 2\nx = 3\nelse\nx = 1\nend"), "@SC.IfBranchTwoExprs"},
        {model("x", "", "if x > 1\nx = 2\nend"), "@SC.IncompleteIfElse"},
    };
    for (const auto& [text, key] : cases)
    {
        Compiled c(text);
        EXPECT_FALSE(c.ok) << text;
        EXPECT_TRUE(c.logged(key)) << text << c.log;
    }
    // The counts go with the key: one equation for two variables.
    Compiled c(model("x\ny", "", "x = 1"));
    ASSERT_FALSE(c.log.entries.empty());
    EXPECT_EQ(c.log.entries[0].text, "@CS.#Vars!=#Eqs");
    EXPECT_EQ(c.log.entries[0].arguments, (std::vector<std::string> {"1", "2"}));
}

TEST(NRSolver, SolveWithoutAModel)
{
    CollectingLog log;
    NRSolver solver(&log);
    EXPECT_EQ(solver.solve(), S::SolutionError);
    EXPECT_FALSE(log.entries.empty());
}

TEST(NRSolver, InitialValuesInDeclarationOrder)
{
    struct Case
    {
        const char* params;
        double b, c;
    };
    const Case cases[] = {
        {"a = 2\nb = a*3\nc = 0", 6, 0},
        {"b = c*3\nc = 2\na = 0", 6, 2},
        {"b = c*3\nc = a+1\na = 2", 0, 3}, // b reads c before it is evaluated
    };
    for (const Case& k : cases)
    {
        Compiled c(model("x = 1", k.params, "x - a - b - c = 0"));
        ASSERT_TRUE(c.ok) << k.params << c.log;
        Value b, cv;
        c.solver.getParamValue("b", b);
        c.solver.getParamValue("c", cv);
        EXPECT_EQ(b, Value(k.b)) << k.params;
        EXPECT_EQ(cv, Value(k.c)) << k.params;
    }
}

TEST(NRSolver, ConditionalEquation)
{
    // x = 2 where the branch holds, else x = 5: from 3 the then-branch.
    Compiled c(model("x = 3", "", "if x > 1\nx - 2 = 0\nelse\nx - 5 = 0\nend"));
    ASSERT_TRUE(c.ok) << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("x"), 2, 1e-12);
}

TEST(NRSolver, BranchEntriesChangeTheirPlacesBetweenIterations)
{
    // Row 0 is x - z = 0 below x = 2 and x - 3 y = 0 above: the Jacobian's
    // places differ between the branches. From 0 the first step lands at
    // (4, 2, 4) (then-branch); there the else-branch, linear too, gives
    // x = 3 y = 6. Again with p = 5: y = 1, x = 3, all in the else-branch.
    Compiled c(model("x = 0\ny = 0\nz = 0", "p = 4", "if x < 2\nx - z = 0\nelse\nx - 3*y = 0\nend\ny + z = 6\nz = p"));
    ASSERT_TRUE(c.ok) << c.log;
    ASSERT_NE(c.solver.getSparseSolver(), nullptr);
    EXPECT_EQ(c.solver.getSparseSolver()->getNoOfAnalyses(), 1u) << "analysed when read";
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_EQ(c.solver.getIterationsNo(), 2);
    EXPECT_NEAR(c.value("x"), 6, 1e-12);
    EXPECT_NEAR(c.value("y"), 2, 1e-12);
    EXPECT_NEAR(c.value("z"), 4, 1e-12);
    EXPECT_TRUE(c.solver.setParamValue("p", 5));
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("x"), 3, 1e-12);
    EXPECT_NEAR(c.value("y"), 1, 1e-12);
    EXPECT_EQ(c.solver.getSparseSolver()->getNoOfAnalyses(), 1u) << "no solve analyses again";
}

TEST(NRSolver, PivotsChosenAtTheStartValuesGiveWayToTheSolvesValues)
{
    // p x + y = 1, x + p y = 2: x = (p - 2) / (p^2 - 1), y = (2p - 1) / (p^2 - 1).
    // The factorisation made when read uses the start values. With p = 1
    // there it is singular; with p = 2 its diagonal pivots do not suit
    // p = 1e-18.
    for (const double atRead : {1.0, 2.0})
    {
        for (const double atSolve : {2.0, 1e-18})
        {
            Compiled c(model("x = 0\ny = 0", "p = " + std::to_string(atRead), "p*x + y = 1\nx + p*y = 2"));
            ASSERT_TRUE(c.ok) << c.log;
            EXPECT_TRUE(c.solver.setParamValue("p", atSolve));
            EXPECT_EQ(c.solver.solve(), S::OK) << atRead << " " << atSolve;
            const double d = atSolve * atSolve - 1;
            EXPECT_NEAR(c.value("x"), (atSolve - 2) / d, 1e-12) << atRead << " " << atSolve;
            EXPECT_NEAR(c.value("y"), (2 * atSolve - 1) / d, 1e-12) << atRead << " " << atSolve;
        }
    }
}

TEST(NRSolver, LimitedExpressions)
{
    // Inside its bounds lim(y) is y: x = y = 2; clamped at 1: x = 1, y = 3.
    const std::pair<const char*, double> cases[] = {{"5", 2}, {"1", 1}};
    for (const auto& [upper, x] : cases)
    {
        Compiled c(model("x = 0\ny = 0.5", "", std::string("x - lim(y, 0, ") + upper + ") = 0\ny + x = 4"));
        ASSERT_TRUE(c.ok) << c.log;
        EXPECT_EQ(c.solver.solve(), S::OK) << upper;
        EXPECT_NEAR(c.value("x"), x, 1e-9) << upper;
        EXPECT_NEAR(c.value("y"), 4 - x, 1e-9) << upper;
    }
}

TEST(NRSolver, LoadsAgainOnOneObject)
{
    Compiled c(model("x = 1", "", "x - 3 = 0"));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.solver.solve(), S::OK);
    Load second;
    second.fromString(model("u = 1\nv = 1", "", "u + v = 3\nu - v = 1"));
    ASSERT_TRUE(c.solver.init(&second.naming, second.model.get(), true));
    EXPECT_EQ(c.solver.getNumberVariables(), 2);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("u"), 2, 1e-12);
    EXPECT_EQ(c.solver.getVariableIndex("x"), -1);
    char text[64];
    c.solver.getDerDescription(text, sizeof(text), 3, 1);
    EXPECT_STREQ(text, "d(Eq3)/d(v)=");
}
#else
TEST(NRSolver, ComplexRoot)
{
    Compiled c("Header:\nend\nModel [type = NL, domain = cmplx]\nVars [conj = false]\nz = 1 + 1i\nNLEs\n"
               "z*z + 4 = 0\nend\n");
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.getNumberVariables(), 1);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("z").real(), 0, 1e-9);
    EXPECT_NEAR(c.value("z").imag(), 2, 1e-9);
}

TEST(NRSolver, ConjugateVariablesAreUnknownsToo)
{
    // z conj(z) = 25 and z - conj(z) = 6i: |z| = 5, Im z = 3; from 3 + 2i, 4 + 3i.
    Compiled c(model("z = 3 + 2i", "", "z*conj(z) = 25\nz - conj(z) = 6i", ", domain = cmplx"));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.getNumberVariables(), 2);
    EXPECT_EQ(c.solver.solve(), S::OK);
    const Value z = c.value("z");
    EXPECT_NEAR(z.real(), 4, 1e-9);
    EXPECT_NEAR(z.imag(), 3, 1e-9);
    EXPECT_NEAR(c.value("#z").imag(), -3, 1e-9);
    // Again from 1 + 3i, on the line z - conj(z) = 6i with Re z > 0, where
    // Newton stays: the pattern analysed when read serves.
    c.solver.getVariablesPtr()[0] = Value(1, 3);
    c.solver.getVariablesPtr()[1] = Value(1, -3);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(c.value("z").real(), 4, 1e-6); // the residual stops below 1e-6
    EXPECT_EQ(c.solver.getSparseSolver()->getNoOfAnalyses(), 1u);
}
#endif

TEST(SolverFactories, EveryKind)
{
    CollectingLog log;
#if SL_COMPLEX
    sc::ISolver<Value>* solvers[] = {sc::createCmplxNRSolver(&log, 20), sc::createCmplxWLSSolver(&log, 20),
                                     sc::createCmplxDAESolver(&log, 20), sc::createCmplxODESolver(&log)};
#else
    sc::ISolver<Value>* solvers[] = {sc::createDblNRSolver(&log, 20), sc::createDblWLSSolver(&log, 20),
                                     sc::createDblDAESolver(&log, 20), sc::createDblODESolver(&log)};
#endif
    const sc::SolverType types[] = {sc::SolverType::NR, sc::SolverType::WLS, sc::SolverType::DAE, sc::SolverType::ODE};
    const int limits[] = {20, 20, 20, 0}; // the explicit integrator has none
    for (int k = 0; k < 4; ++k)
    {
        ASSERT_NE(solvers[k], nullptr);
        EXPECT_EQ(solvers[k]->getType(), types[k]);
        EXPECT_EQ(solvers[k]->getMaxIterations(), limits[k]);
        solvers[k]->release();
    }
    EXPECT_TRUE(log.entries.empty());
}
} // namespace
} // namespace test
