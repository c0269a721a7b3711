// Newton-Raphson models written as XML, solved through the exported
// solvers; every answer is worked out by hand.
#include <XmlModelSupport.h>

namespace test
{
namespace
{
using S = sc::Solution;
using Z = std::complex<double>;

constexpr Factory<double> nr = sc::createDblNRSolver;
constexpr Factory<Z> cnr = sc::createCmplxNRSolver;

// A tight precision, so that the solutions meet the hand-worked answers closely.
std::string real(const std::string& sections) { return xmlModel(R"(type="NR" domain="real" eps="1e-12")", sections); }

TEST(XmlNRModel, SolvesTheSquareRoot)
{
    onBothRoads(nr, real(R"(<Vars><Var name="x" val="1"/></Vars><NLEqs><Eq fx="x^2 = 4"/></NLEqs>)"),
                [](XmlSolver<double>& s) {
                    ASSERT_TRUE(s.ok) << s.errors();
                    EXPECT_EQ(s->solve(), S::OK);
                    EXPECT_NEAR(s.value("x"), 2, 1e-9);
                    EXPECT_EQ(s.errors(), "");
                });
}

TEST(XmlNRModel, EquationSignIsTheLoneEqualsSign)
{
    // x - y = -1 and x + y = 3 (p >= 1 is 1): x = 1, y = 2. Neither a signed
    // right side nor the = of >= may be taken for the equation's sign.
    const std::string doc = real(R"(
        <Vars><Var name="x"/><Var name="y" val="5"/></Vars>
        <Params><Param name="p" val="3"/></Params>
        <NLEqs>
          <Eq fx="x - y = -1"/>
          <Comment text="not an equation"/>
          <Eq fx="x + y = (p >= 1) + 2"/>
        </NLEqs>)");
    onBothRoads(nr, doc, [](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_NEAR(s.value("x"), 1, 1e-9);
        EXPECT_NEAR(s.value("y"), 2, 1e-9);
    });
}

TEST(XmlNRModel, ConditionalEquationTakesItsBranch)
{
    // p > 5: x = 10; 0 < p <= 5: x^2 = 9 from 1, so 3; p <= 0: x = -1.
    const std::string doc = real(R"(
        <Vars><Var name="x" val="1"/></Vars>
        <Params><Param name="p" val="1"/></Params>
        <NLEqs>
          <Eq cond="p &gt; 0">
            <Then><Eq cond="p > 5"><Then fx="x = 10"/><Else fx="x^2 = 9"/></Eq></Then>
            <Else><Eq fx="x = -1"/></Else>
          </Eq>
        </NLEqs>)");
    onBothRoads(nr, doc, [](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        const std::pair<double, double> cases[] = {{1, 3}, {7, 10}, {-2, -1}};
        for (const auto& [p, x] : cases)
        {
            ASSERT_TRUE(s->setParamValue("p", p));
            ASSERT_TRUE(s->setVariableValue("x", 1));
            EXPECT_EQ(s->solve(), S::OK) << p;
            EXPECT_NEAR(s.value("x"), x, 1e-9) << p;
        }
    });
}

TEST(XmlNRModel, ProcessingGroupsApplyEveryAssignmentSign)
{
    // PreProc: p = 2, so x^2 = 2p gives x = 2. PostProc: q = 2, + 1 = 3,
    // * 3 = 9, - 2 = 7, / 2 = 3.5, ^ 2 = 12.25; x > 1 picks Then, both of
    // whose assignments run: r = 1, then 11.
    const std::string doc = real(R"(
        <Vars><Var name="x" val="1"/></Vars>
        <Params><Param name="p"/><Param name="q"/><Param name="r"/></Params>
        <NLEqs><Eq fx="x^2 = 2*p"/></NLEqs>
        <PreProc><Eq fx="p = 2"/></PreProc>
        <PostProc>
          <Eq fx="q = x"/><Eq fx="q += 1"/><Eq fx="q *= 3"/><Eq fx="q -= 2"/><Eq fx="q /= 2"/><Eq fx=" q ^= 2"/>
          <Eq cond="x > 1"><Then><Eq fx="r = 1"/><Eq fx="r += 10"/></Then><Else fx="r = -1"/></Eq>
        </PostProc>)");
    onBothRoads(nr, doc, [](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_NEAR(s.value("x"), 2, 1e-9);
        EXPECT_EQ(s.value("p"), 2);
        EXPECT_NEAR(s.value("q"), 12.25, 1e-8);
        EXPECT_EQ(s.value("r"), 11);
    });
}

TEST(XmlNRModel, LimitGroupSignalStartsAnotherPass)
{
    // x^2 = c from 1 reaches 3; the limit sets c = 4 and signals, so a second
    // pass reaches 2, where the condition no longer holds. A disabled group
    // leaves x at 3; only true and True enable.
    const std::pair<const char*, double> cases[] = {
        {"", 2}, {R"(enabled="true")", 2}, {R"(enabled="True")", 2}, {R"(enabled="TRUE")", 3}, {R"(enabled="0")", 3}};
    for (const auto& [enabled, x] : cases)
    {
        SCOPED_TRACE(enabled);
        const std::string doc = real(R"(
            <Vars><Var name="x" val="1"/></Vars>
            <Params><Param name="c" val="9"/></Params>
            <NLEqs><Eq fx="x^2 = c"/></NLEqs>
            <Limits><Group )" + std::string(enabled) +
                                     R"(>
              <Eq cond="x > 2.5"><Then signal="TooHigh" fx="c = 4"/></Eq>
            </Group></Limits>)");
        onBothRoads(nr, doc, [x = x](XmlSolver<double>& s) {
            ASSERT_TRUE(s.ok) << s.errors();
            EXPECT_EQ(s->solve(), S::OK);
            EXPECT_NEAR(s.value("x"), x, 1e-6);
        });
    }
}

TEST(XmlNRModel, DeferredValuesInDeclarationOrderParametersFirst)
{
    // c is a number, so b = 3c = 6 at once after it; e reads f before f is
    // evaluated (0), f = d + 1 = 3; the variable y = 2b = 12 after the
    // parameters; z = -1500 is a number with blanks and an exponent.
    const std::string doc = real(R"(
        <Vars><Var name="y" val="2*b"/><Var name="z" val=" -1.5e+3 "/></Vars>
        <Params>
          <Param name="b" val="c*3"/><Param name="c" val="2"/>
          <Param name="e" val="f*3"/><Param name="f" val="d+1"/><Param name="d" val="2"/>
        </Params>
        <NLEqs><Eq fx="y = 12"/><Eq fx="z = -1500"/></NLEqs>)");
    onBothRoads(nr, doc, [](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s.value("b"), 6);
        EXPECT_EQ(s.value("e"), 0);
        EXPECT_EQ(s.value("f"), 3);
        EXPECT_EQ(s.value("y"), 12);
        EXPECT_EQ(s.value("z"), -1500);
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_EQ(s->getIterationsNo(), 0);
    });
}

TEST(XmlNRModel, InitChildWritesItsParentThroughBase)
{
    // The child copies p = 7, so y^2 = 9 gives y = 3; its PostProc sets the
    // parent's p to 4, which the parent's x = p then solves for. A child keeps
    // the precision 1e-6, so y is 3 within about 1e-7.
    const std::string doc = real(R"(
        <Vars><Var name="x" val="1"/></Vars>
        <Params><Param name="p" val="7"/></Params>
        <NLEqs><Eq fx="x = p"/></NLEqs>
        <Init>
          <Model name="child" type="NR" domain="real">
            <Vars><Var name="y" val="1"/></Vars>
            <NLEqs><Eq fx="y^2 = p + 2"/></NLEqs>
            <PostProc><Eq fx="base.p = y + 1"/></PostProc>
          </Model>
        </Init>)");
    onBothRoads(nr, doc, [](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_NEAR(s.value("p"), 4, 1e-6);
        EXPECT_NEAR(s.value("x"), s.value("p"), 1e-12);
    });
}

TEST(XmlNRModel, PrecisionFromEpsUnlessNotPositive)
{
    // Newton on x^2 = 2 from 1: |x^2 - 2| is 6.0e-6 after three steps and
    // 4.5e-12 after four, 1.6e-16 after five. A precision of 0 or less could
    // never be met: it counts as absent (1e-6).
    const std::pair<const char*, int> cases[] = {
        {"", 4}, {R"(eps="1e-13")", 5}, {R"(eps="")", 4}, {R"(eps="0")", 4}, {R"(eps="-1")", 4}};
    for (const auto& [eps, iterations] : cases)
    {
        SCOPED_TRACE(eps);
        const std::string doc = xmlModel(R"(type="NR" )" + std::string(eps),
                                         R"(<Vars><Var name="x" val="1"/></Vars><NLEqs><Eq fx="x^2 = 2"/></NLEqs>)");
        onBothRoads(nr, doc, [n = iterations](XmlSolver<double>& s) {
            ASSERT_TRUE(s.ok) << s.errors();
            EXPECT_EQ(s->solve(), S::OK);
            EXPECT_EQ(s->getIterationsNo(), n);
        });
    }
}

TEST(XmlNRModel, ComplexRootAndPartAssignment)
{
    // Newton on z^2 + 4 from 1 + 1i stays in the upper half plane: 2i. The
    // PostProc sets only the imaginary part of q = 3 + 1i.
    const std::string doc = xmlModel(R"(type="NR" domain="cmplx")", R"xml(
        <Vars><Var name="z" val="1+1i"/></Vars>
        <Params><Param name="q" val="3+1i"/></Params>
        <NLEqs><Eq fx="z^2 + 4 = 0"/></NLEqs>
        <PostProc><Eq fx="q.imag = 2*imag(z)"/></PostProc>)xml");
    onBothRoads(cnr, doc, [](XmlSolver<Z>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_NEAR(std::abs(s.value("z") - Z(0, 2)), 0, 1e-9);
        EXPECT_NEAR(std::abs(s.value("q") - Z(3, 4)), 0, 1e-9);
    });
}
} // namespace
} // namespace test
