#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>
#include <string>

#include <mu/AppSettings.h>

#include "TestEnvironment.h"

namespace
{
namespace fs = std::filesystem;
using Tracer = mu::TxtOutFile<std::ofstream>;

class TracerTest : public ::testing::Test
{
protected:
    TracerTest()
        : _home("HOME", (tmp / "home").string())
    {
        fs::create_directories(tmp / "home");
    }
    ~TracerTest() { delete tracer; }

    std::string fileName() const { return "tool_" + std::to_string(getpid()) + ".log"; }

    test::TempFolder tmp;
    Tracer* tracer = nullptr;

private:
    test::ScopedEnv _home;
};

const std::regex s_firstLine("\xEF\xBB\xBF"
                             R"(Info \[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{4}\]\[main\] Msg: Application start\n)");

TEST_F(TracerTest, ReplacesTheLogsOfEarlierRuns)
{
    const fs::path folder = tmp / "home" / "Org" / "tool" / "Log";
    fs::create_directories(folder / "sub.log");
    test::writeFile(folder / "old.log", "old");
    test::writeFile(folder / "notes.txt", "keep");

    mu::AppSettings settings("Org", "tool");
    ASSERT_TRUE(settings.createTracer(tracer, "Log", nullptr));
    ASSERT_NE(tracer, nullptr);
    *tracer << "second line\n";
    tracer->flush();
    const std::string content = test::readFile(folder / fileName());
    ASSERT_GT(content.size(), 12u);
    EXPECT_TRUE(std::regex_match(content.substr(0, content.size() - 12), s_firstLine)) << content;
    EXPECT_EQ(content.substr(content.size() - 12), "second line\n");
    EXPECT_FALSE(fs::exists(folder / "old.log"));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
    EXPECT_TRUE(fs::is_directory(folder / "sub.log"));

    td::String path;
    settings.getTracerPath(path);
    EXPECT_STREQ(path.c_str(), folder.c_str());
    EXPECT_EQ(settings.getLogPath(), folder);
    settings.getLogFolder(path);
    EXPECT_STREQ(path.c_str(), folder.c_str());

    // A second tracer in the same folder takes the same name and starts the
    // file afresh.
    ASSERT_TRUE(settings.createTracer(tracer, "Log", nullptr));
    EXPECT_TRUE(std::regex_match(test::readFile(folder / fileName()), s_firstLine));
}

TEST_F(TracerTest, ExtraFolderIsOneLevelUnderHome)
{
    mu::AppSettings settings("Org", "tool");
    ASSERT_TRUE(settings.createTracer(tracer, "Log", "Traces"));
    EXPECT_TRUE(
        std::regex_match(test::readFile(tmp / "home" / "Traces" / "Org" / "tool" / "Log" / fileName()), s_firstLine));

    ASSERT_TRUE(settings.createTracer(tracer, nullptr, nullptr));
    EXPECT_TRUE(fs::exists(tmp / "home" / "Org" / "tool" / fileName()));
}

// An option that would climb out of the home folder or name several levels
// is refused before any log file is removed.
TEST_F(TracerTest, RefusesOptionsThatLeadElsewhere)
{
    const fs::path victim = tmp / "Org" / "tool" / "Log";
    fs::create_directories(victim);
    test::writeFile(victim / "precious.log", "x");
    fs::create_directories(tmp / "home" / "a" / "b" / "Org" / "tool" / "Log");
    test::writeFile(tmp / "home" / "a" / "b" / "Org" / "tool" / "Log" / "precious.log", "x");

    mu::AppSettings settings("Org", "tool");
    ASSERT_TRUE(settings.createTracer(tracer, "Log", nullptr));
    for (const char* option : {"..", "../..", "a/b", ".", "", "/abs"})
    {
        EXPECT_FALSE(settings.createTracer(tracer, "Log", option)) << option;
        EXPECT_EQ(tracer, nullptr) << option;
    }
    EXPECT_TRUE(fs::exists(victim / "precious.log"));
    EXPECT_TRUE(fs::exists(tmp / "home" / "a" / "b" / "Org" / "tool" / "Log" / "precious.log"));
}

TEST_F(TracerTest, AFileThatCannotBeOpenedGivesNoTracer)
{
    fs::create_directories(tmp / "home" / "Org" / "tool" / "Log" / fileName());
    mu::AppSettings settings("Org", "tool");
    EXPECT_FALSE(settings.createTracer(tracer, "Log", nullptr));
    EXPECT_EQ(tracer, nullptr);
}
} // namespace
