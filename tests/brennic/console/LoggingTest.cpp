#include <gtest/gtest.h>

#include <mu/Logging.h>

#include "TestApplication.h"

namespace
{
using Entry = test::CollectingLogger::Entry;

void logAllThree(unsigned level)
{
    mu::logInfo("ti", "info", level);
    mu::logWarning("tw", "warning", level);
    mu::logError("te", "error", level);
}

TEST(LoggingTest, LevelsGateWhatReachesTheApplicationsLogger)
{
    test::TestApplication app;
    test::CollectingLogger logger;
    app.pLogger = &logger;
    EXPECT_EQ(mu::getLogger(), &logger);
    EXPECT_EQ(mu::getLoggerC(), &logger);

    mu::setLogLevel(0);
    logAllThree(0);
    EXPECT_TRUE(logger.entries.empty());

    mu::setLogLevel(2);
    logAllThree(2);
    logAllThree(1);
    logAllThree(0);
    const std::vector<Entry> expected = {{0, "ti", "info"}, {1, "tw", "warning"}, {2, "te", "error"},
                                         {0, "ti", "info"}, {1, "tw", "warning"}, {2, "te", "error"}};
    EXPECT_EQ(logger.entries, expected);

    logger.entries.clear();
    mu::logError(nullptr, nullptr, 0);
    EXPECT_EQ(logger.entries, (std::vector<Entry> {{2, "", ""}}));
    mu::setLogLevel(0);
}

TEST(LoggingTest, NothingHappensWithoutAnApplicationOrItsLogger)
{
    mu::setLogLevel(5);
    EXPECT_EQ(mu::getLogger(), nullptr);
    logAllThree(0);
    {
        test::TestApplication app;
        EXPECT_EQ(mu::getLogger(), nullptr);
        logAllThree(0);
    }
    mu::setLogLevel(0);
}
} // namespace
