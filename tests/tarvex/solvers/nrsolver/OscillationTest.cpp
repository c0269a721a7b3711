// Newton-Raphson's oscillation stop: a model with no real root whose
// iterates wander for ever.
#include <CompiledModel.h>
#include <gtest/gtest.h>
#include <solvers/NRSolver.h>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

#if !SL_COMPLEX
// x^2 + 1 = 0 has no real root and its residual is never below 1. Newton,
// damped to half steps from the third, maps x to (3 x^2 - 1) / (4 x): an
// iterate near 0 is thrown far out, and the residual there is many times the
// least seen since the tenth step. After 10,000 steps that ends the pass.
TEST(NRSolver, OscillationStopsWithItsKey)
{
    Compiled c("Header:\nend\nModel [type = NL, maxIter = 20000]\nVars\nx = 0.5\nNLEs\nx^2 + 1 = 0\nend\n");
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::Oscillation);
    EXPECT_STREQ(c.solver.getSolutionStatusStr(), "Oscillation");
    EXPECT_TRUE(c.logged("@SC.Oscillation")) << c.log;
    EXPECT_GT(c.solver.getIterationsNo(), 10000);
    EXPECT_LT(c.solver.getIterationsNo(), 20000);
    EXPECT_GT(c.value("x") * c.value("x") + 1, 5);
}
#endif
} // namespace
} // namespace test
