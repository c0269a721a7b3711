// The plot example of the model-language guide, read from the guide, gives
// the figure that the guide describes after it.
#include <PlotModel.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#if !SL_COMPLEX
namespace test
{
namespace
{
// The text of the fenced block that opens with "```plot name".
std::string guideBlock(const std::string& name)
{
    std::ifstream file(GUIDE_PATH);
    std::stringstream text;
    text << file.rdbuf();
    const std::string guide = text.str();
    const std::string fence = "```plot " + name + "\n";
    const std::size_t start = guide.find(fence);
    if (start == std::string::npos)
        return {};
    const std::size_t body = start + fence.size();
    return guide.substr(body, guide.find("```", body) - body);
}

TEST(Guide, RootByP)
{
    const std::string text = guideBlock("root-by-p");
    ASSERT_FALSE(text.empty()) << "no block root-by-p in " << GUIDE_PATH;
    Plotted m(text);
    ASSERT_TRUE(m.ok) << m.model.load.log << m.log;
    for (double p : {1.0, 4.0, 9.0})
        ASSERT_TRUE(m.solveAndRecord("p", p));

    cnt::Figures figures;
    ASSERT_TRUE(m.plots->populate(figures));
    ASSERT_EQ(figures.size(), 1u);
    const cnt::Figure& f = figures[0];
    EXPECT_STREQ(f.name.c_str(), "square root");
    EXPECT_STREQ(f.xAxis.title.c_str(), "p");
    EXPECT_STREQ(f.yTitle.c_str(), "x");
    EXPECT_EQ(f.minX, 0);
    EXPECT_EQ(f.maxX, 10);
    EXPECT_TRUE(holds(f.xAxis, {1, 4, 9}));
    ASSERT_EQ(f.yAxes.size(), 1u);
    EXPECT_TRUE(holds(f.yAxes[0], {1, 2, 3}));
    EXPECT_STREQ(f.yAxes[0].title.c_str(), "sqrt");
    EXPECT_EQ(f.yAxes[0].style.colorL, td::ColorID::steelBlue);
    EXPECT_EQ(f.yAxes[0].style.pattern, td::LinePattern::dash);
    ASSERT_EQ(f.hLines.size(), 1u);
    EXPECT_STREQ(f.hLines[0].line.name.c_str(), "level");
    EXPECT_NEAR(f.hLines[0].value, 2, 1e-9);
    EXPECT_EQ(f.hLines[0].line.style.pattern, td::LinePattern::dot);
    EXPECT_EQ(f.hLines[0].line.min, 1);
    EXPECT_EQ(f.hLines[0].line.max, 9);
    EXPECT_EQ(f.legendCount, 2);
}
} // namespace
} // namespace test
#endif
