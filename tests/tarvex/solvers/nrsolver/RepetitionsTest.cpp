// Repetitions of the solve: the limit the caller sets, the default limit
// that ends a Repeats group that never stops asking, and the sub-model.
#include <CompiledModel.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <string>

namespace test
{
namespace
{
using namespace SL_NS;
using S = sc::Solution;

const std::string modelLine = std::string("Model [type = NL") + (isComplexBuild ? ", domain = cmplx" : "") + "]\n";
// With conjugates (the complex default) every variable needs two equations.
const std::string varsLine = isComplexBuild ? "Vars [conj = false]\n" : "Vars\n";

double re(const Value& v) { return std::real(v); }

long warnings(const CollectingLog& log)
{
    return std::count_if(log.entries.begin(), log.entries.end(), [](const CollectingLog::Entry& e) {
        return e.text == "@SC.RepetitionLimit" && e.type == sc::ILog::Type::Warning;
    });
}

TEST(Repetitions, EndAtTheLimit)
{
    // The Repeats group always asks again: the first solve runs, then one
    // repetition per unit of the limit; PostProc counts the solves. Without
    // a limit (a negative one) the default of 10000 repetitions ends them,
    // with a warning.
    const std::string text = "Header:\nend\n" + modelLine + varsLine +
                             "x = 1\nParams\nn = 0\nNLEs\nx = 2\nPostProc\nn += 1\nRepeats\nrepeat\nend\n";
    struct Case
    {
        int limit;
        double solves;
        long warnings;
    };
    const Case cases[] = {{0, 1, 0}, {3, 4, 0}, {-1, 10001, 1}, {-7, 10001, 1}};
    for (const Case& c : cases)
    {
        Compiled m(text);
        ASSERT_TRUE(m.ok) << m.load.log << m.log;
        m.solver.setMaxRepetitions(c.limit);
        // The last repetition solved: the solve reports it.
        EXPECT_EQ(m.solver.solve(), S::OK) << c.limit;
        EXPECT_EQ(re(m.value("n")), c.solves) << c.limit;
        EXPECT_EQ(warnings(m.log), c.warnings) << c.limit;
        EXPECT_EQ(m.log.entries.size(), std::size_t(c.warnings)) << c.limit;
    }
}

TEST(Repetitions, TheSubModelRepeatsWithinTheLimit)
{
    // Only the first solve of the main model solves the sub-model; its
    // Repeats group always asks again, and each of its solves adds 1 to q.
    const std::string text = "Header:\nend\n" + modelLine + varsLine + "x = 0\nParams\nq = 0\nSubModel [type = NL]\n" +
                             varsLine + "z = 1\nNLEs\nz = 2\nPostProc\n@main.q += 1\nRepeats\nrepeat\nend\n" +
                             "NLEs\nx = q\nend\n";
    Compiled c(text);
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    c.solver.setMaxRepetitions(2);
    EXPECT_EQ(c.solver.solve(), S::OK);
    EXPECT_EQ(re(c.value("x")), 3);
    EXPECT_EQ(warnings(c.log), 0);
}
} // namespace
} // namespace test
