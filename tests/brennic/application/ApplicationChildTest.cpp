#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "TestEnvironment.h"

namespace
{
namespace fs = std::filesystem;
using Env = std::vector<std::pair<std::string, std::string>>;

// The child program copied to tmp/apps/chosen, started in tmp with its own
// home folder and temporary folder.
class ApplicationChildTest : public ::testing::Test
{
protected:
    ApplicationChildTest()
    {
        fs::create_directories(home);
        fs::create_directories(tmpDir);
        fs::create_directories(apps);
        fs::copy_file(APP_CHILD, program);
    }

    // What the program printed; it must end normally.
    std::string run(const std::vector<std::string>& args, const Env& env = {})
    {
        Env all = {{"HOME", home.string()},
                   {"TMPDIR", tmpDir.string()},
                   {"APP_CHILD_MODE", ""},
                   {"APP_CHILD_ARGS", ""},
                   {"APP_CHILD_TRACER", ""}};
        all.insert(all.end(), env.begin(), env.end());
        const test::ChildResult result = test::runProgram(program, args, root, all, pid);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    }

    // The lines an application prints about itself.
    std::string where(const std::string& name, const fs::path& folder, bool tracer, int runs) const
    {
        return "name=" + name + "\nfolder=" + folder.string() + "\nid=" + std::to_string(pid) +
               "\ntracer=" + (tracer ? "1" : "0") + "\nruns=" + std::to_string(runs) +
               "\ncolor=ff8000\nsdkFile=" + (home / "Zorbel.SDK" / "x.png").string() +
               "\nhomeFile=" + (home / "x.png").string() + "\n";
    }

    test::TempFolder tmp;
    fs::path root = fs::canonical(tmp.path());
    fs::path home = root / "home";
    fs::path tmpDir = root / "tmp";
    fs::path apps = root / "apps";
    fs::path program = apps / "chosen";
    pid_t pid = 0;
};

TEST_F(ApplicationChildTest, NameAndFolderOfTheExecutable)
{
    struct Case
    {
        const char* what;
        std::vector<std::string> args;
        Env env;
        std::string name;
        fs::path folder;
    };
    const Case cases[] = {
        {"absolute argument 0", {program.string()}, {}, "chosen", apps},
        {"absolute argument 0 used unchanged", {"/nowhere/else.bin"}, {}, "else", "/nowhere"},
        {"relative argument 0", {"apps/chosen"}, {}, "chosen", apps},
        {"relative argument 0 of another name", {"other"}, {}, "chosen", apps},
        {"no argument vector", {}, {}, "chosen", apps},
        {"argc 0 and a null argv", {program.string()}, {{"APP_CHILD_ARGS", "none"}}, "chosen", apps},
        {"absolute argument 0 naming no file", {"/nowhere/.."}, {}, "chosen", apps},
        {"the root", {"/"}, {}, "chosen", apps},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string output = run(c.args, c.env);
        EXPECT_EQ(output, "traceLevel=-1\n" + where(c.name, c.folder, false, 1) + "traceLevel=-1\nregistered=0\n");
        // The store was saved at the end.
        const fs::path store = home / "Org" / c.name / (c.name + ".plist");
        EXPECT_NE(test::readFile(store).find("<key>runs</key>"), std::string::npos) << store;
        fs::remove_all(home / "Org");
    }
}

TEST_F(ApplicationChildTest, TracerFolders)
{
    struct Case
    {
        const char* option;
        fs::path folder; // empty: no tracer
    };
    const Case cases[] = {
        {"+", home / "Org" / "chosen" / "Log"},
        {"+more", home / "Org" / "chosen" / "Log"},
        {"Named", home / "Named" / "Org" / "chosen" / "Log"},
        {"-", ""},
        {"-Named", ""},
        {"../up", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.option);
        const std::string output = run({program.string()}, {{"APP_CHILD_TRACER", c.option}});
        EXPECT_NE(output.find(where("chosen", apps, !c.folder.empty(), 1)), std::string::npos) << output;
        if (!c.folder.empty())
        {
            const std::string log = test::readFile(c.folder / ("chosen_" + std::to_string(pid) + ".log"));
            EXPECT_EQ(log.rfind("\xEF\xBB\xBFInfo [", 0), 0u) << log;
            EXPECT_TRUE(log.ends_with("][main] Msg: Application start\n")) << log;
        }
        // Only the store's folder lies in the home folder.
        size_t entries = 0;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(home))
            entries += entry.is_regular_file() ? 1 : 0;
        EXPECT_EQ(entries, c.folder.empty() ? 1u : 2u);
        fs::remove_all(home);
        fs::create_directories(home);
    }
}

TEST_F(ApplicationChildTest, ASecondApplicationAfterTheFirst)
{
    const std::string output = run({program.string()}, {{"APP_CHILD_MODE", "twice"}});
    EXPECT_EQ(output, "traceLevel=-1\n" + where("chosen", apps, false, 1) + "traceLevel=-1\nregistered=0\n" +
                          where("chosen", apps, false, 2) + "registered=1\n");
}

// Both issues' services over a restart: the first run sets up folders,
// language and regional formats and changes settings; the second reads them
// back and sets up with the language it read.
TEST_F(ApplicationChildTest, SettingsSurviveARestart)
{
    const std::string first = run({program.string()}, {{"APP_CHILD_MODE", "write"}});
    const std::string stamped = (tmpDir / "Org" / "chosen").string() + "/";
    const size_t at = first.find("tmp=" + stamped);
    ASSERT_NE(at, std::string::npos) << first;
    EXPECT_NE(first.find("regionals=bs-Latn-BA\ntraceLevel=0\n"), std::string::npos) << first;
    // The run's temporary folder went with the application.
    EXPECT_TRUE(fs::exists(tmpDir / "Org" / "chosen"));
    EXPECT_TRUE(fs::is_empty(tmpDir / "Org" / "chosen"));

    const std::string second = run({program.string()}, {{"APP_CHILD_MODE", "read"}});
    EXPECT_EQ(second, "traceLevel=-1\n" + where("chosen", apps, false, 2) +
                          "width=640\nvisible=1\nlanguage=BA\nregionals=bs-Latn-BA\ntraceLevel=0\nregistered=0\n");
}
} // namespace
