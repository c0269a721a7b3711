// Assignment groups, limit groups, sub-models, generators and statistics,
// through the solver with model texts whose answers are worked by hand.
#include <CompiledModel.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

const std::string head = "Header:\nend\n";
const std::string modelLine = std::string("Model [type = NL") + (isComplexBuild ? ", domain = cmplx" : "") + "]\n";
// With conjugates (the complex default) every variable needs two equations;
// these tests use one variable per equation.
const std::string varsLine = isComplexBuild ? "Vars [conj = false]\n" : "Vars\n";

std::string model(const std::string& vars, const std::string& params, const std::string& equations,
                  const std::string& groups)
{
    return head + modelLine + varsLine + vars + "\nParams\n" + params + "\nNLEs\n" + equations + "\n" + groups +
           "\nend\n";
}

double re(const Value& v) { return std::real(v); }

TEST(Assignments, PostProcRunsAfterEverySolve)
{
    Compiled c(model("x = 1", "p = 1", "x - 2 = 0", "PostProc\np += 2"));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_EQ(re(c.value("p")), 3);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_EQ(re(c.value("p")), 5);
}

TEST(Assignments, EveryOperator)
{
    const std::pair<const char*, double> cases[] = {{"p = 2", 2},  {"p += 2", 5},   {"p -= 2", 1},
                                                    {"p *= 2", 6}, {"p /= 2", 1.5}, {"p ^= 2", 9}};
    for (const auto& [line, expected] : cases)
    {
        Compiled c(model("x = 1", "p = 3", "x - 2 = 0", std::string("PostProc\n") + line));
        ASSERT_TRUE(c.ok) << line << c.log;
        EXPECT_EQ(c.solver.solve(), S::OK);
        EXPECT_NEAR(re(c.value("p")), expected, 1e-12) << line;
    }
}

#if SL_COMPLEX
TEST(Assignments, ComplexParts)
{
    const std::pair<const char*, Value> cases[] = {{"p.real = 5", Value(5, 4)},  {"p.imag = 1", Value(3, 1)},
                                                   {"p.real += 1", Value(4, 4)}, {"p.imag *= 2", Value(3, 8)},
                                                   {"p.real -= x", Value(1, 4)}, {"p = x", Value(2, 0)}};
    for (const auto& [line, expected] : cases)
    {
        Compiled c(model("x = 1", "p = 3 + 4i", "x - 2 = 0", std::string("PostProc\n") + line));
        ASSERT_TRUE(c.ok) << line << c.log;
        EXPECT_EQ(c.solver.solve(), S::OK);
        EXPECT_NEAR(std::abs(c.value("p") - expected), 0, 1e-12) << line;
    }
    Compiled bad(model("x = 1", "p = 1", "x - 2 = 0", "PostProc\np.abs = 1"));
    EXPECT_FALSE(bad.ok);
}
#endif

TEST(Assignments, BranchesAndSwitches)
{
    const std::string groups = "PostProc\n"
                               "if x > 1\n  a = 1\nelse\n  a = 2\nend\n"
                               "if x > 5\n  b = 7\nend\n"
                               "switch\n  case x > 3 -> c = 1\n  case x > 1\n    c = 2\n    if x < 3\n      d = 4\n    "
                               "end\n  default -> c = 3\nend\n";
    Compiled c(model("x = 1", "a = 0\nb = 0\nc = 0\nd = 0", "x - 2 = 0", groups));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_EQ(re(c.value("a")), 1);
    EXPECT_EQ(re(c.value("b")), 0); // no else: nothing happens
    EXPECT_EQ(re(c.value("c")), 2);
    EXPECT_EQ(re(c.value("d")), 4);
}

TEST(Assignments, RepeatsRunTheSolveAgain)
{
    // Each run adds 1 to n; the Repeats group asks for another run while n < 3.
    Compiled c(model("x = 1", "n = 0", "x - 2 = 0", "PostProc\nn += 1\nRepeats\nif n < 3\nrepeat\nend"));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_EQ(re(c.value("n")), 3);
}

TEST(Assignments, Errors)
{
    const std::pair<std::string, const char*> cases[] = {
        {"PostProc\nx -> 2", "@SC.WrongAssignmentType"},
        {"PostProc\nx >> 2", "@SC.WrongAssignmentType"},
        {"PostProc\nx < 2", "@SC.WrongAssignmentType"},
        {"PostProc\nif x > 1\nelse\na = 1\nend", "@SC.EmptyIf"},
        // a line that begins with a reserved word is compiled, not skipped
        {"PostProc\ns << x * * 2", "@CS.StatsToNotStatVar"},
    };
    for (const auto& [groups, key] : cases)
    {
        Compiled c(model("x = 1", "p = 1\na = 0", "x - 2 = 0", groups));
        EXPECT_FALSE(c.ok) << groups;
        EXPECT_TRUE(c.logged(key)) << groups << c.load.log << c.log;
        EXPECT_TRUE(c.logged("@SC.ErrInPostProc")) << groups;
    }
}

// Blocks of assignments are compiled within their parent's and run within
// it: their nesting is bounded, the bound refused by the load already, at
// the first block too deep. Up to the bound they compile and run.
TEST(Assignments, NestedBlocksAreBounded)
{
    const int bound = int(sc::TokenizedModel::maxBlockNesting);
    // Ifs and switches in turn around a += 1; each opens on one line.
    auto nested = [](const std::string& group, int n) {
        std::string open, close;
        for (int i = 0; i < n; ++i)
        {
            open += i % 2 ? "switch\ncase x > 0\n" : "if x > 0\n";
            close += "end\n";
        }
        return group + open + "a += 1\n" + close;
    };
    Compiled fits(model("x = 1", "a = 0", "x - 2 = 0", nested("PostProc\n", bound)));
    ASSERT_TRUE(fits.ok) << fits.load.log << fits.log;
    EXPECT_EQ(fits.solver.solve(), S::OK);
    EXPECT_EQ(re(fits.value("a")), 1);

    // A limit group is a block of its own.
    Compiled limits(model("x = 1", "a = 0", "x - 2 = 0", nested("Limits\ngroup\n", bound - 1) + "end\n"));
    ASSERT_TRUE(limits.ok) << limits.load.log << limits.log;

    // The group's heading stands at line 10; block k (from 0) opens after k
    // openers, every second of them two lines long. In PostProc block 1000
    // is too deep; in Limits block 999, the group being one more.
    const std::pair<std::string, unsigned> deeper[] = {
        {nested("PostProc\n", bound + 1), 11 + bound + bound / 2},
        {nested("Limits\ngroup\n", bound) + "end\n", 12 + (bound - 1) + (bound - 1) / 2},
        {nested("PostProc\n", 300000), 11 + bound + bound / 2},
    };
    for (const auto& [groups, line] : deeper)
    {
        Compiled c(model("x = 1", "a = 0", "x - 2 = 0", groups));
        EXPECT_FALSE(c.ok);
        ASSERT_EQ(c.load.log.entries.size(), 1u) << c.load.log;
        const CollectingLog::Entry& e = c.load.log.entries[0];
        EXPECT_EQ(e.text, "@SC.IfNestedTooDeep");
        EXPECT_EQ(e.line, line) << groups.substr(0, 20);
        EXPECT_EQ(e.column, 1u);
    }
}

// Records the signals the limit groups raise.
struct Signals : sc::ISignal
{
    std::vector<Type> seen;
    void handle(Type t) override { seen.push_back(t); }
};

// x^2 = 9 until a limit group switches the equation to x = xmax.
std::string limitModel(const std::string& groupLine, const std::string& body)
{
    return model("x = 5", "xmax = 2\non = 0", "on*(x - xmax) + (1 - on)*(x^2 - 9) = 0",
                 "Limits\n" + groupLine + "\n" + body + "\nend");
}

TEST(Limits, GroupHoldsAVariableAtItsBound)
{
    Compiled c(limitModel("group [enabled = true, name = \"xmax\"]", "if x > xmax [signal = TooHigh]\non = 1\nend"));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    Signals signals;
    c.solver.setSignalHandler(&signals);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(re(c.value("x")), 2, 1e-9);
    EXPECT_EQ(signals.seen, std::vector<sc::ISignal::Type> {sc::ISignal::Type::TooHigh});

    Compiled off(limitModel("group [enabled = false]", "if x > xmax [signal = TooHigh]\non = 1\nend"));
    ASSERT_TRUE(off.ok);
    EXPECT_EQ(off.solver.solve(), S::OK);
    EXPECT_NEAR(re(off.value("x")), 3, 1e-8);
}

TEST(Limits, SignalsOfElseAndCaseLines)
{
    Compiled c(limitModel(
        "group", "if x > 10 [signal = TooHigh]\non = 1\nelse [signal = MedLow]\non = on\nend\n"
                 "switch\ncase x > 100 [signal = Rounding] -> on = 1\ndefault [signal = Default] -> on = on\nend"));
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    Signals signals;
    c.solver.setSignalHandler(&signals);
    // Every pass raises MedLow and Default, so the passes never end.
    c.solver.setMaxIterations(5);
    EXPECT_EQ(c.solver.solve(), S::MaximumIteration);
    ASSERT_GE(signals.seen.size(), 2u);
    EXPECT_EQ(signals.seen[0], sc::ISignal::Type::MedLow);
    EXPECT_EQ(signals.seen[1], sc::ISignal::Type::Default);
    EXPECT_TRUE(c.logged("@SC.TooManyLimitPasses"));
}

TEST(Limits, Errors)
{
    const std::pair<std::string, const char*> cases[] = {
        {"Limits\nif x > 1\non = 1\nend", "@SC.LinitsMustBeGrouped"},
        {"Limits\ngroup\nswitch\ncase x > 1 [signal = Loud] -> on = 1\ndefault -> on = 0\nend\nend",
         "@SC.WrongCaseSignal"},
    };
    for (const auto& [groups, key] : cases)
    {
        Compiled c(model("x = 5", "on = 0", "x^2 - 9 = 0", groups));
        EXPECT_FALSE(c.ok) << groups;
        EXPECT_TRUE(c.logged(key)) << groups << c.load.log << c.log;
        EXPECT_TRUE(c.logged("@SC.ErrInLimits")) << groups;
    }
}

TEST(SubModel, SolvedBeforeTheMainModel)
{
    // The sub-model finds z = 2 from 1 and hands it to the main model's q.
    const std::string text = head + modelLine + varsLine + "x = 0\nParams\nq = 0\n" + "SubModel [type = NL]\n" +
                             varsLine + "z = 1\nNLEs\nz^2 = 4\nPostProc\n@main.q = z\nend\n" + "NLEs\nx = q + 1\nend\n";
    Compiled c(text);
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(re(c.value("q")), 2, 1e-6);
    EXPECT_NEAR(re(c.value("x")), 3, 1e-6);
}

TEST(SubModel, AssignsAMainModelVariable)
{
    // x^2 = 4 has two roots; the sub-model starts the main solve from -3.
    const std::string text = head + modelLine + varsLine + "x = 1\nSubModel [type = NL]\n" + varsLine +
                             "z = 0\nNLEs\nz + 3 = 0\nPostProc\n@main.x = z\nend\n" + "NLEs\nx^2 = 4\nend\n";
    Compiled c(text);
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(re(c.value("x")), -2, 1e-6);
}

TEST(SubModel, SharedParametersAndTypes)
{
    // The sub-model shares the main model's first parameter k.
    const std::string text = head + modelLine + varsLine + "x = 0\nParams\nk = 3\nr = 0\n" +
                             "SubModel [type = NL, copyPars = 1]\n" + varsLine +
                             "z = 1\nNLEs\nz - 2*k = 0\nPostProc\n@main.r = z\nend\n" + "NLEs\nx = r\nend\n";
    Compiled c(text);
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(re(c.value("x")), 6, 1e-9);
    EXPECT_TRUE(c.solver.setParamValue("k", 5));
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(re(c.value("x")), 10, 1e-9);

    // A sub-model that names no type has no solver.
    const std::string unknown = head + modelLine + varsLine + "x = 0\nSubModel [eps = 1e-6]\n" + varsLine +
                                "z = 1\nNLEs\nz = 1\nend\nNLEs\nx = 1\nend\n";
    Compiled u(unknown);
    EXPECT_FALSE(u.ok);
    EXPECT_TRUE(u.logged("@SC.CannotCreateSolver")) << u.load.log << u.log;
}

TEST(SubModel, AMisplacedMainModelSymbolIsNamed)
{
    const std::string text = head + modelLine + varsLine + "x = 0\nParams\nq = 0\n" + "SubModel [type = NL]\n" +
                             varsLine + "z = 1\nNLEs\nz @main.q = 4\nend\n" + "NLEs\nx = q + 1\nend\n";
    Compiled c(text);
    EXPECT_FALSE(c.ok);
    const auto named = [](const test::CollectingLog::Entry& e) {
        return e.text == "@ET.LabelAfterOperand" && e.arguments == std::vector<std::string> {"q"};
    };
    EXPECT_TRUE(std::ranges::any_of(c.log.entries, named)) << c.log;
}

TEST(Generators, TruncatedGaussStaysInItsWindow)
{
    const std::string text =
        head + modelLine + varsLine + "x = 1\nParams\nr = 0\nDistribs\n" +
        "g [type = Gauss, mean = 10, dev = 2, width = 4]\nNLEs\nx - 2 = 0\nPostProc\nr = rnd(g)\nend\n";
    Compiled c(text);
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    for (int i = 0; i < 200; ++i)
    {
        ASSERT_EQ(c.solver.solve(), S::OK);
        const double r = re(c.value("r"));
        ASSERT_GE(r, 8);
        ASSERT_LE(r, 12);
    }
}

TEST(Generators, EveryKindLoadsAndBadOnesAreRefused)
{
    const std::pair<const char*, const char*> cases[] = {
        {"g [type = Expo, lambda = 2]", nullptr},
        {"g [type = ChiSqr, k = 3]", nullptr},
        {"g [type = Uniform, min = 1, max = 2]", nullptr},
        {"g [type = Uniform, integer = true, min = 1.7, max = 6]", nullptr},
        {"g [type = Poisson, lambda = 4]", nullptr},
        {"g [type = Student, n = 5]", nullptr},
        {"g [type = LogGauss, mean = 0, dev = 1]", nullptr},
        {"g [type = Bernoulli, p = 0.3]", nullptr},
        {"g [type = Gamma, alpha = 2, beta = 1]", nullptr},
        {"g [type = Gauss, mean = 1, dev = 0.5, width = 2]", nullptr},
        {"g [mean = 1]", "@CS.DistNoType"},
        {"g [type = gauss, mean = 1, dev = 1]", "@CS.UnknowntDistribution"},
        {"g [type = Gauss, mean = 1, dev = 0]", "@CS.0DevInGaussDist"},
        {"g [type = Gauss, dev = 1]", "@CS.NoMeanInGaussDist"},
        {"g [type = Expo, lambda = -1]", "@CS.NoLamdaInExponDist"},
        {"g [type = Bernoulli, p = 2]", "@CS.NoPimBernoulliDist"},
        {"g [type = Uniform, min = 3, max = 1]", "@CS.NoMinInUniformDist"},
    };
    for (const auto& [line, key] : cases)
    {
        const std::string text = head + modelLine + varsLine + "x = 1\nParams\nr = 0\nDistribs\n" + line +
                                 "\nNLEs\nx - 2 = 0\nPostProc\nr = rnd(g)\nend\n";
        Compiled c(text);
        EXPECT_EQ(c.ok, key == nullptr) << line << c.load.log << c.log;
        if (key)
            EXPECT_TRUE(c.logged(key)) << line << c.log;
        else
            EXPECT_EQ(c.solver.solve(), S::OK) << line;
    }
}

TEST(Statistics, FeedsAndReads)
{
    const std::string text = head + modelLine + varsLine + "x = 1\nParams\nr = 4\na = 0\nStats\ns1\n" +
                             "NLEs\nx - 2 = 0\nPostProc\ns1 << x << r\na = avg(s1)\nend\n";
    Compiled c(text);
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(re(c.value("a")), 3, 1e-12); // (2 + 4) / 2

    const std::pair<const char*, const char*> bad[] = {{"s1 << << x", "@CS.StatsStrWrongExpr"},
                                                       {"s1 << sin(cos(x))", "@CS.StatsStrWrongExpr"},
                                                       {"s1 <<", "@SC.WrongAssignmentEq"}};
    for (const auto& [line, key] : bad)
    {
        const std::string t =
            head + modelLine + varsLine + "x = 1\nStats\ns1\nNLEs\nx - 2 = 0\nPostProc\n" + line + "\nend\n";
        Compiled b(t);
        EXPECT_FALSE(b.ok) << line;
        EXPECT_TRUE(b.logged(key)) << line << b.load.log << b.log;
    }
}

TEST(Reload, SecondLoadCompilesCleanly)
{
    const std::string text = head + modelLine + varsLine + "x = 0\nParams\nq = 0\nDistribs\n" +
                             "g [type = Uniform, min = 1, max = 1]\nStats\ns1\nSubModel [type = NL]\n" + varsLine +
                             "z = 1\nNLEs\nz^2 = 4\nPostProc\n@main.q = z\nend\n" +
                             "NLEs\nx = q + 1\nPostProc\ns1 << x\nend\n";
    Compiled c(text);
    ASSERT_TRUE(c.ok) << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    ASSERT_TRUE(c.reload(text)) << c.log;
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_NEAR(re(c.value("x")), 3, 1e-6);
}
} // namespace
} // namespace test
