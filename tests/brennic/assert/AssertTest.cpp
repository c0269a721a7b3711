#include <gtest/gtest.h>
#include <mu/Assert.h>

namespace
{
int checkedAt(const int* data, int pos, int size)
{
    MU_ASSERT(pos >= 0 && pos < size && data);
    return data[pos];
}
} // namespace

TEST(AssertDeathTest, FailedAssertionPrintsItsConditionAndStops)
{
    const int data[2] = {7, 9};
    EXPECT_EQ(checkedAt(data, 1, 2), 9);
    EXPECT_DEATH(checkedAt(data, 2, 2), "Assertion failed: pos >= 0 && pos < size && data");
}

TEST(AssertDeathTest, MessageFormPrintsTheMessage)
{
    EXPECT_DEATH(MU_ASSERT_MSG(1 > 2, "String is too long for format!"), "String is too long for format!");
}
