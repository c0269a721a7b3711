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
        {{td::String("bad"), 5, 7}, Type::Error, "Error! LineNo=5, colNo=7, msg=bad"},
        {{td::String("careful"), 1, 0}, Type::Warning, "Warning! LineNo=1, colNo=0, msg=careful"},
        {{td::String("no line"), 0, 4}, Type::Error, "Error! Msg=no line"},
        {{td::String("no line"), 0, 0}, Type::Warning, "Warning! Msg=no line"},
        {{td::String("just this"), 9, 9}, Type::Info, "just this"},
        {{td::String(), 5, 7}, Type::Error, "Error! LineNo=5, colNo=7, msg="},
        {{td::String(), 0, 0}, Type::Warning, "Warning! Msg="},
        {{td::String("largest"), 0xFFFFFFFFu, 3}, Type::Error, "Error! LineNo=4294967295, colNo=3, msg=largest"},
        {{td::String("cut\0off", 7), 0, 0}, Type::Error, "Error! Msg=cut"},
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

TEST(ConsoleLog, TranslationAndPlaceholders)
{
    const Lines lines = printedLines([](sc::ILog& log) {
        log.translateAndAdd("MS.UndefindeModelType", Type::Error);
        log.translateAndAdd("@SC.Key", 4, 2, Type::Warning);
        log.addWoTranslation(td::String("as is"), Type::Info);
        log.translateAndAdd("@ and @", 0, 0, Type::Error, "first", "second", nullptr);
        // The list of texts ends at the null pointer: a "@" past it stays.
        log.translateAndAdd("@ and @", 0, 0, Type::Error, "only", nullptr);
        log.translateAndAdd("@ and @", 0, 0, Type::Error, nullptr);
        log.translateAndAdd("", 1, 1, Type::Error, "unused", nullptr);
        log.translateAndAdd(nullptr, 1, 1, Type::Error, "unused", nullptr);
        log.setTranslationFn(tagged);
        log.translateAndAdd("key", Type::Error);
        log.translateAndAdd("@ here", 2, 5, Type::Error, "name", nullptr);
        log.addWoTranslation(td::String("untranslated"), Type::Warning);
        // Nothing is counted.
        if (log.getNoOfErrors() != 0)
            log.addWoTranslation(td::String("errors counted"), Type::Info);
    });
    EXPECT_EQ(lines, (Lines {
                         "Error! Msg=MS.UndefindeModelType",
                         "Warning! LineNo=4, colNo=2, msg=@SC.Key",
                         "as is",
                         "Error! Msg=first and second",
                         "Error! Msg=only and @",
                         "Error! Msg=@ and @",
                         "Error! Msg=T:key",
                         "Error! LineNo=2, colNo=5, msg=T:name here",
                         "Warning! Msg=untranslated",
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
                         "Error! Msg=MS.UndefindeModelType",
                         "Warning! Msg=Too small value for maxIter! Using default value for maxIter!",
                         "Error! Msg=Unknown problem type!",
                     }));
}
} // namespace
} // namespace test
