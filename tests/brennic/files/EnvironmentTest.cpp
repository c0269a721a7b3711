#include <gtest/gtest.h>

#include <mu/Environment.h>
#include <plat/Platform.h>

#include "TestApplication.h"
#include "TestEnvironment.h"

namespace
{
namespace fs = std::filesystem;

TEST(EnvironmentTest, HomePathFromTheApplicationThenFromHome)
{
    test::TempFolder tmp;
    test::ScopedEnv home("HOME", (tmp / "env").string());
    EXPECT_EQ(mu::getHomePath(), tmp / "env");
    EXPECT_EQ(mu::getZorbelSDKPath(), tmp / "env" / "Zorbel.SDK");
    EXPECT_STREQ(mu::getHomeFolderName().c_str(), (tmp / "env").c_str());
    {
        // The settings read HOME when they are made; a later HOME is not theirs.
        test::TestApplication app;
        test::ScopedEnv laterHome("HOME", (tmp / "later").string());
        EXPECT_EQ(mu::getHomePath(), app.homeFolder());
    }

    fs::path out = "unchanged";
    {
        test::ScopedEnv emptyHome("HOME", "");
        mu::getHomePath(out);
        EXPECT_EQ(out, "unchanged");
    }
    test::ScopedEnv noHome("HOME", std::nullopt);
    mu::getHomePath(out);
    EXPECT_EQ(out, "unchanged");
    EXPECT_TRUE(mu::getHomePath().empty());
    EXPECT_EQ(mu::getZorbelSDKPath(), "Zorbel.SDK");
    EXPECT_TRUE(mu::getHomeFolderName().isEmpty());
}

TEST(EnvironmentTest, VariablesAndWorkingFolder)
{
    test::ScopedEnv set("APPSERVICES_TEST_VAR", "value");
    EXPECT_STREQ(mu::getEnvironmentVariable("APPSERVICES_TEST_VAR").c_str(), "value");
    test::ScopedEnv unset("APPSERVICES_TEST_VAR", std::nullopt);
    EXPECT_TRUE(mu::getEnvironmentVariable("APPSERVICES_TEST_VAR").isEmpty());
    EXPECT_TRUE(mu::getEnvironmentVariable(nullptr).isEmpty());

    EXPECT_STREQ(plat::getWorkingFolder().c_str(), fs::current_path().c_str());
    fs::path working;
    mu::getWorkingFolderPath(working);
    EXPECT_EQ(working, fs::current_path());
}

} // namespace
