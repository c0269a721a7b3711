// Expressions far longer or deeper than the call stack could walk, and
// derivatives that would swell if their rules copied what they reuse: they
// compile, their derivatives agree with recurrences computed here, and the
// pools the compile built its trees from are given back.
#include <CompiledModel.h>
#include <EntryRecorder.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <solvers/NRSolver.h>
#include <NearlyEqual.h>
#include <gtest/gtest.h>
#include <sparse/ISolver.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>

namespace test
{
namespace
{
using namespace SL_NS;

#if SL_COMPLEX
const std::string modelHead = "Header:\nend\nModel [type = NL, domain = cmplx, eps = 1e-9]\nVars [conj = false]\n";
#else
const std::string modelHead = "Header:\nend\nModel [type = NL, eps = 1e-9]\nVars\n";
#endif

std::string model(const std::string& start, const std::string& equation)
{
    return modelHead + "x = " + start + "\nNLEs\n" + equation + "\nend\n";
}

std::string repeat(const std::string& s, int n)
{
    std::string out;
    out.reserve(s.size() * std::size_t(n));
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// A chain of n operands joined by op.
std::string chain(const std::string& operand, const std::string& op, int n)
{
    return operand + repeat(op + operand, n - 1);
}

double real(const Value& v) { return std::real(v); }

// d f / dx at the start point, as the solver's programs compute it.
Value jacobianAtStart(Compiled& c)
{
    c.solver.evaluateShared();
    EntryRecorder r;
    c.solver.getJacobian().evaluateAndInsertToSolver(&r);
    return r.entries[{0, 0}];
}

TEST(LargeExpressions, LongAndDeepTextsSolve)
{
    const int n = 100000;
    struct Case
    {
        const char* name;
        std::string equation;
        double solution;
    };
    const Case cases[] = {
        // n (x^2 / n) = 4.
        {"a sum of 100,000 terms", chain("0.00001*x*x", " + ", n) + " = 4", 2},
        // (1 + x/n)^n = 2.
        {"a product of 100,000 factors", chain("(1 + x/100000)", "*", n) + " = 2", n * (std::pow(2.0, 1.0 / n) - 1)},
        {"100,000 nested brackets", repeat("(", n) + "x" + repeat(")", n) + " = 2", 2},
        // An odd number of signs.
        {"100,001 chained minus signs", repeat("-(", n + 1) + "x" + repeat(")", n + 1) + " = 2", -2},
        // The derivative merges 2 with the signs, which the tree algebra takes off one by one.
        {"a factor under 100,000 signs", "2*x*(" + repeat("-(", n) + "3" + repeat(")", n) + ") = 6", 1},
    };
    for (const Case& c : cases)
    {
        Compiled m(model("1", c.equation));
        ASSERT_TRUE(m.ok) << c.name << m.load.log << m.log;
        EXPECT_EQ(m.solver.solve(), sc::Solution::OK) << c.name << m.log;
        EXPECT_NEAR(real(m.value("x")), c.solution, 1e-9) << c.name;
        // Nothing of the trees outlives the compile.
        EXPECT_EQ(m.solver._pools->nodes.getNoOfChunks(), 0u) << c.name;
        EXPECT_EQ(m.solver._pools->tokens.getNoOfChunks(), 0u) << c.name;
    }
}

// Texts of a few kilobytes whose derivatives reuse a growing subtree at every
// level: each level's program must stay a few instructions.
TEST(LargeExpressions, DerivativesThatReuseWhatTheyDifferentiateStaySmall)
{
    struct Case
    {
        const char* name;
        std::string equation;
        double x;
        int operands;
        std::function<double(double)> derivative; // by a recurrence over the levels
    };
    const Case cases[] = {
        // x/x/.../x of 1,000 operands is x^(2 - 1000).
        {"a chain of quotients", chain("x", "/", 1000) + " = 2", 1.01, 1000,
         [](double x) { return -998 * std::pow(x, -999); }},
        // "^" binds to the left: ((x^x)^x ...)^2 with 5,000 x is x^(2 x^4999),
        // whose derivative is x^(2 x^4999) 2 x^4998 (4999 ln x + 1).
        {"a tower of 5,000 powers", repeat("x^", 5000) + "2 = 2", 1.0001, 5000,
         [](double x) {
             return std::pow(x, 2 * std::pow(x, 4999)) * 2 * std::pow(x, 4998) * (4999 * std::log(x) + 1);
         }},
        // s_k = sin(s_(k-1)): s_k' = cos(s_(k-1)) s_(k-1)'.
        {"5,000 nested sines", repeat("sin(", 5000) + "x" + repeat(")", 5000) + " = 0", 0.5, 5000,
         [](double x) {
             double s = x, ds = 1;
             for (int k = 0; k < 5000; ++k)
             {
                 ds *= std::cos(s);
                 s = std::sin(s);
             }
             return ds;
         }},
    };
    for (const Case& c : cases)
    {
        Compiled m(model(std::to_string(c.x), c.equation));
        ASSERT_TRUE(m.ok) << c.name << m.load.log << m.log;
        const double expected = c.derivative(c.x);
        const Value got = jacobianAtStart(m);
        EXPECT_TRUE(nearlyEqual(real(got), expected, 1e-9)) << c.name << ": " << got << ", expected " << expected;
        EXPECT_EQ(std::imag(got), 0) << c.name;
        // The residual and the shared values the derivative reads.
        unsigned instructions = m.solver._fx[0]->getNoOfInstructions();
        for (std::size_t i = 0; i < m.solver._shared.size(); ++i)
            instructions += m.solver._shared[i]->getNoOfInstructions();
        EXPECT_LE(instructions, 20u * unsigned(c.operands)) << c.name;
    }
}

// The branches of a conditional equation get derivatives of their own, each
// written out whole: one longer than any program may be fails the load with
// its key, and a shorter one loads.
TEST(LargeExpressions, ADerivativePastTheLongestProgramFailsTheLoad)
{
    auto branch = [](int n) {
        return "if x > 0\n" + repeat("sin(", n) + "x" + repeat(")", n) + " = 0.01\nelse\nx = 1\nend";
    };
    // The derivative of n nested sines written out holds about n^2 / 2 tokens.
    Compiled tooLong(model("0.5", branch(10000)));
    EXPECT_FALSE(tooLong.ok);
    EXPECT_TRUE(tooLong.logged("@ET.ProgramTooLong")) << tooLong.log;
    Compiled fits(model("0.5", branch(2000)));
    EXPECT_TRUE(fits.ok) << fits.log;
}

// An if within a branch is compiled within its parent: the nesting is
// bounded, the bound refused with its key by the load already.
TEST(LargeExpressions, NestedConditionalEquationsAreBounded)
{
    auto nested = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += "if x > " + std::to_string(-i) + "\n";
        return text + "x = 1\n" + repeat("else\nx = 2\nend\n", n);
    };
    const int bound = sc::TokenizedModel::maxBlockNesting;
    Compiled fits(model("0", nested(bound)));
    ASSERT_TRUE(fits.ok) << fits.log;
    EXPECT_EQ(fits.solver.solve(), sc::Solution::OK) << fits.log;
    EXPECT_NEAR(real(fits.value("x")), 1, 1e-12);
    Compiled deeper(model("0", nested(bound + 1)));
    EXPECT_FALSE(deeper.ok);
    EXPECT_EQ(deeper.load.log.texts(sc::ILog::Type::Error), std::vector<std::string> {"@SC.IfNestedTooDeep"})
        << deeper.load.log;
}

// Calls alike in equations far apart (the programs are written in batches of
// equations) are computed once: each sine below stands in an equation of x
// and in one of y, 6,000 equations later; each cosine in two derivatives of
// both. One shared value for each.
TEST(LargeExpressions, CallsAreSharedAcrossBatches)
{
    const int m = 6000;
    std::string vars, equations;
    for (int i = 0; i < m; ++i)
    {
        const std::string k = std::to_string(i), next = std::to_string((i + 1) % m);
        vars += "x" + k + " = 0\ny" + k + " = 0\n";
        equations += "x" + k + " + 0.01*sin(x" + k + " - x" + next + " + 0.5) = 1\n";
    }
    for (int i = 0; i < m; ++i)
    {
        const std::string k = std::to_string(i), next = std::to_string((i + 1) % m);
        equations += "y" + k + " + 0.01*sin(x" + k + " - x" + next + " + 0.5) = 2\n";
    }
    Compiled c(modelHead + vars + "NLEs\n" + equations + "end\n");
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver._sharedValues.size(), std::size_t(2 * m));
    EXPECT_EQ(c.solver.solve(), sc::Solution::OK) << c.log;
    // All x alike: x + 0.01 sin(0.5) = 1, y = x + 1.
    const double x = 1 - 0.01 * std::sin(0.5);
    for (const char* name : {"x0", "x1234", "x5999"})
        EXPECT_NEAR(real(c.value(name)), x, 1e-12) << name;
    EXPECT_NEAR(real(c.value("y5000")), x + 1, 1e-12);
}
} // namespace
} // namespace test
