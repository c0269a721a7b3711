#include <gtest/gtest.h>
#include <string>
#include <sc/NameIndex.h>

namespace
{
using sc::UserLabel;

void declare(sc::Naming& naming, UserLabel kind, std::initializer_list<const char*> names)
{
    sc::VarAndParamMap& map = naming.getUserSymbolMap(kind);
    for (const char* name : names)
    {
        const td::StringExt* pName = naming.getStringMemManager().alloc(td::String(name));
        map.emplace(*pName, static_cast<td::UINT4>(map.size()));
    }
}

// Short names are compared in the table, longer ones (15 bytes and up)
// through the map's key; a name of two kinds is found as the first kind,
// and the entry points at the map's own key.
TEST(NameIndex, FindsEachNameAsItsFirstKindWithItsPosition)
{
    sc::Naming naming;
    declare(naming, UserLabel::Var,
            {"x", "th9240", "fourteen_bytes", "fifteen_bytes__", "a_much_longer_variable_name"});
    declare(naming, UserLabel::Param, {"p", "x", "fifteen_bytes__"});
    declare(naming, UserLabel::Stat, {"s"});
    sc::NameIndex index;
    index.build(naming.getUserLabels());

    struct Case
    {
        const char* name;
        UserLabel kind;
        td::UINT4 pos;
    };
    const Case cases[] = {{"x", UserLabel::Var, 0},
                          {"th9240", UserLabel::Var, 1},
                          {"fourteen_bytes", UserLabel::Var, 2},
                          {"fifteen_bytes__", UserLabel::Var, 3},
                          {"a_much_longer_variable_name", UserLabel::Var, 4},
                          {"p", UserLabel::Param, 0},
                          {"s", UserLabel::Stat, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const sc::NameIndex::Entry* e = index.find(c.name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->kind, c.kind);
        EXPECT_EQ(e->pos, c.pos);
        const auto& map = naming.getUserSymbolMap(c.kind);
        EXPECT_EQ(e->name, &map.find(std::string_view(c.name))->first);
    }
    for (const char* absent : {"", "X", "th924", "th92400", "fourteen_byte", "fifteen_bytes_", "fifteen_bytes___"})
        EXPECT_EQ(index.find(absent), nullptr) << absent;
}

// Thousands of names that differ only in their digits, as a large model
// declares them, stay apart.
TEST(NameIndex, ManyNumberedNamesStayFindable)
{
    sc::Naming naming;
    sc::VarAndParamMap& vars = naming.getUserSymbolMap(UserLabel::Var);
    for (int i = 0; i < 20000; ++i)
    {
        const std::string name = (i % 2 ? "V" : "th") + std::to_string(i);
        vars.emplace(*naming.getStringMemManager().alloc(td::String(name.c_str())), static_cast<td::UINT4>(i));
    }
    sc::NameIndex index;
    index.build(naming.getUserLabels());
    for (int i = 0; i < 20000; ++i)
    {
        const std::string name = (i % 2 ? "V" : "th") + std::to_string(i);
        const sc::NameIndex::Entry* e = index.find(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(e->pos, static_cast<td::UINT4>(i));
        EXPECT_EQ(index.find((i % 2 ? "th" : "V") + std::to_string(i)), nullptr);
    }
}

TEST(NameIndex, EmptyOrUnbuiltIndexFindsNothing)
{
    sc::NameIndex unbuilt;
    EXPECT_EQ(unbuilt.find("x"), nullptr);
    sc::Naming naming;
    sc::NameIndex empty;
    empty.build(naming.getUserLabels());
    EXPECT_EQ(empty.find("x"), nullptr);
}
} // namespace
