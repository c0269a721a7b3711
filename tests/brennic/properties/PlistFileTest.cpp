#include <gtest/gtest.h>

#include <string>

#include <td/BufferString.h>
#include <xml/DOMParser.h>

#include "StoreFixture.h"

namespace
{
namespace fs = std::filesystem;
using Document = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>;

// name'text'(children) of the elements under node.
std::string tree(const Document::Node* pNode)
{
    std::string out;
    for (; pNode; pNode = pNode->pNextSibling)
    {
        out += pNode->pName->pStr->c_str();
        if (pNode->pText)
            out += "'" + std::string(pNode->pText->c_str()) + "'";
        if (pNode->pFirstChild)
            out += "(" + tree(pNode->pFirstChild) + ")";
        out += pNode->pNextSibling ? " " : "";
    }
    return out;
}

std::string parsedTree(const fs::path& file)
{
    Document document;
    return document.parseFile(file) ? tree(document.getRootNode()) : "unreadable";
}

class PlistFileTest : public test::StoreTest
{
};

TEST_F(PlistFileTest, WritesGroupsAsNestedDictionaries)
{
    test::Store store = open();
    store->setKeyValue("f", td::Variant(true));
    store->setKeyValue("a/e", td::Variant(3));
    store->setKeyValue("a/b/d", td::Variant(2));
    store->setKeyValue("a/b/c", td::Variant(1));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(test::readFile(fileOf()), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                        "<plist version=\"1.0\">\n"
                                        "\t<dict>\n"
                                        "\t\t<key>a</key>\n"
                                        "\t\t<dict>\n"
                                        "\t\t\t<key>b</key>\n"
                                        "\t\t\t<dict>\n"
                                        "\t\t\t\t<key>c</key>\n"
                                        "\t\t\t\t<integer>1</integer>\n"
                                        "\t\t\t\t<key>d</key>\n"
                                        "\t\t\t\t<integer>2</integer>\n"
                                        "\t\t\t</dict>\n"
                                        "\t\t\t<key>e</key>\n"
                                        "\t\t\t<integer>3</integer>\n"
                                        "\t\t</dict>\n"
                                        "\t\t<key>f</key>\n"
                                        "\t\t<true/>\n"
                                        "\t</dict>\n"
                                        "</plist>");
}

// Keys with empty levels, a leading "/" and characters XML escapes come
// back as they were written; every writable type comes back as the file
// keeps it (integers as 4-byte integers, reals as 4-byte reals of "%g").
TEST_F(PlistFileTest, WrittenFilesReadBackToTheSameEntries)
{
    test::Store store = open();
    const std::pair<const char*, td::Variant> entries[] = {
        {"bool", td::Variant(false)},
        {"byte", td::Variant(td::BYTE(200))},
        {"word", td::Variant(td::WORD(60000))},
        {"int2", td::Variant(td::INT2(-5))},
        {"uint4", td::Variant(4000000000u)},
        {"int4", td::Variant(-42)},
        {"lint8", td::Variant(td::LINT8(1234567890123))},
        {"luint8", td::Variant(td::LUINT8(17))},
        {"real4", td::Variant(1.5f)},
        {"real8", td::Variant(0.123456789)},
        {"text", td::Variant("a<b & \"c\" 'd' > e")},
        {"date", td::Variant(td::Date(2023, 12, 31))},
        {"time", td::Variant(td::Time(23, 59, 58, 9999))},
        {"dec0", td::Variant(td::Decimal0(12))},
        {"sdec0", td::Variant(td::SmallDecimal0(-7))},
        {"g//x", td::Variant(1)},
        {"g/", td::Variant(2)},
        {"/top", td::Variant(3)},
        {"<&>/\"'", td::Variant(4)},
    };
    for (const auto& [key, value] : entries)
        store->setKeyValue(key, value);
    ASSERT_TRUE(store->save());
    EXPECT_EQ(dump(*open()), "/top:3\n"
                             "<&>/\"':4\n"
                             "bool:false\n"
                             "byte:200\n"
                             "date:2023-12-31\n"
                             "dec0:12\n"
                             "g/:2\n"
                             "g//x:1\n"
                             "int2:-5\n"
                             "int4:-42\n"
                             "lint8:1912276171\n"
                             "luint8:17\n"
                             "real4:1.5\n"
                             "real8:0.123457\n"
                             "sdec0:-7\n"
                             "text:a<b & \"c\" 'd' > e\n"
                             "time:23:59:58.9999\n"
                             "uint4:-294967296\n"
                             "word:60000\n");
}

// A type the file has no element for is left out whole: a key written
// without its value would take the next key as its value.
TEST_F(PlistFileTest, ValuesWithoutAnElementAreLeftOut)
{
    test::Store store = open();
    store->setKeyValue("a", td::Variant(1));
    store->setKeyValue("b", td::Variant(td::DateTime(td::Date(2020, 1, 2), td::Time(3, 4, 5, 6))));
    store->setKeyValue("c", td::Variant(td::Decimal2(314)));
    store->setKeyValue("g/only", td::Variant(td::ColorID::red));
    store->setKeyValue("d", td::Variant(4));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(parsedTree(fileOf()), "plist(dict(key'a' integer'1' key'd' integer'4'))");
    EXPECT_EQ(dump(*open()), "a:1\nd:4\n");
}

TEST_F(PlistFileTest, SavesOnlyWhenSomethingChanged)
{
    const fs::path file = place("values.plist");
    const std::string original = test::readFile(file);
    test::Store store = open();
    ASSERT_TRUE(store->save());
    EXPECT_EQ(test::readFile(file), original);

    store->setKeyValue("x", td::Variant(10));
    ASSERT_TRUE(store->save());
    EXPECT_NE(test::readFile(file), original);
    const std::string expected = dump(*store);
    EXPECT_EQ(dump(*open()), expected);

    // A store without a file writes one.
    test::Store fresh = open("fresh");
    ASSERT_TRUE(fresh->save());
    EXPECT_EQ(parsedTree(fileOf("fresh")), "plist(dict)");
}

// A failed write leaves the changes pending: the next save writes them.
TEST_F(PlistFileTest, AFailedSaveIsReportedAndRetried)
{
    const fs::path file = place("values.plist");
    test::Store store = open();
    store->setKeyValue("x", td::Variant(10));
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_FALSE(store->save());
    fs::remove(file);
    EXPECT_TRUE(store->save());
    EXPECT_EQ(open()->getKeyValue("x", td::Variant(0)).i4Val(), 10);
}

TEST_F(PlistFileTest, AWriteCutShortKeepsTheLastGoodStore)
{
    const fs::path file = place("values.plist");
    test::Store store = open();
    store->setKeyValue("x", td::Variant(10));
    ASSERT_TRUE(store->save());
    const std::string good = test::readFile(file);

    // The new content cannot be written: the store on disk stays whole.
    fs::path written = file;
    written += ".new";
    fs::create_directory(written);
    store->setKeyValue("x", td::Variant(11));
    EXPECT_FALSE(store->save());
    EXPECT_EQ(test::readFile(file), good);
    fs::remove(written);

    EXPECT_TRUE(store->save());
    EXPECT_FALSE(fs::exists(written));
    EXPECT_EQ(open()->getKeyValue("x", td::Variant(0)).i4Val(), 11);
}

TEST_F(PlistFileTest, UnreadableFilesAreKeptBesideTheNewOne)
{
    const fs::path file = place("broken.plist");
    const std::string original = test::readFile(file);
    fs::path copy = file;
    copy += ".bak";

    test::Store store = open();
    EXPECT_EQ(dump(*store), "kept:1\n");
    store->setKeyValue("new", td::Variant(2));

    // Without room for the copy nothing is written.
    fs::create_directory(copy);
    EXPECT_FALSE(store->save());
    EXPECT_EQ(test::readFile(file), original);
    fs::remove(copy);

    ASSERT_TRUE(store->save());
    EXPECT_EQ(test::readFile(copy), original);
    EXPECT_EQ(dump(*open()), "kept:1\nnew:2\n");
}

// Each text is a whole file; the store reads what comes before a fault.
TEST_F(PlistFileTest, FilesThatBreakTheLayoutAreNotLoaded)
{
    const std::string head = "<?xml version=\"1.0\"?>\n";
    struct Case
    {
        std::string text;
        std::string entries;
        bool loaded;
    };
    const Case cases[] = {
        {head + "<plist><dict/></plist>", "", true},
        {head + "<plist><dict><key>a</key><integer>1</integer></dict><other/></plist>", "a:1\n", true},
        {head + "<plist><array/></plist>", "", false},
        {head + "<list><dict/></list>", "", false},
        {head + "<plist/>", "", false},
        {head + "<plist><dict><key>a</key><integer>1</integer><key>b</key></dict></plist>", "a:1\n", false},
        {head + "<plist><dict><key>a</key><dict><string>x</string><key>b</key></dict></dict></plist>", "", false},
        {head + "<plist><dict><key>a</key><integer>1</integer>", "", false},
        {"not xml", "", false},
        {"", "", false},
    };
    for (const Case& c : cases)
    {
        test::TempFolder home;
        test::ScopedEnv setHome("HOME", home.path().string());
        const fs::path file = home / "Org" / "tool" / "tool.plist";
        fs::create_directories(file.parent_path());
        test::writeFile(file, c.text);
        test::Store store = open();
        EXPECT_EQ(dump(*store), c.entries) << c.text;
        ASSERT_TRUE(store->save()) << c.text;
        // An unchanged store that read its file leaves it alone; one that
        // could not read it keeps a copy before writing.
        EXPECT_EQ(test::readFile(file) == c.text, c.loaded) << c.text;
        EXPECT_EQ(fs::exists(file.string() + ".bak"), !c.loaded) << c.text;
    }
}

TEST_F(PlistFileTest, ExportWritesTheSameFileElsewhere)
{
    test::Store store = open();
    store->setKeyValue("a/b", td::Variant(1));
    ASSERT_TRUE(store->exportTo(td::String((tmp / "export").c_str())));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(test::readFile(tmp / "export" / "Org" / "tool.plist"), test::readFile(fileOf()));

    test::Store noFolder(mu::IAppProperties::getProperties("", "plain"));
    noFolder->setKeyValue("k", td::Variant(2));
    ASSERT_TRUE(noFolder->exportTo(td::String((tmp / "export").c_str())));
    EXPECT_EQ(parsedTree(tmp / "export" / "plain.plist"), "plist(dict(key'k' integer'2'))");
    EXPECT_FALSE(store->exportTo(td::String((tmp / "export" / "Org" / "tool.plist" / "x").c_str())));
}
} // namespace
