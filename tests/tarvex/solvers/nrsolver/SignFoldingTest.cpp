// A call of an odd or an even function of a difference b - a is computed
// from the same call of a - b, negated or as it is, and a sum that stands
// negated or reordered from the same sum: the residuals and Jacobian entries
// that read them keep their values to the last bit, and the model computes
// no more than if every difference were written one way.
#include <BatchedVsPerToken.h>
#include <CompiledModel.h>
#include <expr/OpTable.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace test
{
namespace
{
using namespace SL_NS;

#if SL_COMPLEX
const std::string modelHead = "Header:\nend\nModel [type = NL, domain = cmplx]\nVars [conj = false]\n";
// Off the real axis, so that no part of a value is a zero whose sign might vary.
const std::string startValues = "x = 0.3 + 0.2i\ny = -0.4 + 0.1i\n";
#else
const std::string modelHead = "Header:\nend\nModel [type = NL]\nVars\n";
const std::string startValues = "x = 0.3\ny = -0.4\n";
#endif

// Rows 0 and 1 fix x and y, row 2 holds first and row 3 second.
std::string model(const std::string& first, const std::string& second)
{
    return modelHead + startValues + "u = 0\nw = 0\nNLEs\nx = 0.3\ny = -0.4\nu + " + first + " = 1\nw + " + second +
           " = 2\nend\n";
}

bool sameBits(const Value& a, const Value& b) { return std::memcmp(&a, &b, sizeof(Value)) == 0; }

// The residual of a row and its Jacobian entries by column, at the start.
std::vector<Value> rowAtStart(Compiled& c, int row)
{
    c.solver.evaluateShared();
    std::vector<Value> f(c.solver._fx.size());
    c.solver._fx.evaluate(f.data(), 1.0);
    RecordedMatrix<Value> j;
    c.solver.getJacobian().evaluateAndInsertToMatrix(&j);
    std::sort(j.entries.begin(), j.entries.end(), [](const auto& a, const auto& b) { return a.col < b.col; });
    std::vector<Value> out {f[std::size_t(row)]};
    for (const auto& e : j.entries)
        if (e.row == row)
            out.push_back(e.value);
    return out;
}

// Row 3 of both keeps the bits it has when its equation stands alone,
// where nothing folds.
void expectRowAsAlone(Compiled& both, const std::string& second, const char* name)
{
    Compiled alone(model("0", second));
    ASSERT_TRUE(alone.ok) << name << alone.log;
    const std::vector<Value> folded = rowAtStart(both, 3), unfolded = rowAtStart(alone, 3);
    ASSERT_EQ(folded.size(), unfolded.size()) << name;
    for (std::size_t i = 0; i < folded.size(); ++i)
        EXPECT_TRUE(sameBits(folded[i], unfolded[i]))
            << name << ", value " << i << ": " << folded[i] << " against " << unfolded[i];
}

// The function calls of all programs: shared values, residuals, Jacobian.
unsigned calls(const Compiled& c)
{
    unsigned n = 0;
    auto count = [&n](const Evaluator* e) {
        for (unsigned i = 0; i < e->getNoOfInstructions(); ++i)
            n += Token::isFunction(Token::Type(e->getInstructions()[i])) ? 1 : 0;
    };
    for (std::size_t i = 0; i < c.solver._shared.size(); ++i)
        count(c.solver._shared[i]);
    for (std::size_t i = 0; i < c.solver._fx.size(); ++i)
        count(c.solver._fx[i]);
    const EvaluatorSparseMatrix& j = c.solver.getJacobian();
    for (std::size_t i = 0; i < j.size(); ++i)
        count(j.program(i));
    return n;
}

struct Case
{
    const char* name;
    std::string first;   // a term one way (a - b)
    std::string second;  // the term the other way or negated (b - a)
    std::string aligned; // second written as first has it
    bool folds;
};

std::vector<Case> cases()
{
    // Over complex values the circular and hyperbolic functions do not fold
    // (their identities hold only up to the sign of a zero part).
    const bool real = !isComplexBuild;
    std::vector<Case> out = {
        {"sin", "0.5*sin(x - y)", "0.75*sin(y - x)", "0.75*sin(x - y)", real},
        {"cos", "0.5*cos(x - y)", "0.75*cos(y - x)", "0.75*cos(x - y)", real},
        {"tg", "tg(x - y)", "tg(y - x)", "tg(x - y)", real},
        {"asin", "asin(x - y)", "asin(y - x)", "asin(x - y)", real},
        {"atg", "atg(x - y)", "atg(y - x)", "atg(x - y)", real},
        {"sinh", "sinh(x - y)", "sinh(y - x)", "sinh(x - y)", real},
        {"cosh", "cosh(x - y)", "cosh(y - x)", "cosh(x - y)", real},
        {"tgh", "tgh(x - y)", "tgh(y - x)", "tgh(x - y)", real},
        {"asnh", "asnh(x - y)", "asnh(y - x)", "asnh(x - y)", real},
        {"atgh", "atgh(x - y)", "atgh(y - x)", "atgh(x - y)", real},
        {"sqr", "sqr(x - y)", "sqr(y - x)", "sqr(x - y)", real},
        {"sign", "x*sign(x - y)", "y*sign(y - x)", "y*sign(x - y)", true},
        {"a negated argument", "sin(x)", "sin(-x)", "sin(x)", real},
        {"an even function of an odd one", "cos(sin(x - y))", "cos(sin(y - x))", "cos(sin(x - y))", real},
        {"odd of odd of a scaled difference", "sin(tg(2*(x - y)))", "sin(tg(2*(y - x)))", "sin(tg(2*(x - y)))", real},
        {"both ends of a line", "x*(2*cos(x - y) + 3*sin(x - y))", "y*(2*cos(y - x) + 3*sin(y - x))",
         "y*(2*cos(x - y) + 3*sin(x - y))", real},
        {"exp, neither odd nor even", "exp(x - y)", "exp(y - x)", "exp(x - y)", false},
    };
    // Over complex values abs has no derivative.
    if (real)
        out.push_back({"abs", "x*abs(x - y)", "y*abs(y - x)", "y*abs(x - y)", true});
    return out;
}

// The case written both ways and aligned: the second row as alone, the
// batched evaluation as per token, and count(both) against count(aligned):
// equal when it folds, else larger when asked.
template <typename Count>
void expectFoldedAsAligned(const Case& k, Count count, bool largerUnlessFolded)
{
    Compiled both(model(k.first, k.second));
    ASSERT_TRUE(both.ok) << k.name << both.load.log << both.log;
    expectRowAsAlone(both, k.second, k.name);
    Compiled aligned(model(k.first, k.aligned));
    ASSERT_TRUE(aligned.ok) << k.name << aligned.log;
    if (k.folds)
    {
        EXPECT_EQ(count(both), count(aligned)) << k.name;
    }
    else if (largerUnlessFolded)
    {
        EXPECT_GT(count(both), count(aligned)) << k.name;
    }
    EXPECT_TRUE(batchedAgrees(both.solver)) << k.name;
}

std::size_t sharedValues(const Compiled& c) { return c.solver._sharedValues.size(); }

TEST(SignFolding, CallsOfOneDifferenceBothWaysShareAndKeepTheirValues)
{
    for (const Case& k : cases())
        expectFoldedAsAligned(k, calls, true);
}

// A sum of products that stands in two programs, the second time negated or
// with its operands the other way, is computed once: as many shared values
// as with the second written like the first, and its values as alone.
TEST(SignFolding, SumsAlikeUpToTheirSignShareOneSlot)
{
    const Case cases[] = {
        // Over complex values a constant's sign is not taken out.
        {"negated constants", "x*(2*sin(x) + 3*cos(y))", "y*(-2*sin(x) - 3*cos(y))", "y*(2*sin(x) + 3*cos(y))",
         !isComplexBuild},
        {"operands swapped", "x*(2*sin(x) + 3*cos(y))", "y*(3*cos(y) + 2*sin(x))", "y*(2*sin(x) + 3*cos(y))", true},
        {"a difference both ways", "x*(2*sin(x) - 3*cos(y))", "y*(3*cos(y) - 2*sin(x))", "y*(2*sin(x) - 3*cos(y))",
         true},
    };
    for (const Case& k : cases)
        expectFoldedAsAligned(k, sharedValues, false);
}

// Three blocks of equations far apart, so that the programs are written in
// batches: the sine of a line is written one way in the first and third
// block and the other way in the second. The slot made in one batch keeps
// its sign for the next, and each line has one sine and one cosine.
TEST(SignFolding, ASlotKeepsItsSignAcrossBatches)
{
    const int m = 6000;
    // Starts that the text writes exactly: eighths.
    auto start = [](int i) { return 0.125 * (i * 37 % 101); };
    std::string vars, equations;
    const char* blocks[] = {"x", "y", "z"};
    for (const char* v : blocks)
        for (int i = 0; i < m; ++i)
            vars += v + std::to_string(i) + " = " + std::to_string(start(i)) + "\n";
    for (int b = 0; b < 3; ++b)
        for (int i = 0; i < m; ++i)
        {
            const std::string k = "x" + std::to_string(i), next = "x" + std::to_string((i + 1) % m);
            const std::string difference = b == 1 ? next + " - " + k : k + " - " + next;
            equations +=
                blocks[b] + std::to_string(i) + " + 0.01*sin(" + difference + ") = " + std::to_string(b) + "\n";
        }
    Compiled c(modelHead + vars + "NLEs\n" + equations + "end\n");
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    // Over complex values the sines do not fold: the first and third block's
    // sine gets a slot, and the cosines of both ways.
    const std::size_t expectedShared = std::size_t(isComplexBuild ? 3 * m : 2 * m);
    EXPECT_EQ(c.solver._sharedValues.size(), expectedShared);
    c.solver.evaluateShared();
    std::vector<Value> f(c.solver._fx.size());
    c.solver._fx.evaluate(f.data(), 1.0);
    for (int b = 0; b < 3; ++b)
        for (int i : {0, 1234, m - 1})
        {
            const double x = start(i), next = start((i + 1) % m);
            const double sine = 0.01 * std::sin(b == 1 ? next - x : x - next);
            // Whichever side the residual is taken from.
            const double residual = std::abs(std::real(f[std::size_t(b * m + i)]));
            EXPECT_NEAR(residual, std::abs(x + sine - b), 1e-13) << blocks[b] << i;
        }
}
// Two calls alike that each draw a random number are two draws, not one
// value computed once: x - (sin(y + r1) - sin(y + r2)) is not 0 at x = 0.
TEST(SignFolding, CallsThatDrawRandomNumbersAreNotShared)
{
    Compiled c(modelHead + "x = 0\ny = 1\nDistribs\nu [type = Uniform, min = 0, max = 1]\nNLEs\n" +
               "x = sin(y + rnd(u)) - sin(y + rnd(u))\ny = 1\nend\n");
    ASSERT_TRUE(c.ok) << c.load.log << c.log;
    c.solver.evaluateShared();
    std::vector<Value> f(c.solver._fx.size());
    c.solver._fx.evaluate(f.data(), 1.0);
    EXPECT_NE(f[0], Value(0));
}

} // namespace
} // namespace test
