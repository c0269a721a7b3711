#include <gtest/gtest.h>
#include <expr/RndGenManager.h>
#include <mem/StringMemoryManager.h>

#include <cstring>
#include <deque>

namespace
{
// Draws one fixed value and counts the generators alive, so that the tests
// see which ones the manager deletes.
class FixedGen final : public rnd::Gen
{
public:
    FixedGen(double value, int& alive)
        : _value(value)
        , _alive(alive)
    {
        ++_alive;
    }
    ~FixedGen() override { --_alive; }
    void next(double& value) override { value = _value; }

private:
    double _value;
    int& _alive;
};

class RndGenManagerTest : public testing::Test
{
protected:
    const td::StringExt* name(const char* text)
    {
        _names.push_back(_pool.makeString(text, static_cast<unsigned>(std::strlen(text))));
        return &_names.back();
    }

    mem::StringMemoryManager<td::StringExt, 65536> _pool;
    std::deque<td::StringExt> _names;
    int _alive = 0;
};

TEST_F(RndGenManagerTest, GeneratorsAreFoundAndDrawnByPosition)
{
    SL_NS::RndGenManager manager;
    EXPECT_EQ(manager.addGen(name("a"), new FixedGen(10, _alive)), 0);
    EXPECT_EQ(manager.addGen(name("b"), new FixedGen(20, _alive)), 1);
    EXPECT_EQ(manager.addGen(name("c"), new FixedGen(30, _alive)), 2);

    FixedGen duplicate(40, _alive);
    EXPECT_EQ(manager.addGen(name("b"), &duplicate), -1);
    EXPECT_EQ(manager.size(), 3u);

    double value = 0;
    manager.next(1, value);
    EXPECT_EQ(value, 20);
    manager.next(2, value);
    EXPECT_EQ(value, 30);

    EXPECT_EQ(manager.find("c"), 2);
    EXPECT_EQ(manager.find("bb"), -1);
    EXPECT_EQ(manager.find(""), -1);
    EXPECT_EQ(manager.find(nullptr), -1);
}

TEST_F(RndGenManagerTest, NamelessGeneratorsAreNeverCompared)
{
    SL_NS::RndGenManager manager;
    EXPECT_EQ(manager.addGen(nullptr, new FixedGen(1, _alive)), 0);
    EXPECT_EQ(manager.addGen(nullptr, new FixedGen(2, _alive)), 1);
    EXPECT_EQ(manager.addGen(name(""), new FixedGen(3, _alive)), 2);
    EXPECT_EQ(manager.addGen(name(""), new FixedGen(4, _alive)), 3);
    EXPECT_EQ(manager.find(""), -1);
}

TEST_F(RndGenManagerTest, TheManagerDeletesItsGenerators)
{
    {
        SL_NS::RndGenManager manager;
        manager.addGen(name("a"), new FixedGen(1, _alive));
        manager.addGen(name("b"), new FixedGen(2, _alive));
        manager.reserve(2); // same capacity: the records are reset
        EXPECT_EQ(_alive, 0);
        EXPECT_EQ(manager.size(), 0u);
        EXPECT_EQ(manager.addGen(name("a"), new FixedGen(3, _alive)), 0);
        manager.reserve(5);
        EXPECT_EQ(_alive, 0);
        manager.addGen(name("a"), new FixedGen(4, _alive));
        manager.addGen(name("b"), new FixedGen(5, _alive));
        EXPECT_EQ(_alive, 2);
    }
    EXPECT_EQ(_alive, 0);
}

TEST_F(RndGenManagerTest, DrawingPastTheLastGeneratorStops)
{
    SL_NS::RndGenManager manager;
    for (const char* text : {"a", "b", "c"})
        manager.addGen(name(text), new FixedGen(0, _alive));
    double value = 0;
    EXPECT_DEATH(manager.next(3, value), "Assertion failed: pos < sz");
}

TEST(RndGenManager, RealGeneratorsDrawThroughTheManager)
{
    SL_NS::RndGenManager manager;
    manager.addGen(nullptr, new rnd::Uniform(2, 3));
    manager.addGen(nullptr, new rnd::Bernoulli(1));
    for (int i = 0; i < 100; ++i)
    {
        double value = 0;
        manager.next(0, value);
        EXPECT_TRUE(value >= 2 && value <= 3) << value;
        manager.next(1, value);
        EXPECT_EQ(value, 1.0);
    }
}
} // namespace
