#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <mem/StringMemoryManager.h>
#include <mu/Hash.h>
#include <mu/TranslationMgr.h>

#include "TestApplication.h"
#include "TestEnvironment.h"

namespace
{
namespace fs = std::filesystem;

// An application whose translation folders are a copy of the fixture's
// app folder, language "EN".
class TranslationTest : public ::testing::Test
{
protected:
    TranslationTest()
    {
        fs::copy(fs::path(TEST_DATA_DIR) / "app", tmp / "app", fs::copy_options::recursive);
        app.emplace();
        app->settings().initApplicationRootFolder(td::String((tmp / "app" / "tool").c_str()), "Org",
                                                  0x2 | 0x10 | 0x20 | 0x40);
        app->settings().setTranslationExtension("EN");
    }

    static unsigned keyOf(const std::string& language, const std::string& name)
    {
        return mu::fnv1a((language + name).c_str(), language.size() + name.size());
    }

    // The translation of text, or "=" when the text itself came back.
    static std::string trc(unsigned key, const char* text, unsigned long& length)
    {
        const char* result = mu::trc(key, text, length);
        return result == text ? "=" : std::string(result);
    }

    // Destroyed in reverse: the application first, the folder last.
    test::TempFolder tmp;
    test::ScopedEnv home {"HOME", (tmp / "home").string()};
    std::optional<test::TestApplication> app;
};

TEST_F(TranslationTest, TablesAreLoadedOncePerLanguageAndName)
{
    const unsigned key = mu::loadTranslation("main", "EN");
    EXPECT_EQ(key, keyOf("EN", "main"));
    test::writeFile(tmp / "app" / "TR" / "EN" / "main.xml",
                    "<?xml version=\"1.0\"?><T><item id=\"hello\" tr=\"Changed\"/></T>");
    EXPECT_EQ(mu::loadTranslation("main", "EN"), key);
    unsigned long length = 0;
    EXPECT_EQ(trc(key, "hello", length), "Hello");

    // A null language is the settings' language.
    app->settings().setTranslationExtension("BA");
    const unsigned bosnian = mu::loadTranslation("main", nullptr);
    EXPECT_EQ(bosnian, keyOf("BA", "main"));
    EXPECT_EQ(trc(bosnian, "hello", length), "Zdravo");

    // A missing file stores nothing: a later load reads the file that came.
    const unsigned late = mu::loadTranslation("late", "EN");
    EXPECT_EQ(late, keyOf("EN", "late"));
    EXPECT_EQ(trc(late, "hello", length), "=");
    test::writeFile(tmp / "app" / "TR" / "EN" / "late.xml",
                    "<?xml version=\"1.0\"?><T><item id=\"hello\" tr=\"Finally\"/></T>");
    EXPECT_EQ(mu::loadTranslation("late", "EN"), late);
    EXPECT_EQ(trc(late, "hello", length), "Finally");
}

TEST_F(TranslationTest, LookUpsByIdentifier)
{
    const unsigned key = mu::loadTranslation("main", "EN");
    struct Case
    {
        const char* id;
        std::string expected; // "=": the text itself, length untouched
    };
    const Case cases[] = {
        {"hello", "Hello"}, {"empty", ""},    {"noTranslation", "="},    {"twice", "second"},
        {"notAnItem", "="}, {"missing", "="}, {"größe", "Size & shape"}, {"", "="},
    };
    for (const Case& c : cases)
    {
        unsigned long length = 999;
        EXPECT_EQ(trc(key, c.id, length), c.expected) << c.id;
        EXPECT_EQ(length, c.expected == "=" ? 999 : c.expected.size()) << c.id;
    }
    unsigned long length = 999;
    EXPECT_EQ(trc(keyOf("EN", "none"), "hello", length), "=");
    EXPECT_EQ(length, 999u);

    const unsigned report = mu::loadRepTranslation("report", "EN");
    EXPECT_EQ(report, keyOf("EN", "report"));
    EXPECT_STREQ(mu::trcRep(report, td::String("col"), length), "Column");
    EXPECT_EQ(length, 6u);
    const td::String other("other id");
    EXPECT_EQ(mu::trcRep(report, other, length), other.c_str());
    EXPECT_EQ(length, 8u);
    mem::StringMemoryManager<td::StringExt, 65536> pool;
    EXPECT_STREQ(mu::trcRep(report, *pool.alloc("col", 3), length), "Column");
    EXPECT_EQ(mu::trcRep(keyOf("EN", "main"), *pool.alloc("col", 3), length), std::string("col"));
    EXPECT_EQ(length, 3u);
}

TEST_F(TranslationTest, LabelsAndToolTips)
{
    const unsigned key = mu::loadDPTranslation("dp", "EN");
    EXPECT_EQ(key, keyOf("EN", "dp"));
    td::String label("x"), toolTip("x");
    EXPECT_STREQ(mu::trsDP(key, "open", label, toolTip).c_str(), "Open");
    EXPECT_STREQ(label.c_str(), "Open file");
    EXPECT_STREQ(toolTip.c_str(), "Opens a file");
    EXPECT_STREQ(mu::trsDP(key, "plain", label, toolTip).c_str(), "Plain");
    EXPECT_TRUE(label.isEmpty() && toolTip.isEmpty());

    label = toolTip = "x";
    const td::String id("unknown");
    EXPECT_EQ(&mu::trsDP(key, id, label, toolTip), &id);
    EXPECT_TRUE(label.isEmpty() && toolTip.isEmpty());

    const unsigned menu = mu::loadMenuTranslation("menu", "EN");
    unsigned long length = 0;
    EXPECT_STREQ(mu::trcMenu(menu, "quit", length, label, toolTip), "Quit");
    EXPECT_EQ(length, 4u);
    EXPECT_STREQ(label.c_str(), "Q");
    EXPECT_STREQ(toolTip.c_str(), "Leaves the program");
    const char* text = "stay";
    EXPECT_EQ(mu::trcMenu(menu, text, length, label, toolTip), text);
    EXPECT_EQ(length, 4u);
    EXPECT_TRUE(label.isEmpty() && toolTip.isEmpty());
}

TEST_F(TranslationTest, UnreadableFilesAreReportedAndTriedAgain)
{
    test::CollectingLogger logger;
    app->settings().setLogger(&logger);
    const fs::path file = tmp / "app" / "TR" / "EN" / "broken.xml";
    const unsigned key = mu::loadTranslation("broken", "EN");
    EXPECT_EQ(key, keyOf("EN", "broken"));
    ASSERT_FALSE(logger.entries.empty());
    EXPECT_EQ(logger.entries.back(),
              (test::CollectingLogger::Entry {2, "TranslationMgr::loadTranslation",
                                              "Cannot parse translation file: " + file.string()}));
    unsigned long length = 0;
    EXPECT_EQ(trc(key, "hello", length), "=");

    test::writeFile(tmp / "app" / "DP" / "EN" / "dp.xml", "<?xml version=\"1.0\"?><T>");
    mu::loadDPTranslation("dp", "EN");
    EXPECT_EQ(logger.entries.back().title, "TranslationMgr::loadDPTranslation");

    test::writeFile(file, "<?xml version=\"1.0\"?><T><item id=\"hello\" tr=\"Mended\"/></T>");
    EXPECT_EQ(mu::loadTranslation("broken", "EN"), key);
    EXPECT_EQ(trc(key, "hello", length), "Mended");
}

TEST_F(TranslationTest, NothingWithoutAnApplication)
{
    app.reset();
    unsigned long length = 7;
    td::String label("x"), toolTip("x");
    EXPECT_EQ(mu::loadTranslation("main", "EN"), 0u);
    EXPECT_EQ(mu::loadRepTranslation("report", "EN"), 0u);
    EXPECT_EQ(mu::loadDPTranslation("dp", "EN"), 0u);
    EXPECT_EQ(mu::loadMenuTranslation("menu", "EN"), 0u);
    EXPECT_EQ(mu::trc(1, "hello", length), nullptr);
    EXPECT_EQ(mu::trcRep(1, td::String("col"), length), nullptr);
    EXPECT_EQ(&mu::trsDP(1, td::String("open"), label, toolTip), &mu::__emptyString);
    EXPECT_EQ(mu::trcMenu(1, "quit", length, label, toolTip), nullptr);
}
} // namespace
