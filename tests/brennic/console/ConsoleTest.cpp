#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <mu/Console.h>

#include "TestEnvironment.h"

namespace
{
enum class Output
{
    File,
    Pipe,
    Terminal
};

struct ColorCase
{
    std::optional<std::string> forceColor, noColor, term, colorTerm;
    Output output;
    bool expected;
};

std::ostream& operator<<(std::ostream& os, const ColorCase& c)
{
    auto show = [&os](const char* name, const std::optional<std::string>& v) {
        if (v)
            os << name << "=\"" << *v << "\" ";
    };
    show("FORCE_COLOR", c.forceColor);
    show("NO_COLOR", c.noColor);
    show("TERM", c.term);
    show("COLORTERM", c.colorTerm);
    return os << (c.output == Output::File ? "file" : c.output == Output::Pipe ? "pipe" : "terminal");
}

// A descriptor of the kind asked for, to become standard output.
int openOutput(Output output, const test::TempFolder& folder)
{
    switch (output)
    {
    case Output::File: return open((folder / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    case Output::Pipe:
    {
        int fds[2];
        return pipe(fds) == 0 ? fds[1] : -1;
    }
    case Output::Terminal:
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return -1;
        return open(ptsname(master), O_RDWR | O_NOCTTY);
    }
    }
    return -1;
}

bool canOpenTerminal()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return false;
    close(master);
    return true;
}

// The colour decision of a fresh process with exactly this environment.
std::string decideInChild(const ColorCase& c)
{
    test::TempFolder folder;
    return test::runInChild([&] {
               const int fd = openOutput(c.output, folder);
               if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0)
                   return std::string("no output");
               const std::pair<const char*, const std::optional<std::string>*> vars[] = {{"FORCE_COLOR", &c.forceColor},
                                                                                         {"NO_COLOR", &c.noColor},
                                                                                         {"TERM", &c.term},
                                                                                         {"COLORTERM", &c.colorTerm}};
               for (const auto& [name, value] : vars)
               {
                   if (*value)
                       setenv(name, (*value)->c_str(), 1);
                   else
                       unsetenv(name);
               }
               mu::cleanConsole(); // decide afresh whatever the parent did
               mu::Console::init(false);
               return std::string(mu::Console::colorSupport ? "on" : "off");
           })
        .output;
}

TEST(ConsoleTest, ColoursAreDecidedFromTheEnvironmentAndTheOutput)
{
    using std::nullopt;
    const ColorCase cases[] = {
        // FORCE_COLOR other than "0" wins over everything.
        {"1", nullopt, nullopt, nullopt, Output::File, true},
        {"", nullopt, nullopt, nullopt, Output::Pipe, true},
        {"1", "1", "dumb", nullopt, Output::Pipe, true},
        // "0" falls through to the terminal rules.
        {"0", nullopt, "xterm-256color", nullopt, Output::Terminal, true},
        {"0", nullopt, "xterm-256color", nullopt, Output::Pipe, false},
        // Not a terminal, or no TERM: off.
        {nullopt, nullopt, "xterm", "truecolor", Output::Pipe, false},
        {nullopt, nullopt, "xterm", "truecolor", Output::File, false},
        {nullopt, nullopt, nullopt, "truecolor", Output::Terminal, false},
        // NO_COLOR with any value, even empty.
        {nullopt, "1", "xterm", "truecolor", Output::Terminal, false},
        {nullopt, "", "xterm", nullopt, Output::Terminal, false},
        // dumb beats COLORTERM; COLORTERM beats an unknown TERM.
        {nullopt, nullopt, "dumb", "truecolor", Output::Terminal, false},
        {nullopt, nullopt, "vt100", "1", Output::Terminal, true},
        {nullopt, nullopt, "vt100", nullopt, Output::Terminal, false},
        // Each word that marks a colour terminal, anywhere in TERM.
        {nullopt, nullopt, "linux-ansi", nullopt, Output::Terminal, true},
        {nullopt, nullopt, "mycolorterm", nullopt, Output::Terminal, true},
        {nullopt, nullopt, "xterm", nullopt, Output::Terminal, true},
        {nullopt, nullopt, "screen.linux", nullopt, Output::Terminal, true},
        {nullopt, nullopt, "tmux-256color", nullopt, Output::Terminal, true},
        {nullopt, nullopt, "rxvt-unicode", nullopt, Output::Terminal, true},
    };
    const bool terminals = canOpenTerminal();
    for (const ColorCase& c : cases)
    {
        if (c.output != Output::Terminal || terminals)
        {
            EXPECT_EQ(decideInChild(c), c.expected ? "on" : "off") << c;
        }
    }
    if (!terminals)
        GTEST_SKIP() << "no pseudo-terminal here: the terminal cases did not run";
}

// Standard output of this process, caught for one scope.
class CapturedOutput
{
public:
    CapturedOutput()
        : _pOld(std::cout.rdbuf(_text.rdbuf()))
    {
    }
    ~CapturedOutput() { std::cout.rdbuf(_pOld); }
    std::string text() const { return _text.str(); }

private:
    std::ostringstream _text;
    std::streambuf* _pOld;
};

class ConsolePrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mu::cleanConsole();
        mu::initConsole(false);
        mu::Console::colorSupport = true;
    }
    void TearDown() override { mu::cleanConsole(); }
};

TEST_F(ConsolePrintTest, LinesByteForByte)
{
    using C = mu::Console::Color;
    struct Case
    {
        const char* text;
        C color;
        bool colors;
        std::string expected;
    };
    const Case cases[] = {
        {"", C::Red, true, "\x1b[1;31m\x1b[0m\n"},
        {"", C::Normal, true, "\n"},
        {"abc", C::Default, true, "abc\n"},
        {"abc", C::Cyan, true, "\x1b[1;36mabc\x1b[0m\n"},
        {"abc", C::Blue, true, "\x1b[1;34mabc\x1b[0m\n"},
        {"abc", C::Yellow, true, "\x1b[1;33mabc\x1b[0m\n"},
        {"abc", C::Green, true, "\x1b[1;32mabc\x1b[0m\n"},
        {"abc", static_cast<C>(7), true, "abc\n"},
        {"abc", C::Red, false, "abc\n"},
    };
    for (const Case& c : cases)
    {
        mu::Console::colorSupport = c.colors;
        CapturedOutput out;
        mu::Console::print(c.text, c.color);
        EXPECT_EQ(out.text(), c.expected) << c.text << " " << int(c.color);
    }

    CapturedOutput out;
    mu::Console::colorSupport = true;
    mu::Console::printLog("T", "\x1b[1;33m", "message");
    mu::Console::printLog("T", nullptr, "message");
    mu::Console::colorSupport = false;
    mu::Console::printLog("T", "\x1b[1;33m", "message");
    EXPECT_EQ(out.text(), "\x1b[1;33m[T]\x1b[0m message\n[T] message\n[T] message\n");
}

TEST_F(ConsolePrintTest, TimeStampLeadsTheLineWhenOn)
{
    const std::regex stamp(R"(\d\d:\d\d:\d\d\.\d\d\d)");
    EXPECT_TRUE(std::regex_match(mu::Console::getTimestamp(), stamp)) << mu::Console::getTimestamp();

    mu::Console::showTimeStamp = true;
    CapturedOutput out;
    mu::Console::print("abc", mu::Console::Color::Red);
    mu::Console::printLog("T", nullptr, "m");
    const std::regex lines(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] \x1b\[1;31mabc\x1b\[0m\n)"
                           R"(\[\d\d:\d\d:\d\d\.\d\d\d\] \[T\] m\n)");
    EXPECT_TRUE(std::regex_match(out.text(), lines)) << out.text();
}

TEST_F(ConsolePrintTest, InitDecidesOnceUntilCleaned)
{
    mu::cleanConsole();
    test::ScopedEnv force("FORCE_COLOR", "1");
    EXPECT_TRUE(mu::Console::init(true));
    EXPECT_TRUE(mu::Console::colorSupport);
    EXPECT_EQ(mu::Console::bufferSize, 4096u);

    test::ScopedEnv forceOff("FORCE_COLOR", std::nullopt);
    test::ScopedEnv noColor("NO_COLOR", "1");
    EXPECT_TRUE(mu::Console::init(false));
    EXPECT_TRUE(mu::Console::showTimeStamp);
    EXPECT_TRUE(mu::Console::colorSupport);

    mu::cleanConsole();
    EXPECT_EQ(mu::Console::buffer, nullptr);
    EXPECT_TRUE(mu::Console::init(false));
    EXPECT_FALSE(mu::Console::showTimeStamp);
    EXPECT_FALSE(mu::Console::colorSupport);
}

TEST_F(ConsolePrintTest, LinesOfSeveralThreadsDoNotMix)
{
    const int nThreads = 4, nLines = 300;
    CapturedOutput out;
    std::vector<std::thread> threads;
    for (int t = 0; t < nThreads; ++t)
        threads.emplace_back([t] {
            const td::String line(std::string(40, static_cast<char>('a' + t)).c_str());
            for (int i = 0; i < nLines; ++i)
                mu::Console::print(line, mu::Console::Color::Green);
        });
    for (std::thread& thread : threads)
        thread.join();

    std::istringstream lines(out.text());
    int count = 0;
    const std::regex whole(R"(\x1b\[1;32m([a-d])\1{39}\x1b\[0m)");
    for (std::string line; std::getline(lines, line); ++count)
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
    EXPECT_EQ(count, nThreads * nLines);
}
} // namespace
