// Transfer functions into state space, checked by what the equations do:
// the realised system's response at points s0 against N(s0) / D(s0), for
// proper, biproper, improper and constant-denominator fractions, with
// coefficients that are numbers, parameters and expressions, and with states
// spaced for stage variables; the form errors and the refused fractions.
#include <TransferFixture.h>

namespace test
{
namespace
{
struct Case
{
    const char* text;
    unsigned nomOrder;
    unsigned denomOrder;
};

const Case realisable[] = {
    {"1/(s+1)", 0, 1},
    {"(s+3)/(s+1)", 1, 1},
    {"(2*s+1)/(s^2+3*s+2)", 1, 2},
    {"s/(s+1)", 1, 1},
    {"2/(2*s+4)", 0, 1},
    {"1/(T*s+1)", 0, 1},
    {"(s+1)/2", 1, 0},
    {"s^2 + 2*s + 1", 2, 0},
    {"(s^2 + 2*s + 1)/T", 2, 0},
    {"(s^2+3*s+1)/(s+1)", 2, 1},
    // Improper with a rest that has no s term: s + 1/(s+1).
    {"(s^2+s+1)/(s+1)", 2, 1},
    // Improper with no rest at all: s.
    {"(s^2+s)/(s+1)", 2, 1},
    // A power of the quotient is absent in the division.
    {"(s^4+1)/(s^2+1)", 4, 2},
    {"(s^3 + a)/(s + b)", 3, 1},
    {"s^3/(2*s^3 + s)", 3, 3},
    {"s^2/s^2", 2, 2},
    {"(a*s^2 + b)/(T*s^3 + a*s + 1)", 2, 3},
    {"(a + s*b)/(s*T + 1)", 1, 1},
    {"exp(a)*s/(s + sin(b))", 1, 1},
    {"(-s^2)/(s^2 + 1)", 2, 2},
    // A power repeated, and a bare s behind a leading power.
    {"(2*s + 3*s + 1)/(s^2 + 1)", 1, 2},
    {"(s^2 - s + 1)/(s^3 + 2*s^2 + 3*s + 4)", 2, 3},
    {"(2 - s + s^2)/(s^3 + 2*s^2 + 3*s + 4)", 2, 3},
    {"(s^3 - s^2 + 1)/(s^3 + 1)", 3, 3},
    // Products of sums, on either side and under a quotient.
    {"((s+1)*(s+2)/3)*(s+3)/(s^4+2)", 3, 4},
    {"(s-1)*(s+2)/((s+3)*(s+4)*(s+5))", 2, 3},
    {"(s+a)*(s+b)/(T*(s+1)*(s+2))", 2, 2},
    // A coefficient used in several products: the direct term 3 and a_0 = 2.
    {"(3*s+5)/(s+2)", 1, 1},
    {"(4*s^2 + 2*s + 6)/(2*s^2 + 2*s + 2)", 2, 2},
};

Value point(int k)
{
#if SL_COMPLEX
    const Value points[] = {{0.4, 1.1}, {-0.3, 2.2}, {1.7, -0.6}};
#else
    const Value points[] = {0.37, 1.9, 3.3};
#endif
    return points[k];
}

class Transfer : public TransferTest
{
};

TEST_F(Transfer, RealisedSystemsRespondAsTheFraction)
{
    for (const unsigned stride : {0u, 2u})
        for (const Case& c : realisable)
        {
            SCOPED_TRACE(std::string(c.text) + ", stride " + std::to_string(stride));
            const Realised r = realise(c.text, stride);
            ASSERT_TRUE(r.ok) << ::testing::PrintToString(keys());
            EXPECT_EQ(r.tf.nomOrder, c.nomOrder);
            EXPECT_EQ(r.tf.denomOrder, c.denomOrder);
            for (ExpTreeNode* p : r.out)
                EXPECT_TRUE(strangers(p, unknowns(r.tf, stride)).empty());
            for (int k = 0; k < 3; ++k)
            {
                const Value s0 = point(k), want = expected(c.text, s0);
                const Value got = responseAt(r, stride, s0);
                EXPECT_LE(std::abs(got - want), 1e-9 * (1 + std::abs(want)))
                    << "s0 " << s0 << " got " << got << " want " << want;
            }
        }
}

// The steady state (s0 = 0) of a few with their gains by hand.
TEST_F(Transfer, SteadyStatesAreTheGains)
{
    const std::pair<const char*, double> gains[] = {
        {"1/(s+1)", 1}, {"(s+3)/(s+1)", 3}, {"(2*s+1)/(s^2+3*s+2)", 0.5}, {"2/(2*s+4)", 0.5}, {"1/(T*s+1)", 1}};
    for (const auto& [text, gain] : gains)
    {
        const Realised r = realise(text, 0);
        ASSERT_TRUE(r.ok) << text;
        EXPECT_NEAR(std::real(responseAt(r, 0, 0.0)), gain, 1e-12) << text;
    }
}

TEST_F(Transfer, StatesAndRowsFollowTheOrders)
{
    const struct
    {
        const char* text;
        unsigned states;
        bool div;
    } cases[] = {{"1/(s+1)", 1, false},
                 {"(2*s+1)/(s^2+3*s+2)", 2, false},
                 {"(s+1)/2", 1, false},
                 {"(s^2+3*s+1)/(s+1)", 2, true},
                 {"(s^4+1)/(s^2+1)", 4, true}};
    for (const auto& c : cases)
    {
        const Realised r = realise(c.text, 1);
        ASSERT_TRUE(r.ok) << c.text;
        EXPECT_EQ(r.tf.states(), c.states) << c.text;
        EXPECT_EQ(r.tf.hasDiv(), c.div) << c.text;
        EXPECT_EQ(r.out.size(), c.states + (c.div ? 2u : 1u)) << c.text;
    }
}

TEST_F(Transfer, BadlyFormedFractionsAreReportedAtTheLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"5", "ET.TFNoLaplace"},
        {"a/(b+2)", "ET.TFNoLaplace"},
        {"s^0.5", "ET.TFNomBadFormat"},
        {"a^2", "ET.TFNomBadFormat"},
        {"1/(s+exp(s))", "ET.TFDenomBadFormat"},
        {"s^-1", "ET.TFNomBadFormat"},
        {"s^0/(s+1)", "ET.TFNomBadFormat"},
        {"s^70000", "ET.TFNomBadFormat"},
        {"1/(s^40000*s^40000)", "ET.TFDenomBadFormat"},
        {"(s and 1)/(s+1)", "ET.TFNomBadFormat"},
        {"1/(not s)", "ET.TFDenomBadFormat"},
        {"(s > 1)/(s+1)", "ET.TFNomBadFormat"},
        {"1/((s+1)*(s+2) + 1)", "ET.TFDenomBadFormat"},
        {"1/(s+1)*2", "ET.TFNomBadFormat"},
        {"1/((s+1)/(s+2))", "ET.TFDenomBadFormat"},
    };
    for (const auto& [text, key] : cases)
    {
        log.entries.clear();
        sTF tf;
        ExpressionTree tree;
        tree.init(data, nVars);
        EXPECT_FALSE(TransferFunction(tree, data).getTFNomAndDenomOrdersAndTypes(parse(text, true), tf)) << text;
        ASSERT_EQ(log.entries.size(), 1u) << text;
        EXPECT_EQ(log.entries[0].text, key) << text;
        EXPECT_EQ(log.entries[0].line, 12u);
        EXPECT_EQ(log.entries[0].column, 5u);
    }
}

// Leading coefficients that are absent or zero leave no state space to
// build: the conversion fails without a report of its own.
TEST_F(Transfer, ZeroLeadingCoefficientsFailTheConversion)
{
    for (const char* text :
         {"1/(0*s^2 + s + 1)", "(s+1)/0", "0*s/(s^2+1)", "(s - s)/(s^2+1)", "0/(s+1)", "(s^2 - s^2 + 1)/(s+1)"})
    {
        log.entries.clear();
        EXPECT_FALSE(realise(text, 0).ok) << text;
        EXPECT_TRUE(log.entries.empty()) << text;
    }
}

// A reading of other orders than the form check recorded would not fit the
// symbols sized by them.
TEST_F(Transfer, CoefficientsMustHaveTheRecordedOrders)
{
    ExpressionTree tree;
    tree.init(data, nVars);
    const TransferFunction engine(tree, data);
    ExpTreeNode* pRoot = parse("(s+1)/(s^2+1)", true);
    sTF tf;
    ASSERT_TRUE(engine.getTFNomAndDenomOrdersAndTypes(pRoot, tf));
    tf.denomOrder = 3;
    Polynomial denom, nom;
    EXPECT_FALSE(engine.getTFCoefficients(pRoot, denom, nom, tf));
}

// Sides far deeper than the call stack allows read with stacks of their own.
TEST_F(Transfer, DeepSidesRead)
{
    const int terms = 200000;
    std::string sum = "1/(1";
    for (int k = 0; k < terms; ++k)
        sum += "+s";
    sum += ")";
    const Realised r = realise(sum, 0);
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(std::real(responseAt(r, 0, 1.0)), 1.0 / (terms + 1), 1e-15);
}

// Expanding products term by term is bounded: a product of too many sums
// fails instead of filling the pools.
TEST_F(Transfer, ProductsExpandWithinABudget)
{
    auto product = [](int factors) {
        std::string text = "1/((s+1)";
        for (int k = 1; k < factors; ++k)
            text += "*(s+1)";
        return text + ")";
    };
    // (s + 1)^k expands with about k^2 products.
    EXPECT_TRUE(realise(product(700), 0).ok);
    EXPECT_FALSE(realise(product(1500), 0).ok);
}
} // namespace
} // namespace test
