// Where the messages of a load point: the line of the text as an editor
// numbers it (comments, blank lines and the header counted) and the column
// of the token's first character, from a string and from a file alike.
#include <ModelSupport.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace test
{
namespace
{
using Type = sc::ILog::Type;

// Lines 1-6 come before the model: a comment, a blank line, a header over
// four lines. The model's lines hold its Vars at 9 and its NLEs at 11.
std::string squareRoot(const std::string& header, const std::string& modelAttribs, const std::string& vars,
                       const std::string& nles)
{
    return "// the square root of two\n\nHeader:   // settings\n" + header + "\nend\nModel [type = NL" + modelAttribs +
           "]\nVars\n" + vars + "\nNLEs\n" + nles + "\nend\n";
}

const std::string header = "  maxIter = 50\n  dTime = 0.1";
const std::string vars = "  x = 1";
const std::string nles = "  x^2 - 2 = 0";
// The same with a parameter, or a statistic, declared below x: NLEs at 12.
const std::string withP = vars + "\nParams\n  p = 0";
const std::string withStat = vars + "\nStats\n  roots";

struct Case
{
    const char* name;
    std::string text;
    const char* key;
    unsigned line, column;
    const char* logged = nullptr; // the name the key is logged with, if any
};

bool hasEntry(const CollectingLog& log, const Case& c)
{
    for (const CollectingLog::Entry& e : log.entries)
        if (e.type == Type::Error && e.text == c.key && e.line == c.line && e.column == c.column &&
            (!c.logged || e.arguments == std::vector<std::string> {c.logged}))
            return true;
    return false;
}

TEST(Positions, EveryPassReportsTheTextsOwnLineAndColumn)
{
    const Case cases[] = {
        {"header", squareRoot("  maxIter = 50\n  nosuch = 1", "", vars, nles), "@ML.HeaderParamUnknown", 5, 3},
        {"declaration", squareRoot(header, "", vars + "\n  x = 2", nles), "@ML.VarDDVars", 10, 3, "x"},
        {"body", squareRoot(header, "", vars, "  x^2 - y = 0"), "@ML.UnknownLbl", 11, 9, "y"},
        {"model line", squareRoot(header, ", eps = x", vars, nles), "@ML.WrongEpsType", 7, 25},
        // the closing "end" of line 12 stands inside NLEs once a line follows it
        {"structure", squareRoot(header, "", vars, nles) + "x = 3\n", "@CE.OutOfModel", 12, 1},
        {"NUL", squareRoot(header, "", vars, nles + std::string("\0 4", 3)), "@ML.NulInText", 11, 14},
        // The compiler's messages name the token at fault: the one the lexer
        // or the tree builder stopped at, the function missing an argument;
        // a message about a whole line names the line's first token.
        {"initial value", squareRoot(header, "", "  x = .5", nles), "@ET.UnexpTokenID", 9, 7},
        {"equation", squareRoot(header, "", vars, "  if x > 1\n    x = 2\n  end"), "@CS.NLEsError", 11, 3},
        {"else missing at the end", squareRoot(header, "", vars, "  if x > 1\n    x = 2\n  end"),
         "@SC.IncompleteIfElse", 13, 3},
        {"operator after operator", squareRoot(header, "", vars, "  x^2 - 2 = * 1"), "@ET.OperAfterOper", 11, 13},
        {"its whole line", squareRoot(header, "", vars, "  x^2 - 2 = * 1"), "@SC.CannotMakeExpressionTree", 11, 3},
        {"missing argument", squareRoot(header, "", vars, "  x^2 - round(x) = 0"), "@ET.FnParamMising", 11, 9},
        {"function without bracket", squareRoot(header, "", vars, "  x^2 - sin x = 0"), "@SC.Missing(AfterFnName", 11,
         13},
        {"dependent initial value", squareRoot(header, "", "  x = p * * 2\nParams\n  p = 1", nles), "@ET.OperAfterOper",
         9, 11},
        {"group", squareRoot(header, "", withP, nles + "\nPostProc\n  p = x + * 2"), "@ET.OperAfterOper", 15, 11},
        {"group line", squareRoot(header, "", withP, nles + "\nPostProc\n  p = x + * 2"), "@SC.CannotMakeExpression",
         15, 3},
        {"assignment", squareRoot(header, "", withP, nles + "\nPostProc\n  p == x"), "@SC.WrongAssignmentType", 15, 3},
        {"if condition", squareRoot(header, "", withP, nles + "\nPostProc\n  if x > * 1\n    p = 1\n  end"),
         "@ET.OperAfterOper", 15, 10},
        {"statistic", squareRoot(header, "", withStat, nles + "\nPostProc\n  roots << x <<"),
         "@CS.EmptyStatAsssignment", 15, 14},
        {"statistic's expression", squareRoot(header, "", withStat, nles + "\nPostProc\n  roots << x + * 2"),
         "@ET.OperAfterOper", 15, 16},
        {"generator", squareRoot(header, "", vars + "\nDistribs\n  n [type = Gauss, mean = 1, dev = 0]", nles),
         "@CS.0DevInGaussDist", 11, 3},
        {"limits", squareRoot(header, "", withP, nles + "\nLimits\n  if x > 2\n    p = 1\n  end"),
         "@SC.LinitsMustBeGrouped", 15, 3},
        {"limit group", squareRoot(header, "", withP, nles + "\nLimits\n  group\n    p = x + * 1\n  end"),
         "@ET.OperAfterOper", 16, 13},
        {"sub-model",
         squareRoot(header, "", vars + "\nSubModel [type = NL]\n  Vars\n    u = 1\n  NLEs\n    u = * 2\nend", nles),
         "@ET.OperAfterOper", 14, 9},
    };
    // one file per process: the builds of a machine may test at once
    const std::string path = testing::TempDir() + "positions-" + std::to_string(getpid()) + ".txt";
    for (const Case& c : cases)
    {
        CollectingLog fromString;
        EXPECT_FALSE(realModel(&fromString)->initFromString(text(c.text))) << c.name;
        EXPECT_TRUE(hasEntry(fromString, c)) << c.name << "\n" << fromString;

        std::ofstream(path, std::ios::binary) << c.text;
        CollectingLog fromFile;
        EXPECT_FALSE(realModel(&fromFile)->initFromFile(text(path))) << c.name;
        EXPECT_TRUE(hasEntry(fromFile, c)) << c.name << "\n" << fromFile;
    }
    std::filesystem::remove(path);
}

TEST(Positions, ANulByteInACommentIsText)
{
    CollectingLog log;
    auto model = realModel(&log);
    ASSERT_TRUE(model->initFromString(text(squareRoot(header, "", vars, nles + std::string(" // \0 x", 7))))) << log;
    EXPECT_EQ(model->getSolverInterface()->solve(), sc::Solution::OK);
}

TEST(Positions, AFolderIsNoModelFile)
{
    CollectingLog log;
    auto model = realModel(&log);
    const std::string folder = TEST_DATA_DIR;
    EXPECT_FALSE(model->initFromFile(text(folder)));
    EXPECT_EQ(log.texts(Type::Error), std::vector<std::string> {"Cannot open model file " + folder + "!"});
    // Nor is a path that a NUL cuts short: it would name another file.
    log.entries.clear();
    const std::string cut = std::string(TEST_DATA_DIR "/circle.txt") + std::string("\0.bak", 5);
    EXPECT_FALSE(model->initFromFile(text(cut)));
    EXPECT_EQ(log.texts(Type::Error).size(), 1u);
}
} // namespace
} // namespace test
