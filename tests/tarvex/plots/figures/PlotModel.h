#pragma once
// The model the plot tests draw: x^2 = p, so x = sqrt(p) after each solve,
// with the parameters p (the input) and c (free for conditions).
#include <PlottedModel.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace test
{
inline std::string plotModel(const std::string& plots)
{
    return plotModelHead + "  x = 1\nParams\n  p = 4\n  c = 1\nNLEs\n  x^2 = p\nPlots\n" + plots + "end\n";
}

// The text line of the first line of the plot section (the header's two
// lines count).
constexpr unsigned firstPlotLine = 12;

// The values of an axis against worked ones, to 1e-9: Newton's last step
// (the models ask for 1e-12) leaves x = sqrt(p) closer than that.
inline ::testing::AssertionResult holds(const cnt::AxisBase<double>& axis, const std::vector<double>& expected)
{
    bool same = axis.size() == expected.size();
    for (std::uint32_t i = 0; same && i < axis.size(); ++i)
        same = std::fabs(axis[i] - expected[i]) <= 1e-9;
    if (same)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "the axis holds";
    for (std::uint32_t i = 0; i < axis.size(); ++i)
        failure << " " << axis[i];
    return failure;
}
} // namespace test
