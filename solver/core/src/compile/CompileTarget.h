#pragma once
// The part of a solver that a model compile fills: its workspace, the
// evaluator groups (the residuals f(x), the shared values, the supplementary
// groups) and the solvers of the sub-model. The compiler knows no solver
// class; a solver is a compile target and makes the child solvers.
#include <expr/Build.h>
#include <expr/EvaluatorVect.h>
#include <expr/Workspace.h>
#include <sc/ILog.h>
#include <sc/ISolver.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace SL_NS
{
class EvaluatorSparseMatrix;
struct SolverData;

class CompileTarget : public Workspace
{
public:
    CompileTarget() = default;
    virtual ~CompileTarget() = default;

    // A child solver of this one for a sub-model of the given model type
    // (0 non-linear); null for a type without a solver.
    virtual sc::ISolver<Value>* createSolver(sc::ILog* pLog, std::uint8_t modelType, unsigned maxIter, double precision,
                                             unsigned short line) = 0;
    // Compiles a child model of an XML model's Init section into pChild, a
    // solver that createSolver made: compile fills the data and the Jacobian
    // that the child hands it. False when the compile fails or the child's
    // kind reads no such model.
    using ChildCompile = std::function<bool(CompileTarget& child, SolverData& data, EvaluatorSparseMatrix& jacobian)>;
    virtual bool compileChild(sc::ISolver<Value>* pChild, const ChildCompile& compile) = 0;
    // A sub-model takes the parent's shared parameters into its own.
    void copyParamsFromParent();
    // A child model of an XML model shares the parent's first count
    // parameters as its own first ones.
    void shareParentParams(unsigned count)
    {
        _nCopiedParams = count;
        _firstCopiedParam = 0;
    }
    unsigned sharedParentParams() const { return _nCopiedParams; }
    bool isDerivTestMode() const { return _derivTestMode; }

    // Evaluator groups of the model; the residuals f(x).
    EvaluatorVect _fx;
    // The programs of the shared values, in the order they are computed
    // (a slot's program may read the slots made before it), and the slot
    // of each.
    EvaluatorVect _shared;
    std::vector<std::uint32_t> _sharedSlots;
    // Dynamic models: the programs of the values that stay the same through
    // a time step, and the shared slot of each.
    EvaluatorVect _stepConstants;
    std::vector<std::uint32_t> _stepConstantSlots;
    EvaluatorVect _reInit;
    EvaluatorVect _preProc;
    EvaluatorVect _iterPostP;
    EvaluatorVect _basePostP;
    EvaluatorVect _postProc;
    EvaluatorVect _repeats;
    std::vector<sc::ISolver<Value>*> _subModels;

protected:
    unsigned _nCopiedParams = 0;
    unsigned _firstCopiedParam = 0;
    bool _derivTestMode = false;
};
} // namespace SL_NS
