#include <gtest/gtest.h>
#include <math/StatsManager.h>
#include <mem/StringMemoryManager.h>

#include <cfloat>
#include <cmath>
#include <initializer_list>

namespace
{
math::Stats<double> statsOf(std::initializer_list<double> values)
{
    math::Stats<double> stats;
    for (double value : values)
        stats.insert(value);
    return stats;
}

TEST(Stats, AccumulatesCountExtremesMeanAndSpread)
{
    struct Case
    {
        std::initializer_list<double> values;
        double mean;
        double min;
        double max;
        double variance; // M2 / n
        double stdDev;   // sqrt(M2 / (n - 1))
    };
    const Case cases[] = {
        {{}, 0, DBL_MAX, -DBL_MAX, 0, 0},
        {{5}, 5, 5, 5, 0, 0},
        {{1, 2, 3, 4}, 2.5, 1, 4, 1.25, std::sqrt(5.0 / 3)}, // M2 = 2.25 + 0.25 + 0.25 + 2.25 = 5
        {{-2, 4}, 1, -2, 4, 9, std::sqrt(18.0)},             // M2 = 9 + 9
        // Far from 0 a sum of squares loses every digit; Welford keeps them:
        // deviations -6, -3, 3, 6 from 1e9 + 10 give M2 = 90.
        {{1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16}, 1e9 + 10, 1e9 + 4, 1e9 + 16, 22.5, std::sqrt(30.0)},
    };
    for (const Case& c : cases)
    {
        const math::Stats<double> stats = statsOf(c.values);
        EXPECT_EQ(stats.getCount(), c.values.size());
        EXPECT_DOUBLE_EQ(stats.getMean(), c.mean);
        EXPECT_EQ(stats.getMin(), c.min);
        EXPECT_EQ(stats.getMax(), c.max);
        EXPECT_DOUBLE_EQ(stats.getVariance(), c.variance);
        EXPECT_DOUBLE_EQ(stats.getStdDev(), c.stdDev);
    }
}

TEST(StatsManager, NamesAreUniqueAmongEarlierPositions)
{
    math::StatsManager<double> manager;
    manager.reserve(3);
    EXPECT_TRUE(manager.setName(1, td::String("s")));
    EXPECT_TRUE(manager.setName(0, td::String("s"))); // later positions are not compared
    EXPECT_FALSE(manager.setName(2, td::String("s")));
    EXPECT_TRUE(manager[2].getName().isEmpty());

    mem::StringMemoryManager<td::StringExt, 65536> pool;
    EXPECT_TRUE(manager.setName(2, pool.makeString("t", 1)));
    EXPECT_FALSE(manager.setName(2, pool.makeString("s", 1)));
    EXPECT_EQ(manager[2].getName(), "t");
}

TEST(StatsManager, EmptyNamesCountAsTheSame)
{
    math::StatsManager<double> manager;
    manager.reserve(2);
    EXPECT_FALSE(manager.setName(1, td::String()));
    EXPECT_TRUE(manager.setName(0, td::String()));
}

TEST(StatsManager, FindGivesTheFirstPositionOfAName)
{
    math::StatsManager<double> manager;
    EXPECT_EQ(manager.find("a"), -1); // no statistics
    manager.reserve(3);
    manager.setName(0, td::String("ab"));
    manager.setName(1, td::String("a"));
    EXPECT_EQ(manager.find("a"), 1);
    EXPECT_EQ(manager.find("ab"), 0);
    EXPECT_EQ(manager.find("abc"), -1);
    EXPECT_EQ(manager.find(""), -1); // statistic 2 is unnamed, but an empty name finds nothing
    EXPECT_EQ(manager.find(nullptr), -1);
}

TEST(StatsManager, ReserveKeepsTheStatisticsOnlyForTheSameCount)
{
    math::StatsManager<double> manager;
    manager.reserve(2);
    manager.setName(0, td::String("s"));
    manager[0].insert(3);
    manager.reserve(2);
    EXPECT_EQ(manager[0].getName(), "s");
    EXPECT_EQ(manager[0].getCount(), 1u);
    manager.reserve(3);
    EXPECT_EQ(manager.size(), 3u);
    EXPECT_TRUE(manager[0].getName().isEmpty());
    EXPECT_EQ(manager[0].getCount(), 0u);
    manager.reserve(0);
    EXPECT_EQ(manager.find("s"), -1);
}

TEST(StatsManager, PositionsOutOfRangeStop)
{
    math::StatsManager<double> manager;
    manager.reserve(2);
    EXPECT_DEATH(manager.setName(2, td::String("x")), "Assertion failed: pos >= 0 && pos < _size && _data");
    EXPECT_DEATH(manager[2], "Assertion failed: pos >= 0 && pos < _size && _data");
}
} // namespace
