#pragma once
// The stack machine that runs compiled expressions. A program is a list of
// one-byte instructions plus three side lists that the push instructions
// read in order (constants, variable indices, parameter indices). One
// machine serves every evaluator of a solver; between two programs it keeps
// nothing but its value arrays.
#include <expr/Build.h>
#include <expr/Instruction.h>
#include <sc/ISignal.h>

namespace SL_NS
{
class Evaluator;
class Workspace;

class CU
{
public:
    // Over the workspace's value array (variables first, then parameters)
    // and, for a sub-model, the parent's array.
    explicit CU(Workspace* pWorkspace);

    // Runs the program of e; 0 for a program without instructions.
    Value evaluate(const Evaluator* e);

    // The workspace that assignments to parent symbols write.
    void setParentSolver(Workspace* pParent) { _pParentSolver = pParent; }
    Workspace* getParentSolver() const { return _pParentSolver; }
    Workspace* getWorkspace() const { return _pWorkspace; }
    void setBranchObserver(sc::ISignal* pObserver) { _pBranchObserver = pObserver; }
    sc::ISignal* getBranchObserver() const { return _pBranchObserver; }
    void setVariableValues(Value* vars) { _pVariableValues = vars; }

    Value* getVariableValues() const { return _pVariableValues; }
    Value* getParamValues() const { return _paramValues; }
    Value* getParentValues() const { return _pParentValues; }
    const Value* getSharedValues() const { return _pSharedValues; }

private:
    Value statistic(Instruction op, const Value& index) const;
    Value draw(const Value& index) const;
    Value limit(const Value& packed) const;

    Value _evalStack[CU_STACK_SIZE + 1]; // the first slot is never written
    Value* _pVariableValues = nullptr;
    Value* _paramValues = nullptr;
    Value* _pParentValues = nullptr;
    const Value* _pSharedValues = nullptr;
    Workspace* _pParentSolver = nullptr;
    Workspace* _pWorkspace = nullptr;
    sc::ISignal* _pBranchObserver = nullptr;
};
} // namespace SL_NS
