#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/EvaluatorVect.h>
#include <expr/Workspace.h>
#include <math/Magnitude.h>
#include <mu/Assert.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace SL_NS
{
namespace
{
double realPart(const Value& v)
{
#if SL_COMPLEX
    return v.real();
#else
    return v;
#endif
}
} // namespace

EvaluatorVect::EvaluatorVect(int n) { reserve(std::size_t(std::max(n, 0))); }

void EvaluatorVect::reserve(std::size_t n)
{
    _batches.clear();
    if (n == _evaluators.capacity())
        return;
    std::vector<Evaluator*>().swap(_evaluators);
    _evaluators.reserve(n);
}

void EvaluatorVect::setBatched(bool on)
{
    _batches.clear();
    if (!on)
        return;
    std::vector<std::uint32_t> dests(_evaluators.size());
    std::iota(dests.begin(), dests.end(), 0u);
    _batches.build(_evaluators, dests, false);
}

void EvaluatorVect::evaluate(Value* out, double scale) const
{
    CU cu(_pWorkspace);
    if (_pVarValues)
        cu.setVariableValues(_pVarValues);
    const std::size_t n = _evaluators.size();
    // Groups made before the list grew no longer cover it.
    if (!_batches.empty() && _batches.size() == n)
        _batches.evaluate(cu, out);
    else
        for (std::size_t i = 0; i < n; ++i)
            out[i] = _evaluators[i] ? _evaluators[i]->evaluate(cu) : Value(0);
    if (scale != 1.0)
        for (std::size_t i = 0; i < n; ++i)
            out[i] *= scale;
}

void EvaluatorVect::evaluateScale(Value* out, double scale, double& norm) const
{
    evaluate(out, scale);
    // A NaN residual makes the norm NaN, so it never passes as converged.
    // No branch in the loop, so that it vectorises.
    norm = 0;
    bool nan = false;
    for (std::size_t i = 0; i < _evaluators.size(); ++i)
    {
        const double m = math::magnitude(out[i]);
        nan |= std::isnan(m);
        norm = std::max(norm, m);
    }
    if (nan)
        norm = std::numeric_limits<double>::quiet_NaN();
}

bool EvaluatorVect::evaluateAssignments(Workspace* pWorkspace)
{
    if (!_pWorkspace)
        _pWorkspace = pWorkspace;
    MU_ASSERT_MSG(_pWorkspace == pWorkspace, "_pWorkspace == pWorkspace");
    CU cu(pWorkspace);
    cu.setParentSolver(pWorkspace->_parentSolver);
    for (Evaluator* e : _evaluators)
        if (!e || !e->evaluateAssignment(cu))
            return false;
    return true;
}

void EvaluatorVect::evaluateAndInsertToStats(CU& cu, math::Stats<double>& stats) const
{
    for (Evaluator* e : _evaluators)
        if (e)
            stats.insert(realPart(e->evaluate(cu)));
}
} // namespace SL_NS
