// Reading plot blocks: the style attributes that reach the figures, and the
// messages of faulty blocks with their positions.
#include <PlotModel.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <string>

namespace test
{
namespace
{
using Type = sc::ILog::Type;

// The figure of the first plot after one point.
cnt::Figure firstFigure(Plotted& m)
{
    cnt::Figures figures;
    EXPECT_TRUE(m.plots->evaluate());
    EXPECT_TRUE(m.plots->populate(figures));
    EXPECT_GE(figures.size(), 1u);
    return figures.size() ? std::move(figures[0]) : cnt::Figure();
}

TEST(PlotSection, StylesAndBounds)
{
    Plotted m(plotModel("linePlot [name = \"P\", xLabel = \"t\", yLabel = volts, minX = 0, maxX = 10, minY = -1, "
                        "maxY = 1]\n"
                        "  @y << x [name = \"curve\", width = 3.5, colorL = red, colorD = blue, pattern = \"dash\", "
                        "legend = false]\n"
                        "  hLine@ << 1 [minX = 2, maxX = 3, minY = 7, pattern = dot]\n"
                        "  vLine@ << 1 [minY = 4, maxY = 5, minX = 9, legend = false]\n"
                        "  hBand@ << 1 [width = 0.5, colorL = green]\n"
                        "  vBand@ << 1 [legend = true, minY = 6]\n"
                        "end\n"));
    ASSERT_TRUE(m.ok) << m.log;
    const cnt::Figure f = firstFigure(m);
    EXPECT_STREQ(f.name.c_str(), "P");
    EXPECT_STREQ(f.xAxis.title.c_str(), "t");
    EXPECT_STREQ(f.yTitle.c_str(), "volts");
    EXPECT_EQ(f.minX, 0);
    EXPECT_EQ(f.maxX, 10);
    EXPECT_EQ(f.minY, -1);
    EXPECT_EQ(f.maxY, 1);

    const cnt::YAxis& y = f.yAxes[0];
    EXPECT_STREQ(y.title.c_str(), "curve");
    EXPECT_EQ(y.style.width, 3.5f);
    EXPECT_EQ(y.style.colorL, td::ColorID::red);
    EXPECT_EQ(y.style.colorD, td::ColorID::blue);
    EXPECT_EQ(y.style.pattern, td::LinePattern::dash);
    EXPECT_FALSE(y.style.legend);

    // A horizontal line reads minX and maxX, a vertical one minY and maxY.
    const cnt::_NLP& h = f.hLines[0].line;
    EXPECT_EQ(h.min, 2);
    EXPECT_EQ(h.max, 3);
    EXPECT_EQ(h.style.pattern, td::LinePattern::dot);
    const cnt::_NLP& v = f.vLines[0].line;
    EXPECT_EQ(v.min, 4);
    EXPECT_EQ(v.max, 5);
    EXPECT_FALSE(v.style.legend);
    EXPECT_EQ(f.hBands[0].width, 0.5);
    EXPECT_EQ(f.hBands[0].colorL, td::ColorID::green);
    EXPECT_EQ(static_cast<std::uint8_t>(f.hBands[0].colorD), 167);
    EXPECT_EQ(f.vBands[0].width, 1.0);
    EXPECT_EQ(f.vBands[0].min, 6);
    // Legend entries: the horizontal line and band; the y curve and the
    // vertical line have theirs off, and a vertical band never has one.
    EXPECT_EQ(f.legendCount, 2);
    EXPECT_TRUE(m.log.entries.empty()) << m.log;
}

TEST(PlotSection, PatternByNameOrToken)
{
    const std::pair<const char*, td::LinePattern> cases[] = {
        {"\"dash\"", td::LinePattern::dash},    {"\"dashDot\"", td::LinePattern::dashDot},
        {"\"zigzag\"", td::LinePattern::solid}, {"dot", td::LinePattern::dot},
        {"zigzag", td::LinePattern::solid},     {"3", td::LinePattern::solid}};
    for (const auto& [value, expected] : cases)
    {
        Plotted m(plotModel(std::string("linePlot\n  @y << x [pattern = ") + value + "]\nend\n"));
        ASSERT_TRUE(m.ok) << value << m.model.load.log << m.log;
        EXPECT_EQ(firstFigure(m).yAxes[0].style.pattern, expected) << value;
    }
}

TEST(PlotSection, WidthBeyondTheRangeOfFloat)
{
    Plotted m(plotModel("linePlot\n  @y << x [width = 1e300]\n  @y << x [width = -1e300]\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    const cnt::Figure f = firstFigure(m);
    EXPECT_EQ(f.yAxes[0].style.width, FLT_MAX);
    EXPECT_EQ(f.yAxes[1].style.width, -FLT_MAX);
}

struct Fault
{
    const char* plots;
    const char* key;
    Type type;
    unsigned line; // of the plot section, from 1
    unsigned column;
    bool ok;           // what init gives
    unsigned nFigures; // after one point
};

TEST(PlotSection, FaultsAtTheirFirstToken)
{
    const Fault faults[] = {
        {"barPlot\n  @y << x\nend\n", "@SC.WrongPlotTokenRKW", Type::Error, 1, 1, false, 0},
        {"  x << 1\n", "@SC.WrongPlotToken", Type::Error, 1, 3, false, 0},
        {"linePlot\nend\nlinePlot\n  @y << x\nend\n", "@SC.EmptyPlot", Type::Warning, 1, 1, true, 1},
        {"linePlot\n  @x << p\n  @y << x\n  @x << c\nend\n", "@SC.SecondXAxisInPlot", Type::Error, 4, 3, false, 0},
        {"linePlot\n  @cond << p\n  @y << x\n  @cond << c\nend\n", "@SC.SecondCondInPlot", Type::Error, 4, 3, false, 0},
        {"linePlot\n  @x << p\n  hLine@ << 1\nend\nlinePlot\n  @y << x\nend\n", "@SC.PlotNoYAxis", Type::Warning, 1, 1,
         true, 1},
        {"linePlot\n  @y << x\n  x << 1\nend\n", "@SC.WrongPlotAttrib", Type::Error, 3, 3, false, 0},
        {"linePlot\n  @y << x\n  if x > 1\n  end\nend\n", "@SC.WrongPlotAttrib", Type::Error, 3, 3, false, 0},
        {"linePlot\n  @y = x\nend\n", "@SC.PlotYAxisErr", Type::Error, 2, 3, false, 0},
        {"linePlot\n  @y <<\nend\n", "@SC.PlotYAxisErr", Type::Error, 2, 3, false, 0},
        {"linePlot\n  @y << lim(x, 0, 1)\nend\n", "@SC.PlotYAxisErr", Type::Error, 2, 3, false, 0},
        {"linePlot\n  @y << x\n  @x -> p +\nend\n", "@SC.PlotAxisErr", Type::Error, 3, 3, false, 0},
        {"linePlot\n  @y << x\n  @cond << (c\nend\n", "@SC.PlotCondErr", Type::Error, 3, 3, false, 0},
        {"linePlot\n  @y << x\n   hLine@ << *\nend\n", "@SC.PlotHLineErr", Type::Error, 3, 4, false, 0},
        {"linePlot\n  @y << x\n  vLine@\nend\n", "@SC.PlotVLineErr", Type::Error, 3, 3, false, 0},
        {"linePlot\n  @y << x\n  hBand@ == 1\nend\n", "@SC.PlotHBandErr", Type::Error, 3, 3, false, 0},
        {"linePlot\n  @y << x\n  vBand@ << x x\nend\n", "@SC.PlotVBandErr", Type::Error, 3, 3, false, 0},
    };
    for (const Fault& fault : faults)
    {
        Plotted m(plotModel(fault.plots));
        ASSERT_TRUE(m.model.ok) << fault.plots << m.model.load.log;
        EXPECT_EQ(m.ok, fault.ok) << fault.plots;
        bool found = false;
        for (const auto& e : m.log.entries)
        {
            if (e.text != fault.key)
                continue;
            found = true;
            EXPECT_EQ(e.type, fault.type) << fault.plots;
            EXPECT_EQ(e.line, firstPlotLine - 1 + fault.line) << fault.plots;
            EXPECT_EQ(e.column, fault.column) << fault.plots;
        }
        EXPECT_TRUE(found) << fault.key << " for\n" << fault.plots << m.log;
        EXPECT_TRUE(m.plots->evaluate());
        cnt::Figures figures;
        EXPECT_EQ(m.plots->populate(figures), fault.nFigures > 0) << fault.plots;
        EXPECT_EQ(figures.size(), fault.nFigures) << fault.plots;
    }
}

TEST(PlotSection, InvertedBoundsAreKeptWithAWarning)
{
    Plotted m(plotModel("linePlot [minX = 5, maxX = 1, minY = 2, maxY = 2]\n  @y << x\nend\n"));
    ASSERT_TRUE(m.ok) << m.log;
    EXPECT_EQ(m.log.texts(Type::Warning), (std::vector<std::string> {"@SC.WrongPlotXBounds", "@SC.WrongPlotYBounds"}));
    for (const auto& e : m.log.entries)
        EXPECT_EQ(e.line, firstPlotLine);
    const cnt::Figure f = firstFigure(m);
    EXPECT_EQ(f.minX, 5);
    EXPECT_EQ(f.maxX, 1);
    EXPECT_EQ(f.minY, 2);
}

TEST(PlotSection, BlockWithoutEnd)
{
    // The text ends inside the block (the model's own end is missing too,
    // which the loader lets pass).
    for (const char* plots : {"linePlot\n  @y << x\n", "linePlot\n"})
    {
        Plotted m(plotModelHead + "  x = 1\nParams\n  p = 4\n  c = 1\nNLEs\n  x^2 = p\nPlots\n" + plots);
        ASSERT_TRUE(m.model.ok) << m.model.load.log;
        EXPECT_FALSE(m.ok);
        ASSERT_EQ(m.log.entries.size(), 1u) << m.log;
        EXPECT_EQ(m.log.entries[0].text, "@SC.PlotPremEnd");
        EXPECT_EQ(m.log.entries[0].line, firstPlotLine);
    }
}

TEST(PlotSection, NamesPastTheSolversValuesAreRefused)
{
    // The solver read x^2 = p (one variable, two parameters); the plots come
    // from another text, whose second variable and third parameter the
    // solver does not have.
    Plotted m(plotModel(""));
    ASSERT_TRUE(m.ok) << m.log;
    for (const char* name : {"z", "q"})
    {
        Load other;
        other.fromString(plotModelHead +
                         "  x = 1\n  z = 1\nParams\n  p = 4\n  c = 1\n  q = 2\nNLEs\n  x^2 = p\n"
                         "  z = q\nPlots\nlinePlot\n  @y << 2*" +
                         name + "\nend\nend\n");
        ASSERT_TRUE(other.ok) << other.log;
        m.log.clean();
        EXPECT_FALSE(m.plots->init(other.model.get(), &m.model.solver)) << name;
        ASSERT_FALSE(m.log.entries.empty());
        EXPECT_EQ(m.log.entries[0].text, "@SC.VarOutOfIndex");
        EXPECT_EQ(m.log.entries[0].line, 16u);
        EXPECT_EQ(m.log.entries[0].column, 11u);
    }
}

TEST(PlotSection, PlotsLeaveTheSolverAsItWas)
{
    // A plot compile adds nothing to the solver: no symbol, no limit, no
    // error text, and the solver solves as before.
    Plotted m(plotModel("linePlot\n  @y << x + q\nend\n"));
    EXPECT_FALSE(m.model.ok); // q is declared nowhere: the load refuses it
    Plotted n(plotModel("linePlot\n  @y << lim(x, 0, 1)\nend\n"));
    ASSERT_TRUE(n.model.ok);
    EXPECT_FALSE(n.ok);
    EXPECT_EQ(n.model.solver.getNumberVariables(), 1);
    EXPECT_EQ(n.model.solver.getNumberParameters(), 2);
    EXPECT_TRUE(n.model.solver.getLastErrorStr().isEmpty());
    EXPECT_EQ(n.model.solver._fnLimits.size(), 0u);
    ASSERT_EQ(n.model.solver.solve(), sc::Solution::OK);
    EXPECT_NEAR(std::real(n.model.value("x")), 2, 1e-9);
}
} // namespace
} // namespace test
