// A declaration whose name is a word of the language (a function, a constant,
// a reserved word...) is refused at the word: no expression could read a
// symbol of that name. Words that only resemble one stay names.
#include <ModelSupport.h>
#include <gtest/gtest.h>

#include <numbers>
#include <string>

namespace test
{
namespace
{
using Type = sc::ILog::Type;

// Line 3 is the Model line: the declarations start at line 4.
std::string model(const std::string& declarations, const std::string& modelAttribs = "")
{
    return "Header:\nend\nModel [type = NL" + modelAttribs + "]\n" + declarations + "NLEs\n  x = 1\nend\n";
}

// The sub-model's lines, from line 6 on, after the main Vars of x.
std::string subModel(const std::string& declarations)
{
    return model("Vars\n  x = 1\nSubModel [type = NL]\n" + declarations + "  NLEs\n    u = 2\nend\n");
}

struct Case
{
    const char* what;
    std::string text;
    const char* word;
    unsigned line, column;
};

TEST(ReservedNames, ADeclaredWordOfTheLanguageIsRefusedAtTheWord)
{
    const Case cases[] = {
        {"constant", model("Vars\n  x = 1\n  e = 2\n"), "e", 6, 3},
        {"constant without a value", model("Vars\n  x = 1\n  pi\n"), "pi", 6, 3},
        {"constant in Greek, a column per character", model("Vars\n  x = 1; π = 2\n"), "π", 5, 10},
        {"Laplace operator", model("Vars\n  x = 1\nParams\n  s = 2\n"), "s", 7, 3},
        {"function after a semicolon", model("Vars\n  x = 1\nParams\n  p = 1; sin = 2\n"), "sin", 7, 10},
        {"function with attributes", model("Vars\n  x = 1\n  var [out = true]\n"), "var", 6, 3},
        {"block word", model("Vars\n  x = 1\n  if = 1\n"), "if", 6, 3},
        {"closing word with a value", model("Vars\n  x = 1\n  end = 1\n"), "end", 6, 3},
        {"group name with a value", model("Vars\n  x = 1\nParams = 2\n"), "Params", 6, 1},
        {"truth value, a tab one column", model("Vars\n  x = 1\n\ttrue = 1\n"), "true", 6, 2},
        {"logical word", model("Vars\n  x = 1\n  and = 1\n"), "and", 6, 3},
        {"run-time value among statistics", model("Vars\n  x = 1\nStats\n  totIter#\n"), "totIter#", 7, 3},
        {"generator", model("Vars\n  x = 1\nDistribs\n  rnd [type = Gauss, mean = 0, dev = 1]\n"), "rnd", 7, 3},
        {"comment and blank lines counted", model("Vars\n  // first x\n\n  x = 1\n  default\n"), "default", 8, 3},
        {"sub-model variable", subModel("  Vars\n    u = 1\n    e = 2\n"), "e", 9, 5},
        {"sub-model parameter", subModel("  Vars\n    u = 1\n  Params\n    case = 2\n"), "case", 10, 5},
        {"reference word with a value", subModel("  Vars\n    u = 1\n    @main = 2\n"), "@main", 9, 5},
    };
    for (const Case& c : cases)
    {
        CollectingLog log;
        EXPECT_FALSE(realModel(&log)->initFromString(text(c.text))) << c.what;
        ASSERT_FALSE(log.entries.empty()) << c.what;
        const CollectingLog::Entry& first = log.entries.front();
        EXPECT_EQ(first.type, Type::Error) << c.what;
        EXPECT_EQ(first.text, "@ML.NameIsReserved") << c.what << "\n" << log;
        EXPECT_EQ(first.arguments, std::vector<std::string> {c.word}) << c.what;
        EXPECT_EQ(first.line, c.line) << c.what;
        EXPECT_EQ(first.column, c.column) << c.what;
    }
}

// The complex functions are words of complex models alone (a real model
// declares real below).
TEST(ReservedNames, AComplexFunctionIsAWordOfComplexModels)
{
    CollectingLog log;
    EXPECT_FALSE(cmplxModel(&log)->initFromString(text(model("Vars\n  x = 1\n  real = 2\n", ", domain = cmplx"))));
    ASSERT_FALSE(log.entries.empty());
    EXPECT_EQ(log.entries.front().text, "@ML.NameIsReserved") << log;
    EXPECT_EQ(log.entries.front().arguments, std::vector<std::string> {"real"});
    EXPECT_EQ(log.entries.front().line, 6u);
}

// Names that only resemble words, attribute names, and the words that give
// a declaration line its structure where no "=" follows them.
TEST(ReservedNames, NamesLikeWordsAndStructureWordsKeepTheirMeaning)
{
    const std::string text = "Header:\nend\nModel [type = NL]\n"
                             "Vars\n"
                             "  sinus = 1; E = 1; Pi = 1; eps = 1; dT = 1; real = 1; end_ = 1\n"
                             "Params [out = true]\n"
                             "  n = 2\n"
                             "SubModel [type = NL]\n"
                             "  Vars\n"
                             "    u = 1\n"
                             "    @main.sinus = 5 // a main variable's start, from the sub-model\n"
                             "  NLEs\n"
                             "    u = 2\n"
                             "end\n"
                             "NLEs\n"
                             "  E = 3\n"
                             "  sinus = n*E\n"
                             "  Pi = pi\n"
                             "  eps = sin(Pi/n)\n"
                             "  dT = e\n"
                             "  real = -E\n"
                             "  end_ = E^n\n"
                             "end\n";
    CollectingLog log;
    auto m = realModel(&log);
    ASSERT_TRUE(m->initFromString(test::text(text))) << log;
    ASSERT_EQ(m->getSolverInterface()->solve(), sc::Solution::OK) << log;
    EXPECT_EQ(items(m->getVariableNames()),
              (std::vector<std::string> {"sinus", "E", "Pi", "eps", "dT", "real", "end_"}));
    cnt::SafeFullVector<double> values;
    m->getVariableValues(values);
    // n = 2: sinus = 2*3, eps = sin(pi/2), end_ = 3^2
    const std::vector<double> expected = {6, 3, std::numbers::pi, 1, std::numbers::e, -3, 9};
    ASSERT_EQ(values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(values[i], expected[i], 1e-9) << i;
}
} // namespace
} // namespace test
