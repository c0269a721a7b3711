#pragma once
// A list of evaluators evaluated together: the equations f(x), the
// assignments of a group, the inputs of a statistic.
#include <expr/Build.h>
#include <expr/ProgramBatches.h>
#include <math/Stats.h>

#include <cstddef>
#include <span>
#include <vector>

namespace SL_NS
{
class CU;
class Evaluator;
class Workspace;

class EvaluatorVect
{
public:
    explicit EvaluatorVect(int n = 0);

    // Room for n; the list is emptied when the room changes.
    void reserve(std::size_t n);
    void addEvaluator(Evaluator* pEvaluator) { _evaluators.push_back(pEvaluator); }
    // The workspace of the solver the list evaluates for.
    void setSolver(Workspace* pWorkspace) { _pWorkspace = pWorkspace; }
    // An array that replaces the workspace's variable values in later evaluations.
    void setVariableValues(Value* pValues) { _pVarValues = pValues; }

    std::size_t size() const { return _evaluators.size(); }

    // Groups the programs for batched evaluation (on), or drops the groups so
    // that every program runs on the per-token machine (off). Call once the
    // list is complete; the values agree either way.
    void setBatched(bool on);
    std::size_t batchedSize() const { return _batches.batchedSize(); }
    // See BatchedPrograms::setThreads.
    bool setThreads(unsigned nThreads) { return _batches.setThreads(nThreads); }
    Evaluator* operator[](std::size_t i) const { return _evaluators[i]; }
    std::span<Evaluator* const> evaluators() const { return _evaluators; }

    // out[i] = scale * f_i (no multiplication for scale 1).
    void evaluate(Value* out, double scale) const;
    // The same, and norm = the largest |out[i]| (complex: of max(|Re|, |Im|)),
    // NaN when any value is NaN.
    void evaluateScale(Value* out, double scale, double& norm) const;
    // Runs every assignment on a machine over pWorkspace; false at the first
    // that fails or a missing one.
    bool evaluateAssignments(Workspace* pWorkspace);
    // Inserts the value of every evaluator (complex: its real part).
    void evaluateAndInsertToStats(CU& cu, math::Stats<double>& stats) const;

private:
    Workspace* _pWorkspace = nullptr;
    Value* _pVarValues = nullptr;
    std::vector<Evaluator*> _evaluators;
    BatchedPrograms _batches;
};
} // namespace SL_NS
