// The console logger's lines, captured from the standard output of a child
// process (the logger is process-wide, and the test's own output stays
// apart).
#include <TestEnvironment.h>
#include <gtest/gtest.h>
#include <sc/ConsoleLogger.h>
#include <sc/ModelFactory.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace test
{
namespace
{
using Type = sc::ILog::Type;
using Lines = std::vector<std::string>;

// The lines that work prints on the standard output, run in a child.
Lines printedLines(const std::function<void(sc::ILog&)>& work)
{
    const ChildResult result = runInChild([&] {
        std::FILE* pFile = std::tmpfile();
        if (!pFile || dup2(fileno(pFile), STDOUT_FILENO) < 0)
            return std::string("no capture");
        work(*sc::getConsoleLogger());
        std::fflush(stdout);
        std::rewind(pFile);
        std::string text;
        for (int c; (c = std::fgetc(pFile)) != EOF;)
            text.push_back(char(c));
        return text;
    });
    EXPECT_EQ(result.exitCode, 0);
    Lines lines;
    std::istringstream in(result.output);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    // Every line ends with a newline: none is left open.
    EXPECT_TRUE(result.output.empty() || result.output.back() == '\n') << result.output;
    return lines;
}

TEST(ConsoleLog, OneLinePerEntry)
{
    struct Case
    {
        sc::ILog::LE entry;
        Type type;
        const char* line; // null: nothing is printed
    };
    const Case cases[] = {
        // the stored line is printed as it is: the line an editor shows
        {{td::String("bad"), 5, 7}, Type::Error, "Error! line 5, column 7: bad"},
        {{td::String("careful"), 1, 0}, Type::Warning, "Warning! line 1: careful"},
        {{td::String("no line"), 0, 4}, Type::Error, "Error! no line"},
        {{td::String("no line"), 0, 0}, Type::Warning, "Warning! no line"},
        {{td::String("just this"), 9, 9}, Type::Info, "just this"},
        {{td::String(), 5, 7}, Type::Error, "Error! line 5, column 7: "},
        {{td::String(), 0, 0}, Type::Warning, "Warning! "},
        {{td::String("largest"), 0xFFFFFFFFu, 3}, Type::Error, "Error! line 4294967295, column 3: largest"},
        {{td::String("cut\0off", 7), 0, 0}, Type::Error, "Error! cut"},
        {{td::String("unknown type"), 1, 1}, static_cast<Type>(3), nullptr},
    };
    Lines expected;
    for (const Case& c : cases)
        if (c.line)
            expected.push_back(c.line);
    EXPECT_EQ(printedLines([&](sc::ILog& log) {
                  for (const Case& c : cases)
                      log.add(c.entry, c.type);
              }),
              expected);
}

td::String tagged(const char* key) { return td::String((std::string("T:") + key).c_str()); }

TEST(ConsoleLog, EnglishByDefault)
{
    const Lines lines = printedLines([](sc::ILog& log) {
        log.translateAndAdd("MS.UndefindeModelType", Type::Error);
        log.translateAndAdd("@ML.UnknownLbl", 5, 7, Type::Error, "y", nullptr);
        log.translateAndAdd("@CS.#Vars!=#Eqs", 0, 0, Type::Error, "3", "2", nullptr);
        log.translateAndAdd("@ML.NegativeEpsUseDefault", 1, 20, Type::Warning);
        // Texts beyond the sentence's placeholders are not printed.
        log.translateAndAdd("@ET.FnNeeds_)", 6, 1, Type::Error, "smin", nullptr);
        // A key without a sentence is its own text.
        log.translateAndAdd("@SC.Key", 4, 2, Type::Warning);
        log.addWoTranslation(td::String("as is"), Type::Info);
        log.translateAndAdd("@ and @", 0, 0, Type::Error, "first", "second", nullptr);
        // The list of texts ends at the null pointer: a "@" past it stays.
        log.translateAndAdd("@ and @", 0, 0, Type::Error, "only", nullptr);
        log.translateAndAdd("@ and @", 0, 0, Type::Error, nullptr);
        log.translateAndAdd("", 1, 1, Type::Error, "unused", nullptr);
        log.translateAndAdd(nullptr, 1, 1, Type::Error, "unused", nullptr);
        log.translateAndAdd("", Type::Error);
    });
    EXPECT_EQ(lines,
              (Lines {
                  "Error! the Model line needs a type attribute: NL, WLS, ODE or DAE [MS.UndefindeModelType]",
                  "Error! line 5, column 7: the name y is not declared [@ML.UnknownLbl]",
                  "Error! 3 equations for 2 variables [@CS.#Vars!=#Eqs]",
                  "Warning! line 1, column 20: eps is negative; 1e-6 is used instead [@ML.NegativeEpsUseDefault]",
                  "Error! line 6, column 1: the parenthesis opened here is not closed [@ET.FnNeeds_)]",
                  "Warning! line 4, column 2: @SC.Key",
                  "as is",
                  "Error! first and second",
                  "Error! only and @",
                  "Error! @ and @",
              }));
}

TEST(ConsoleLog, TheHostsTranslationWins)
{
    const Lines lines = printedLines([](sc::ILog& log) {
        log.setTranslationFn(tagged);
        log.translateAndAdd("MS.UndefindeModelType", Type::Error);
        log.translateAndAdd("@ here", 2, 5, Type::Error, "name", nullptr);
        log.addWoTranslation(td::String("untranslated"), Type::Warning);
        // Nothing is counted.
        if (log.getNoOfErrors() != 0)
            log.addWoTranslation(td::String("errors counted"), Type::Info);
        // Without a function the logger speaks English again.
        log.setTranslationFn(nullptr);
        log.translateAndAdd("@SC.MaxIterLimit", Type::Error);
    });
    EXPECT_EQ(lines, (Lines {
                         "Error! T:MS.UndefindeModelType",
                         "Error! line 2, column 5: T:name here",
                         "Warning! untranslated",
                         "Error! no solution within the iteration limit (maxIter) [@SC.MaxIterLimit]",
                     }));
}

TEST(ConsoleLog, ModelsReportThroughIt)
{
    const Lines lines = printedLines([](sc::ILog& log) {
        sc::IRealStaticModel* pModel = sc::createRealStaticModel(sc::IStatic::Problem::NLE, &log, 100);
        pModel->initFromString(td::String("Header:\nend\nModel\nVars\nx = 1\nNLEs\nx = 2\nend\n"));
        pModel->initFromString(td::String("Header:\nmaxIter = 1\nend\nModel [type = NL]\nVars\nx = 1\nNLEs\n"
                                          "x = 2\nend\n"));
        pModel->release();
        sc::createRealDynamicModel(static_cast<sc::IDynamic::Problem>(2), &log, 100);
    });
    EXPECT_EQ(lines, (Lines {
                         "Error! the Model line needs a type attribute: NL, WLS, ODE or DAE [MS.UndefindeModelType]",
                         "Warning! Too small value for maxIter! Using default value for maxIter!",
                         "Error! Unknown problem type!",
                     }));
}
// Each model's first printed line: the sentence with what the model wrote,
// at the line and column of the model text (the header takes lines 1 and 2).
TEST(ConsoleLog, FailingModelsPrintTheirSentence)
{
    const std::string head = "Header:\nend\nModel [type = NL]\nVars\n";
    const std::pair<std::string, const char*> cases[] = {
        {head + "x = 1\ny = 1\nz = 1\nNLEs\nx = 1\ny = 2\nend\n",
         "Error! 2 equations for 3 variables [@CS.#Vars!=#Eqs]"},
        {head + "x = 1\nx = 2\nNLEs\nx = 1\nend\n",
         "Error! line 6, column 1: the variable x is declared twice [@ML.VarDDVars]"},
        {head + "x = 1\nNLEs\nx^2 = y\nend\n", "Error! line 7, column 7: the name y is not declared [@ML.UnknownLbl]"},
        {head + "x = 1\nNLEs\nx = round(x, x)\nend\n",
         "Error! line 7, column 14: the second argument of round must be a parameter or a number, not a variable "
         "[@ET.MFnNoVar2]"},
        {head + "x = 1\nNLEs\nx 2 = 1\nend\n",
         "Error! line 7, column 3: the number 2 follows an operand without an operator between them "
         "[@ET.ConstAfterOperand]"},
    };
    for (const auto& [text, expected] : cases)
    {
        const Lines lines = printedLines([&text](sc::ILog& log) {
            sc::IRealStaticModel* pModel = sc::createRealStaticModel(sc::IStatic::Problem::NLE, &log, 100);
            pModel->initFromString(td::String(text.c_str()));
            pModel->release();
        });
        ASSERT_FALSE(lines.empty()) << text;
        EXPECT_EQ(lines[0], expected) << text;
    }
}
} // namespace
} // namespace test
