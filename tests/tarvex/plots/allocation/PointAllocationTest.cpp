// Recording a point allocates nothing until a block of 4,096 values fills,
// and a new recording after reset reuses the blocks: operator new is
// counted for the whole program.
#include <CountedNew.h>
#include <PlottedModel.h>
#include <gtest/gtest.h>

namespace test
{
namespace
{
// Allocations made by n evaluations.
unsigned long allocationsOf(Plotted& m, unsigned n)
{
    const unsigned long before = g_allocations;
    for (unsigned k = 0; k < n; ++k)
        EXPECT_TRUE(m.plots->evaluate());
    return g_allocations - before;
}

TEST(PointAllocation, OnlyWhenABlockFills)
{
    // Two plots of x and two y values: three values a point, so the first
    // block of 4,096 values holds 1,365 points.
    Plotted m(plotModelHead + "  x = 1\nParams\n  p = 4\nNLEs\n  x^2 = p\nPlots\n"
                              "linePlot\n  @x << p\n  @y << x\n  @y << 2*x\n  hLine@ << p\nend\n"
                              "linePlot\n  @cond << x\n  @y << x\n  @y << p\nend\nend\n");
    ASSERT_TRUE(m.ok) << m.log;
    ASSERT_EQ(m.model.solver.solve(), sc::Solution::OK);
    EXPECT_GT(allocationsOf(m, 1), 0u); // the first block of each plot
    EXPECT_EQ(allocationsOf(m, 1364), 0u);
    EXPECT_GT(allocationsOf(m, 1), 0u); // the second blocks

    m.plots->reset();
    EXPECT_EQ(allocationsOf(m, 1366), 0u);
    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    EXPECT_EQ(figures[1].xAxis.size(), 1366u);
}
} // namespace
} // namespace test
