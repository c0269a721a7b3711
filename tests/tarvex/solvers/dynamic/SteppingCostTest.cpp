// What a time step of a non-linear model costs once the model is read: no
// new analysis of the Jacobian's pattern, and no allocation. operator new is
// counted for the whole program, and so is every allocation that KLU takes
// through the hooks of SuiteSparse_config.
#include <CountedKluAllocations.h>
#include <DynamicModel.h>
#include <gtest/gtest.h>
#include <sparse/priv/Solvers.h>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

// The implicit integrator with its sparse solver in view.
struct ObservedDAESolver : DAESolver
{
    using DAESolver::DAESolver;

    const sparse::priv::KluSolver<Value>::Statistics& sparseStatistics() const
    {
        const auto* pKlu = dynamic_cast<const sparse::priv::KluSolver<Value>*>(_pSparse);
        EXPECT_NE(pKlu, nullptr);
        static const sparse::priv::KluSolver<Value>::Statistics none;
        return pKlu ? pKlu->getStatistics() : none;
    }
};

// A damped pendulum of length 1 in Cartesian form: the rod's force f times
// the position, and the length held by an algebraic equation, so every step
// refactorises a Jacobian of the variables.
const Groups pendulum {"x = 0.6\ny = -0.8\nu = 0\nv = 0\nf = 0", "g = 9.81",
                       "x' = u\ny' = v\nu' = -f*x - 0.1*u\nv' = -f*y - g - 0.1*v", "x^2 + y^2 = 1"};

template <typename Model>
unsigned long allocationsOfSteps(Model& c, unsigned n)
{
    const unsigned long before = g_allocations;
    const S status = c.solver.step(n);
    const unsigned long made = g_allocations - before;
    EXPECT_EQ(status, S::OK) << c.log;
    return made;
}

TEST(SteppingCost, ImplicitStepsAnalyseOnceAndAllocateNothing)
{
    CompiledWith<ObservedDAESolver> c(dynamicModel("DAE", "", pendulum));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    c.solver.setIntegrationStepSize(0.01);
    ASSERT_TRUE(c.solver.reset(0));
    // The first step creates the sparse solver and analyses the pattern.
    allocationsOfSteps(c, 1);
    EXPECT_EQ(c.solver.sparseStatistics().analyses, 1u);
    const unsigned factorised = c.solver.getNoOfFactorisations();
    EXPECT_EQ(allocationsOfSteps(c, 100), 0u);
    EXPECT_EQ(c.solver.sparseStatistics().analyses, 1u);
    // Every step refactorised: the Jacobian follows the variables.
    EXPECT_GE(c.solver.getNoOfFactorisations(), factorised + 100);
    // The length stays 1, and at t = 1.01, near half the period of about
    // 2 pi sqrt(1 / g) = 2 s, the bob has swung to the other side.
    const double x = re(c.value("x")), y = re(c.value("y"));
    EXPECT_NEAR(x * x + y * y, 1, 1e-6);
    EXPECT_LT(x, -0.4);
}

// x' = -x^3 from 1 is 1 / sqrt(1 + 2 t); Heun is second order.
TEST(SteppingCost, ExplicitStepsAllocateNothing)
{
    ODE c(dynamicModel("ODE", "", {"x = 1", "", "x' = -x^3"}));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    c.solver.setIntegrationStepSize(0.001);
    ASSERT_TRUE(c.solver.reset(0));
    allocationsOfSteps(c, 1);
    EXPECT_EQ(allocationsOfSteps(c, 1999), 0u);
    EXPECT_NEAR(re(c.value("x")), 1 / std::sqrt(5.0), 1e-6);
}
} // namespace
} // namespace test
