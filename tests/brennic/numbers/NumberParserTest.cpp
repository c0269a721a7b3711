#include <gtest/gtest.h>

#include <mu/IApplication.h>
#include <mu/ILogger.h>
#include <mu/NumberParser.h>

#include <atomic>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct Case
{
    const char* text;
    double expected;
};

const Case s_cases[] = {
    {"1.5", 1.5},
    {"1.5e3", 1500.0},
    {"-2.25E-2", -0.0225},
    {"  +7", 7.0},
    {"1,5", 1.0}, // a comma ends the number
    {"3.25abc", 3.25},
    {"", 0.0},
    {"abc", 0.0},
    {".5", 0.5},
};

void expectCases()
{
    for (const Case& c : s_cases)
        EXPECT_DOUBLE_EQ(mu::toDouble(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(mu::toDouble(nullptr), 0.0);
    EXPECT_TRUE(std::isinf(mu::toDouble("1e999")));
    EXPECT_TRUE(std::isnan(mu::toDouble("nan")));
}

// Switches the process to a decimal-comma locale for the life of the object.
class CommaLocale
{
public:
    CommaLocale()
    {
        std::string old = std::setlocale(LC_ALL, nullptr);
        _ok = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        _old = old;
    }
    ~CommaLocale() { std::setlocale(LC_ALL, _old.c_str()); }
    bool ok() const { return _ok; }

private:
    bool _ok;
    std::string _old;
};
} // namespace

TEST(NumberParserTest, ReadsTheLongestNumberPrefixWithADecimalPoint)
{
    expectCases();
}

TEST(NumberParserTest, ProcessLocaleWithDecimalCommaChangesNothing)
{
    CommaLocale comma;
    if (!comma.ok())
        GTEST_SKIP() << "de_DE.UTF-8 is not installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
    // The process locale really reads a comma now.
    ASSERT_DOUBLE_EQ(std::strtod("1,5", nullptr), 1.5);
    expectCases();
}

TEST(NumberParserTest, ParsingGoesOnAfterTheLocaleWasFreed)
{
    mu::freeCLocale();
    EXPECT_DOUBLE_EQ(mu::toDouble("2.5"), 2.5);
    mu::freeCLocale();
    mu::freeCLocale();
    mu::initCLocale();
    mu::initCLocale();
    EXPECT_DOUBLE_EQ(mu::toDouble("0.125"), 0.125);
}

TEST(NumberParserTest, ThreadsParsingFirstAtOnceAllReadCorrectly)
{
    mu::freeCLocale();
    std::atomic<bool> go{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            std::string text = std::to_string(t) + ".5";
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < 1000; ++i)
                if (mu::toDouble(text.c_str()) != t + 0.5)
                    ++wrong;
        });
    go = true;
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wrong, 0);
}

namespace
{
class TestLogger : public mu::ILogger
{
public:
    void show(int type, const td::String&, const td::String& message) override
    {
        lastType = type;
        lastMessage = message;
    }
    int lastType = -1;
    td::String lastMessage;
};

class TestSettings : public mu::IAppSettings
{
public:
    mu::ILogger* getLogger() const override { return _pLogger; }
    void setLogger(mu::ILogger* pLogger) override { _pLogger = pLogger; }

private:
    mu::ILogger* _pLogger = nullptr;
};

// An application registers itself while it exists.
class TestApplication : public mu::IApplication
{
public:
    TestApplication() { mu::g_pApp = this; }
    ~TestApplication() { mu::g_pApp = nullptr; }
    mu::IAppSettings* getSettings() override { return &settings; }
    TestSettings settings;
};
} // namespace

TEST(AppSettingsTest, SettingsOnlyWhileAnApplicationExists)
{
    EXPECT_EQ(mu::getAppSettings(), nullptr);
    {
        TestApplication app;
        ASSERT_EQ(mu::getAppSettings(), &app.settings);
        EXPECT_EQ(mu::getAppSettings()->getLogger(), nullptr);
        TestLogger logger;
        app.settings.setLogger(&logger);
        mu::getAppSettings()->getLogger()->showWarning("title", "careful");
        EXPECT_EQ(logger.lastType, 1);
        EXPECT_STREQ(logger.lastMessage.c_str(), "careful");
    }
    EXPECT_EQ(mu::getAppSettings(), nullptr);
}
