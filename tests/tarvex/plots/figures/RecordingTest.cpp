// Points recorded after solves of x^2 = p (x = sqrt(p)), and the figures
// they give: x axes, conditions, value lines and bands, reset, repeated
// populates, and a solver that reads another model meanwhile.
#include <PlotModel.h>
#include <gtest/gtest.h>
#include <solvers/DAESolver.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

namespace test
{
namespace
{
using SL_NS::Value;

TEST(Recording, OneYAxisCountsItsPoints)
{
    Plotted m(plotModel("linePlot\n  @y << x\nend\n"));
    ASSERT_TRUE(m.ok) << m.model.load.log << m.model.log << m.log;
    for (double p : {4.0, 9.0, 16.0})
        ASSERT_TRUE(m.solveAndRecord("p", p));

    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    ASSERT_EQ(figures.size(), 1u);
    const cnt::Figure& f = figures[0];
    EXPECT_TRUE(holds(f.xAxis, {0, 1, 2}));
    ASSERT_EQ(f.yAxes.size(), 1u);
    EXPECT_TRUE(holds(f.yAxes[0], {2, 3, 4}));
    EXPECT_EQ(f.legendCount, 1);
    // Nothing given: the defaults of every style and bound.
    EXPECT_TRUE(f.name.isEmpty());
    EXPECT_EQ(f.minX, -DBL_MAX);
    EXPECT_EQ(f.maxY, DBL_MAX);
    const cnt::LineStyle& style = f.yAxes[0].style;
    EXPECT_EQ(style.width, 2.0f);
    EXPECT_EQ(static_cast<std::uint8_t>(style.colorL), 167);
    EXPECT_EQ(static_cast<std::uint8_t>(style.colorD), 167);
    EXPECT_EQ(style.pattern, td::LinePattern::solid);
    EXPECT_TRUE(style.legend);
    EXPECT_TRUE(f.hLines.isEmpty() && f.vBands.isEmpty());
}

TEST(Recording, ConditionSkipsOnlyAnExactZero)
{
    // c is 1, 0, NaN and -1 at p = 4, 9, 16, 25; the second plot's
    // condition never holds, so it gives no figure.
    Plotted m(plotModel("linePlot [name = \"kept\"]\n  @cond << c\n  @x << p\n  @y << x\nend\n"
                        "linePlot\n  @cond -> 0\n  @y << x\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, double> points[] = {{4, 1}, {9, 0}, {16, nan}, {25, -1}};
    for (const auto& [p, c] : points)
        ASSERT_TRUE(m.set("c", c) && m.solveAndRecord("p", p));

    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_STREQ(figures[0].name.c_str(), "kept");
    EXPECT_TRUE(holds(figures[0].xAxis, {4, 16, 25}));
    EXPECT_TRUE(holds(figures[0].yAxes[0], {2, 4, 5}));
}

TEST(Recording, LinesAndBandsStandWhereTheFirstPointPutsThem)
{
    Plotted m(plotModel("linePlot\n  @x << p\n  @y << x\n  hLine@ << x\n  vLine@ -> 2*p\n  hBand@ << x + 1\n"
                        "  vBand@ << p - 1\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    auto positions = [&m] {
        cnt::Figures figures;
        EXPECT_TRUE(m.plots->populate(figures));
        const cnt::Figure& f = figures[0];
        cnt::AxisBase<double> values;
        values.reserve(4);
        for (double v : {f.hLines[0].value, f.vLines[0].value, f.hBands[0].value, f.vBands[0].value})
            values.push_back(v);
        return values;
    };
    ASSERT_TRUE(m.solveAndRecord("p", 4));
    ASSERT_TRUE(m.solveAndRecord("p", 9));
    EXPECT_TRUE(holds(positions(), {2, 8, 3, 3}));

    // A new recording: one point, the positions taken anew.
    m.plots->reset();
    ASSERT_TRUE(m.solveAndRecord("p", 16));
    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    EXPECT_TRUE(holds(figures[0].xAxis, {16}));
    EXPECT_TRUE(holds(figures[0].yAxes[0], {4}));
    EXPECT_TRUE(holds(positions(), {4, 32, 5, 15}));
}

TEST(Recording, PopulatingAgainGivesTheSameFigures)
{
    Plotted m(plotModel("linePlot\n  @y << x\n  @y << p\n  hLine@ << 1\nend\nlinePlot\n  @y << c\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    ASSERT_TRUE(m.solveAndRecord("p", 4));
    ASSERT_TRUE(m.solveAndRecord("p", 9));
    cnt::Figures figures;
    for (int round = 0; round < 2; ++round)
    {
        ASSERT_TRUE(m.plots->populate(figures));
        ASSERT_EQ(figures.size(), 2u) << round;
        EXPECT_TRUE(holds(figures[0].xAxis, {0, 1})) << round;
        EXPECT_TRUE(holds(figures[0].yAxes[0], {2, 3})) << round;
        EXPECT_TRUE(holds(figures[0].yAxes[1], {4, 9})) << round;
        EXPECT_EQ(figures[0].hLines.size(), 1u);
        EXPECT_TRUE(holds(figures[1].yAxes[0], {1, 1})) << round;
    }
}

TEST(Recording, ModelWithoutPlots)
{
    Plotted m(plotModel(""));
    ASSERT_TRUE(m.ok) << m.log;
    EXPECT_TRUE(m.plots->evaluate());
    cnt::Figures figures;
    figures.push_back().name = "kept";
    EXPECT_FALSE(m.plots->populate(figures));
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_STREQ(figures[0].name.c_str(), "kept");
}

TEST(Recording, InitNeedsASolverOfTheLibrary)
{
    Plotted m(plotModel("linePlot\n  @y << x\nend\n"));
    ASSERT_TRUE(m.ok);
    EXPECT_FALSE(m.plots->init(m.model.load.model.get(), nullptr));
    EXPECT_FALSE(m.plots->init(nullptr, &m.model.solver));
    // Refused, the evaluator has no plots.
    EXPECT_TRUE(m.plots->evaluate());
    cnt::Figures figures;
    EXPECT_FALSE(m.plots->populate(figures));
}

TEST(Recording, NamesOutliveTheModelText)
{
    Plotted m(plotModel("linePlot [name = \"P\", xLabel = t, yLabel = \"volts\"]\n  @y << x [name = \"root\"]\n"
                        "  hLine@ << 1 [name = level]\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    // The model objects free the model's texts once the model is read.
    m.model.load.model.reset();
    m.model.load.naming.clean();
    ASSERT_TRUE(m.plots->evaluate());
    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    const cnt::Figure& f = figures[0];
    EXPECT_STREQ(f.name.c_str(), "P");
    EXPECT_STREQ(f.xAxis.title.c_str(), "t");
    EXPECT_STREQ(f.yTitle.c_str(), "volts");
    EXPECT_STREQ(f.yAxes[0].title.c_str(), "root");
    EXPECT_STREQ(f.hLines[0].line.name.c_str(), "level");
}

TEST(Recording, SolverReadingAnotherModel)
{
    Plotted m(plotModel("linePlot\n  @y << x\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    ASSERT_TRUE(m.solveAndRecord("p", 4));
    // The same model read again: the values are read where they are now.
    ASSERT_TRUE(m.model.reload(plotModel("")));
    ASSERT_TRUE(m.solveAndRecord("p", 25));
    // A model with other dimensions: the plots cannot run on it.
    ASSERT_TRUE(m.model.reload(plotModelHead + "  x = 1\n  y = 1\nParams\n  p = 4\nNLEs\n  x = p\n  y = x\nend\n"));
    EXPECT_FALSE(m.plots->evaluate());

    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    EXPECT_TRUE(holds(figures[0].yAxes[0], {2, 5}));
}

TEST(Recording, TimeOnTheXAxisOverDAESteps)
{
    // x' = -x from 1 by trapezoid steps of 0.1: x_k = (0.95/1.05)^k. The
    // second plot skips the point where t - 0.2 is exactly 0.
    PlottedWith<SL_NS::DAESolver> m(std::string("Header:\n  dTime = 0.1\nend\nModel [type = DAE, method = Trapez") +
                                    (SL_NS::isComplexBuild ? ", domain = cmplx]\nVars [conj = false]\n" : "]\nVars\n") +
                                    "  x = 1\nODEs\n  x' = -x\nPlots\nlinePlot\n  @x << t\n  @y << x\nend\n"
                                    "linePlot\n  @cond << t - 0.2\n  @x << t\n  @y << x\nend\nend\n");
    ASSERT_TRUE(m.ok) << m.model.load.log << m.model.log << m.log;
    // The step is the host's to set (a model object takes the header's).
    m.model.solver.setIntegrationStepSize(0.1);
    ASSERT_TRUE(m.model.solver.reset(0));
    ASSERT_TRUE(m.plots->evaluate());
    for (int k = 1; k <= 3; ++k)
    {
        ASSERT_EQ(m.model.solver.step(1), sc::Solution::OK) << k;
        ASSERT_TRUE(m.plots->evaluate());
    }
    const double r = 0.95 / 1.05;
    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_TRUE(holds(figures[0].xAxis, {0, 0.1, 0.2, 0.3}));
    EXPECT_TRUE(holds(figures[0].yAxes[0], {1, r, r * r, r * r * r}));
    EXPECT_TRUE(holds(figures[1].xAxis, {0, 0.1, 0.3}));
    EXPECT_TRUE(holds(figures[1].yAxes[0], {1, r, r * r * r}));
}

#if SL_COMPLEX
TEST(Recording, ComplexValuesGiveTheirRealParts)
{
    // The condition c skips a point only when both its parts are 0.
    Plotted m(plotModel("linePlot\n  @cond << c\n  @x << p\n  @y << x*(1 + 1i)\n  hLine@ << 2 - 3i\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    const std::pair<Value, Value> points[] = {{4, Value(0, 1)}, {9, 0}, {16, Value(2, 0)}};
    for (const auto& [p, c] : points)
        ASSERT_TRUE(m.set("c", c) && m.solveAndRecord("p", p));
    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    EXPECT_TRUE(holds(figures[0].xAxis, {4, 16}));
    EXPECT_TRUE(holds(figures[0].yAxes[0], {2, 4}));
    EXPECT_EQ(figures[0].hLines[0].value, 2);
}
#endif
} // namespace
} // namespace test
