#include <gtest/gtest.h>
#include <cstring>
#include <map>
#include <string>
#include "CollectingLog.h"

namespace
{
using Type = sc::ILog::Type;

td::String translations(const char* key)
{
    static const std::map<std::string, const char*> table = {
        {"@ET.Two", "Cannot differentiate @ with respect to @!"},
        {"@ET.Three", "@ and @ and @"},
        {"@ML.Plain", "Unknown label"},
    };
    auto it = table.find(key);
    return td::String(it == table.end() ? key : it->second);
}

TEST(Log, PlaceholdersAreFilledInOrder)
{
    test::CollectingLog log;
    log.setTranslationFn(translations);
    log.translateAndAdd("@ET.Two", 4, 7, Type::Error, "sin(x)", "y", nullptr);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].text, "Cannot differentiate sin(x) with respect to y!");
    EXPECT_EQ(log.entries[0].line, 4u);
    EXPECT_EQ(log.entries[0].column, 7u);
    EXPECT_EQ(log.entries[0].type, Type::Error);
    EXPECT_EQ(log.getNoOfErrors(), 1u);
}

TEST(Log, PlaceholdersWithoutArgumentsStay)
{
    struct Case
    {
        const char* first;
        const char* second;
        const char* expected;
    };
    const Case cases[] = {
        {"a", "b", "a and b and @"},     // the null after b ends the list
        {"a", nullptr, "a and @ and @"}, //
        {nullptr, "b", "@ and @ and @"}, // a null named text: nothing is filled
        {"@", "b", "@ and b and @"},     // a filled text is not scanned again
    };
    for (const Case& c : cases)
    {
        test::CollectingLog log;
        log.setTranslationFn(translations);
        log.translateAndAdd("@ET.Three", 1, 1, Type::Warning, c.first, c.second, nullptr);
        ASSERT_EQ(log.entries.size(), 1u);
        EXPECT_EQ(log.entries[0].text, c.expected);
    }
}

TEST(Log, KeysAndNamesAreNoPlaceholders)
{
    // An "@" before a letter begins a key or a name: only a bare "@" is filled.
    test::CollectingLog log;
    log.translateAndAdd("@ET.UnexpTokenID", 2, 5, Type::Error, "21", nullptr);
    log.setTranslationFn(translations);
    log.translateAndAdd("@ET.Two", 1, 1, Type::Error, "@main.x", "y", nullptr);
    log.translateAndAdd("@ET.Three", 1, 1, Type::Error, "@", "@x", "@ and @", nullptr);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0].text, "@ET.UnexpTokenID");
    EXPECT_EQ(log.entries[1].text, "Cannot differentiate @main.x with respect to y!");
    EXPECT_EQ(log.entries[2].text, "@ and @x and @ and @");
    EXPECT_STREQ(sc::translate(nullptr, "@ML.UnknownLbl").c_str(), "@ML.UnknownLbl");
}

TEST(Log, ArgumentsAreReadOnlyAsFarAsPlaceholdersAsk)
{
    // One "@" and one text, no terminating null: the list is not read past it.
    test::CollectingLog log;
    log.setTranslationFn(translations);
    log.translateAndAdd("key @ here", 2, 3, Type::Info, "x");
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].text, "key x here");
}

TEST(Log, WithoutATranslationFunctionTheKeyIsTheText)
{
    test::CollectingLog log;
    log.translateAndAdd("@ML.UnknownLbl", 3, 5, Type::Error);
    log.translateAndAdd("MS.UndefindeModelType", Type::Error);
    log.addWoTranslation(td::String("plain text"), Type::Warning);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0].text, "@ML.UnknownLbl");
    EXPECT_EQ(log.entries[0].line, 3u);
    EXPECT_EQ(log.entries[1].text, "MS.UndefindeModelType");
    EXPECT_EQ(log.entries[1].line, 0u);
    EXPECT_EQ(log.entries[2].text, "plain text");
    EXPECT_EQ(log.entries[2].column, 0u);
    EXPECT_EQ(log.getNoOfErrors(), 2u);

    log.setTranslationFn(translations);
    log.translateAndAdd("@ML.Plain", 1, 1, Type::Error);
    EXPECT_EQ(log.entries.back().text, "Unknown label");
}

TEST(Log, NullOrEmptyKeyRecordsNothing)
{
    test::CollectingLog log;
    log.translateAndAdd(nullptr, 1, 1, Type::Error, "x", nullptr);
    log.translateAndAdd("", 1, 1, Type::Error, "x", nullptr);
    log.translateAndAdd(nullptr, Type::Error);
    EXPECT_TRUE(log.entries.empty());
}

TEST(Log, FillingTheTranslatedText)
{
    // The shared helpers that every logger builds its entries with.
    EXPECT_STREQ(sc::translate(nullptr, "k").c_str(), "k");
    EXPECT_STREQ(sc::translate(translations, "@ML.Plain").c_str(), "Unknown label");
    EXPECT_TRUE(sc::translate(translations, nullptr).isEmpty());
}
} // namespace
