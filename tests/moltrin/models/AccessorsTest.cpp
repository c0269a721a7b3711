// Reading and setting names, indices and values of a loaded model, with
// good and bad arguments. The circle model: variables x, y; parameters r, k;
// symbol indices x 0, y 1, r 2, k 3; output symbols x and r.
#include <ModelSupport.h>
#include <gtest/gtest.h>

namespace test
{
namespace
{
using S = sc::Solution;
using Type = sc::ILog::Type;
using Strings = std::vector<std::string>;
using Doubles = std::vector<double>;

class Accessors : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(model);
        ASSERT_TRUE(model->initFromString(text(circle()))) << log;
    }

    CollectingLog log;
    Owned<sc::IRealStaticModel> model = realModel(&log);
};

TEST_F(Accessors, IndicesByName)
{
    struct Case
    {
        const char* name;
        long variable;
        long parameter;
    };
    const Case cases[] = {
        {"x", 0, -1}, {"y", 1, -1}, {"r", -1, 0}, {"k", -1, 1}, {"w", -1, -1}, {"", -1, -1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(model->getVariableIndex(text(c.name)), c.variable) << c.name;
        EXPECT_EQ(model->getParameterIndex(text(c.name)), c.parameter) << c.name;
    }
    EXPECT_TRUE(log.entries.empty()) << log;
}

TEST_F(Accessors, NamesAndCounts)
{
    EXPECT_EQ(model->getNumberOfVariables(), 2u);
    EXPECT_EQ(model->getNumberOfParameters(), 2u);
    EXPECT_EQ(items(model->getVariableNames()), (Strings {"x", "y"}));
    EXPECT_EQ(items(model->getParameterNames()), (Strings {"r", "k"}));
}

TEST_F(Accessors, OutputSymbols)
{
    const cnt::SafeFullVector<unsigned> out = model->getOutputSymbolIndices();
    EXPECT_EQ(items(out), (std::vector<unsigned> {0, 2}));
    EXPECT_EQ(items(model->getOutputSymbolNames(out)), (Strings {"x", "r"}));
    cnt::SafeFullVector<double> values;
    EXPECT_TRUE(model->getOutputSymbolValues(out, values));
    EXPECT_EQ(items(values), (Doubles {1, 5}));
    EXPECT_TRUE(log.entries.empty()) << log;

    // As many indices as output symbols are needed; other counts give an
    // empty result without a message.
    for (const auto& wrongCount : {vec<unsigned>({0}), vec<unsigned>({0, 1, 2}), cnt::SafeFullVector<unsigned>()})
    {
        EXPECT_TRUE(model->getOutputSymbolNames(wrongCount).isEmpty());
        EXPECT_FALSE(model->getOutputSymbolValues(wrongCount, values));
        EXPECT_TRUE(values.isEmpty());
    }
    EXPECT_TRUE(log.entries.empty()) << log;

    // An index past the symbols fails the whole call.
    const auto beyond = vec<unsigned>({0, 4});
    EXPECT_TRUE(model->getOutputSymbolNames(beyond).isEmpty());
    EXPECT_EQ(log.texts(Type::Error), Strings {"SC.SymbNames"});
    EXPECT_FALSE(model->getOutputSymbolValues(beyond, values));
    EXPECT_TRUE(values.isEmpty());
    EXPECT_EQ(log.texts(Type::Error), (Strings {"SC.SymbNames", "SC.SymbValues"}));
}

TEST_F(Accessors, ParameterValues)
{
    cnt::SafeFullVector<double> values;
    model->getParameterValues(values);
    EXPECT_EQ(items(values), (Doubles {5, 7}));

    EXPECT_TRUE(model->getParameterValues(vec<unsigned>({1, 1, 0}), values));
    EXPECT_EQ(items(values), (Doubles {7, 7, 5}));
    // No indices: true, and the vector is left as it was.
    EXPECT_TRUE(model->getParameterValues(cnt::SafeFullVector<unsigned>(), values));
    EXPECT_EQ(values.size(), 3u);
    EXPECT_TRUE(log.entries.empty()) << log;

    // A bad index reads as 0 and is reported; the others are still read.
    EXPECT_FALSE(model->getParameterValues(vec<unsigned>({0, 99, 1}), values));
    EXPECT_EQ(items(values), (Doubles {5, 0, 7}));
    EXPECT_EQ(log.texts(Type::Error), Strings {"SC.ParamValues"});
}

TEST_F(Accessors, SettingParameters)
{
    cnt::SafeFullVector<double> values;
    EXPECT_TRUE(model->setParameterValues(vec<unsigned>({1, 0}), vec<double>({9, 8})));
    model->getParameterValues(values);
    EXPECT_EQ(items(values), (Doubles {8, 9}));
    EXPECT_TRUE(model->setParameterValues(cnt::SafeFullVector<unsigned>(), cnt::SafeFullVector<double>()));
    EXPECT_TRUE(log.entries.empty()) << log;

    // A bad index is reported; the good ones are still set.
    EXPECT_FALSE(model->setParameterValues(vec<unsigned>({2, 1}), vec<double>({1, 2})));
    model->getParameterValues(values);
    EXPECT_EQ(items(values), (Doubles {8, 2}));
    EXPECT_EQ(log.texts(Type::Error), Strings {"SC.WrongParamIndex"});

    // Fewer values than indices: nothing is set.
    log.clean();
    EXPECT_FALSE(model->setParameterValues(vec<unsigned>({0, 1}), vec<double>({3})));
    model->getParameterValues(values);
    EXPECT_EQ(items(values), (Doubles {8, 2}));
    EXPECT_EQ(log.texts(Type::Error).size(), 1u) << log;
}

TEST_F(Accessors, SettingVariables)
{
    cnt::SafeFullVector<double> values;
    EXPECT_TRUE(model->setVariableValues(vec<double>({3, 4})));
    model->getVariableValues(values);
    EXPECT_EQ(items(values), (Doubles {3, 4}));
    // Values past the variables are not used.
    EXPECT_TRUE(model->setVariableValues(vec<double>({5, 6, 7})));
    model->getVariableValues(values);
    EXPECT_EQ(items(values), (Doubles {5, 6}));
    EXPECT_TRUE(log.entries.empty()) << log;

    EXPECT_FALSE(model->setVariableValues(vec<double>({1})));
    model->getVariableValues(values);
    EXPECT_EQ(items(values), (Doubles {5, 6}));
    EXPECT_EQ(log.texts(Type::Error).size(), 1u) << log;
}

TEST_F(Accessors, SettingTheLoggerRedirectsMessages)
{
    CollectingLog other;
    model->setLogger(&other);
    EXPECT_FALSE(model->setParameterValues(vec<unsigned>({7}), vec<double>({1})));
    EXPECT_EQ(other.texts(Type::Error), Strings {"SC.WrongParamIndex"});
    // Loads report to it too.
    other.clean();
    EXPECT_FALSE(model->initFromString(text("Header:\nend\nModel\nVars\nx = 1\nNLEs\nx = 2\nend\n")));
    EXPECT_EQ(other.texts(Type::Error), Strings {"MS.UndefindeModelType"});
    model->setLogger(nullptr);
    EXPECT_FALSE(model->initFromString(text("Header:\nend\nModel\nVars\nx = 1\nNLEs\nx = 2\nend\n")));
    EXPECT_EQ(other.entries.size(), 1u);
    EXPECT_TRUE(log.entries.empty()) << log;
}

TEST(AccessorsBeforeALoad, SeeNoModel)
{
    CollectingLog log;
    auto model = realModel(&log);
    cnt::SafeFullVector<double> values = vec<double>({1});
    EXPECT_EQ(model->getNumberOfVariables(), 0u);
    EXPECT_EQ(model->getNumberOfParameters(), 0u);
    EXPECT_EQ(model->getVariableIndex(text("x")), -1);
    EXPECT_EQ(model->getParameterIndex(text("x")), -1);
    EXPECT_TRUE(model->getVariableNames().isEmpty());
    EXPECT_TRUE(model->getOutputSymbolIndices().isEmpty());
    model->getVariableValues(values);
    EXPECT_TRUE(values.isEmpty());
    EXPECT_TRUE(model->setVariableValues(values));
    EXPECT_TRUE(log.entries.empty()) << log;
    EXPECT_EQ(model->getSolverInterface()->solve(), S::SolutionError);
}
} // namespace
} // namespace test
