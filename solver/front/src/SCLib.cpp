#include <sc/SCLib.h>
#include <cstring>
#include <iterator>
#include <mu/Assert.h>

namespace sc
{
const char* const GroupNames[NumberOfGroups] = {
    "Model", "SubModel", "Vars", "Params", "Distribs",  "Stats",     "ReInit",   "PreProc", "NLEs",    "WLSEs",
    "ECs",   "ODEs",     "PDEs", "TFs",    "IterPostP", "BasePostP", "PostProc", "Limits",  "Repeats", "Plots"};

const _ReservedWordDef ReservedNames[NumberOfReservedWords] = {
    {"@main", 0, 0},    {"repeat", 0, 0},  {"s", 0, 0},       {"group", 0, 0},   {"if", 1, 0},
    {"else", 0, 0},     {"switch", 1, 0},  {"case", 0, 0},    {"default", 0, 0}, {"end", 0, 1},
    {"linePlot", 1, 0}, {"barPlot", 1, 0}, {"piePlot", 1, 0}, {"hLine@", 0, 0},  {"vLine@", 0, 0},
    {"hBand@", 0, 0},   {"vBand@", 0, 0},  {"@cond", 0, 0},   {"@x", 0, 0},      {"@y", 0, 0}};

const _AttribDef AtttribNames[NumberOfAttributes] = {{"domain", Token::Identifier},
                                                     {"type", Token::Identifier},
                                                     {"method", Token::Identifier},
                                                     {"eps", Token::Real},
                                                     {"dT", Token::Real},
                                                     {"out", Token::Switch},
                                                     {"w", Token::Real},
                                                     {"conj", Token::Switch},
                                                     {"enabled", Token::Switch},
                                                     {"signal", Token::Identifier},
                                                     {"copyPars", Token::Integer},
                                                     {"min", Token::Real},
                                                     {"max", Token::Real},
                                                     {"mean", Token::Real},
                                                     {"dev", Token::Real},
                                                     {"integer", Token::Switch},
                                                     {"k", Token::Real},
                                                     {"p", Token::Real},
                                                     {"n", Token::Real},
                                                     {"alpha", Token::Real},
                                                     {"beta", Token::Real},
                                                     {"lambda", Token::Real},
                                                     {"reInit", Token::Switch},
                                                     {"alwaysOn", Token::Switch},
                                                     {"initMain", Token::Switch},
                                                     {"simplify", Token::Switch},
                                                     {"pivot", Token::Identifier},
                                                     {"maxIter", Token::Integer},
                                                     {"width", Token::Real},
                                                     {"name", Token::String},
                                                     {"minX", Token::Real},
                                                     {"maxX", Token::Real},
                                                     {"minY", Token::Real},
                                                     {"maxY", Token::Real},
                                                     {"colorL", Token::Color},
                                                     {"colorD", Token::Color},
                                                     {"backColor", Token::Identifier},
                                                     {"legend", Token::Switch},
                                                     {"step", Token::Real},
                                                     {"pattern", Token::LinePattern},
                                                     {"xLabel", Token::String},
                                                     {"yLabel", Token::String}};

const char* const RealFunctionNames[NumberOfRealFunctions] = {
    "abs",  "acos", "asin", "atg",  "cos",  "exp", "sqrt", "ln",   "log",  "sin",  "tg",   "sqr",
    "atg2", "min",  "max",  "smin", "smax", "avg", "var",  "dev",  "diff", "sign", "sinh", "cosh",
    "tgh",  "asnh", "acsh", "atgh", "int",  "lim", "rnd",  "disn", "disc", "round"};

const char* const ComplexFunctionNames[NumberOfComplexFunctions] = {"conj", "cabs", "rtop", "ptor", "real", "imag"};

const Group SupplementaryGroup2Group[8] = {
    Group::ReInit,   Group::PreProc, Group::IterPostP, Group::BasePostP,
    Group::PostProc, Group::Limits,  Group::Repeats,   static_cast<Group>(NumberOfGroups)};

const Token HeaderParamTypes[NumberOfHeaderParams] = {Token::Integer,    Token::Real,    Token::Real,   Token::Real,
                                                      Token::Identifier, Token::Integer, Token::Switch, Token::String,
                                                      Token::Switch,     Token::Switch,  Token::Integer};

// Written by the library's static initialiser, before any call.
const td::Variant HeaderDefaultValues[NumberOfHeaderParams] = {
    td::Variant(td::INT4(200)), td::Variant(0.0),          td::Variant(0.001),      td::Variant(2.0),
    td::Variant(td::INT4(2)),   td::Variant(td::INT4(-1)), td::Variant(false),      td::Variant(td::String()),
    td::Variant(false),         td::Variant(true),         td::Variant(td::INT4(0))};

const Token s_attribStart = Token::AttribStart;
const Token s_attribEnd = Token::AttribEnd;
const char s_commonIndentStart = '@';

namespace
{
const char* const HeaderParamNames[NumberOfHeaderParams] = {"maxIter", "startTime", "dTime",    "endTime",
                                                            "report",  "maxReps",   "outToTxt", "txtFile",
                                                            "newTab",  "drawPlots", "threads"};

constexpr unsigned NumberOfAttribEnumValues = 38;
// "LogGauss" stands twice: distributions are matched by their text, and the
// positions after it must keep their values.
const char* const AttribEnumValueNames[NumberOfAttribEnumValues] = {
    "real",    "cmplx",    "bool",     "int",      "NR",        "Euler",   "Trapez",    "RK2",     "RK4",    "RK6",
    "NL",      "WLS",      "ODE",      "DAE",      "MLE",       "OPT",     "PDE",       "TooLow",  "MedLow", "Default",
    "MedHigh", "TooHigh",  "Rounding", "Diagonal", "Markowitz", "Uniform", "Bernoulli", "Poisson", "Expo",   "Gamma",
    "Gauss",   "LogGauss", "LogGauss", "ChiSqr",   "Student",   "auto",    "dark",      "light"};

const _tokLab LogicalLabelTable[] = {{"and", Token::And}, {"or", Token::Or}, {"xor", Token::Xor}, {"not", Token::Not}};

const _ntLab NumericTypeLabelTable[] = {
    {"bool", NumericType::Bool}, {"int", NumericType::Int}, {"real", NumericType::Real}, {"cmplx", NumericType::Cmplx}};

const _SpecConstInf SpecialConstantTable[] = {{"pi", SpecialConstant::Pi},
                                              {"\xCF\x80", SpecialConstant::Pi},
                                              {"e", SpecialConstant::E},
                                              {"@solOk#", SpecialConstant::SolOk}};

constexpr unsigned NumberOfEmbeddedParams = 10;
const char* const EmbeddedParamNames[NumberOfEmbeddedParams] = {
    "repeat#", "succRep#", "outIter#", "baseIter#", "totIter#", "solState#", "reqEps#", "obtEps#", "startT#", "endT#"};

// The names of the signal kinds, by ISignal::Type.
const char* const SignalNames[] = {"TooLow", "MedLow", "Default", "MedHigh", "TooHigh", "Rounding"};

td::String s_solutionOKReportString("OK");
SolutionOKReportStringType s_solutionOKReportStringType = SolutionOKReportStringType::OK;

td::StrKey labelKey(const char* name)
{
    MU_ASSERT(name);
    const size_t lblLen = std::strlen(name);
    MU_ASSERT(lblLen <= td::StrKey::Length);
    return td::StrKey(name, static_cast<int>(lblLen));
}

// Every dictionary is filled in one bulk update with its storage sized
// beforehand, so it is sorted exactly once.
template <typename V, typename Fill>
void bulkFill(cnt::Dictionary<td::StrKey, V>& dict, td::UINT4 nToCome, Fill fill)
{
    dict.reserve(dict.size() + nToCome);
    dict.startBulkUpdate();
    fill();
    dict.endBulkUpdate();
}

template <typename V, typename Label, typename GetValue>
void addLabels(cnt::Dictionary<td::StrKey, V>& dict, const Label* labels, size_t count, GetValue value)
{
    if (count == 0)
        return;
    bulkFill(dict, static_cast<td::UINT4>(count), [&] {
        for (size_t i = 0; i < count; ++i)
            dict.insert(labelKey(labels[i].text), value(labels[i]));
    });
}

// The first name, in stored order, whose value is value; empty when none.
td::String nameOfValue(const NameIndexMap& dict, int value)
{
    td::String name;
    for (const auto& e : dict)
    {
        if (e.value == value)
        {
            e.key.toString(name);
            break;
        }
    }
    return name;
}

// Each name of the list under its position.
void fillByPosition(NameIndexMap& dict, const char* const* names, td::UINT4 count)
{
    for (td::UINT4 i = 0; i < count; ++i)
        dict.insert(labelKey(names[i]), static_cast<int>(i));
}

// Name i of the list gets value i, unless the set already holds names.
void setFunctionSet(FunctionSet labelID, td::UINT2 naming, const char* const* names, td::UINT4 count)
{
    NameIndexMap& dict = s_commonFunctions[naming][static_cast<size_t>(labelID)];
    if (count == 0 || dict.size() > 0)
        return;
    bulkFill(dict, count, [&] { fillByPosition(dict, names, count); });
}

// Entries from..to-1 of a common name list into a naming's dictionary. An
// upper bound of 1 or less adds nothing, and a filled dictionary is kept.
template <typename V, typename Desc, typename MakeValue>
void setRange(cnt::Dictionary<td::StrKey, V>& dict, const cnt::SafeFullVector<Desc>& list, unsigned first,
              unsigned last, MakeValue value)
{
    if (last <= 1 || last <= first || dict.size() > 0)
        return;
    bulkFill(dict, last - first, [&] {
        for (unsigned i = first; i < last; ++i)
            dict.insert(list[i].key, value(list[i]));
    });
}
} // namespace

cnt::SafeFullVector<_AttNameDesc> s_commonAttribNames;
cnt::SafeFullVector<_RNDS> s_commonReservedNames;
cnt::SafeFullVector<_GNDS> s_commonGroupNames;
NameIndexMap s_commonAttribEnumValues;
cnt::Dictionary<td::StrKey, Token> s_logicalTokenMap;
cnt::Dictionary<td::StrKey, NumericType> s_numericTypeMap;
cnt::Dictionary<td::StrKey, SpecialConstant> s_specialConstantMap;
NameIndexMap s_embeddedParamMap;

cnt::SafeFullVector<cnt::Array<NameIndexMap, 2>> s_commonFunctions;
cnt::SafeFullVector<cnt::Dictionary<td::StrKey, _AttDesc>> s_commonAttribMaps;
cnt::SafeFullVector<cnt::Dictionary<td::StrKey, _RDS>> s_commonReservedMaps;
cnt::SafeFullVector<cnt::Dictionary<td::StrKey, _GDS>> s_commonGroupMaps;
cnt::SafeFullVector<cnt::Array<int, 2>> s_cmplxPartIndex;
cnt::SafeFullVector<cnt::SafeFullVector<NameIndexMap>> s_commonLabels;
td::BYTE s_tagPosition = 255;
td::String s_strComplexAttribValue;

void reserveNamings(td::UINT2 n)
{
    // reserve keeps a vector that already has n entries, so the namings
    // filled so far survive a repeated call with the same count.
    s_commonFunctions.reserve(n);
    s_commonAttribMaps.reserve(n);
    s_commonReservedMaps.reserve(n);
    s_commonGroupMaps.reserve(n);
    s_tagPosition = 255;
    // The real/imag positions belong with the complex dictionaries: kept
    // when those are kept, unknown when they were emptied.
    if (s_cmplxPartIndex.size() != n)
    {
        s_cmplxPartIndex.reserve(n);
        for (td::UINT2 i = 0; i < n; ++i)
            s_cmplxPartIndex[i][0] = s_cmplxPartIndex[i][1] = -1;
    }
}

void setDefaultDataForAllNamings()
{
    MU_ASSERT(s_commonAttribNames.size() == 0);
    s_commonAttribNames.reserve(NumberOfAttributes);
    for (unsigned i = 0; i < NumberOfAttributes; ++i)
    {
        _AttNameDesc& d = s_commonAttribNames[i];
        d.key = labelKey(AtttribNames[i].name);
        d.id = static_cast<AttribID>(i);
        d.valueType = AtttribNames[i].valueType;
    }

    bulkFill(s_commonAttribEnumValues, NumberOfAttribEnumValues,
             [] { fillByPosition(s_commonAttribEnumValues, AttribEnumValueNames, NumberOfAttribEnumValues); });

    s_commonReservedNames.reserve(NumberOfReservedWords);
    for (unsigned i = 0; i < NumberOfReservedWords; ++i)
    {
        _RNDS& d = s_commonReservedNames[i];
        d.key = labelKey(ReservedNames[i].name);
        d.id = static_cast<ReservedID>(i);
        d.opens = ReservedNames[i].opens;
        d.closes = ReservedNames[i].closes;
    }
    s_commonGroupNames.reserve(NumberOfGroups);
    for (unsigned i = 0; i < NumberOfGroups; ++i)
    {
        s_commonGroupNames[i].key = labelKey(GroupNames[i]);
        s_commonGroupNames[i].id = static_cast<Group>(i);
    }

    addLabels(s_logicalTokenMap, LogicalLabelTable, std::size(LogicalLabelTable),
              [](const _tokLab& l) { return l.token; });
    addLabels(s_numericTypeMap, NumericTypeLabelTable, std::size(NumericTypeLabelTable),
              [](const _ntLab& l) { return l.type; });
    addLabels(s_specialConstantMap, SpecialConstantTable, std::size(SpecialConstantTable),
              [](const _SpecConstInf& l) { return l.constant; });

    bulkFill(s_embeddedParamMap, NumberOfEmbeddedParams,
             [] { fillByPosition(s_embeddedParamMap, EmbeddedParamNames, NumberOfEmbeddedParams); });
}

void setDefaultDataForNaming(td::UINT2 naming)
{
    setCommonFunctions(FunctionSet::Real, naming, RealFunctionNames, NumberOfRealFunctions);
    setCommonComplexFunctions(naming, RealFunctionNames, NumberOfRealFunctions, ComplexFunctionNames,
                              NumberOfComplexFunctions);
    setCommonGroupNames(naming, Group::Model, Group::Plots);
    setCommonAttribNames(naming, AttribID::domain, AttribID::minX);
    setComplexDomainAttribEnumPos(0, 1);
    setCommonReservedNames(naming, ReservedID::Main, ReservedID::LinePlot);
}

void setCommonFunctions(FunctionSet labelID, td::UINT2 naming, std::initializer_list<const char*> names)
{
    MU_ASSERT(labelID < sc::FunctionSet::NA);
    setFunctionSet(labelID, naming, names.begin(), static_cast<td::UINT4>(names.size()));
}

void setCommonFunctions(FunctionSet labelID, td::UINT2 naming, const char* const* names, td::UINT4 count)
{
    MU_ASSERT((labelID < sc::FunctionSet::NA));
    setFunctionSet(labelID, naming, names, count);
}

void setCommonRealFunctions(td::UINT2 naming, const char* const* names, td::UINT4 count,
                            std::initializer_list<_ARFn> additional)
{
    NameIndexMap& dict = s_commonFunctions[naming][static_cast<size_t>(FunctionSet::Real)];
    if (count == 0 || dict.size() > 0)
        return;
    bulkFill(dict, count + static_cast<td::UINT4>(additional.size()), [&] {
        fillByPosition(dict, names, count);
        for (const _ARFn& fn : additional)
            dict.insert(labelKey(fn.text), fn.index);
    });
}

void setCommonComplexFunctions(td::UINT2 naming, const char* const* realNames, td::UINT4 nReal,
                               const char* const* cmplxNames, td::UINT4 nCmplx)
{
    NameIndexMap& dict = s_commonFunctions[naming][static_cast<size_t>(FunctionSet::Complex)];
    cnt::Array<int, 2>& partIndex = s_cmplxPartIndex[naming];
    if ((nReal == 0 && nCmplx == 0) || dict.size() > 0)
        return;
    bulkFill(dict, nReal + nCmplx, [&] {
        fillByPosition(dict, realNames, nReal);
        for (td::UINT4 j = 0; j < nCmplx; ++j)
        {
            const int index = static_cast<int>(nReal + j);
            dict.insert(labelKey(cmplxNames[j]), index);
            if (std::strncmp(cmplxNames[j], "real", 4) == 0)
                partIndex[0] = index;
            else if (std::strncmp(cmplxNames[j], "imag", 4) == 0)
                partIndex[1] = index;
        }
    });
}

void setCommonAttribNames(td::UINT2 naming, AttribID from, AttribID to)
{
    MU_ASSERT(s_commonAttribNames.size() > 0);
    setRange(s_commonAttribMaps[naming], s_commonAttribNames, static_cast<unsigned>(from), static_cast<unsigned>(to),
             [](const _AttNameDesc& d) {
                 return _AttDesc {d.id, d.valueType};
             });
}

void setCommonReservedNames(td::UINT2 naming, ReservedID from, ReservedID to)
{
    MU_ASSERT(s_commonReservedNames.size() > 0);
    setRange(s_commonReservedMaps[naming], s_commonReservedNames, static_cast<unsigned>(from),
             static_cast<unsigned>(to), [](const _RNDS& d) {
                 return _RDS {d.id, d.opens, d.closes};
             });
}

namespace
{
// The group setters refuse a filled dictionary instead of keeping it.
template <typename GroupAt>
void fillGroups(td::UINT2 naming, td::UINT4 count, GroupAt groupAt)
{
    MU_ASSERT((s_commonGroupNames.size() > 0) && "First populate4 s_commonGroupNames");
    auto& lblDict = s_commonGroupMaps[naming];
    MU_ASSERT(lblDict.size() == 0);
    if (count == 0)
        return;
    bulkFill(lblDict, count, [&] {
        for (td::UINT4 i = 0; i < count; ++i)
        {
            const _GNDS& d = s_commonGroupNames[static_cast<size_t>(groupAt(i))];
            lblDict.insert(d.key, _GDS {d.id});
        }
    });
}
} // namespace

void setCommonGroupNames(td::UINT2 naming, Group from, Group to)
{
    const unsigned first = static_cast<unsigned>(from);
    const unsigned last = static_cast<unsigned>(to);
    fillGroups(naming, last > first ? last - first : 0, [first](td::UINT4 i) { return static_cast<Group>(first + i); });
}

void setCommonGroupNames(td::UINT2 naming, std::initializer_list<Group> groups)
{
    fillGroups(naming, static_cast<td::UINT4>(groups.size()), [&](td::UINT4 i) { return groups.begin()[i]; });
}

void setLogicalLabels(std::initializer_list<_tokLab> labels)
{
    addLabels(s_logicalTokenMap, labels.begin(), labels.size(), [](const _tokLab& l) { return l.token; });
}

void setNumericTypeLabels(std::initializer_list<_ntLab> labels)
{
    addLabels(s_numericTypeMap, labels.begin(), labels.size(), [](const _ntLab& l) { return l.type; });
}

void setSpecialConstants(std::initializer_list<_SpecConstInf> constants)
{
    addLabels(s_specialConstantMap, constants.begin(), constants.size(),
              [](const _SpecConstInf& l) { return l.constant; });
}

void setComplexDomainAttribEnumPos(td::UINT2, int pos)
{
    s_tagPosition = static_cast<td::BYTE>(pos);
    s_strComplexAttribValue = nameOfValue(s_commonAttribEnumValues, pos);
}

td::String getFunctionName(FunctionSet labelID, td::UINT4 index, td::UINT2 naming)
{
    MU_ASSERT(labelID <= sc::FunctionSet::Complex);
    return nameOfValue(s_commonFunctions[naming][static_cast<size_t>(labelID)], static_cast<int>(index));
}

td::String getAttribEnumValue(td::UINT4 pos) { return nameOfValue(s_commonAttribEnumValues, static_cast<int>(pos)); }

const char* getHeaderParamName(HeaderParam param)
{
    const unsigned pos = static_cast<unsigned>(param);
    return pos < NumberOfHeaderParams ? HeaderParamNames[pos] : nullptr;
}

const NameIndexMap& getCommonAttribEnumValueMap() { return s_commonAttribEnumValues; }

void setSolutionOKReportStringType(SolutionOKReportStringType type)
{
    if (type == s_solutionOKReportStringType)
        return;
    s_solutionOKReportStringType = type;
    switch (type)
    {
    case SolutionOKReportStringType::OK: s_solutionOKReportString = "OK"; break;
    case SolutionOKReportStringType::ThumbsUp: s_solutionOKReportString = "\xF0\x9F\x91\x8D"; break;
    case SolutionOKReportStringType::OKHand: s_solutionOKReportString = "\xF0\x9F\x91\x8C"; break;
    case SolutionOKReportStringType::OKButton: s_solutionOKReportString = "\xF0\x9F\x86\x97"; break;
    default: break;
    }
}

SolutionOKReportStringType getSolutionOKReportStringType(SolutionOKReportStringType)
{
    return s_solutionOKReportStringType;
}

const td::String& getSolutionOKReportString() { return s_solutionOKReportString; }

ISignal::Type getSignalType(const td::StringExt* name)
{
    if (!name || name->isEmpty())
        return ISignal::Type::None;
    for (unsigned i = 0; i < std::size(SignalNames); ++i)
        if (*name == SignalNames[i])
            return static_cast<ISignal::Type>(i);
    return ISignal::Type::None;
}
} // namespace sc
