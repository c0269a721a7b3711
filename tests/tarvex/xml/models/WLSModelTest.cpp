// Least-squares models written as XML, with their statistics and random
// generators, solved through the exported solvers; answers worked by hand.
#include <XmlModelSupport.h>
#include <math/StatsManager.h>

namespace test
{
namespace
{
using S = sc::Solution;
using Z = std::complex<double>;

constexpr Factory<double> wls = sc::createDblWLSSolver;
constexpr Factory<Z> cwls = sc::createCmplxWLSSolver;
const std::string readFailed = "\n(0,Other):Cannot read the data..";

std::string real(const std::string& sections) { return xmlModel(R"(type="WLS" domain="real")", sections); }

// Two measurements of m: 1 with weight w1 and 3 with weight w2; the
// estimate is their weighted mean (w1 + 3 w2) / (w1 + w2).
std::string twoMeasurements(const std::string& w1, const std::string& w2)
{
    return real(R"(<Vars><Var name="m"/></Vars><Params><Param name="p" val="-1"/></Params>
                   <MeasEqs><Eq fx="m = 1" )" +
                w1 + R"(/><Eq fx="m = 3" )" + w2 + "/></MeasEqs>");
}

TEST(XmlWLSModel, WeightedMean)
{
    // w = 1 and 3: (1 + 9) / 4 = 2.5. A weight is a number in the syntax of
    // val, absent 1, or the absolute value of a symbol's initial value.
    const std::pair<std::pair<const char*, const char*>, double> cases[] = {
        {{R"(w="1")", R"(w="3")"}, 2.5},
        {{"", R"(w="3")"}, 2.5},
        {{R"(w="p")", R"(w="3")"}, 2.5},
        {{R"(w=" +.5 ")", R"(w="1.5")"}, 2.5},
        {{R"(w="3e0")", R"(w="1")"}, 1.5},
        {{R"(w="2")", R"(w="0")"}, 1},
        {{R"(w="1e-3")", R"(w="1")"}, 3.001 / 1.001},
    };
    for (const auto& [w, m] : cases)
    {
        SCOPED_TRACE(std::string(w.first) + " " + w.second);
        onBothRoads(wls, twoMeasurements(w.first, w.second), [m = m](XmlSolver<double>& s) {
            ASSERT_TRUE(s.ok) << s.errors();
            EXPECT_EQ(s->solve(), S::OK);
            EXPECT_NEAR(s.value("m"), m, 1e-9);
        });
    }
}

TEST(XmlWLSModel, ComplexMeasurements)
{
    // z = 1+1i and z = 3+3i with equal weights: their mean 2+2i.
    const std::string doc = xmlModel(R"(type="WLS" domain="cmplx")", R"(
        <Vars><Var name="z"/></Vars>
        <MeasEqs><Eq fx="z = 1+1i" w="1"/><Eq fx="z = 3+3i" w="1"/></MeasEqs>)");
    onBothRoads(cwls, doc, [](XmlSolver<Z>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_NEAR(std::abs(s.value("z") - Z(2, 2)), 0, 1e-9);
    });
}

TEST(XmlWLSModel, StatisticsAndGenerators)
{
    // g draws 2 every time (uniform on [2, 2]), so p = 2 and the estimate
    // m = 2; s is fed m and 3m, 2 and 6, whose mean is 4. The constraint
    // keeps m where the measurement puts it.
    const std::string doc = real(R"xml(
        <Stats names=" s , t"/>
        <RndGens><RndGen name="g" type="Uniform" min="2" max="2"/>
                 <RndGen name="k" type="Uniform" real="no" min="5.9" max="5.2"/></RndGens>
        <Vars><Var name="m"/></Vars>
        <Params><Param name="p"/><Param name="q"/><Param name="u"/></Params>
        <MeasEqs><Eq fx="m = p" w="2"/></MeasEqs>
        <ECs><Eq fx="m - p = 0"/></ECs>
        <PreProc><Eq fx="p = rnd(g)"/><Eq fx="u = rnd(k)"/></PreProc>
        <PostProc><Eq fx="s &lt;&lt; m &lt;&lt; 3*m"/><Eq fx="q = avg(s)"/></PostProc>)xml");
    onBothRoads(wls, doc, [](XmlSolver<double>& s) {
        ASSERT_TRUE(s.ok) << s.errors();
        EXPECT_EQ(s->solve(), S::OK);
        EXPECT_EQ(s.value("p"), 2);
        EXPECT_NEAR(s.value("m"), 2, 1e-9);
        EXPECT_NEAR(s.value("q"), 4, 1e-9);
        // The integer bounds 5.9 and 5.2 truncate to 5 and 5.
        EXPECT_EQ(s.value("u"), 5);
        const auto* pStats = s->getStatsManager();
        ASSERT_EQ(pStats->size(), 2u);
        EXPECT_EQ(pStats->find("t"), 1);
    });
}

struct Case
{
    const char* what;
    std::string document;
    std::string errors;
};

template <std::size_t N>
void expectErrors(const Case (&cases)[N])
{
    for (const Case& c : cases)
        EXPECT_EQ(loadErrors(wls, c.document), c.errors + readFailed) << c.what;
}

const std::string oneMeasurement = R"(<Vars><Var name="m"/></Vars><MeasEqs><Eq fx="m = 1"/></MeasEqs>)";

TEST(XmlWLSModelErrors, ModelAndWeights)
{
    const Case cases[] = {
        {"type", xmlModel(R"(type="NR" domain="real")", oneMeasurement), "(0,Other):Model type is not WLS"},
        {"no MeasEqs", real(R"(<Vars><Var name="m"/></Vars>)"),
         "(0,Other):MeasEqs node is not specified! Missing MeasEqs tag!"},
        {"MeasEqs without Eq", real(R"(<Vars><Var name="m"/></Vars><MeasEqs/>)"), "(0,Other):No measurement equations"},
        {"fewer measurements than variables",
         real(R"(<Vars><Var name="a"/><Var name="b"/></Vars><MeasEqs><Eq fx="a = 1"/></MeasEqs>
                 <ECs><Eq fx="a = b"/><Eq fx="a = 2*b"/></ECs>)"),
         "(0,Other):Number of equations < number of variables"},
        {"negative weight", real(R"(<Vars><Var name="m"/></Vars><MeasEqs><Eq fx="m = 1" w="-2.5"/></MeasEqs>)"),
         "(0,MeasEqs):Weight of a measurement equation cannot be negative! w=-2.5\n(0,MeasEqs):Eq#: 0"},
        {"weight naming nothing",
         real(R"(<Vars><Var name="m"/></Vars><MeasEqs><Eq fx="m = 1"/><Eq fx="m = 2" w="1e-3x"/></MeasEqs>)"),
         "(0,MeasEqs):Variable was not declared:1e-3x\n(0,MeasEqs):Eq#: 1"},
        {"constraint", real(oneMeasurement + R"(<ECs><Eq fx="m = w"/></ECs>)"),
         "(0,ECs):Unknown variable or parameter: w\n(0,ECs):Syntax error in equation: m = w\n"
         "(0,ECs):Cannot parse equation: m = w\n(0,ECs):Eq#: 0"},
    };
    expectErrors(cases);
}

TEST(XmlWLSModelErrors, StatisticsAndGenerators)
{
    auto gens = [](const std::string& entries) { return real("<RndGens>" + entries + "</RndGens>" + oneMeasurement); };
    const Case cases[] = {
        {"statistic twice", real(R"(<Stats names="a,b,a"/>)" + oneMeasurement),
         "(0,Stats):Stats name a entered two times! Second time on pos 2!"},
        {"no statistic name", real("<Stats/>" + oneMeasurement), "(0,Stats):Stats needs attribute name or names!"},
        {"unknown statistic",
         real(R"(<Stats name="a"/>)" + oneMeasurement + R"(<PostProc><Eq fx="b &lt;&lt; m"/></PostProc>)"),
         "(0,PostProc):Cannot find stats object with name=b\n"
         "(0,PostProc):Canot parse stats assignment to stats object name=b\n(0,PostProc):Eq#: 0"},
        {"three <",
         real(R"(<Stats name="a"/>)" + oneMeasurement +
              R"(<PostProc><Eq fx="a &lt;&lt; m &lt;&lt;&lt; 2"/></PostProc>)"),
         "(0,PostProc):Badly formatted stats assignement part 'm <<< 2'\n"
         "(0,PostProc):Canot parse stats assignment to stats object name=a\n(0,PostProc):Eq#: 0"},
        {"generator without name", gens(R"(<RndGen type="Expo" lambda="1"/>)"),
         "(0,RndGens):Missing name in RndGen entry!\n(0,RndGens):RndGen#: 0"},
        {"generator twice",
         gens(R"(<RndGen name="g" type="Expo" lambda="1"/><RndGen name="g" type="Expo" lambda="2"/>)"),
         "(0,RndGens):RndGen entry with name=g defined twice. First position=0!\n(0,RndGens):RndGen#: 1"},
        {"generator without type", gens(R"(<RndGen name="g"/>)"),
         "(0,RndGens):Missing type in RndGen entry!\n(0,RndGens):RndGen#: 0"},
        {"unknown type", gens(R"(<RndGen name="g" type="Exponential" lambda="1"/>)"),
         "(0,RndGens):Unnown type=Exponential in RndGen with name=g!\n(0,RndGens):RndGen#: 0"},
        {"missing dev", gens(R"(<RndGen name="g" type="LogGauss" mean="1"/>)"),
         "(0,RndGens):Missing dev value in Gauss LogGauss entry with name=g!\n(0,RndGens):RndGen#: 0"},
        {"missing n", gens(R"(<RndGen name="g" type="Student"/>)"),
         "(0,RndGens):Missing n value in ChiSquared RndGen entry with name=g!\n(0,RndGens):RndGen#: 0"},
        {"missing integer bound", gens(R"(<RndGen name="g" type="Uniform" real="false" min="1"/>)"),
         "(0,RndGens):Missing max value in Uniform int RndGen entry with name=g!\n(0,RndGens):RndGen#: 0"},
    };
    expectErrors(cases);
}

TEST(XmlWLSModelErrors, GeneratorParametersAreChecked)
{
    // Each kind refuses the values it cannot draw with, naming the parameter.
    const std::pair<const char*, const char*> cases[] = {
        {R"(type="Gauss" mean="10" dev="0")", "Wrong dev value in Gauss RndGen entry with name=g!"},
        {R"(type="Gauss" mean="10" dev="-1" width="4")", "Wrong dev value in Gauss RndGen entry with name=g!"},
        {R"(type="Gauss" mean="1e20" dev="1" width="1")", "Wrong width value in Gauss RndGen entry with name=g!"},
        {R"(type="LogGauss" mean="1" dev="0")", "Wrong dev value in LogGauss RndGen entry with name=g!"},
        {R"(type="Expo" lambda="0")", "Wrong lambda value in Exponential RndGen entry with name=g!"},
        {R"(type="Poisson" lambda="-3")", "Wrong lambda value in Poisson RndGen entry with name=g!"},
        {R"(type="Bernoulli" probTrue="1.5")", "Wrong probTrue value in Bernoulli RndGen entry with name=g!"},
        {R"(type="Gamma" alpha="1" beta="0")", "Wrong beta value in Gamma RndGen entry with name=g!"},
        {R"(type="Gamma" alpha="nan" beta="1")", "Wrong alpha value in Gamma RndGen entry with name=g!"},
        {R"(type="Uniform" min="2" max="1")", "Wrong max value in Uniform real RndGen entry with name=g!"},
        {R"(type="Uniform" real="0" min="2.5" max="1.5")", "Wrong max value in Uniform int RndGen entry with name=g!"},
        {R"(type="ChiSqr" k="0")", "Wrong k value in ChiSquared RndGen entry with name=g!"},
        {R"(type="Student" n="-1")", "Wrong n value in Student RndGen entry with name=g!"},
    };
    for (const auto& [attribs, message] : cases)
    {
        const std::string doc =
            real(R"(<RndGens><RndGen name="g" )" + std::string(attribs) + "/></RndGens>" + oneMeasurement);
        EXPECT_EQ(loadErrors(wls, doc),
                  "(0,RndGens):" + std::string(message) + "\n(0,RndGens):RndGen#: 0" + readFailed);
    }
}
} // namespace
} // namespace test
