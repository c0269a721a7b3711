// Every rule of differentiation, operator by operator and function by
// function, against differences of the expression's own program; the small
// trees the rules promise; lim on its free and clamped sides.
#include <DerivativeFixture.h>

#include <vector>

namespace test
{
namespace
{
class Derivatives : public DerivativeTest
{
protected:
    // A quotient under pRoot whose divisor is 0 at p.
    bool dividesByZero(ExpTreeNode* pRoot, const Point& p)
    {
        if (!pRoot || !pRoot->pLeftNode)
            return false;
        if (pRoot->isOperator(Token::Type::DIV) && valueAt(pRoot->pRightNode, p) == Value(0))
            return true;
        return dividesByZero(pRoot->pLeftNode, p) || dividesByZero(pRoot->pRightNode, p);
    }
};

struct Row
{
    const char* text;
    const char* vars; // the variables to differentiate by
    std::vector<Point> points = {};
};

// x, y, z, pmin, pmax.
const std::vector<Point> defaultPoints = {{0.4, 1.3, 0.7, 1.7, 4}, {0.8, 0.6, 1.9, 1.7, 4}, {0.55, 1.1, -0.8, 1.7, 4}};

TEST_F(Derivatives, EveryRuleAgreesWithTheDifferences)
{
    const std::vector<Row> rows = {
        {"x + y*x - z", "xyz"},
        {"3 - x", "x"},
        {"x - y*y", "xy"},
        {"-x*y + (-(x - y))", "xy"},
        {"x*y*z", "xyz"},
        {"x*x", "x"},
        {"2*x*y", "xy"},
        {"x/y", "xy"},
        {"x/x", "x"},
        {"(x + 1)/(x - 3)", "x"},
        {"1/x", "x"},
        {"pmin/(x*y)", "xy"},
        {"x^3", "x"},
        {"x^2", "x"},
        {"x^1", "x"},
        {"x^0", "x"},
        {"x^(-1)", "x"},
        {"x^0.5", "x"},
        {"(x*y + 1)^3", "xy"},
        {"(x + y)^pmin", "xy"},
        {"x^y", "xy"},
        {"x^x", "x"},
        {"(x + 1)^(x*y)", "xy"},
        {"exp(x)^y", "xy"},
        {"2^(3*x)", "x"},
        {"e^x", "x"},
        {"e^(2*x*y)", "xy"},
        {"(2*e)^x", "x"},
        {"pmin^(3*x)", "x"},
        {"1^x", "x"},
        {"acos(x/3)", "x"},
        {"asin(x/3)", "x"},
        {"atg(x*y)", "xy"},
        {"cos(x*y)", "xy"},
        {"exp(x*y)", "xy"},
        {"sqrt(x*y)", "xy"},
        {"ln(x*y)", "xy"},
        {"log(x*y)", "xy"},
        {"sin(x*y)", "xy"},
        {"tg(x)", "x"},
        {"sqr(x + y)", "xy"},
        {"sinh(x)", "x"},
        {"cosh(x)", "x"},
        {"tgh(x)", "x"},
        {"asnh(x)", "x"},
        {"acsh(x + 2)", "x"},
        {"atgh(x/3)", "x"},
        {"sign(x - y)", "x"},
        {"sin(exp(x)*y)/(1 + x^2)", "xy"},
        {"ln(cosh(x*y)) - sqrt(1 + x^2)*atg(y)", "xy"},
        {"tg(x)*sqr(y - x) - x/(y*z)", "xyz"},
#if !SL_COMPLEX
        {"abs(x - y)", "xy"},
        {"0^x", "x"},
        // atan2(y, x): finite at x = 0, on both sides of the y axis.
        {"atg2(x, y)", "xy", {{0, 1.3, 0, 1, 4}, {-0.7, 0.4, 0, 1, 4}, {0.9, -1.1, 0, 1, 4}, {0, -2, 0, 1, 4}}},
        {"atg2(x*x + 1, y)", "xy"},
        {"atg2(z, x*y)", "x"},
#else
        // Left of the imaginary axis sqrt(u^2 - 1) is not sqrt(u - 1) sqrt(u + 1).
        {"acsh(x - 2)", "x", {{Value(0.4, 0.3), 1, 1, 1, 4}, {Value(0.6, -0.5), 1, 1, 1, 4}}},
#endif
    };
    for (const bool simplify : {true, false})
    {
        for (const Row& row : rows)
        {
            ExpressionTree f(simplify);
            ASSERT_TRUE(build(f, row.text)) << row.text << errors();
            Evaluator* pF = solver._pools->evaluators.getEntry();
            ASSERT_TRUE(f.createPostFix(pF)) << row.text;
            std::vector<Point> points = row.points.empty() ? defaultPoints : row.points;
#if SL_COMPLEX
            for (std::size_t i = 0; row.points.empty() && i < defaultPoints.size(); ++i)
            {
                Point shifted = defaultPoints[i];
                for (int k = 0; k < 3; ++k)
                    shifted[std::size_t(k)] += Value(0, 0.15 * (k + 1));
                points.push_back(shifted);
            }
#endif
            for (const char* v = row.vars; *v; ++v)
            {
                const int var = int(std::string(varNames).find(*v));
                Evaluator* pD;
                ASSERT_TRUE(derive(f, var, pD, nullptr, simplify)) << row.text << errors();
                ASSERT_NE(pD, nullptr) << row.text << " depends on " << *v;
                for (const Point& p : points)
                    expectDerivative(std::string(row.text) + (simplify ? "" : " (not simplified)"), pF, pD, p, var);
            }
        }
    }
}

TEST_F(Derivatives, SmallTrees)
{
    struct Case
    {
        const char* text;
        int var;
        const char* expected;
    };
    const Case cases[] = {
        {"2*y", 0, "none"},
        {"x*y", 1, "x"},
        {"x*x", 0, "2 * x"},
        {"x/x", 0, "0"},
        {"x^3", 0, "3 * (x ^ 2)"},
        {"x^2", 0, "2 * x"},
        {"x^1", 0, "1"},
        {"x^0", 0, "0"},
        {"e^x", 0, "e ^ x"},
        {"log(x)", 0, "0.434294 / x"},
        {"sign(x)", 0, "0"},
        {"acos(x)", 0, "-1 / sqrt(1 - (x ^ 2))"},
        {"2^(3*x)", 0, "2.07944 * (2 ^ (3 * x))"},
        {"pmin^(3*x)", 0, "(3 * ln(pmin)) * (pmin ^ (3 * x))"},
        {"x * rnd(g)", 0, "rnd()"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(derivativeText(c.text, c.var), c.expected) << c.text;
}

// A derivative refers to the subtrees of its expression instead of copying
// them, and the tree algebra rewrites what it is handed: the expression must
// come out of every derivative as it went in, and so must each derivative
// out of the ones made after it.
TEST_F(Derivatives, DerivativesLeaveWhatTheyReuseAsItWas)
{
    const char* texts[] = {
        "x*(y - 3) + (x - y)*(2 - x)",  "-(x*y + 2)*(3 - x*z)",      "x^(y + 2) - (x + 1)^3",
        "exp(2*x - 1)*(x + 3)/(y - x)", "(x/y)/(z/x) - (2*x)/(y*3)", "sin(x - 2*y)*cos(3 - x) + tg(x*y - 1)",
        "(x + y + 2)^(x - 1)",          "atg(x*y - 1)/(1 - x*y)",    "sqrt(x*y + 1) - ln(3*x*y)",
    };
    const Point p = {0.7, 1.3, 0.4, 1.7, 4};
    for (const char* text : texts)
    {
        ExpressionTree f;
        ASSERT_TRUE(build(f, text)) << text << errors();
        const std::string before = infix(f.getRoot());
        const Value value = valueAt(f.getRoot(), p);
        std::vector<std::pair<ExpTreeNode*, std::string>> derivatives;
        for (int var = 0; var < 3; ++var)
        {
            ExpressionTree d(&data, &solver._fnLimits, nVars, true);
            ASSERT_TRUE(f.createDerivative2(d, var)) << text << errors();
            if (d.isEmpty())
                continue;
            derivatives.emplace_back(d.getRoot(), infix(d.getRoot()));
            // Written as a program, as the compiler does.
            write(d.getRoot());
        }
        EXPECT_EQ(infix(f.getRoot()), before) << text;
        EXPECT_EQ(valueAt(f.getRoot(), p), value) << text;
        for (const auto& [pRoot, textOf] : derivatives)
            EXPECT_EQ(infix(pRoot), textOf) << text;
    }
}

// The same on random expressions, leaning towards the shapes the tree algebra
// rewrites: every derivative agrees with the differences of the expression,
// and the expression is left as it was.
TEST_F(Derivatives, RandomExpressionsKeepTheirShapeAndGetTheirDerivatives)
{
    RandomTrees random(tree, 20261211);
    int checked = 0;
    for (int trial = 0; trial < 2000; ++trial)
    {
        ExpTreeNode* pRoot = random.any(5);
        const std::string before = infix(pRoot);
        ExpressionTree f;
        f.init(data, nVars);
        f.setTreeNode(pRoot);
        Evaluator* pF = write(pRoot);
        const Point p = random.point();
        const Value value = valueAt(pF, p);
        // A quotient by 0 leaves the value finite and its derivative not.
        if (!std::isfinite(std::abs(value)) || std::abs(value) > 1e3 || dividesByZero(pRoot, p))
            continue;
        std::vector<std::pair<ExpTreeNode*, std::string>> derivatives;
        for (int var = 0; var < 3; ++var)
        {
            Evaluator* pD;
            ExpTreeNode* pDerivative = nullptr;
            ASSERT_TRUE(derive(f, var, pD, &pDerivative)) << before << errors();
            if (pDerivative)
                derivatives.emplace_back(pDerivative, infix(pDerivative));
            const Value got = pD ? valueAt(pD, p) : Value(0);
            const Value reference = centralDifference(pF, p, var, 1.0);
            // Near a pole the differences lose their digits.
            if (std::abs(reference) < 1e2)
            {
                EXPECT_TRUE(agree(got, reference, 1e-5))
                    << before << " d/d" << varNames[var] << ": " << got << ", difference " << reference;
            }
        }
        EXPECT_EQ(infix(pRoot), before);
        for (const auto& [pDerivative, text] : derivatives)
            EXPECT_EQ(infix(pDerivative), text) << before;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

// lim(x*y + 1, pmin, pmax) * z: inside the bounds the limit passes the
// derivative of its expression on, at a bound it is 0.
TEST_F(Derivatives, LimitOnItsFreeAndClampedSides)
{
    ExpressionTree f;
    ASSERT_TRUE(build(f, "lim(x*y + 1, pmin, pmax) * z + x")) << errors();
    // The limit's derivatives for x and y, as the builder registers them.
    ExpressionTree inner;
    ASSERT_TRUE(build(inner, "x*y + 1"));
    solver._fnLimits.reserveDerivs(1, 2);
    for (const int var : {0, 1})
    {
        Evaluator* pD;
        ASSERT_TRUE(derive(inner, var, pD));
        solver._fnLimits.addDerivative(1, pD, var);
    }
    Evaluator* pF = solver._pools->evaluators.getEntry();
    ASSERT_TRUE(f.createPostFix(pF));
    // Free (x*y + 1 = 2.2), below (0.5), above (5), with pmin = 1, pmax = 4.
    const Point points[] = {{0.8, 1.5, 2, 1, 4}, {-0.5, 1, 2, 1, 4}, {2, 2, 2, 1, 4}};
    for (int var = 0; var < 3; ++var)
    {
        Evaluator* pD;
        ASSERT_TRUE(derive(f, var, pD)) << errors();
        ASSERT_NE(pD, nullptr);
        for (const Point& p : points)
        {
            const Value got = valueAt(pD, p);
            const Value reference = centralDifference(pF, p, var, 1.0);
            EXPECT_TRUE(agree(got, reference))
                << "d/d" << varNames[var] << " at " << text(p) << ": " << got << ", difference " << reference;
        }
    }
    // The clamped side really is clamped: d/dx there is the "+ x" alone.
    EXPECT_PRED2(nearly, valueAt(pF, points[1]), Value(1 * 2 - 0.5));
}

#if SL_COMPLEX
// With conjugate variables (x and its partner y = conj(x) here), conj(u)
// is differentiated as conj(du/d conj(x)): the Wirtinger derivative, which
// differences along the real and the imaginary axis give on the slice
// y = conj(x) as (d_real + d_imaginary) / 2.
TEST_F(Derivatives, ConjugateVariables)
{
    data.conjVars = 1;
    const Value x(0.7, 0.4);
    const Point at = {x, std::conj(x), 0.3, 1, 4};
    for (const char* text : {"conj(x*x) + y*x", "conj(y)*x + conj(x*y*y)", "x*conj(y*y) - conj(3*x) + conj(y)"})
    {
        ExpressionTree f;
        ASSERT_TRUE(build(f, text)) << errors();
        Evaluator* pF = solver._pools->evaluators.getEntry();
        ASSERT_TRUE(f.createPostFix(pF));
        for (const int var : {0, 1})
        {
            Evaluator* pD;
            ASSERT_TRUE(derive(f, var, pD)) << text << errors();
            const int partner = 1 - var;
            auto along = [&](const Value& h) {
                Point a = at, b = at;
                a[std::size_t(var)] += h;
                a[std::size_t(partner)] += std::conj(h);
                b[std::size_t(var)] -= h;
                b[std::size_t(partner)] -= std::conj(h);
                return (valueAt(pF, a) - valueAt(pF, b)) / (2.0 * h);
            };
            const Value wirtinger = (along(1e-5) + along(Value(0, 1e-5))) / 2.0;
            const Value got = pD ? valueAt(pD, at) : Value(0);
            EXPECT_TRUE(agree(got, wirtinger, 1e-6))
                << text << " d/d" << varNames[var] << ": " << got << ", " << wirtinger;
        }
    }
}
#endif
} // namespace
} // namespace test
