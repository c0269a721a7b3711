#pragma once
// One compiled expression: a postfix program for the stack machine, or a
// shortcut for a program of one constant or symbol, or a node that chooses
// between branches (if-then-else, switch). Evaluators are plain records from
// the solver's evaluator pool and are never freed one by one.
#include <expr/Build.h>
#include <expr/Instruction.h>
#include <expr/Token.h>
#include <sc/ISignal.h>

#include <cstdint>
#include <vector>

namespace sparse
{
template <typename T, typename TIndex>
class ISolver;
template <typename TIndex, typename T>
class IMatrix;
} // namespace sparse

namespace SL_NS
{
class CU;
struct SolverData;

class Evaluator
{
public:
    enum class Type : std::uint8_t
    {
        Program = 0,
        Constant,
        Parameter,
        Variable,
        IfThenElse,
        Switch,
        Block,
        Statistics,
        ParentValue, // one symbol of the parent model
        SharedValue  // one value shared by several programs
    };

    // Where an assignment stores its value.
    enum class AssignmentType : std::uint8_t
    {
        Variable = 0,
        Parameter,
        Parent,
#if SL_COMPLEX
        ParentReal,
        ParentImag,
        VariableReal,
        VariableImag,
        ParameterReal,
        ParameterImag,
#endif
        None // the assignment fails
    };

    Evaluator() = default;
    Evaluator(SolverData* pData, unsigned nInstructions, unsigned nConstants, unsigned nVars, unsigned nParams);

    // Takes the lists from the solver data's pools: a program of one
    // instruction needs none and becomes a shortcut.
    void alocateSpace(SolverData* pData, unsigned nInstructions, unsigned nConstants, unsigned nVars, unsigned nParams);

    // Appends one token of a postfix program. False for an operation the
    // machine has no instruction for and for a token that would take more
    // values than the stack holds.
    bool addToken(const Token* pToken, unsigned nVars);
    // The program has left one value and never more than the stack holds.
    bool isBalanced() const;
    int getMaxStackDepth() const { return _maxDepth; }
    unsigned getNoOfInstructions() const { return _nInstructions; }
    // A program's lists, for printing it.
    const Instruction* getInstructions() const { return _pInstructionLst; }
    const Value* getConstants() const { return _pConstData; }
    const std::uint32_t* getVariableIndices() const { return _pIndVars; }
    const std::uint32_t* getParameterIndices() const { return _pIndParams; }
    std::uint32_t getNoOfConstants() const { return _nConsts; }
    std::uint32_t getNoOfVariables() const { return _nVars; }
    std::uint32_t getNoOfParameters() const { return _nParams; }
    // A shortcut's value (Constant) or the index of its symbol or slot.
    const Value& getConstant() const { return _constant; }
    std::uint32_t getSymbolIndex() const { return _symbolIndex; }

    Value evaluate(CU& cu) const;
    bool evaluateAssignment(CU& cu) const;
    // Depends on no symbol, branch, limit, generator or statistic.
    bool isConstant() const;
    // May change while the parameters stay: reads a variable, a shared value
    // (which may read one), the parent model, a branch, a limit, a generator
    // or a statistic.
    bool readsVariables() const;
    // Appends the indices of the parameters a program (or a parameter
    // shortcut) reads; for one that reads no variable, these are its inputs.
    void collectParameters(std::vector<std::uint32_t>& indices) const;

    // Branch forms.
    void setIfThenElse(Evaluator* pCondition, Evaluator* pThen, unsigned nThen, Evaluator* pElse, unsigned nElse);
    // A switch case: its condition (null for the default case) and its run of
    // evaluators; the head of a switch is its first case.
    void setSwitchCase(Evaluator* pCondition, Evaluator* pCase, unsigned nCase);
    void setNextCaseEvaluator(Evaluator* pNext);
    // A branch evaluator's condition (null for a default case); a switch case's next case.
    Evaluator* getCondition() const { return _pCondition; }
    Evaluator* getNextCase() const { return _pElse; }
    void setNoOfNonZeros(unsigned n);
    void setBlock(Evaluator* pChildren, unsigned n);
    void setStatistics(int statIndex);
    unsigned getNoOfThenEvaluators() const;
    unsigned getNoOfElseEvaluators() const;
    unsigned getNoOfNonZeros() const;

    // The symbol an assignment writes (or a Jacobian column of a branch
    // evaluator), where, and with which operator ('=', '+', '-', '*', '/', '^').
    void setVariableIndex(int index, AssignmentType type, char op = '=');
#if SL_COMPLEX
    // part 0 the whole value, 1 the real part, other the imaginary part.
    void setVariableIndex(int index, unsigned char isVariable, unsigned char part, unsigned char parentModel, char op);
#endif
    int getVariableIndex() const { return _varIndex; }
    AssignmentType getAssignmentType() const { return _assignmentType; }
    char getAssignmentOperator() const { return _assignOper; }
    void setSignal(sc::ISignal::Type t) { _branchCode = t; }
    void setBlockFlag(bool on) { _blockFlag = on; }
    Type getType() const { return _type; }

    // Puts the entries of the branch the conditions select at (row, column of
    // each branch evaluator).
    template <typename TTarget>
    void addTripletsToSolver(CU& cu, TTarget* pTarget, int row) const;
    template <typename TTarget>
    void addSwitchTripletsToSolver(CU& cu, TTarget* pTarget, int row) const;
    // Appends the column of every entry any branch of this if-then-else or
    // switch may put, in a fixed order (a column may repeat).
    void collectBranchColumns(std::vector<int>& cols) const;

private:
    friend class CU;

    // The selected branch: its first evaluator and count; null for none.
    const Evaluator* selectBranch(CU& cu, unsigned& count) const;
    const Evaluator* selectCase(CU& cu) const;
    bool runAssignments(CU& cu, const Evaluator* pRun, unsigned n) const;
    // Stores value into the assignment's target with its operator.
    bool store(CU& cu, const Value& value) const;
    void pushInstruction(Instruction i, int nOperands);
    // Merges the arithmetic operation just written with the push before it, or
    // a product with the two pushes before it, into one instruction.
    void fuseWithPushes();

    // Program lists, or the branch links of the other kinds.
    union
    {
        const Value* _pConstData = nullptr;
        Evaluator* _pCondition;
        std::uint32_t _symbolIndex;
    };
    union
    {
        std::uint32_t* _pIndVars = nullptr;
        Evaluator* _pThen; // also a switch case's run
    };
    union
    {
        std::uint32_t* _pIndParams = nullptr;
        Evaluator* _pElse; // also a switch case's next case
    };
    Instruction* _pInstructionLst = nullptr;
    Value _constant {};
    std::uint32_t _nConsts = 0; // if-then-else: then count; switch case: case count
    std::uint32_t _nVars = 0;   // if-then-else: else count; switch head: non-zeros
    std::uint32_t _nParams = 0;
    std::uint32_t _nInstructions = 0;
    std::int32_t _varIndex = -1;
    AssignmentType _assignmentType = AssignmentType::Parameter;
    Type _type = Type::Program;
    sc::ISignal::Type _branchCode = sc::ISignal::Type::None;
    bool _blockFlag = true;
    char _assignOper = '=';
    // While the program is written: values on the stack now and at most.
    std::int16_t _depth = 0;
    std::int16_t _maxDepth = 0;
    bool _refused = false;
};

// target op= value for the assignment operators '=', '+', '-', '*', '/', '^'.
void processAssingment(Value& target, const Value& value, char op);
#if SL_COMPLEX
// The same on one part of target (the type's real or imaginary part) with
// the real part of value.
void processAssingmentCmplxPart(Value& target, const Value& value, Evaluator::AssignmentType type, char op);
#endif
} // namespace SL_NS
