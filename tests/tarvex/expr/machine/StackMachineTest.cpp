// Programs run by the stack machine, against closed forms.
#include <expr/CU.h>
#include <NearlyEqual.h>
#include <ProgramBuilder.h>
#include <gtest/gtest.h>
#include <math/RndGen.h>

#include <cmath>
#include <numbers>

namespace test
{
namespace
{
constexpr double pi = std::numbers::pi;
constexpr double ln2 = std::numbers::ln2;
const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

struct Case
{
    const char* program;
    Value expected;
};

void runTable(Machine& m, std::initializer_list<Case> cases)
{
    CU cu(&m.solver);
    for (const Case& c : cases)
    {
        Evaluator* e = m.write(c.program);
        ASSERT_NE(e, nullptr) << c.program;
        EXPECT_PRED2(nearly, e->evaluate(cu), c.expected) << c.program;
    }
}

class StackMachine : public ::testing::Test
{
protected:
    Machine m {2, 2};
    void SetUp() override
    {
        m.solver._x[0] = 3;
        m.solver._x[1] = -2;
        m.solver._pParams[0] = 0.5;
        m.solver._pParams[1] = 10;
    }
};

TEST_F(StackMachine, ArithmeticAndSymbols)
{
    runTable(m, {
                    {"2 3 +", 5},
                    {"2 3 -", -1},
                    {"2 3 -'", 1},
                    {"2 3 *", 6},
                    {"3 2 /", 1.5},
                    {"3 2 /'", 2.0 / 3.0},
                    {"2 10 ^", 1024},
                    {"2 3 ^'", 9},
                    {"x0 x1 * p0 +", -5.5},
                    {"p1 x0 2 ^ -", 1},
                    {"x1", -2},
                    {"p0", 0.5},
                    {"7", 7},
                });
}

// An operation right after a push takes that operand from where the push
// would have read it, two pushes before a product push the product, and a
// product before "+" or "-" goes into the value below: constants,
// variables, parameters and shared values, read in order from their lists.
TEST_F(StackMachine, OperandsTakenFromEverySource)
{
    m.solver._sharedValues = {Value(5), Value(7)};
    const std::pair<const char*, double> sources[] = {{"4", 4}, {"x0", 3}, {"p0", 0.5}, {"$1", 7}};
    CU cu(&m.solver);
    auto check = [&](const std::string& program, unsigned nInstructions, double expected) {
        Evaluator* e = m.write(program);
        ASSERT_NE(e, nullptr) << program;
        EXPECT_EQ(e->getNoOfInstructions(), nInstructions) << program;
        EXPECT_PRED2(nearly, e->evaluate(cu), Value(expected)) << program;
    };
    const double left = 2; // |x1|
    for (const auto& [word, right] : sources)
    {
        const std::pair<const char*, double> ops[] = {{"+", left + right}, {"-", left - right}, {"-'", right - left},
                                                      {"*", left * right}, {"/", left / right}, {"/'", right / left}};
        for (const auto& [op, expected] : ops)
            check(std::string("x1 abs ") + word + " " + op, 3, expected);
        for (const auto& [first, value] : sources)
        {
            const std::string product = std::string(first) + " " + word + " *";
            check(product, 1, value * right);
            check("p1 " + product + " +", 2, 10 + value * right);
            check("p1 " + product + " -", 2, 10 - value * right);
            check("p1 " + product + " -'", 2, value * right - 10);
        }
    }
}

TEST_F(StackMachine, DivisionByZeroGivesTheIeeeResult)
{
    CU cu(&m.solver);
    auto value = [&](const char* program) { return m.write(program)->evaluate(cu); };
#if SL_COMPLEX
    EXPECT_TRUE(std::isinf(value("1 0 /").real()));
    EXPECT_TRUE(std::isnan(value("0 0 /").real()));
#else
    EXPECT_EQ(value("1 0 /"), inf);
    EXPECT_EQ(value("-1 0 /"), -inf);
    EXPECT_TRUE(std::isnan(value("0 0 /")));
    EXPECT_EQ(value("1 0 /="), inf);
#endif
}

TEST_F(StackMachine, AssignmentOperatorsGiveTheStoredValue)
{
    // s op= t leaves what the assignment stores: s - t, s / t.
    runTable(m, {{"5 2 =", 2}, {"5 2 +=", 7}, {"5 2 -=", 3}, {"5 2 *=", 10}, {"6 2 /=", 3}});
}

#if !SL_COMPLEX
TEST_F(StackMachine, RealFunctions)
{
    runTable(m, {
                    {"-2.5 abs", 2.5},   {"-0 abs", 0},        {"-3 sign", -1},       {"0 sign", 0},
                    {"nan sign", 0},     {"4 sign", 1},        {"-3 sqr", 9},         {"2.25 sqrt", 1.5},
                    {"3 ln exp", 3},     {"1000 log", 3},      {"0.5 asin", pi / 6},  {"-1 acos", pi},
                    {"1 atg", pi / 4},   {"0 cos", 1},         {"0.5 asin sin", 0.5}, {"1 atg tg", 1},
                    {"2 ln sinh", 0.75}, {"2 ln cosh", 1.25},  {"2 ln tgh", 0.6},     {"0.75 asnh", ln2},
                    {"1.25 acsh", ln2},  {"0.6 atgh", ln2},    {"1 0 atg2", 0},       {"0 1 atg2", pi / 2},
                    {"-1 0 atg2", pi},   {"1 1 atg2", pi / 4}, {"-2 ln", nan},
                });
}

TEST_F(StackMachine, ComparisonsAndLogic)
{
    runTable(m, {
                    {"1 2 <", 1},     {"2 2 <", 0},       {"2 2 <=", 1},      {"3 2 >", 1},     {"2 3 >=", 0},
                    {"2 2 ==", 1},    {"2 2 !=", 0},      {"nan nan ==", 0},  {"nan 1 and", 1}, {"0 1 and", 0},
                    {"nan 0 or", 1},  {"0 0 or", 0},      {"nan not", 0},     {"0 not", 1},     {"0 0 xor", 0},
                    {"nan 0 xor", 1}, {"2 3 xor", 0},     {"nan 1 min", nan}, {"1 nan min", 1}, {"3 1 min", 1},
                    {"1 2 max", 2},   {"nan 1 max", nan}, {"2 nan max", 2},
                });
}

TEST_F(StackMachine, RoundAndDiscretize)
{
    runTable(m, {
                    {"1.25 1 round", 1.3},
                    {"-2.5 0 round", -3},
                    {"1234.5 -2 round", 1200},
                    {"1.256 2.9 round", 1.26}, // the digit count goes toward zero
                    {"1.5 nan round", nan},
                    {"1.5 1e10 round", nan},
                    {"1.5 400 round", 1.5}, // nothing left to round at that digit
                    {"1.5 -400 round", 0},
                    {"7.4 1 2 disc", 7},
                    {"-0.9 0 1 disc", -1},
                    {"1 0 0 disc", nan},
                    {"1 nan 1 disc", nan},
                });
}
#else
TEST_F(StackMachine, ComplexFunctions)
{
    runTable(m, {
                    {"(1,2) (3,4) *", Value(-5, 10)},
                    {"(-5,10) (3,4) /", Value(1, 2)},
                    {"(1,2) (3,4) -'", Value(2, 2)},
                    {"(0,1) 2 ^", Value(-1, 0)},
                    {"(3,4) abs", Value(5, 0)},
                    {"(-3,4) cabs", Value(3, 4)},
                    {"(3,0) conj", Value(3, 0)},
                    {"(3,4) conj", Value(3, -4)},
                    {"(0,1) rtop", Value(1, pi / 2)},
                    {"(-1,1) ptor", Value(0, 0)},
                    {"(2,0) ptor", Value(2, 0)},
                    {"(3,4) real", Value(3, 0)},
                    {"(3,4) imag", Value(4, 0)},
                    {"(0,1) atg2", Value(pi / 2, 0)},
                    {"(-1,0) atg2", Value(pi, 0)},
                    {"(100,0) log", Value(2, 0)},
                    {"(0,1) exp", Value(std::cos(1.0), std::sin(1.0))},
                    {"(-4,0) sqrt", Value(0, 2)},
                    {"(1,5) (2,-1) min", Value(1, 5)},
                    {"(1,5) (2,-1) max", Value(2, -1)},
                    {"(1,5) (1,-1) >=", Value(1, 0)},
                    {"(0,1) (0,1) ==", Value(1, 0)},
                    {"(0,1) (0,2) !=", Value(1, 0)},
                    {"(0,1) 0 xor", Value(1, 0)},
                    {"(0,1) not", Value(0, 0)},
                    {"(0,1) 1 and", Value(0, 0)}, // logic reads real parts
                    {"(-2,1) sign", Value(-1, 0)},
                    {"(1.25,-2.5) 1 round", Value(1.3, -2.5)},
                });
}
#endif

TEST_F(StackMachine, ProgramsAreCheckedWhenWritten)
{
    std::string deep;
    for (int i = 0; i < CU_STACK_SIZE; ++i)
        deep += "1 ";
    for (int i = 1; i < CU_STACK_SIZE; ++i)
        deep += "+ ";
    Evaluator* e = m.write(deep);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->getMaxStackDepth(), CU_STACK_SIZE);
    CU cu(&m.solver);
    EXPECT_EQ(e->evaluate(cu), Value(CU_STACK_SIZE));

    EXPECT_EQ(m.write("1 " + deep + "+"), nullptr); // 65 values at once
    EXPECT_EQ(m.write("1 +"), nullptr);             // an operand short
    EXPECT_EQ(m.write("1 2"), nullptr);             // a value left over
    EXPECT_EQ(m.write("1 diff"), nullptr);          // no instruction
    EXPECT_EQ(m.write("1 int"), nullptr);

    Evaluator empty;
    EXPECT_EQ(empty.evaluate(cu), Value(0));
}

TEST_F(StackMachine, StatisticsGeneratorsAndLimits)
{
    StatsManager& stats = m.solver._stats;
    stats.reserve(2);
    for (double v : {1.0, 2.0, 3.0, 4.0})
        stats[1].insert(v);
    stats[0].insert(7);
    auto statProgram = [&](Token::Type fn, int index) {
        Token t;
        t.type = Token::Type::FUNCTION;
        t.functionID = int(fn);
        t.value = double(index);
        return m.write(std::vector<Token> {t});
    };
    CU cu(&m.solver);
    EXPECT_EQ(statProgram(Token::Type::SMIN, 1)->evaluate(cu), Value(1));
    EXPECT_EQ(statProgram(Token::Type::SMAX, 1)->evaluate(cu), Value(4));
    EXPECT_EQ(statProgram(Token::Type::AVG, 1)->evaluate(cu), Value(2.5));
    EXPECT_EQ(statProgram(Token::Type::VAR, 1)->evaluate(cu), Value(1.25));
    EXPECT_PRED2(nearly, statProgram(Token::Type::DEV, 1)->evaluate(cu), Value(std::sqrt(5.0 / 3.0)));
    EXPECT_EQ(statProgram(Token::Type::DEV, 0)->evaluate(cu), Value(0)); // one value: sqrt(M2) = 0
    EXPECT_EQ(statProgram(Token::Type::AVG, 0)->evaluate(cu), Value(7));

    m.solver._rndGens.addGen(nullptr, new rnd::Uniform(2, 2));
    Evaluator* draw = statProgram(Token::Type::RND, 0);
#if SL_COMPLEX
    EXPECT_EQ(draw->evaluate(cu), Value(2, 2)); // two draws: real and imaginary part
#else
    EXPECT_EQ(draw->evaluate(cu), Value(2));
#endif
    EXPECT_FALSE(draw->isConstant());
}
} // namespace
} // namespace test
