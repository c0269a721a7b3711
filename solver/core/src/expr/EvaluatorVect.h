#pragma once
// A list of evaluators evaluated together: the equations f(x), the
// assignments of a group, the inputs of a statistic.
#include <Build.h>
#include <math/Stats.h>

#include <cstddef>
#include <vector>

namespace SL_NS
{
class CU;
class Evaluator;
class Solver;

class EvaluatorVect
{
public:
    explicit EvaluatorVect(int n = 0);

    // Room for n; the list is emptied when the room changes.
    void reserve(std::size_t n);
    void addEvaluator(Evaluator* pEvaluator) { _evaluators.push_back(pEvaluator); }
    void setSolver(Solver* pSolver) { _pSolver = pSolver; }
    // An array that replaces the solver's variable values in later evaluations.
    void setVariableValues(Value* pValues) { _pVarValues = pValues; }

    std::size_t size() const { return _evaluators.size(); }
    Evaluator* operator[](std::size_t i) const { return _evaluators[i]; }

    // out[i] = scale * f_i (no multiplication for scale 1).
    void evaluate(Value* out, double scale) const;
    // The same, and norm = the largest |out[i]| (complex: of max(|Re|, |Im|)),
    // NaN when any value is NaN.
    void evaluateScale(Value* out, double scale, double& norm) const;
    // Runs every assignment on a machine over pSolver; false at the first
    // that fails or a missing one.
    bool evaluateAssignments(Solver* pSolver);
    // Inserts the value of every evaluator (complex: its real part).
    void evaluateAndInsertToStats(CU& cu, math::Stats<double>& stats) const;

private:
    Solver* _pSolver = nullptr;
    Value* _pVarValues = nullptr;
    std::vector<Evaluator*> _evaluators;
};
} // namespace SL_NS
