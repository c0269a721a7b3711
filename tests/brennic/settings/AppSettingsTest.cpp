#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <regex>
#include <set>
#include <string>

#include <mu/AppSettings.h>

#include "TestEnvironment.h"

namespace
{
namespace fs = std::filesystem;
using FT = fo::FolderType;

std::string text(const td::String& s) { return s.c_str(); }

// HOME, USER and TMPDIR point into a temporary folder for each test.
class AppSettingsTest : public ::testing::Test
{
protected:
    AppSettingsTest()
        : _home("HOME", (tmp / "home").string())
        , _user("USER", "someone")
        , _tmpDir("TMPDIR", (tmp / "tmp").string())
    {
        fs::create_directories(tmp / "home");
        fs::create_directories(tmp / "tmp");
    }

    test::TempFolder tmp;

private:
    test::ScopedEnv _home, _user, _tmpDir;
};

TEST_F(AppSettingsTest, HomeUserAndTemporaryFolderFromTheEnvironment)
{
    mu::AppSettings settings("Org", "tool");
    EXPECT_EQ(text(settings.getHomeFolder()), (tmp / "home").string());
    EXPECT_EQ(text(settings.getHomeLocalDataFolder()), (tmp / "home").string());
    EXPECT_EQ(text(settings.getUserName()), "someone");
    EXPECT_EQ(text(settings.getTmpFolder()), (tmp / "tmp").string());
    EXPECT_EQ(settings.getFSPath(FT::Tmp), tmp / "tmp");
    EXPECT_EQ(settings.getProgID(), static_cast<unsigned>(getpid()));
    EXPECT_EQ(text(settings.getLocalDataAppPath(false)), (tmp / "home" / "Org" / "tool").string());

    td::String log;
    settings.getLogFolder(log);
    EXPECT_EQ(text(log), (tmp / "home" / "Org" / "tool").string());
}

TEST_F(AppSettingsTest, HomeAndUserFromThePasswordDatabaseWithoutTheEnvironment)
{
    const passwd* pEntry = getpwuid(getuid());
    ASSERT_NE(pEntry, nullptr);
    const std::string home = pEntry->pw_dir, login = pEntry->pw_name;
    for (const std::optional<std::string>& unset : {std::optional<std::string>(), std::optional<std::string>("")})
    {
        test::ScopedEnv noHome("HOME", unset), noUser("USER", unset);
        mu::AppSettings settings("Org", "tool");
        EXPECT_EQ(text(settings.getHomeFolder()), home);
        EXPECT_EQ(text(settings.getUserName()), login);
    }
}

TEST_F(AppSettingsTest, FolderKindsFromTheApplicationOrTheWorkingFolder)
{
    mu::AppSettings settings("Org", "tool");
    fs::create_directories(tmp / "app" / "GUI");
    settings.initApplicationRootFolder(td::String((tmp / "app" / "tool.bin").c_str()), "Org", 0x2 | 0x20);
    EXPECT_EQ(text(settings.getAppName()), "tool");
    EXPECT_EQ(text(settings.getAppNameWithExtension()), "tool.bin");
    EXPECT_EQ(text(settings.getApplicationFolder()), (tmp / "app").string());
    EXPECT_TRUE(fs::is_directory(tmp / "home" / "Org" / "tool"));

    const std::pair<FT, fs::path> set[] = {{FT::DPConfig, tmp / "app" / "DP"}, {FT::Translation, tmp / "app" / "TR"}};
    for (const auto& [type, path] : set)
    {
        EXPECT_EQ(settings.getFSPath(type), path);
        EXPECT_EQ(text(settings.getPath(type)), path.string());
    }
    EXPECT_EQ(settings.getDPConfigPath(), tmp / "app" / "DP");
    EXPECT_EQ(settings.getTranslationPath(), tmp / "app" / "TR");
    for (FT type : {FT::ReportConfig, FT::Res, FT::GUI, FT::Help, static_cast<FT>(0), static_cast<FT>(11)})
    {
        EXPECT_TRUE(settings.getFSPath(type).empty()) << int(type);
        EXPECT_TRUE(settings.getPath(type).isEmpty()) << int(type);
    }

    settings.initAppFolders(0x1 | 0x4 | 0x8 | 0x10 | 0x40);
    const fs::path working = fs::current_path();
    EXPECT_EQ(settings.getResPath(), working / "Res");
    EXPECT_EQ(settings.getHelpPath(), working / "Help");
    EXPECT_EQ(settings.getGUIPath(), working / "GUI");
    EXPECT_EQ(settings.getReportConfigPath(), working / "Rep");
    EXPECT_EQ(settings.getTranslationPath(), tmp / "app" / "TR");

    // Without a "GUI" entry beside the executable the kinds come from the
    // working folder; a leading quote of the folder text goes.
    mu::AppSettings bare("Org", "tool");
    bare.initApplicationRootFolder(td::String(("\"" + (tmp / "bare" / "tool").string()).c_str()), "Org", 0x20);
    EXPECT_EQ(text(bare.getApplicationFolder()), (tmp / "bare").string());
    EXPECT_EQ(bare.getTranslationPath(), working / "TR");

    bare.initRecordsetConfigPath("/records");
    EXPECT_EQ(bare.getDPConfigPath(), "/records");
    EXPECT_TRUE(bare.getPath(FT::DPConfig).isEmpty());
}

TEST_F(AppSettingsTest, FoldersAndFilesOfTheApplicationWithinAKind)
{
    mu::AppSettings settings("Org", "tool");
    settings.initApplicationRootFolder(td::String((tmp / "app" / "tool").c_str()), "Org", 0x1 | 0x40);
    td::String result;
    EXPECT_TRUE(settings.createFolder(FT::Home, "reports", result));
    EXPECT_EQ(text(result), (tmp / "home" / "Org" / "tool" / "reports").string());
    EXPECT_TRUE(fs::is_directory(tmp / "home" / "Org" / "tool" / "reports"));

    EXPECT_FALSE(settings.fileExists(FT::Tmp, "a.txt", result));
    EXPECT_EQ(text(result), (tmp / "tmp" / "Org" / "tool" / "a.txt").string());
    fs::create_directories(tmp / "tmp" / "Org" / "tool");
    test::writeFile(tmp / "tmp" / "Org" / "tool" / "a.txt", "a");
    EXPECT_TRUE(settings.fileExists(FT::Tmp, "a.txt", result));

    // A kind without a folder gives nothing: no folder is made relative to
    // the working folder.
    for (FT type : {static_cast<FT>(0), FT::Help})
    {
        EXPECT_FALSE(settings.createFolder(type, "x", result));
        EXPECT_TRUE(result.isEmpty());
        EXPECT_FALSE(settings.fileExists(type, "x", result));
    }
    EXPECT_FALSE(fs::exists("Org"));

    settings.getFileNameInAppFolder("f", result);
    EXPECT_EQ(text(result), (tmp / "app" / "f").string());
    settings.getFileNameInHomeFolder("f", result);
    EXPECT_EQ(text(result), (tmp / "home" / "f").string());
    EXPECT_EQ(text(settings.getFileNameInTmpFolder("f")), (tmp / "tmp" / "f").string());
}

TEST_F(AppSettingsTest, TemporaryFoldersAndUniqueNames)
{
    const std::regex stamp(R"(\d{8}-\d{10})");
    auto* pSettings = new mu::AppSettings("Org", "tool");
    const td::String runFolder = pSettings->createAppFolderInTmp(true, true);
    const fs::path run(runFolder.c_str());
    EXPECT_EQ(run.parent_path(), tmp / "tmp" / "Org" / "tool");
    EXPECT_TRUE(std::regex_match(run.filename().string(), stamp)) << run;
    EXPECT_TRUE(fs::is_directory(run));
    EXPECT_EQ(text(pSettings->createAppFolderInTmp(false, false)), (tmp / "tmp" / "Org" / "tool").string());

    pSettings->setTmpFolder(runFolder);
    EXPECT_EQ(pSettings->getFSPath(FT::Tmp), run);
    std::set<std::string> names;
    const std::regex unique(R"(log\d{8}-\d{10}\.txt)");
    for (int i = 0; i < 50; ++i)
    {
        const fs::path name(pSettings->getUniqueFileNameInTmp("log", "txt").c_str());
        EXPECT_EQ(name.parent_path(), run);
        EXPECT_TRUE(std::regex_match(name.filename().string(), unique)) << name;
        names.insert(name.string());
    }
    EXPECT_EQ(names.size(), 50u);

    test::writeFile(run / "inside", "x");
    pSettings->release();
    EXPECT_FALSE(fs::exists(run));
    EXPECT_TRUE(fs::exists(tmp / "tmp" / "Org" / "tool"));

    mu::AppSettings settings("Org", "tool");
    settings.deleteAppFoldersInTmp();
    EXPECT_FALSE(fs::exists(tmp / "tmp" / "Org" / "tool"));
    EXPECT_TRUE(fs::exists(tmp / "tmp" / "Org"));
}

// The application's own folder in the temporary folder needs a name of its
// own: an empty or climbing name would make the temporary folder itself, or
// a folder above it, the one deleted at the end.
TEST_F(AppSettingsTest, NoTemporaryFolderWithoutAnApplicationName)
{
    test::writeFile(tmp / "tmp" / "other", "x");
    for (const auto& [organisation, name] : {std::pair {"", ""}, {"Org", ""}, {"..", "tool"}, {"Org", ".."}})
    {
        mu::AppSettings settings(organisation, name);
        EXPECT_TRUE(settings.createAppFolderInTmp(false, true).isEmpty());
        settings.deleteAppFoldersInTmp();
    }
    EXPECT_TRUE(fs::exists(tmp / "tmp" / "other"));
}

TEST_F(AppSettingsTest, RegisteredFilesAndFoldersGoAtRelease)
{
    fs::create_directories(tmp / "d" / "e");
    test::writeFile(tmp / "d" / "e" / "f", "x");
    test::writeFile(tmp / "g", "x");
    test::writeFile(tmp / "h", "x");
    {
        mu::AppSettings settings("Org", "tool");
        settings.addFolderForDeletion(td::String((tmp / "d").c_str()));
        settings.addFileForDeletion(td::String((tmp / "g").c_str()));
        settings.addFileForDeletion(td::String((tmp / "g").c_str()));
        settings.addFileForDeletion(td::String((tmp / "missing").c_str()));
    }
    EXPECT_FALSE(fs::exists(tmp / "d"));
    EXPECT_FALSE(fs::exists(tmp / "g"));
    EXPECT_TRUE(fs::exists(tmp / "h"));
}

TEST(AppSettingsTimeStampTest, ExtensionOnlyWhenItFits)
{
    // A stamp is 19 characters; an extension of n characters fits a 32-byte
    // buffer when n + 1 < 31 - 19.
    const std::regex stamp(R"(\d{8}-\d{10})");
    for (const auto& [extension, appended] : {std::pair {"", false},
                                              {"txt", true},
                                              {"0123456789", true},
                                              {"0123456789a", false},
                                              {"01234567890123456789", false}})
    {
        char buffer[32];
        const std::string result = mu::AppSettings::getCurrentDT(buffer, extension);
        const std::string expected = appended ? std::string(R"(\d{8}-\d{10}\.)") + extension : R"(\d{8}-\d{10})";
        EXPECT_TRUE(std::regex_match(result, std::regex(expected))) << extension << " -> " << result;
    }
    char buffer[32];
    EXPECT_TRUE(std::regex_match(mu::AppSettings::getCurrentDT(buffer, nullptr), stamp));
}

} // namespace
