// A figure filled a second time holds only its new content.
#include <cnt/Figure.h>
#include <gtest/gtest.h>

namespace
{
void fill(cnt::Figure& f, double base)
{
    f.reserve(2, 3, 1, 0, 0, 1);
    f.yAxes[1].title = "y";
    f.yAxes[1].style.width = 5;
    f.hLines[0].value = base;
    f.vBands[0].width = base;
    for (int k = 0; k < 3; ++k)
    {
        f.addXAxisData(base + k);
        f.addYAxisData(0, base + 10 * k);
        f.addYAxisData(1, base - k);
    }
}

TEST(FigureTest, ReserveEmptiesEveryAxisAndResetsTheLists)
{
    cnt::Figure f;
    fill(f, 1);
    f.reserve(2, 3, 1, 0, 0, 1);
    EXPECT_EQ(f.xAxis.size(), 0u);
    for (const cnt::YAxis& y : f.yAxes)
    {
        EXPECT_EQ(y.size(), 0u);
        EXPECT_EQ(y.capacity(), 3u);
        EXPECT_TRUE(y.title.isEmpty());
        EXPECT_EQ(y.style.width, 2.0f);
    }
    EXPECT_EQ(f.hLines[0].value, 0.0);
    EXPECT_EQ(f.vBands[0].width, 1.0);

    fill(f, 7);
    EXPECT_EQ(f.yAxes[0].size(), 3u);
    EXPECT_EQ(f.yAxes[0][2], 27.0);
    EXPECT_EQ(f.yAxes[1][2], 5.0);

    // Fewer points keep the arrays; more grow them.
    f.reserve(1, 2, 0, 0, 0, 0);
    EXPECT_EQ(f.xAxis.capacity(), 3u);
    EXPECT_EQ(f.yAxes.size(), 1u);
    EXPECT_TRUE(f.hLines.isEmpty());
    f.reserve(1, 4, 0, 0, 0, 0);
    EXPECT_EQ(f.xAxis.capacity(), 4u);
    EXPECT_EQ(f.yAxes[0].capacity(), 4u);
}

TEST(FigureDeathTest, AnAxisHoldsNoMoreThanItsRoom)
{
    cnt::Figure f;
    f.reserve(1, 1, 0, 0, 0, 0);
    f.addXAxisData(1);
    EXPECT_DEATH(f.addXAxisData(2), "_count < _values.size");
}
} // namespace
