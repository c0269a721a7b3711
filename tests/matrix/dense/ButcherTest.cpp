#include <gtest/gtest.h>
#include <matrix/Butcher.h>

#include <cmath>

TEST(Butcher, StageMatrixIsStoredByColumns)
{
    matrix::Butcher<3> tableau;
    tableau.setNoOfStages(2);
    tableau.a(1, 0) = 10; // a_21
    tableau.a(0, 1) = 20; // a_12
    tableau.b(1) = 0.5;
    tableau.c(0) = 0.25;
    EXPECT_EQ(tableau.getA().size(), 4);
    EXPECT_EQ(tableau.getA()[1], 10.0);
    EXPECT_EQ(tableau.getA()[2], 20.0);
    EXPECT_EQ(tableau.getB().size(), 2);
    EXPECT_EQ(tableau.b(1), 0.5);
    EXPECT_EQ(tableau.c(0), 0.25);

    // A tableau filled again for three stages starts from zeros.
    tableau.setNoOfStages(3);
    EXPECT_EQ(tableau.getA().size(), 9);
    for (double a : tableau.getA())
        EXPECT_EQ(a, 0.0);
    tableau.a(2, 1) = 1;
    EXPECT_EQ(tableau.getA()[1 * 3 + 2], 1.0);
}

TEST(Butcher, StageValueWeightsOfTheTwoStageGaussLegendreMethod)
{
    // A^-1 = [[3, 2 sqrt(3) - 3], [-3 - 2 sqrt(3), 3]] by hand, so
    // b^T A^-1 = (-sqrt(3), sqrt(3)).
    const double r = std::sqrt(3.0) / 6;
    matrix::Butcher<3> tableau;
    tableau.setNoOfStages(2);
    tableau.a(0, 0) = tableau.a(1, 1) = 0.25;
    tableau.a(0, 1) = 0.25 - r;
    tableau.a(1, 0) = 0.25 + r;
    tableau.b(0) = tableau.b(1) = 0.5;
    matrix::SmallStackMax<double, 3> d;
    ASSERT_TRUE(tableau.getStageValueWeights(d));
    ASSERT_EQ(d.size(), 2);
    EXPECT_NEAR(d[0], -std::sqrt(3.0), 1e-14);
    EXPECT_NEAR(d[1], std::sqrt(3.0), 1e-14);

    // An explicit method's A is singular.
    tableau.setNoOfStages(2);
    tableau.a(1, 0) = 1;
    tableau.b(0) = tableau.b(1) = 0.5;
    EXPECT_FALSE(tableau.getStageValueWeights(d));
}

TEST(SmallStackMax, ShrinkThenGrowShowsNoStaleValues)
{
    matrix::SmallStackMax<int, 3> s;
    s.push_back(1);
    s.push_back(2);
    s.resize(1);
    s.resize(3);
    EXPECT_EQ(s[0], 1);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[2], 0);
}
