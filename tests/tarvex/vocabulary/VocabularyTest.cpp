#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <mem/StringMemoryManager.h>
#include <sc/SCLib.h>
#include <Vocabulary.h>

namespace
{
using sc::Token;

// Tests that resize the namings put naming 0 back as it was.
void restoreDefaultNaming()
{
    sc::reserveNamings(1);
    sc::setDefaultDataForNaming(0);
}

td::StrKey key(const char* name) { return td::StrKey(name, -1); }

template <typename V>
bool has(const cnt::Dictionary<td::StrKey, V>& dict, const char* name)
{
    return dict.findValPtr(key(name)) != nullptr;
}

class Vocabulary : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { test::fillVocabulary(); }
};

const char* const groupNames[20] = {"Model",     "SubModel",  "Vars",     "Params", "Distribs", "Stats", "ReInit",
                                    "PreProc",   "NLEs",      "WLSEs",    "ECs",    "ODEs",     "PDEs",  "TFs",
                                    "IterPostP", "BasePostP", "PostProc", "Limits", "Repeats",  "Plots"};

TEST_F(Vocabulary, GroupsModelToRepeatsButNotPlots)
{
    const auto& groups = sc::s_commonGroupMaps[0];
    EXPECT_EQ(groups.size(), 19u);
    for (unsigned i = 0; i < 20; ++i)
    {
        EXPECT_STREQ(sc::GroupNames[i], groupNames[i]);
        const sc::_GDS* g = groups.findValPtr(key(groupNames[i]));
        if (i < 19)
        {
            ASSERT_NE(g, nullptr) << groupNames[i];
            EXPECT_EQ(static_cast<unsigned>(g->id), i);
        }
        else
            EXPECT_EQ(g, nullptr);
    }
}

TEST_F(Vocabulary, ReservedWordsUpToEnd)
{
    struct Row
    {
        const char* word;
        int opens, closes;
    };
    const Row rows[20] = {{"@main", 0, 0},    {"repeat", 0, 0},  {"s", 0, 0},       {"group", 0, 0},   {"if", 1, 0},
                          {"else", 0, 0},     {"switch", 1, 0},  {"case", 0, 0},    {"default", 0, 0}, {"end", 0, 1},
                          {"linePlot", 1, 0}, {"barPlot", 1, 0}, {"piePlot", 1, 0}, {"hLine@", 0, 0},  {"vLine@", 0, 0},
                          {"hBand@", 0, 0},   {"vBand@", 0, 0},  {"@cond", 0, 0},   {"@x", 0, 0},      {"@y", 0, 0}};
    const auto& reserved = sc::s_commonReservedMaps[0];
    EXPECT_EQ(reserved.size(), 10u);
    for (unsigned i = 0; i < 20; ++i)
    {
        EXPECT_STREQ(sc::ReservedNames[i].name, rows[i].word);
        EXPECT_EQ(sc::s_commonReservedNames[i].opens, rows[i].opens) << rows[i].word;
        EXPECT_EQ(sc::s_commonReservedNames[i].closes, rows[i].closes) << rows[i].word;
        const sc::_RDS* r = reserved.findValPtr(key(rows[i].word));
        if (i >= 10)
        {
            EXPECT_EQ(r, nullptr) << rows[i].word;
            continue;
        }
        ASSERT_NE(r, nullptr) << rows[i].word;
        EXPECT_EQ(static_cast<unsigned>(r->id), i);
        EXPECT_EQ(r->opens, rows[i].opens);
        EXPECT_EQ(r->closes, rows[i].closes);
    }
}

TEST_F(Vocabulary, AttributesUpToNameWithTheirValueKinds)
{
    struct Row
    {
        const char* name;
        int type;
    };
    const Row rows[42] = {
        {"domain", 7},    {"type", 7},      {"method", 7},   {"eps", 13},     {"dT", 13},       {"out", 22},
        {"w", 13},        {"conj", 22},     {"enabled", 22}, {"signal", 7},   {"copyPars", 11}, {"min", 13},
        {"max", 13},      {"mean", 13},     {"dev", 13},     {"integer", 22}, {"k", 13},        {"p", 13},
        {"n", 13},        {"alpha", 13},    {"beta", 13},    {"lambda", 13},  {"reInit", 22},   {"alwaysOn", 22},
        {"initMain", 22}, {"simplify", 22}, {"pivot", 7},    {"maxIter", 11}, {"width", 13},    {"name", 10},
        {"minX", 13},     {"maxX", 13},     {"minY", 13},    {"maxY", 13},    {"colorL", 16},   {"colorD", 16},
        {"backColor", 7}, {"legend", 22},   {"step", 13},    {"pattern", 17}, {"xLabel", 10},   {"yLabel", 10}};
    const auto& attribs = sc::s_commonAttribMaps[0];
    EXPECT_EQ(attribs.size(), 30u);
    ASSERT_EQ(sc::s_commonAttribNames.size(), 42u);
    for (unsigned i = 0; i < 42; ++i)
    {
        EXPECT_STREQ(sc::AtttribNames[i].name, rows[i].name);
        EXPECT_EQ(static_cast<int>(sc::s_commonAttribNames[i].valueType), rows[i].type) << rows[i].name;
        const sc::_AttDesc* a = attribs.findValPtr(key(rows[i].name));
        if (i >= 30)
        {
            EXPECT_EQ(a, nullptr) << rows[i].name;
            continue;
        }
        ASSERT_NE(a, nullptr) << rows[i].name;
        EXPECT_EQ(static_cast<unsigned>(a->id), i);
        EXPECT_EQ(static_cast<int>(a->valueType), rows[i].type);
    }
}

TEST_F(Vocabulary, AttributeEnumValuesByPositionAndName)
{
    const char* const values[38] = {"real",    "cmplx",    "bool",     "int",       "NR",       "Euler",     "Trapez",
                                    "RK2",     "RK4",      "RK6",      "NL",        "WLS",      "ODE",       "DAE",
                                    "MLE",     "OPT",      "PDE",      "TooLow",    "MedLow",   "Default",   "MedHigh",
                                    "TooHigh", "Rounding", "Diagonal", "Markowitz", "Uniform",  "Bernoulli", "Poisson",
                                    "Expo",    "Gamma",    "Gauss",    "LogGauss",  "LogGauss", "ChiSqr",    "Student",
                                    "auto",    "dark",     "light"};
    const auto& map = sc::getCommonAttribEnumValueMap();
    EXPECT_EQ(&map, &sc::s_commonAttribEnumValues);
    EXPECT_EQ(map.size(), 38u);
    for (unsigned i = 0; i < 38; ++i)
    {
        EXPECT_STREQ(sc::getAttribEnumValue(i).c_str(), values[i]) << i;
        if (i == 31 || i == 32)
            continue;
        int value = -1;
        EXPECT_TRUE(map.find(key(values[i]), value)) << values[i];
        EXPECT_EQ(value, static_cast<int>(i));
    }
    EXPECT_TRUE(sc::getAttribEnumValue(38).isEmpty());
    EXPECT_STREQ(sc::s_strComplexAttribValue.c_str(), "cmplx");
}

const char* const realFunctions[34] = {"abs",  "acos", "asin", "atg",  "cos",  "exp",  "sqrt", "ln",   "log",
                                       "sin",  "tg",   "sqr",  "atg2", "min",  "max",  "smin", "smax", "avg",
                                       "var",  "dev",  "diff", "sign", "sinh", "cosh", "tgh",  "asnh", "acsh",
                                       "atgh", "int",  "lim",  "rnd",  "disn", "disc", "round"};
const char* const complexFunctions[6] = {"conj", "cabs", "rtop", "ptor", "real", "imag"};

TEST_F(Vocabulary, RealAndComplexFunctionSets)
{
    const auto& sets = sc::s_commonFunctions[0];
    const auto& real = sets[0];
    const auto& cmplx = sets[1];
    EXPECT_EQ(real.size(), 34u);
    EXPECT_EQ(cmplx.size(), 40u);
    for (int i = 0; i < 34; ++i)
    {
        int value = -1;
        EXPECT_TRUE(real.find(key(realFunctions[i]), value));
        EXPECT_EQ(value, i) << realFunctions[i];
        EXPECT_TRUE(cmplx.find(key(realFunctions[i]), value));
        EXPECT_EQ(value, i) << realFunctions[i];
        EXPECT_STREQ(sc::getFunctionName(sc::FunctionSet::Real, i, 0).c_str(), realFunctions[i]);
    }
    for (int j = 0; j < 6; ++j)
    {
        int value = -1;
        EXPECT_FALSE(real.find(key(complexFunctions[j]), value)) << complexFunctions[j];
        EXPECT_TRUE(cmplx.find(key(complexFunctions[j]), value));
        EXPECT_EQ(value, 34 + j) << complexFunctions[j];
    }
    EXPECT_STREQ(sc::getFunctionName(sc::FunctionSet::Complex, 37, 0).c_str(), "ptor");
    EXPECT_TRUE(sc::getFunctionName(sc::FunctionSet::Real, 34, 0).isEmpty());
    EXPECT_TRUE(sc::getFunctionName(sc::FunctionSet::Complex, 40, 0).isEmpty());
    EXPECT_EQ(sc::s_cmplxPartIndex[0][0], 38);
    EXPECT_EQ(sc::s_cmplxPartIndex[0][1], 39);
}

TEST_F(Vocabulary, CommonLabelTables)
{
    struct TokRow
    {
        const char* word;
        Token code;
        int value;
    };
    for (const TokRow& r : {TokRow {"and", Token::And, 54}, TokRow {"or", Token::Or, 53},
                            TokRow {"xor", Token::Xor, 55}, TokRow {"not", Token::Not, 52}})
    {
        Token t = Token::Error;
        EXPECT_TRUE(sc::s_logicalTokenMap.find(key(r.word), t)) << r.word;
        EXPECT_EQ(t, r.code);
        EXPECT_EQ(static_cast<int>(t), r.value);
    }
    EXPECT_EQ(sc::s_logicalTokenMap.size(), 4u);

    const char* const numericTypes[4] = {"bool", "int", "real", "cmplx"};
    for (int i = 0; i < 4; ++i)
    {
        sc::NumericType t {};
        EXPECT_TRUE(sc::s_numericTypeMap.find(key(numericTypes[i]), t));
        EXPECT_EQ(static_cast<int>(t), i);
    }

    struct ConstRow
    {
        const char* name;
        int value;
    };
    for (const ConstRow& r : {ConstRow {"pi", 0}, ConstRow {"\xCF\x80", 0}, ConstRow {"e", 1}, ConstRow {"@solOk#", 2}})
    {
        sc::SpecialConstant c {};
        EXPECT_TRUE(sc::s_specialConstantMap.find(key(r.name), c)) << r.name;
        EXPECT_EQ(static_cast<int>(c), r.value);
    }
    EXPECT_FALSE(has(sc::s_specialConstantMap, "PI"));

    const char* const embedded[10] = {"repeat#",   "succRep#", "outIter#", "baseIter#", "totIter#",
                                      "solState#", "reqEps#",  "obtEps#",  "startT#",   "endT#"};
    EXPECT_EQ(sc::s_embeddedParamMap.size(), 10u);
    for (int i = 0; i < 10; ++i)
    {
        int value = -1;
        EXPECT_TRUE(sc::s_embeddedParamMap.find(key(embedded[i]), value)) << embedded[i];
        EXPECT_EQ(value, i);
    }

    const int supplementary[8] = {6, 7, 14, 15, 16, 17, 18, 20};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(static_cast<int>(sc::SupplementaryGroup2Group[i]), supplementary[i]);
    EXPECT_EQ(sc::s_attribStart, Token::AttribStart);
    EXPECT_EQ(static_cast<int>(sc::s_attribEnd), 26);
    EXPECT_EQ(sc::s_commonIndentStart, '@');
}

TEST(HeaderParams, NamesTypesAndDefaults)
{
    const char* const names[11] = {"maxIter",  "startTime", "dTime",  "endTime",   "report", "maxReps",
                                   "outToTxt", "txtFile",   "newTab", "drawPlots", "threads"};
    const int types[11] = {11, 13, 13, 13, 7, 11, 22, 10, 22, 22, 11};
    for (int i = 0; i < 11; ++i)
    {
        EXPECT_STREQ(sc::getHeaderParamName(static_cast<sc::HeaderParam>(i)), names[i]);
        EXPECT_EQ(static_cast<int>(sc::HeaderParamTypes[i]), types[i]) << names[i];
    }
    EXPECT_EQ(sc::getHeaderParamName(sc::HeaderParam::NA), nullptr);
    EXPECT_EQ(sc::getHeaderParamName(static_cast<sc::HeaderParam>(200)), nullptr);

    const td::Variant* d = sc::HeaderDefaultValues;
    EXPECT_EQ(d[0].getType(), td::int4);
    EXPECT_EQ(d[0].i4Val(), 200);
    for (int i : {1, 2, 3})
        EXPECT_EQ(d[i].getType(), td::real8);
    EXPECT_EQ(d[1].r8Val(), 0.0);
    EXPECT_EQ(d[2].r8Val(), 0.001);
    EXPECT_EQ(d[3].r8Val(), 2.0);
    EXPECT_EQ(d[4].getType(), td::int4);
    EXPECT_EQ(d[4].i4Val(), 2);
    EXPECT_EQ(d[5].getType(), td::int4);
    EXPECT_EQ(d[5].i4Val(), -1);
    EXPECT_EQ(d[10].getType(), td::int4);
    EXPECT_EQ(d[7].getType(), td::string8);
    EXPECT_TRUE(d[7].strVal().isEmpty());
    // Booleans hold the byte 'Y' or 'N'.
    for (int i : {6, 8, 9})
        EXPECT_EQ(d[i].getType(), td::boolean);
    EXPECT_FALSE(d[6].boolVal());
    EXPECT_FALSE(d[8].boolVal());
    EXPECT_TRUE(d[9].boolVal());
}

TEST(SignalType, ExactNamesOnly)
{
    mem::StringMemoryManager<td::StringExt, 65536> pool;
    struct Row
    {
        const char* text;
        sc::ISignal::Type type;
    };
    using T = sc::ISignal::Type;
    const Row rows[] = {{"TooLow", T::TooLow},   {"MedLow", T::MedLow},   {"Default", T::Default},
                        {"MedHigh", T::MedHigh}, {"TooHigh", T::TooHigh}, {"Rounding", T::Rounding},
                        {"medhigh", T::None},    {"MedHighX", T::None},   {"Med", T::None}};
    for (const Row& r : rows)
        EXPECT_EQ(sc::getSignalType(pool.alloc(td::String(r.text))), r.type) << r.text;
    EXPECT_EQ(static_cast<int>(sc::getSignalType(pool.alloc(td::String("MedHigh")))), 3);
    EXPECT_EQ(static_cast<int>(sc::getSignalType(nullptr)), 6);
    const td::StringExt empty;
    EXPECT_EQ(sc::getSignalType(&empty), T::None);
}

TEST(SolutionReport, TextFollowsTheType)
{
    using T = sc::SolutionOKReportStringType;
    EXPECT_EQ(sc::getSolutionOKReportStringType(), T::OK);
    EXPECT_STREQ(sc::getSolutionOKReportString().c_str(), "OK");

    sc::setSolutionOKReportStringType(T::ThumbsUp);
    EXPECT_EQ(sc::getSolutionOKReportString().length(), 4u);
    EXPECT_STREQ(sc::getSolutionOKReportString().c_str(), "\xF0\x9F\x91\x8D");
    const char* before = sc::getSolutionOKReportString().c_str();
    sc::setSolutionOKReportStringType(T::ThumbsUp);
    EXPECT_EQ(sc::getSolutionOKReportString().c_str(), before); // not even rebuilt

    sc::setSolutionOKReportStringType(T::OKHand);
    EXPECT_STREQ(sc::getSolutionOKReportString().c_str(), "\xF0\x9F\x91\x8C");
    sc::setSolutionOKReportStringType(T::OKButton);
    EXPECT_STREQ(sc::getSolutionOKReportString().c_str(), "\xF0\x9F\x86\x97");
    // An unknown type is taken, the text stays.
    sc::setSolutionOKReportStringType(static_cast<T>(9));
    EXPECT_EQ(static_cast<int>(sc::getSolutionOKReportStringType()), 9);
    EXPECT_STREQ(sc::getSolutionOKReportString().c_str(), "\xF0\x9F\x86\x97");
    sc::setSolutionOKReportStringType(T::OK);
    EXPECT_STREQ(sc::getSolutionOKReportString().c_str(), "OK");
}

TEST_F(Vocabulary, ReservingTheSameCountKeepsEveryNamingTable)
{
    sc::reserveNamings(1);
    EXPECT_EQ(sc::s_commonFunctions[0][1].size(), 40u);
    EXPECT_EQ(sc::s_commonGroupMaps[0].size(), 19u);
    EXPECT_EQ(sc::s_commonAttribMaps[0].size(), 30u);
    EXPECT_EQ(sc::s_commonReservedMaps[0].size(), 10u);
    // The real/imag positions stay with the complex set they index.
    EXPECT_EQ(sc::s_cmplxPartIndex[0][0], 38);
    EXPECT_EQ(sc::s_cmplxPartIndex[0][1], 39);
}

TEST_F(Vocabulary, FilledNamingDictionariesAreLeftAsTheyAre)
{
    const char* const other[2] = {"real", "imag"};
    sc::setCommonFunctions(sc::FunctionSet::Real, 0, {"zz"});
    sc::setCommonRealFunctions(0, other, 2, {{"fx", 100}});
    sc::setCommonComplexFunctions(0, other, 2, other, 2);
    sc::setCommonAttribNames(0, sc::AttribID::domain, static_cast<sc::AttribID>(42));
    sc::setCommonReservedNames(0, sc::ReservedID::Main, static_cast<sc::ReservedID>(20));
    EXPECT_EQ(sc::s_commonFunctions[0][0].size(), 34u);
    EXPECT_EQ(sc::s_commonFunctions[0][1].size(), 40u);
    // The refused complex fill would have put real at 2 and imag at 3.
    EXPECT_EQ(sc::s_cmplxPartIndex[0][0], 38);
    EXPECT_EQ(sc::s_cmplxPartIndex[0][1], 39);
    EXPECT_EQ(sc::s_commonAttribMaps[0].size(), 30u);
    EXPECT_EQ(sc::s_commonReservedMaps[0].size(), 10u);
    EXPECT_FALSE(has(sc::s_commonAttribMaps[0], "minX"));
}

TEST_F(Vocabulary, ReservingAnotherCountEmptiesTheNamings)
{
    sc::reserveNamings(2);
    ASSERT_EQ(sc::s_commonFunctions.size(), 2u);
    for (unsigned n = 0; n < 2; ++n)
    {
        EXPECT_EQ(sc::s_commonFunctions[n][0].size(), 0u);
        EXPECT_EQ(sc::s_commonFunctions[n][1].size(), 0u);
        EXPECT_EQ(sc::s_commonGroupMaps[n].size(), 0u);
        EXPECT_EQ(sc::s_commonAttribMaps[n].size(), 0u);
        EXPECT_EQ(sc::s_commonReservedMaps[n].size(), 0u);
        EXPECT_EQ(sc::s_cmplxPartIndex[n][0], -1);
        EXPECT_EQ(sc::s_cmplxPartIndex[n][1], -1);
    }
    EXPECT_EQ(sc::s_tagPosition, 255);
    // The common tables are not per naming and stay.
    EXPECT_EQ(sc::s_commonAttribEnumValues.size(), 38u);
    restoreDefaultNaming();
    EXPECT_EQ(sc::s_commonFunctions[0][1].size(), 40u);
}

TEST_F(Vocabulary, HostCanGiveASecondNamingPlotSyntaxAndOwnFunctions)
{
    sc::reserveNamings(2);
    sc::setCommonRealFunctions(1, realFunctions, 3, {{"fx", 100}, {"gy", 101}});
    sc::setCommonComplexFunctions(1, realFunctions, 2, complexFunctions, 6);
    sc::setCommonGroupNames(1, {sc::Group::Plots, sc::Group::Model});
    sc::setCommonAttribNames(1, sc::AttribID::domain, static_cast<sc::AttribID>(42));
    sc::setCommonReservedNames(1, sc::ReservedID::Main, static_cast<sc::ReservedID>(20));

    const auto& real = sc::s_commonFunctions[1][0];
    EXPECT_EQ(real.size(), 5u);
    int value = -1;
    EXPECT_TRUE(real.find(key("asin"), value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(real.find(key("gy"), value));
    EXPECT_EQ(value, 101);
    EXPECT_FALSE(real.find(key("atg"), value));
    // Complex names follow the real ones: real at 2 + 4, imag at 2 + 5.
    EXPECT_EQ(sc::s_commonFunctions[1][1].size(), 8u);
    EXPECT_EQ(sc::s_cmplxPartIndex[1][0], 6);
    EXPECT_EQ(sc::s_cmplxPartIndex[1][1], 7);
    EXPECT_STREQ(sc::getFunctionName(sc::FunctionSet::Complex, 7, 1).c_str(), "imag");

    const auto& groups = sc::s_commonGroupMaps[1];
    EXPECT_EQ(groups.size(), 2u);
    ASSERT_NE(groups.findValPtr(key("Plots")), nullptr);
    EXPECT_EQ(groups.findValPtr(key("Plots"))->id, sc::Group::Plots);
    EXPECT_EQ(groups.findValPtr(key("Vars")), nullptr);

    EXPECT_EQ(sc::s_commonAttribMaps[1].size(), 42u);
    ASSERT_NE(sc::s_commonAttribMaps[1].findValPtr(key("pattern")), nullptr);
    EXPECT_EQ(sc::s_commonAttribMaps[1].findValPtr(key("pattern"))->valueType, Token::LinePattern);
    EXPECT_EQ(sc::s_commonAttribMaps[1].findValPtr(key("backColor"))->id, sc::AttribID::backColor);
    const sc::_RDS* linePlot = sc::s_commonReservedMaps[1].findValPtr(key("linePlot"));
    ASSERT_NE(linePlot, nullptr);
    EXPECT_EQ(linePlot->opens, 1);

    // A filled dictionary is left as it is; an upper bound of 1 or less adds nothing.
    sc::setCommonAttribNames(1, sc::AttribID::domain, sc::AttribID::type);
    sc::setCommonFunctions(sc::FunctionSet::Real, 1, {"zz"});
    EXPECT_EQ(sc::s_commonAttribMaps[1].size(), 42u);
    EXPECT_EQ(real.size(), 5u);
    // Naming 0 was emptied by the resize.
    sc::setCommonAttribNames(0, sc::AttribID::domain, sc::AttribID::type);
    sc::setCommonReservedNames(0, sc::ReservedID::Main, sc::ReservedID::Repeat);
    EXPECT_EQ(sc::s_commonAttribMaps[0].size(), 0u);
    EXPECT_EQ(sc::s_commonReservedMaps[0].size(), 0u);
    restoreDefaultNaming();
    EXPECT_EQ(sc::s_commonAttribMaps[0].size(), 30u);
}

TEST_F(Vocabulary, LabelSettersAddToTheCommonMaps)
{
    sc::setLogicalLabels({});
    EXPECT_EQ(sc::s_logicalTokenMap.size(), 4u);
    sc::setNumericTypeLabels({{"cplx", sc::NumericType::Cmplx}});
    sc::NumericType t {};
    EXPECT_TRUE(sc::s_numericTypeMap.find(key("cplx"), t));
    EXPECT_EQ(t, sc::NumericType::Cmplx);
    EXPECT_TRUE(sc::s_numericTypeMap.find(key("bool"), t));
    EXPECT_EQ(t, sc::NumericType::Bool);
}

TEST_F(Vocabulary, ComplexDomainNameFollowsThePosition)
{
    sc::setComplexDomainAttribEnumPos(0, 3);
    EXPECT_STREQ(sc::s_strComplexAttribValue.c_str(), "int");
    EXPECT_EQ(sc::s_tagPosition, 3);
    sc::setComplexDomainAttribEnumPos(0, 99);
    EXPECT_TRUE(sc::s_strComplexAttribValue.isEmpty());
    sc::setComplexDomainAttribEnumPos(0, 1);
    EXPECT_STREQ(sc::s_strComplexAttribValue.c_str(), "cmplx");
}

TEST(VocabularyDeathTest, MisuseOfTheSettersStops)
{
    test::fillVocabulary();
    EXPECT_DEATH(sc::setDefaultDataForAllNamings(), "s_commonAttribNames.size\\(\\) == 0");
    EXPECT_DEATH(sc::setDefaultDataForNaming(1), "pos >= 0 && pos < _size && _data");
    EXPECT_DEATH(sc::setCommonGroupNames(0, sc::Group::Model, sc::Group::Vars), "lblDict.size\\(\\) == 0");
    EXPECT_DEATH(sc::setCommonFunctions(sc::FunctionSet::NA, 0, {"f"}), "labelID < sc::FunctionSet::NA");
}

TEST(VocabularyDeathTest, RangeSettersNeedTheCommonTables)
{
    // Each death test re-runs this test alone, so nothing is filled yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            sc::reserveNamings(1);
            sc::setCommonGroupNames(0, sc::Group::Model, sc::Group::Plots);
        },
        "\\(s_commonGroupNames.size\\(\\) > 0\\) && \"First populate4 s_commonGroupNames\"");
    EXPECT_DEATH(
        {
            sc::reserveNamings(1);
            sc::setCommonAttribNames(0, sc::AttribID::domain, sc::AttribID::name);
        },
        "s_commonAttribNames.size\\(\\) > 0");
}
} // namespace
