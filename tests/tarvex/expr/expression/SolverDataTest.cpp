// The error text with its heads and placeholders, the item entries, the
// limit groups and what the solver data reaches through its solver.
#include <CollectingLog.h>
#include <expr/SolverData.h>
#include <solvers/NRSolver.h>
#include <gtest/gtest.h>

#include <string>

namespace
{
using namespace SL_NS;

std::string text(const ErrorStr& e) { return e.toString().c_str(); }

TEST(ErrorStr, PlaceholdersAreFilledInOrder)
{
    struct Case
    {
        std::string expected;
        void (*write)(ErrorStr&);
    };
    const Case cases[] = {
        {"Detected 3 variables and 4 equations!",
         [](ErrorStr& e) { e.appendFormat("Detected @ variables and @ equations!", 3, 4u); }},
        {"Wrong signal for Then equations for condition: c. Signal=",
         [](ErrorStr& e) { e.appendFormat("Wrong signal for Then equations for condition: @. Signal=", "c", "x"); }},
        {"no placeholder", [](ErrorStr& e) { e.appendFormat("no placeholder", 1, 2); }},
        {"a=1, rest @ stays", [](ErrorStr& e) { e.appendFormat("a=@, rest @ stays", 1); }},
        {"ends 7", [](ErrorStr& e) { e.appendFormat("ends @", 7, "dropped"); }},
        {"[][]", [](ErrorStr& e) { e.appendFormat("[@][@]", (const char*)nullptr, td::String()); }},
        {"65535 -2 18446744073709551615",
         [](ErrorStr& e) { e.appendFormat("@ @ @", (unsigned short)65535, -2, 18446744073709551615ul); }},
        {"Group#: 2; Eq#: 3", [](ErrorStr& e) { e.appendFormat("Group#: @; @#: @", 2u, "Eq", 3u); }},
    };
    for (const Case& c : cases)
    {
        ErrorStr e;
        c.write(e);
        EXPECT_EQ(text(e), c.expected);
    }
    ErrorStr e;
    char name[256] = "arr";
    e.appendFormat("@-@", name, td::StringExt());
    EXPECT_EQ(text(e), "arr-");
}

TEST(ErrorStr, EntriesAndHeads)
{
    ErrorStr e;
    e.writeIntro(12, SolutionLocation::NLEqs);
    e.append("first");
    e.writeIntro(0, SolutionLocation::RTSolution);
    e.writeIntro(65535, SolutionLocation(16));
    e.writeIntro(1, SolutionLocation(200));
    EXPECT_EQ(text(e), "(12,NLEqs):first\n(0,RTSolution):\n(65535,NDEF):\n(1,NDEF):");
}

TEST(ErrorStr, LongTextCrossesChunks)
{
    ErrorStr e;
    std::string expected;
    for (int i = 0; i < 300; ++i)
    {
        e.appendFormat("item @;", i);
        expected += "item " + std::to_string(i) + ";";
    }
    ASSERT_GT(expected.size(), 2048u);
    EXPECT_EQ(text(e), expected);
}

class SolverDataTest : public ::testing::Test
{
protected:
    test::CollectingLog log;
    NRSolver solver {&log};
    SolverData data;
    void SetUp() override { solver.initSolverData(data); }
};

TEST_F(SolverDataTest, ItemEntriesNameTheCurrentSection)
{
    data.lineNo = 40;
    const std::pair<SolutionLocation, const char*> cases[] = {
        {SolutionLocation::RndGens, "(40,RndGens):RndGen#: 5"},
        {SolutionLocation::Stats, "(40,Stats):Eq#: 5"},
        {SolutionLocation::NLEqs, "(40,NLEqs):Eq#: 5"},
        {SolutionLocation::Params, "(40,Params):Par#: 5"},
        {SolutionLocation::Vars, isComplexBuild ? "(40,Vars):Var#: 2" : "(40,Vars):Var#: 5"},
    };
    data.conjVars = 1;
    for (const auto& [location, expected] : cases)
    {
        solver._errorStr.clean();
        data.location = location;
        data.setEqErrorNo(5);
        EXPECT_EQ(text(solver._errorStr), expected);
    }
    // The head may name another section; the item word follows the current one.
    solver._errorStr.clean();
    data.location = SolutionLocation::RndGens;
    data.setEqErrorNo(1, SolutionLocation::Other);
    EXPECT_EQ(text(solver._errorStr), "(40,Other):RndGen#: 1");
}

TEST_F(SolverDataTest, ErrorsAndKeys)
{
    data.lineNo = 3;
    data.location = SolutionLocation::TFs;
    data.appendError("literal @ stays");
    data.appendError("TF with output=@, input=@, and tf=@!", "y", "u", "1/s");
    data.appendError(nullptr);
    EXPECT_EQ(text(solver._errorStr),
              "(3,TFs):literal @ stays\n(3,TFs):TF with output=y, input=u, and tf=1/s!\n(3,TFs):");

    data.translateAndAdd("@SC.Key");
    data.translateAndAdd("@ET.Other", 4, 9);
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[1].text, "@ET.Other");
    EXPECT_EQ(log.entries[1].line, 4u);
    EXPECT_EQ(log.entries[1].column, 9u);
    EXPECT_EQ(log.entries[1].type, sc::ILog::Type::Error);

    SolverData alone;
    alone.translateAndAdd("@SC.Key"); // no solver: nothing happens
    EXPECT_EQ(alone.getLogger(), nullptr);
    EXPECT_STREQ(alone.getSymbolNameForLog(0), "-");
}

TEST_F(SolverDataTest, SymbolNames)
{
    solver._stringPool->addString("x", 0);
    solver._stringPool->addString("", 1);
    solver.setNumberOfSymbols(1, 1);
    EXPECT_STREQ(data.getSymbolNameForLog(0), "x");
    EXPECT_EQ(solver.getSymbolName(1), nullptr);
    EXPECT_EQ(solver._pParams, solver._x + 1);
}

TEST(SolverSignals, CountedAndPassedOn)
{
    struct Host : sc::ISignal
    {
        std::vector<Type> seen;
        void handle(Type t) override { seen.push_back(t); }
    } host;
    NRSolver solver;
    solver.handle(sc::ISignal::Type::TooLow);
    solver.setSignalHandler(&host);
    solver.handle(sc::ISignal::Type::TooLow);
    solver.handle(sc::ISignal::Type::Rounding);
    EXPECT_EQ(solver.getSignalCount(sc::ISignal::Type::TooLow), 2u);
    EXPECT_EQ(solver.getSignalCount(sc::ISignal::Type::Rounding), 1u);
    EXPECT_EQ(host.seen.size(), 2u);
}

TEST(SolutionLimits, Reserve)
{
    SolutionLimits limits;
    limits.reserve(0);
    EXPECT_EQ(limits.size(), 0u);
    limits.reserve(2);
    ASSERT_EQ(limits.size(), 2u);
    EXPECT_EQ(limits[0].enabled, 0);
    EXPECT_TRUE(limits[1].name.isEmpty());
    limits[0].name = td::String("group with a name longer than any short string");
    limits[0].count = 3;
    limits[1].enabled = 1;
    limits[1].state = 1;
    const td::String shared = limits[0].name;

    limits.reserve(2); // same count: emptied in place, the name released
    EXPECT_TRUE(limits[0].name.isEmpty());
    EXPECT_EQ(limits[0].count, 0u);
    EXPECT_EQ(limits[1].enabled, 0);
    EXPECT_EQ(limits[1].state, 0);
    EXPECT_EQ(std::string(shared.c_str()), "group with a name longer than any short string");

    limits.reserve(1);
    EXPECT_EQ(limits.size(), 1u);
}
} // namespace
