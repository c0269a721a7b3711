#include <gtest/gtest.h>
#include <sstream>
#include <sc/Naming.h>

namespace
{
using sc::ModelLevel;
using sc::UserLabel;

constexpr ModelLevel Main = ModelLevel::Main;
constexpr ModelLevel Sub = ModelLevel::SubModel;

// Enters names the way the loader does: text from the naming's own pool.
void declare(sc::Naming& naming, UserLabel kind, ModelLevel level, std::initializer_list<const char*> names)
{
    sc::VarAndParamMap& map = level == Main ? naming.getUserSymbolMap(kind) : naming.getUserSymbolSubModelMap(kind);
    for (const char* name : names)
    {
        const td::StringExt* pName = naming.getStringMemManager().alloc(td::String(name));
        const auto pos = static_cast<td::UINT4>(map.size());
        map.emplace(*pName, pos);
    }
}

// A main model with x, y and parameters a, b, c; a sub-model with z and k;
// one generator and one statistic in the main model.
void fillSample(sc::Naming& naming)
{
    declare(naming, UserLabel::Var, Main, {"x", "y"});
    declare(naming, UserLabel::Param, Main, {"a", "b", "c"});
    declare(naming, UserLabel::Distrib, Main, {"g"});
    declare(naming, UserLabel::Stat, Main, {"s"});
    declare(naming, UserLabel::Var, Sub, {"z"});
    declare(naming, UserLabel::Param, Sub, {"k"});
    naming.buildNamePositions();
}

TEST(NamingHash, MatchesHandComputedValues)
{
    EXPECT_EQ(sc::VarAndParamHash::hash(""), 0u);
    EXPECT_EQ(sc::VarAndParamHash::hash("ab"), 3138u); // (97 << 5) ^ 98
    EXPECT_EQ(sc::VarAndParamHash::hash("\xC3"), 0xFFFFFFC3u);
    // The rotation carries the top bits round: 0xFFFFFFC3 rotated by 5 is
    // 0xFFFFF87F, xor 'a' (0x61).
    EXPECT_EQ(sc::VarAndParamHash::hash("\xC3"
                                        "a"),
              0xFFFFF81Eu);
}

TEST(Naming, NamesAndPositionsPerKindAndLevel)
{
    sc::Naming naming;
    fillSample(naming);
    mem::StringMemoryManager<td::StringExt, 65536> texts;
    auto ext = [&](const char* s) { return texts.alloc(td::String(s)); };

    EXPECT_EQ(naming.getNumberOfVars(Main), 2u);
    EXPECT_EQ(naming.getNumberOfParams(Main), 3u);
    EXPECT_EQ(naming.getNumberOfVars(Sub), 1u);
    EXPECT_EQ(naming.getNumberOfParams(Sub), 1u);
    EXPECT_EQ(naming.getNumberOfUserLabels(UserLabel::Stat, Main), 1u);
    EXPECT_EQ(naming.getNumberOfUserLabels(UserLabel::Last, Main), 0u);
    // Any level other than the main model reads the sub-model.
    EXPECT_EQ(naming.getNumberOfVars(static_cast<ModelLevel>(7)), 1u);

    EXPECT_STREQ(naming.getVarName(1, Main)->c_str(), "y");
    EXPECT_STREQ(naming.getParamName(2, Main)->c_str(), "c");
    EXPECT_STREQ(naming.getVarName(0, Sub)->c_str(), "z");
    EXPECT_STREQ(naming.getUserLabelName(UserLabel::Distrib, 0, Main)->c_str(), "g");
    EXPECT_EQ(naming.getUserLabelName(UserLabel::Last, 0, Main), nullptr);

    EXPECT_EQ(naming.getVarPos(ext("y"), Main), 1);
    EXPECT_EQ(naming.getParamPos(ext("c"), Main), 2);
    EXPECT_EQ(naming.getVarPos(ext("z"), Sub), 0);
    EXPECT_EQ(naming.getVarPos(ext("z"), Main), -1);
    EXPECT_EQ(naming.getParamPos(ext("x"), Main), -1); // a variable, not a parameter
    EXPECT_EQ(naming.getUserLabelPos(UserLabel::Stat, ext("s"), Main), 0);
    EXPECT_EQ(naming.getVarPos(ext("q"), Main), -1);
    EXPECT_EQ(naming.getUserLabelPos(UserLabel::Last, ext("x"), Main), -1); // no such kind: absent, no lookup

    const td::StringExt empty;
    EXPECT_EQ(naming.getVarPos(nullptr, Main), -1);
    EXPECT_EQ(naming.getVarPos(&empty, Main), -1);

    // Read-only maps by level.
    const sc::Naming& ro = naming;
    EXPECT_EQ(ro.getUserSymbolMap(UserLabel::Param, Sub).size(), 1u);
    EXPECT_EQ(ro.getUserSymbolMap(UserLabel::Param, Main).size(), 3u);
}

TEST(Naming, NameArraysPointAtTheMapKeys)
{
    sc::Naming naming;
    fillSample(naming);
    const sc::VarAndParamMap& vars = naming.getUserSymbolMap(UserLabel::Var);
    for (const auto& entry : vars)
        EXPECT_EQ(naming.getVarName(entry.second, Main), &entry.first);
}

TEST(Naming, CleanEmptiesBothLevels)
{
    sc::Naming naming;
    fillSample(naming);
    naming.getDuplicatedVarsAndParams().emplace(*naming.getStringMemManager().alloc(td::String("x")), 0);
    naming.clean();
    for (ModelLevel level : {Main, Sub})
        for (UserLabel kind : {UserLabel::Var, UserLabel::Param, UserLabel::Distrib, UserLabel::Stat})
            EXPECT_EQ(naming.getNumberOfUserLabels(kind, level), 0u);
    EXPECT_TRUE(naming.getDuplicatedVarsAndParams().empty());
    EXPECT_EQ(naming.getStringMemManager().getNoOfBlocks(), 0u);

    // Ready for the next model, whose arrays match the new counts.
    declare(naming, UserLabel::Param, Main, {"p"});
    naming.buildNamePositions();
    EXPECT_STREQ(naming.getParamName(0, Main)->c_str(), "p");
    EXPECT_EQ(naming.getNumberOfVars(Main), 0u);
}

TEST(Naming, ShowOnAnEmptyNaming)
{
    sc::Naming naming;
    std::ostringstream os;
    naming.showVarsAndParams(os);
    const char* dashes = "--------------\n";
    const std::string expected = std::string("MMVars size=0\n") + dashes + dashes + "\n" + "MMParams size=0\n" +
                                 dashes + "\n" + "SMVars size=0\n" + dashes + dashes + "\n" + "SMParams size=0\n" +
                                 dashes;
    EXPECT_EQ(os.str(), expected);
}

TEST(Naming, ShowListsEveryVariableAndParameter)
{
    sc::Naming naming;
    declare(naming, UserLabel::Var, Main, {"x"});
    declare(naming, UserLabel::Param, Sub, {"k"});
    std::ostringstream os;
    naming.showVarsAndParams(os);
    const char* dashes = "--------------\n";
    const std::string expected = std::string("MMVars size=1\n") + dashes + "x pos=0\n" + dashes + "\n" +
                                 "MMParams size=0\n" + dashes + "\n" + "SMVars size=0\n" + dashes + dashes + "\n" +
                                 "SMParams size=1\n" + dashes + "k pos=0\n";
    EXPECT_EQ(os.str(), expected);
}
} // namespace
