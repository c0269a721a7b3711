#include <gtest/gtest.h>
#include <vector>
#include <cnt/Array.h>
#include <td/PascalString.h>

namespace
{
struct Recorder
{
    static inline std::vector<int> destroyed;
    int id = -1;
    ~Recorder() { destroyed.push_back(id); }
};

TEST(ArrayTest, HoldsNElementsInPlaceAndDestroysThemLastToFirst)
{
    Recorder::destroyed.clear();
    {
        cnt::Array<Recorder, 3> array;
        for (size_t i = 0; i < array.size(); ++i)
            array[i].id = int(i);
    }
    EXPECT_EQ(Recorder::destroyed, (std::vector<int> {2, 1, 0}));

    // The regional day names: owned short texts, empty until assigned.
    cnt::Array<td::PascalString<1>, 7> days;
    static_assert(sizeof(days) == 7 * sizeof(void*));
    days[6] = "Sunday";
    EXPECT_TRUE(days[0].isEmpty());
    EXPECT_STREQ(days[6].c_str(), "Sunday");
}
} // namespace
