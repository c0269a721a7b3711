#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include <mu/ColorNames.h>
#include <mu/IAppProperties.h>
#include <mu/Regionals.h>
#include <mu/TranslationMgr.h>

#include "TestApplication.h"

namespace
{
namespace fs = std::filesystem;

TEST(ApplicationTest, ServicesFromConstructionToTheEnd)
{
    EXPECT_EQ(mu::pApp(), nullptr);
    {
        test::TestApplication app("Org", "tool");
        const fs::path home = app.homeFolder();
        EXPECT_EQ(mu::pApp(), &app);
        EXPECT_EQ(mu::getAppSettings(), app.getSettings());
        EXPECT_STREQ(app.getName().c_str(), "tool");
        EXPECT_EQ(app.getFolderPath(), home / "bin");
        const auto [argv, argc] = app.getMainArgs();
        ASSERT_EQ(argc, 1);
        EXPECT_EQ(argv[0], (home / "bin" / "tool").string());
        EXPECT_EQ(app.getEnvironment(), 0);
        EXPECT_EQ(app.getID(), static_cast<unsigned>(getpid()));
        EXPECT_EQ(app.getMainThreadRegionals(), nullptr);
        EXPECT_EQ(app.getTracer(), nullptr);
        EXPECT_EQ(app.getTranslationMgr()->getKind(), fo::FolderType::Translation);
        EXPECT_EQ(app.getTranslationMgrRep()->getKind(), fo::FolderType::ReportConfig);
        EXPECT_EQ(app.getTranslationMgrDP()->getKind(), fo::FolderType::DPConfig);
        EXPECT_EQ(app.getTranslationMgrMenu()->getKind(), fo::FolderType::GUI);

        test::CollectingLogger logger;
        test::CollectingLogger debugLogger;
        app.pLogger = &logger;
        app.pDebugLogger = &debugLogger;
        app.init("BA", 0x1 | 0x20);
        EXPECT_EQ(mu::TraceLevel, 0);
        EXPECT_STREQ(app.getLanguage().c_str(), "BA");
        EXPECT_EQ(app.getSettings()->getLogger(), &logger);
        EXPECT_EQ(app.getSettings()->getDebugLogger(), &debugLogger);
        EXPECT_STREQ(mu::getMainThreadRegionals()->getName(), "bs-Latn-BA");
        EXPECT_STREQ(app.getPath(fo::FolderType::Application).c_str(), (home / "bin").c_str());
        EXPECT_EQ(app.getFSPath(fo::FolderType::Translation), fs::current_path() / "TR");
        EXPECT_TRUE(app.getFSPath(fo::FolderType::GUI).empty());
        // The temporary folder of the run: time-stamped, under the system's.
        const std::string tmpFolder = app.getSettings()->getTmpFolder().c_str();
        EXPECT_EQ(tmpFolder.rfind((home / "tmp" / "Org" / "tool").string() + "/", 0), 0u) << tmpFolder;
        EXPECT_TRUE(fs::is_directory(tmpFolder));
        td::String made;
        EXPECT_TRUE(app.createFolder(fo::FolderType::Home, "sub", made));
        EXPECT_STREQ(made.c_str(), (home / "Org" / "tool" / "sub").c_str());

        app.setLanguage("EN");
        EXPECT_STREQ(app.getLanguage().c_str(), "EN");
        EXPECT_STREQ(mu::getMainThreadRegionals()->getName(), "en-US");
    }
    EXPECT_EQ(mu::pApp(), nullptr);
    EXPECT_EQ(mu::getAppSettings(), nullptr);
    EXPECT_EQ(mu::getMainThreadRegionals(), nullptr);
}

TEST(ApplicationTest, KnownColours)
{
    test::TestApplication app;
    struct Case
    {
        const char* name;
        unsigned colour;
    };
    // Only lower-case digits are read: #FF8000 stops at once.
    const Case hex[] = {{"#ff8000", 0xFF8000}, {"#FF8000", 0},        {"", 0xFF000000},   {"#", 0},
                        {"#12g4", 0x12},       {"#c0ffee", 0xC0FFEE}, {"red", 0xFF000000}};
    for (const Case& c : hex)
        EXPECT_EQ(app.getKnownColor(c.name), c.colour) << c.name;
    // Without a colour table no name is known.
    EXPECT_STREQ(app.getKnownColorName(0xFF0000).c_str(), "");

    auto* pNames = new mu::ColorNames;
    pNames->insert(0xFF0000, "red");
    pNames->insert(0x00FF00, "");
    app.setColorNames(pNames);
    EXPECT_EQ(app.getKnownColor("red"), 0xFF0000u);
    EXPECT_EQ(app.getKnownColor("Red"), 0xFF000000u);
    EXPECT_EQ(app.getKnownColor("#ff8000"), 0xFF8000u);
    EXPECT_STREQ(app.getKnownColorName(0xFF0000).c_str(), "red");
    EXPECT_STREQ(app.getKnownColorName(0x00FF00).c_str(), "");
    EXPECT_STREQ(app.getKnownColorName(0xFF00A0B1).c_str(), "#ff00a0b1");
}

// A colour without a name is written into the main-thread regional formats'
// buffer, or into the table's own without them (or without an application).
TEST(ApplicationTest, NamesOfColoursWithoutOne)
{
    mu::ColorNames names;
    EXPECT_STREQ(names.getName(0xFF00A0B1), "#ff00a0b1");
    EXPECT_STREQ(names.getName(7), "#00000007");
    test::TestApplication app;
    EXPECT_STREQ(names.getName(0xFF00A0B1), "#ff00a0b1");
    app.createRegionals("US");
    const char* name = names.getName(0xABCDEF01);
    EXPECT_STREQ(name, "#abcdef01");
    EXPECT_EQ(name, mu::getMainThreadRegionals()->getText());
}

TEST(ApplicationTest, ResourceFileNames)
{
    test::TestApplication app;
    const fs::path home = app.homeFolder();
    const fs::path res = home / "res";
    app.setResFolder(res);
    struct Case
    {
        fs::path folder;
        const char* name;
        fs::path fromText;   // C-string name
        fs::path fromString; // td::String name
    };
    const Case cases[] = {
        {"/f", "", "", ""},
        {"/f", "~x/y.png", home / "x/y.png", "/f/~x/y.png"},
        {"/f", "~/y.png", home / "y.png", "/f/~/y.png"},
        {"/f", ":img/y.png", res / "img/y.png", res / "img/y.png"},
        {"/f", ":/y.png", res / "y.png", res / "y.png"},
        {"/f", "x.png", "/f/x.png", "/f/x.png"},
        {"", "x.png", home / "Zorbel.SDK" / "x.png", "x.png"},
        {"/f", "/abs/x.png", "/abs/x.png", "/abs/x.png"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(app.expandResFileName(c.folder, c.name).c_str(), c.fromText.c_str());
        EXPECT_STREQ(app.expandResFileName(c.folder, td::String(c.name)).c_str(), c.fromString.c_str());
    }
    EXPECT_STREQ(app.expandResFileName("/f", static_cast<const char*>(nullptr)).c_str(), "");
}
} // namespace
