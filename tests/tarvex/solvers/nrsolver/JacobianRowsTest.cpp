// An equation's Jacobian row holds the right entry for each of its
// variables, whether it has a few of them or far more than the compiler can
// tell apart by their digest alone, with a lim among its terms.
#include <CompiledModel.h>
#include <EntryRecorder.h>
#include <NearlyEqual.h>
#include <gtest/gtest.h>
#include <solvers/NRSolver.h>
#include <sparse/ISolver.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace test
{
namespace
{
using namespace SL_NS;

// lim takes its side in a round over the limits, as a Newton step begins.
struct LimitsOpen : NRSolver
{
    using NRSolver::evaluateLimits;
    using NRSolver::NRSolver;
};

#if SL_COMPLEX
const char* const domain = ", domain = cmplx";
const char* const conj = " [conj = false]";
#else
const char* const domain = "";
const char* const conj = "";
#endif

// x_j starts at s_j = 0.1 (j + 1). Row 0: sum (j + 1) x_j^2 + x_0 x_(n-1)
// + sin(x_0 - x_1) + p x_0, with the parameter p = 2.5; row 1:
// x_1 - lim(x_0 x_2, -100, 100); row k > 1: x_k - x_(k-1).
std::string model(int n)
{
    std::string text = std::string("Header:\nend\nModel [type = NL") + domain + "]\nVars" + conj + "\n";
    for (int j = 0; j < n; ++j)
        text += "x" + std::to_string(j) + " = " + std::to_string(0.1 * (j + 1)) + "\n";
    text += "Params\np = 2.5\nNLEs\n";
    for (int j = 0; j < n; ++j)
        text += std::to_string(j + 1) + "*x" + std::to_string(j) + "^2 + ";
    text += "x0*x" + std::to_string(n - 1) + " + sin(x0 - x1) + p*x0 = 1\n";
    text += "x1 - lim(x0*x2, -100, 100) = 0\n";
    for (int k = 2; k < n; ++k)
        text += "x" + std::to_string(k) + " - x" + std::to_string(k - 1) + " = 0\n";
    return text + "end\n";
}

TEST(JacobianRows, EveryVariableOfARowGetsItsEntry)
{
    for (const int n : {3, 8, 16, 17, 40, 100})
    {
        CompiledWith<LimitsOpen> c(model(n));
        ASSERT_TRUE(c.ok) << n;
        c.solver.evaluateLimits(false);
        c.solver.evaluateShared();
        EntryRecorder r;
        c.solver.getJacobian().evaluateAndInsertToSolver(&r);
        auto s = [](int j) { return 0.1 * (j + 1); };
        std::map<std::pair<int, int>, double> expected;
        for (int j = 0; j < n; ++j)
            expected[{0, j}] = 2 * (j + 1) * s(j);
        expected[{0, 0}] += s(n - 1) + std::cos(s(0) - s(1)) + 2.5;
        expected[{0, n - 1}] += s(0);
        expected[{0, 1}] -= std::cos(s(0) - s(1));
        expected[{1, 0}] = -s(2);
        expected[{1, 1}] = 1;
        expected[{1, 2}] = -s(0);
        for (int k = 2; k < n; ++k)
        {
            expected[{k, k}] += 1;
            expected[{k, k - 1}] -= 1;
        }
        ASSERT_EQ(r.entries.size(), expected.size()) << n;
        for (const auto& [at, value] : expected)
            EXPECT_TRUE(nearlyEqual(std::real(r.entries[at]), value, 1e-12))
                << n << ": (" << at.first << ", " << at.second << ") " << std::real(r.entries[at]) << " != " << value;
    }
}
} // namespace
} // namespace test
