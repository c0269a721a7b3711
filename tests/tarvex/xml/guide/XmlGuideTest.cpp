// The XML examples of the model-language guide: every ```xml NAME block is
// read, from a file and from text, by the solver that its root's type and
// domain name, and the ```result block after it must hold. The statements
// are those of the guide's other examples: "load fails", "status: NAME",
// "NAME = VALUE [± TOL]", "steps: N" (a dynamic model: reset(0), then
// step(N) instead of solve(); 1 step when absent), and "error: ENTRY" for an
// entry of the solver's error text.
#include <XmlModelSupport.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

namespace test
{
namespace
{
using Z = std::complex<double>;

struct Example
{
    std::string name;
    int line; // of the opening fence
    std::string xml;
    std::vector<std::string> result;
};

// The fenced blocks of the guide: their words after the fence, the line
// of the fence and their text.
std::vector<Example> readExamples()
{
    std::ifstream in(GUIDE_FILE);
    std::vector<Example> examples;
    std::string line;
    int number = 0;
    std::string kind, name, text;
    int start = 0;
    bool inBlock = false;
    bool wantResult = false;
    while (std::getline(in, line))
    {
        ++number;
        if (line.rfind("```", 0) != 0)
        {
            if (inBlock)
                text += line + "\n";
            continue;
        }
        if (!inBlock)
        {
            std::istringstream words(line.substr(3));
            kind.clear();
            name.clear();
            words >> kind >> name;
            text.clear();
            start = number;
            inBlock = true;
            continue;
        }
        inBlock = false;
        if (kind == "xml")
        {
            examples.push_back({name, start, text, {}});
            wantResult = true;
        }
        else if (kind == "result" && wantResult)
        {
            std::istringstream lines(text);
            for (std::string statement; std::getline(lines, statement);)
            {
                statement = statement.substr(0, statement.find("//"));
                const auto first = statement.find_first_not_of(' ');
                if (first != std::string::npos)
                    examples.back().result.push_back(
                        statement.substr(first, statement.find_last_not_of(' ') - first + 1));
            }
            wantResult = false;
        }
        else
            wantResult = false;
    }
    return examples;
}

// "4", "-1.5", "2i", "3 + 2i", "1 - 0.5i".
Z number(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    if (text.empty() || text.back() != 'i')
        return Z(std::stod(text), 0);
    text.pop_back();
    auto coefficient = [](const std::string& t) {
        return t.empty() || t == "+" ? 1.0 : t == "-" ? -1.0 : std::stod(t);
    };
    for (std::size_t i = text.size(); i-- > 1;)
    {
        if ((text[i] == '+' || text[i] == '-') && text[i - 1] != 'e' && text[i - 1] != 'E')
            return Z(std::stod(text.substr(0, i)), coefficient(text.substr(i)));
    }
    return Z(0, coefficient(text));
}

const char* statusName(sc::Solution status)
{
    static const char* const names[] = {"OK",          "BaseOK",        "Iterating",          "LimitFix",
                                        "NewPass",     "EmptyMatrix",   "FactorizationError", "SolutionError",
                                        "Oscillation", "NoImprovement", "MaximumIteration",   "SubmodelFailed"};
    return names[std::size_t(status)];
}

template <typename T>
void check(Factory<T> factory, const Example& example)
{
    onBothRoads(factory, example.xml, [&example](XmlSolver<T>& s) {
        const std::string errors = s.errors();
        bool failed = false;
        std::string status = "OK";
        unsigned steps = 1;
        for (const std::string& statement : example.result)
        {
            if (statement == "load fails")
                failed = true;
            else if (statement.rfind("status: ", 0) == 0)
                status = statement.substr(8);
            else if (statement.rfind("steps: ", 0) == 0)
                steps = unsigned(std::stoul(statement.substr(7)));
        }
        ASSERT_EQ(s.ok, !failed) << errors;
        if (s.ok && s->getITime())
        {
            ASSERT_TRUE(s->reset(0));
            EXPECT_STREQ(statusName(s->step(steps)), status.c_str());
        }
        else if (s.ok)
        {
            EXPECT_STREQ(statusName(s->solve()), status.c_str());
        }
        const std::regex value(R"((\S+) = (.+?)(?: ± (\S+))?)");
        for (const std::string& statement : example.result)
        {
            std::smatch m;
            if (statement == "load fails" || statement.rfind("status: ", 0) == 0 || statement.rfind("steps: ", 0) == 0)
                continue;
            if (statement.rfind("error: ", 0) == 0)
            {
                const std::string entry = statement.substr(7);
                EXPECT_NE(("\n" + errors + "\n").find("\n" + entry + "\n"), std::string::npos) << entry << "\n"
                                                                                               << errors;
            }
            else if (std::regex_match(statement, m, value))
            {
                const Z expected = number(m[2]);
                const double tolerance = m[3].matched ? std::stod(m[3]) : 1e-6 * std::max(1.0, std::abs(expected));
                EXPECT_LE(std::abs(Z(s.value(m[1].str().c_str())) - expected), tolerance) << statement;
            }
            else
                ADD_FAILURE() << "no such statement: " << statement;
        }
    });
}

TEST(XmlGuide, ExamplesHold)
{
    const std::vector<Example> examples = readExamples();
    ASSERT_FALSE(examples.empty()) << GUIDE_FILE;
    for (const Example& example : examples)
    {
        SCOPED_TRACE(example.name + " at line " + std::to_string(example.line));
        ASSERT_FALSE(example.result.empty()) << "an xml block needs a result block after it";
        const bool complex = example.xml.find(R"(domain="cmplx")") != std::string::npos;
        const auto kind = [&example](const char* type) {
            return example.xml.find(std::string("type=\"") + type + "\"") != std::string::npos;
        };
        if (complex)
            check<Z>(kind("WLS")   ? sc::createCmplxWLSSolver
                     : kind("DAE") ? sc::createCmplxDAESolver
                     : kind("ODE") ? [](sc::ILog* pLog, int) { return sc::createCmplxODESolver(pLog); }
                                   : sc::createCmplxNRSolver,
                     example);
        else
            check<double>(kind("WLS")   ? sc::createDblWLSSolver
                          : kind("DAE") ? sc::createDblDAESolver
                          : kind("ODE") ? [](sc::ILog* pLog, int) { return sc::createDblODESolver(pLog); }
                                        : sc::createDblNRSolver,
                          example);
    }
}
} // namespace
} // namespace test
