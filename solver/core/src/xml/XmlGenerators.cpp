// The RndGens section of an XML model: one named random generator per
// RndGen element, of the kind its type names, with its parameters checked
// as for model text.
#include <expr/RndGenManager.h>
#include <expr/SolverData.h>
#include <math/RndGen.h>
#include <mu/NumberParser.h>
#include <sc/StringPool.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <cfloat>

namespace SL_NS
{
namespace
{
struct GenParam
{
    const char* name;
    const char* missing; // the message when it is absent
    const char* wrong;   // the message when the generator cannot draw with it
};

// A kind: its type text, its parameters (the optional width last), the
// first parameter it cannot draw with (-1 for none) and its generator.
struct GenKind
{
    const char* type;
    GenParam params[3];
    int nRequired;
    int nParams;
    int (*wrongParam)(const double* v);
    rnd::Gen* (*make)(const double* v);
};

double lower(const double* v) { return rnd::windowLower(v[0], v[2]); }
double upper(const double* v) { return rnd::windowUpper(v[0], v[2]); }

// The first parameter at fault: each check is made with the parameters
// after the one tested at values that always pass.
template <typename TCheck>
int wrongOfWindow(const double* v, TCheck check)
{
    if (check(v[0], 1.0, -DBL_MAX, DBL_MAX))
        return 0;
    if (check(v[0], v[1], -DBL_MAX, DBL_MAX))
        return 1;
    return check(v[0], v[1], lower(v), upper(v)) ? 2 : -1;
}

const GenKind s_kinds[] = {
    {"Expo",
     {{"lambda", "Missing lambda value in Exponential RndGen entry with name=@!",
       "Wrong lambda value in Exponential RndGen entry with name=@!"}},
     1,
     1,
     [](const double* v) { return rnd::PoissonExponential::check(v[0]) ? 0 : -1; },
     [](const double* v) -> rnd::Gen* { return new rnd::PoissonExponential(v[0]); }},
    {"Poisson",
     {{"lambda", "Missing lambda value in Poisson RndGen entry with name=@!",
       "Wrong lambda value in Poisson RndGen entry with name=@!"}},
     1,
     1,
     [](const double* v) { return rnd::Poisson::check(v[0]) ? 0 : -1; },
     [](const double* v) -> rnd::Gen* { return new rnd::Poisson(v[0]); }},
    {"Bernoulli",
     {{"probTrue", "Missing probTrue value in Bernoulli RndGen entry with name=@!",
       "Wrong probTrue value in Bernoulli RndGen entry with name=@!"}},
     1,
     1,
     [](const double* v) { return rnd::Bernoulli::check(v[0]) ? 0 : -1; },
     [](const double* v) -> rnd::Gen* { return new rnd::Bernoulli(v[0]); }},
    {"Gamma",
     {{"alpha", "Missing alpha value in Gamma RndGen entry with name=@!",
       "Wrong alpha value in Gamma RndGen entry with name=@!"},
      {"beta", "Missing beta value in Gamma RndGen entry with name=@!",
       "Wrong beta value in Gamma RndGen entry with name=@!"}},
     2,
     2,
     [](const double* v) {
         return rnd::PoissonGamma::check(v[0], 1.0) ? 0 : rnd::PoissonGamma::check(v[0], v[1]) ? 1 : -1;
     },
     [](const double* v) -> rnd::Gen* { return new rnd::PoissonGamma(v[0], v[1]); }},
    {"Uniform",
     {{"min", "Missing min value in Uniform real RndGen entry with name=@!",
       "Wrong min value in Uniform real RndGen entry with name=@!"},
      {"max", "Missing max value in Uniform real RndGen entry with name=@!",
       "Wrong max value in Uniform real RndGen entry with name=@!"}},
     2,
     2,
     [](const double* v) { return rnd::Uniform::check(v[0], v[0])   ? 0
                                  : rnd::Uniform::check(v[0], v[1]) ? 1
                                                                    : -1; },
     [](const double* v) -> rnd::Gen* { return new rnd::Uniform(v[0], v[1]); }},
    // The integer uniform kind: a Uniform whose real is not true.
    {"Uniform",
     {{"min", "Missing min value in Uniform int RndGen entry with name=@!",
       "Wrong min value in Uniform int RndGen entry with name=@!"},
      {"max", "Missing max value in Uniform int RndGen entry with name=@!",
       "Wrong max value in Uniform int RndGen entry with name=@!"}},
     2,
     2,
     [](const double* v) { return rnd::UniformInt::check(rnd::toIntBound(v[0]), rnd::toIntBound(v[1])) ? 1 : -1; },
     [](const double* v) -> rnd::Gen* { return new rnd::UniformInt(rnd::toIntBound(v[0]), rnd::toIntBound(v[1])); }},
    {"Gauss",
     {{"mean", "Missing mean value in Gauss RndGen entry with name=@!",
       "Wrong mean value in Gauss RndGen entry with name=@!"},
      {"dev", "Missing dev value in Gauss RndGen entry with name=@!",
       "Wrong dev value in Gauss RndGen entry with name=@!"},
      {"width", nullptr, "Wrong width value in Gauss RndGen entry with name=@!"}},
     2,
     3,
     [](const double* v) { return wrongOfWindow(v, rnd::Gauss::check); },
     [](const double* v) -> rnd::Gen* { return new rnd::Gauss(v[0], v[1], lower(v), upper(v)); }},
    {"LogGauss",
     {{"mean", "Missing mean value in LogGauss RndGen entry with name=@!",
       "Wrong mean value in LogGauss RndGen entry with name=@!"},
      {"dev", "Missing dev value in Gauss LogGauss entry with name=@!",
       "Wrong dev value in LogGauss RndGen entry with name=@!"},
      {"width", nullptr, "Wrong width value in LogGauss RndGen entry with name=@!"}},
     2,
     3,
     [](const double* v) { return wrongOfWindow(v, rnd::LogGauss::check); },
     [](const double* v) -> rnd::Gen* { return new rnd::LogGauss(v[0], v[1], lower(v), upper(v)); }},
    {"ChiSqr",
     {{"k", "Missing k value in ChiSquared RndGen entry with name=@!",
       "Wrong k value in ChiSquared RndGen entry with name=@!"}},
     1,
     1,
     [](const double* v) { return rnd::ChiSquared::check(v[0]) ? 0 : -1; },
     [](const double* v) -> rnd::Gen* { return new rnd::ChiSquared(v[0]); }},
    {"Student",
     {{"n", "Missing n value in ChiSquared RndGen entry with name=@!",
       "Wrong n value in Student RndGen entry with name=@!"}},
     1,
     1,
     [](const double* v) { return rnd::Student::check(v[0]) ? 0 : -1; },
     [](const double* v) -> rnd::Gen* { return new rnd::Student(v[0]); }},
};

// The kind of a type text; a Uniform is the integer kind unless real is
// absent or true.
template <typename TNode>
const GenKind* kindOf(const TNode& gen, const td::StringExt& type)
{
    for (const GenKind& kind : s_kinds)
    {
        if (!isText(&type, kind.type))
            continue;
        const td::StringExt* pReal = gen.getAttribValueStrPtr("real");
        const bool integer = isText(&type, "Uniform") && pReal && !isTrue(pReal);
        return integer ? &kind + 1 : &kind;
    }
    return nullptr;
}
} // namespace

template <typename TNode>
bool XmlModelReader::parseRndGenerators(const TNode& model)
{
    const TNode gen = model.getChildNode("RndGens").getChildNode("RndGen");
    if (gen.isEnd())
        return true;
    _pSolverData->location = SolutionLocation::RndGens;
    RndGenManager& gens = *_pSolverData->pRndGens;
    gens.reserve(gen.getCounter());
    unsigned i = 0;
    for (TNode it = gen; !it.isEnd(); ++it, ++i)
    {
        const td::StringExt* pName = it.getAttribValueStrPtr("name");
        if (!pName)
            return failItem(i, "Missing name in RndGen entry!");
        if (const int first = gens.find(pName->c_str()); first >= 0)
            return failItem(i, "RndGen entry with name=@ defined twice. First position=@!", *pName, first);
        const td::StringExt* pType = it.getAttribValueStrPtr("type");
        if (!pType)
            return failItem(i, "Missing type in RndGen entry!");
        const GenKind* pKind = kindOf(it, *pType);
        if (!pKind)
            return failItem(i, "Unnown type=@ in RndGen with name=@!", *pType, *pName);
        double values[3] = {0, 0, 0};
        for (int p = 0; p < pKind->nParams; ++p)
        {
            if (!it.getAttribValue(pKind->params[p].name, values[p]) && p < pKind->nRequired)
                return failItem(i, pKind->params[p].missing, *pName);
        }
        if (const int wrong = pKind->wrongParam(values); wrong >= 0)
            return failItem(i, pKind->params[wrong].wrong, *pName);
        // The name is new: the manager takes the generator.
        gens.addGen(pName, pKind->make(values));
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

template bool XmlModelReader::parseRndGenerators(const XmlFileNode&);
template bool XmlModelReader::parseRndGenerators(const XmlTextNode&);
} // namespace SL_NS
