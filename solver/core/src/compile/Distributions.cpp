// Random generators (Distribs) and statistics (Stats) of a model: one
// generator per Distribs line from its type and parameter attributes, and
// the statistics with the feeds that assignment lines give them.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/ExpressionPools.h>
#include <expr/RndGenManager.h>
#include <expr/SolverData.h>
#include <expr/StatsManager.h>
#include <math/RndGen.h>

#include <cstring>
#include <memory>

namespace SL_NS
{
namespace
{
using A = sc::AttribID;

// The parameters of one Distribs line, read in the order a kind needs them.
struct DistParams
{
    const RPNDerivParser::ModelIterator& it;
    double values[3] = {0, 0, 0};

    bool read(int k, A id) { return it.getAttribValue(id, values[k]); }
};

// Each kind: its type text, its attributes with the key that reports one
// missing or refused, and how its generator is checked and made.
struct DistKind
{
    const char* type;
    A attribs[2];
    const char* keys[2];
    int nAttribs;
    const char* (*check)(const double* v, bool integer);
    rnd::Gen* (*make)(const double* v, bool integer);
};

// The bounds of a truncation window: mean -+ width / 2 when width > 0.
double lowerBound(const double* v) { return rnd::windowLower(v[0], v[2]); }
double upperBound(const double* v) { return rnd::windowUpper(v[0], v[2]); }

const DistKind s_kinds[] = {
    {"Expo",
     {A::lambda},
     {"@CS.NoLamdaInExponDist"},
     1,
     [](const double* v, bool) { return rnd::PoissonExponential::check(v[0]); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::PoissonExponential(v[0]); }},
    {"ChiSqr",
     {A::k},
     {"@CS.NoKInChiSquaredDist"},
     1,
     [](const double* v, bool) { return rnd::ChiSquared::check(v[0]); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::ChiSquared(v[0]); }},
    {"Uniform",
     {A::min, A::max},
     {"@CS.NoMinInUniformDist", "@CS.NoMaxInUniformDist"},
     2,
     [](const double* v, bool integer) {
         return integer ? rnd::UniformInt::check(rnd::toIntBound(v[0]), rnd::toIntBound(v[1]))
                        : rnd::Uniform::check(v[0], v[1]);
     },
     [](const double* v, bool integer) -> rnd::Gen* {
         if (integer)
             return new rnd::UniformInt(rnd::toIntBound(v[0]), rnd::toIntBound(v[1]));
         return new rnd::Uniform(v[0], v[1]);
     }},
    {"Poisson",
     {A::lambda},
     {"@CS.NoLamdaInPoissonDist"},
     1,
     [](const double* v, bool) { return rnd::Poisson::check(v[0]); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::Poisson(v[0]); }},
    {"Student",
     {A::n},
     {"@CS.NoNInStudentDist"},
     1,
     [](const double* v, bool) { return rnd::Student::check(v[0]); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::Student(v[0]); }},
    {"LogGauss",
     {A::mean, A::dev},
     {"@CS.NoMeanInLogGaussDist", "@CS.NoDevInLogGausDist"},
     2,
     [](const double* v, bool) { return rnd::LogGauss::check(v[0], v[1], lowerBound(v), upperBound(v)); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::LogGauss(v[0], v[1], lowerBound(v), upperBound(v)); }},
    {"Bernoulli",
     {A::p},
     {"@CS.NoPimBernoulliDist"},
     1,
     [](const double* v, bool) { return rnd::Bernoulli::check(v[0]); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::Bernoulli(v[0]); }},
    {"Gamma",
     {A::alpha, A::beta},
     {"@CS.NoAlphaInGammaDist", "@CS.NoBetaInGammaDist"},
     2,
     [](const double* v, bool) { return rnd::PoissonGamma::check(v[0], v[1]); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::PoissonGamma(v[0], v[1]); }},
    {"Gauss",
     {A::mean, A::dev},
     {"@CS.NoMeanInGaussDist", "@CS.NoDevInGaussDist"},
     2,
     [](const double* v, bool) { return rnd::Gauss::check(v[0], v[1], lowerBound(v), upperBound(v)); },
     [](const double* v, bool) -> rnd::Gen* { return new rnd::Gauss(v[0], v[1], lowerBound(v), upperBound(v)); }},
};

const DistKind* kindNamed(const td::StringExt* pType)
{
    for (const DistKind& k : s_kinds)
        if (pType->length() == std::strlen(k.type) && std::memcmp(pType->c_str(), k.type, pType->length()) == 0)
            return &k;
    return nullptr;
}

bool isGauss(const DistKind& k) { return k.attribs[1] == A::dev; }
} // namespace

bool RPNDerivParser::loadDistributions(const sc::Naming* pNaming, sc::ModelLevel level)
{
    const unsigned nLines = _pModel->getNumberOfExpressions(sc::Group::Distribs, level);
    if (nLines == 0)
        return true;
    RndGenManager& gens = *_pSolverData->pRndGens;
    gens.reserve(nLines);
    _pSolverData->location = SolutionLocation::RndGens;
    for (ModelIterator it = _pModel->getGroupIterator(sc::Group::Distribs, level); it.isValid(); ++it)
    {
        const Position line = positionOf(it);
        const td::StringExt* pType = it.getAttribValueStrPtr(A::type);
        if (!pType)
        {
            logAt("@CS.DistNoType", line);
            return false;
        }
        const DistKind* pKind = kindNamed(pType);
        if (!pKind)
        {
            logAt("@CS.UnknowntDistribution", line);
            return false;
        }
        DistParams params {it};
        for (int k = 0; k < pKind->nAttribs; ++k)
            if (!params.read(k, pKind->attribs[k]))
            {
                logAt(pKind->keys[k], line);
                return false;
            }
        if (isGauss(*pKind))
        {
            if (!(params.values[1] > 0))
            {
                logAt("@CS.0DevInGaussDist", line);
                return false;
            }
            params.read(2, A::width);
        }
        double integer = 0;
        const bool isInteger = it.getAttribValue(A::integer, integer) && integer != 0;
        // Parameters the distribution cannot draw with are refused with the
        // key of the kind's first parameter.
        if (pKind->check(params.values, isInteger))
        {
            logAt(pKind->keys[0], line);
            return false;
        }
        std::unique_ptr<rnd::Gen> pGen;
        try
        {
            pGen.reset(pKind->make(params.values, isInteger));
        }
        catch (const std::exception&)
        {
            logAt("@CS.UnknowntDistribution", line);
            return false;
        }
        const sc::_TokV& name = it.getToken(0);
        if (name.code != sc::Token::Distrib) // the line names no declared generator
        {
            logAt("@CS.UnknowntDistribution", line);
            return false;
        }
        const td::StringExt* pName = pNaming->getUserLabelName(sc::UserLabel::Distrib, name.id, level);
        if (gens.addGen(pName, pGen.get()) < 0)
        {
            logAt("@CS.UnknowntDistribution", line);
            return false;
        }
        pGen.release();
    }
    return true;
}

void RPNDerivParser::loadStats(const sc::Naming* pNaming, sc::ModelLevel level)
{
    const unsigned n = pNaming->getNumberOfUserLabels(sc::UserLabel::Stat, level);
    if (n == 0)
        return;
    StatsManager& stats = *_pSolverData->pStats;
    stats.reserve(n);
    for (unsigned i = 0; i < n; ++i)
    {
        stats.setName(i, *pNaming->getUserLabelName(sc::UserLabel::Stat, i, level));
        stats.getInputs(i).setSolver(&solver());
    }
}

int RPNDerivParser::parseStatsAssignment(const ModelIterator& it, unsigned firstToken)
{
    const sc::_tl& line = it.getLine();
    if (line.nTokens <= firstToken + 2)
    {
        logAt("@CS.StatAssNotOK", it, firstToken);
        return -1;
    }
    const sc::_TokV& name = it.getToken(firstToken);
    if (name.code != sc::Token::Stat)
    {
        logAt("@CS.StatsToNotStatVar", it, firstToken);
        return -1;
    }
    unsigned nFeeds = 0;
    for (unsigned k = firstToken + 1; k < line.nTokens; ++k)
    {
        if (it.getToken(k).code == it.getToken(k - 1).code)
        {
            logAt("@CS.StatsStrWrongExpr", it, k);
            return -1;
        }
        nFeeds += it.getToken(k).code == sc::Token::ShiftLeft;
    }
    const int index = int(name.id);
    EvaluatorVect& inputs = _pSolverData->pStats->getInputs(std::size_t(index));
    inputs.reserve(nFeeds);
    inputs.setSolver(&solver());
    // Each << opens a feed that runs to the next << or the end of the line.
    unsigned k = firstToken + 1;
    while (k < line.nTokens)
    {
        const unsigned first = k + 1;
        unsigned end = first;
        while (end < line.nTokens && it.getToken(end).code != sc::Token::ShiftLeft)
            ++end;
        if (end == first)
        {
            logAt("@CS.EmptyStatAsssignment", it, k);
            return -1;
        }
        _lastUsed.clean();
        clearTokenList();
        sc::ExpressionType type;
        if (!createTokenList(_pModel->getExpressionTokens(), it, first, type, end))
        {
            logAt("@CS.StatsCannotCreateExpr", it, firstToken);
            return -1;
        }
        if (type != sc::ExpressionType::Plain)
        {
            logAt("@CS.StatsWronExpType", it, firstToken);
            return -1;
        }
        ExpressionTree tree;
        bindTree(tree);
        if (!tree.makeExpressionTree(&getTokenList(), type))
        {
            logAt("@CS.StatsCannotMakeExpressionTree", it, firstToken);
            return -1;
        }
        Evaluator* e = _pSolverData->pPools->evaluators.getEntry();
        if (!tree.createPostFix(e))
        {
            logAt("@CS.StatsCannotMakePostfix", it, firstToken);
            return -1;
        }
        inputs.addEvaluator(e);
        k = end;
    }
    return index;
}
} // namespace SL_NS
