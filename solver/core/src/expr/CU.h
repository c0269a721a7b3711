#pragma once
// The stack machine that runs compiled expressions. A program is a list of
// one-byte instructions plus three side lists that the push instructions
// read in order (constants, variable indices, parameter indices). One
// machine serves every evaluator of a solver; between two programs it keeps
// nothing but its value arrays.
#include <Build.h>
#include <Instruction.h>
#include <sc/ISignal.h>

namespace SL_NS
{
class Evaluator;
class Solver;

class CU
{
public:
    // Over the solver's value array (variables first, then parameters) and,
    // for a sub-model, the parent solver's array.
    explicit CU(Solver* pSolver);
    CU(Value* vars, Value* params, Solver* pSolver);

    // Runs the program of e; 0 for a program without instructions.
    Value evaluate(const Evaluator* e);

    void setParentSolver(Solver* pParent) { _pParentSolver = pParent; }
    Solver* getParentSolver() const { return _pParentSolver; }
    Solver* getSolver() const { return _pSolver; }
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
    Solver* _pParentSolver = nullptr;
    Solver* _pSolver = nullptr;
    sc::ISignal* _pBranchObserver = nullptr;
};
} // namespace SL_NS
