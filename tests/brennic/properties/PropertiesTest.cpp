#include <gtest/gtest.h>

#include <string>

#include "StoreFixture.h"
#include "TestApplication.h"

namespace
{
namespace fs = std::filesystem;
using Type = mu::IAppProperties::ToolBarType;

class PropertiesTest : public test::StoreTest
{
};

TEST_F(PropertiesTest, ReadsNestedGroupsAndEveryValueKind)
{
    place("values.plist");
    test::Store store = open();
    EXPECT_EQ(dump(*store), "a/b:5\n"
                            "a/c/d:deep & \"quoted\"\n"
                            "after:-7\n"
                            "at:13:05:07.0042\n"
                            "big:-294967296\n"
                            "data:QUJD\n"
                            "flagBool:true\n"
                            "flagOther:false\n"
                            "no:false\n"
                            "real:0.1\n"
                            "when:2024-02-29\n"
                            "x:1\n"
                            "y:2\n"
                            "yes:true\n");
    EXPECT_EQ(store->getNoOfKeys(), 14u);

    // Integers are read as 4-byte integers, reals as 4-byte reals.
    EXPECT_EQ(store->getKeyValue("a/b", td::Variant(0)).getType(), td::int4);
    EXPECT_EQ(store->getKeyValue("big", td::Variant(0u)).u4Val(), 4000000000u);
    EXPECT_EQ(store->getKeyValue("real", td::Variant(0.0)).r8Val(), 0.100000001490116119384765625);
    EXPECT_EQ(store->getKeyValue("when", td::Variant(td::Date())).dateVal(), td::Date(2024, 2, 29));
    EXPECT_EQ(store->getKeyValue("at", td::Variant(td::Time())).timeVal(), td::Time(13, 5, 7, 42));
    EXPECT_TRUE(store->getValue<bool>("yes", false));
    EXPECT_FALSE(store->getValue<bool>("no", true));
    EXPECT_TRUE(store->getValue<bool>("missing", true));
}

// Each case: the stored value, the default, and what a read gives.
TEST_F(PropertiesTest, ValuesConvertToTheDefaultsType)
{
    struct Case
    {
        const char* name;
        td::Variant stored, defaultValue, expected;
    };
    const td::Variant text("text");
    const Case cases[] = {
        {"byte from word", td::Variant(td::WORD(0x1234)), td::Variant(td::BYTE(9)), td::Variant(td::BYTE(0x34))},
        {"byte from uint4", td::Variant(0x1FFu), td::Variant(td::BYTE(9)), td::Variant(td::BYTE(0xFF))},
        {"byte from int4", td::Variant(300), td::Variant(td::BYTE(9)), td::Variant(td::BYTE(44))},
        {"byte from byte", td::Variant(td::BYTE(7)), td::Variant(td::BYTE(9)), td::Variant(td::BYTE(7))},
        {"word from int4", td::Variant(70000), td::Variant(td::WORD(9)), td::Variant(td::WORD(4464))},
        {"word from uint4", td::Variant(5u), td::Variant(td::WORD(9)), td::Variant(td::WORD(9))},
        {"uint4 from int4", td::Variant(-1), td::Variant(9u), td::Variant(4294967295u)},
        {"int4 from uint4", td::Variant(4294967295u), td::Variant(9), td::Variant(-1)},
        {"int4 from word", td::Variant(td::WORD(5)), td::Variant(9), td::Variant(9)},
        {"real4 from real8", td::Variant(0.1), td::Variant(1.0f), td::Variant(0.1f)},
        {"real8 from real4", td::Variant(0.1f), td::Variant(1.0), td::Variant(0.100000001490116119384765625)},
        {"real8 from int4", td::Variant(3), td::Variant(1.0), td::Variant(1.0)},
        {"boolean from int4", td::Variant(1), td::Variant(false), td::Variant(false)},
        {"string from int4", td::Variant(1), td::Variant("d"), td::Variant("d")},
        {"int4 from string", text, td::Variant(9), td::Variant(9)},
        {"int2 default", td::Variant(td::INT2(4)), td::Variant(td::INT2(9)), td::Variant(td::INT2(9))},
        {"date from text", td::Variant("2023-02-30"), td::Variant(td::Date()), td::Variant(td::Date(2023, 2, 28))},
        {"date, leap year", td::Variant("2024-02-30"), td::Variant(td::Date()), td::Variant(td::Date(2024, 2, 29))},
        {"date clamped", td::Variant("0-13-5"), td::Variant(td::Date()), td::Variant(td::Date(1, 12, 5))},
        {"date, year alone", td::Variant("2023"), td::Variant(td::Date()), td::Variant(td::Date(2023, 1, 1))},
        {"date, empty text", td::Variant(""), td::Variant(td::Date(2000, 1, 1)), td::Variant(td::Date())},
        {"date from int4", td::Variant(5), td::Variant(td::Date(2000, 1, 1)), td::Variant(td::Date(2000, 1, 1))},
        {"time from text", td::Variant("25:61:07"), td::Variant(td::Time()), td::Variant(td::Time(23, 59, 7, 0))},
        {"time with fraction", td::Variant("1:2:3.4"), td::Variant(td::Time()), td::Variant(td::Time(1, 2, 3, 4))},
    };
    test::Store store = open();
    for (const Case& c : cases)
    {
        store->setKeyValue(c.name, c.stored);
        const td::Variant got = store->getKeyValue(c.name, c.defaultValue);
        EXPECT_EQ(got.getType(), c.expected.getType()) << c.name;
        EXPECT_STREQ((got.applyConstVisitor<td::ToStringVisitor, td::String>().c_str()),
                     (c.expected.applyConstVisitor<td::ToStringVisitor, td::String>().c_str()))
            << c.name;
    }
}

TEST_F(PropertiesTest, DeletedKeysAndGroupsAreHiddenUntilSetAgain)
{
    test::Store store = open();
    for (const char* key : {"a/b", "a/c", "ab", "x"})
        store->setKeyValue(key, td::Variant(1));
    EXPECT_TRUE(store->deleteKey("a"));
    EXPECT_EQ(store->getNoOfKeys(), 2u);
    EXPECT_EQ(store->getKeyValue("a/b", td::Variant(7)).i4Val(), 7);
    EXPECT_EQ(store->getKeyValue("ab", td::Variant(7)).i4Val(), 1);
    EXPECT_TRUE(store->deleteKey("a/"));
    EXPECT_FALSE(store->deleteKey("x/"));
    EXPECT_FALSE(store->deleteKey("nothing"));
    EXPECT_TRUE(store->deleteKey("x"));
    EXPECT_EQ(store->getNoOfKeys(), 1u);
    // Deleted entries stay in memory and in the text form.
    EXPECT_EQ(dump(*store), "a/b:1\na/c:1\nab:1\nx:1\n");

    store->setKeyValue("a/b", td::Variant(9));
    EXPECT_EQ(store->getKeyValue("a/b", td::Variant(7)).i4Val(), 9);
    ASSERT_TRUE(store->save());
    EXPECT_EQ(dump(*open()), "a/b:9\nab:1\n");
}

TEST_F(PropertiesTest, ToolBarLabels)
{
    test::Store store = open();
    store->setTBLabelVisibility(Type::Report, true);
    EXPECT_EQ(dump(*store), "@Zorbel.Report.showLabel:true\n");
    EXPECT_TRUE(store->getTBLabelVisibility(Type::Report, false));

    // The main tool bar needs an application with an identifier; its setting
    // lives in the application's store.
    for (bool defaultValue : {false, true})
        EXPECT_EQ(store->getTBLabelVisibility(Type::Main, defaultValue), defaultValue);
    store->setTBLabelVisibility(Type::Main, true);
    test::TestApplication app;
    store->setTBLabelVisibility(Type::Main, true);
    EXPECT_TRUE(store->getTBLabelVisibility(Type::Main, true));
    EXPECT_FALSE(store->getTBLabelVisibility(Type::Main, false));
    app.pToolBarID = "Main";
    EXPECT_FALSE(store->getTBLabelVisibility(Type::Main, false));
    store->setTBLabelVisibility(Type::Main, true);

    mu::IAppProperties& appStore = *app.getProperties();
    store->setTBLabelVisibility(Type::Main, true);
    EXPECT_TRUE(store->getTBLabelVisibility(Type::Main, false));
    const std::string longID(150, 'L');
    app.pToolBarID = longID.c_str();
    store->setTBLabelVisibility(Type::Main, false);
    EXPECT_EQ(dump(appStore), "@" + longID + ".showLabel:false\n@Main.showLabel:true\n");
    EXPECT_EQ(dump(*store), "@Zorbel.Report.showLabel:true\n");
}
} // namespace
