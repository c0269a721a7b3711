#pragma once
// A Jacobian as a flat list of entries: one evaluator per non-zero with its
// row and column, or a branch evaluator (if-then-else, switch) whose branch
// evaluators carry their own columns. One fill walks the list once, putting
// triplets, or writing each value straight into its place in a solver's
// compressed value array once that solver has taken the pattern.
#include <expr/BranchPlaces.h>
#include <expr/Build.h>
#include <expr/ProgramBatches.h>

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
class Evaluator;
class Workspace;

class EvaluatorSparseMatrix
{
public:
    explicit EvaluatorSparseMatrix(int n = 0);

    void reserve(std::size_t n);
    // The workspace of the solver the matrix is filled for.
    void setSolver(Workspace* pWorkspace) { _pWorkspace = pWorkspace; }
    // A program without instructions is a structural zero and adds nothing.
    void addEvaluator(int row, int col, Evaluator* pEvaluator);
    void addIfThenEvaluator(int row, Evaluator* pEvaluator);
    void addSwitchEvaluator(int row, Evaluator* pEvaluator);

    // Groups the entries' programs for batched evaluation (on), or drops the
    // groups (off: every entry runs on the per-token machine). Call once the
    // matrix is complete.
    void setBatched(bool on);
    std::size_t batchedSize() const { return _batches.batchedSize(); }
    // See BatchedPrograms::setThreads.
    bool setThreads(unsigned nThreads) { return _batches.setThreads(nThreads); }

    // Puts every entry's value at its (row, column) into the solver.
    void evaluateAndInsertToSolver(sparse::ISolver<Value, int>* pSolver) const;
    // Refills J with every entry's value: a measurement or constraint
    // Jacobian, whose systems J then adds to a solver.
    void evaluateAndInsertToMatrix(sparse::IMatrix<int, Value>* pJ) const;
    // Refills J with the places of the entries alone (zeros), running no
    // program: the pattern a solver can analyse at compile time. Branch
    // entries, whose places depend on their conditions, are left out.
    void insertPatternToMatrix(sparse::IMatrix<int, Value>* pJ) const;

    // Gives the solver the places of every entry (of every branch of the
    // branch entries, so that the pattern stays whichever branch is taken)
    // to analyse, and keeps the place of each in its value array. False
    // when the solver refuses the pattern: fills then put triplets.
    bool setPatternOf(sparse::ISolver<Value, int>* pSolver);
    // Zeroes that value array and sums each entry's value into its place;
    // places of branches not taken stay zero.
    void evaluateIntoValues(sparse::ISolver<Value, int>* pSolver) const;

    // No entry depends on a symbol or a branch.
    bool isConstant() const;
    // Some entry may change while the parameters stay (see Evaluator).
    bool readsVariables() const;
    // The parameters the entries read, each once, ascending.
    std::vector<std::uint32_t> getParameters() const;
    // Evaluates every entry into values (one per entry, sized on first use);
    // true when a value differs from the one held before (NaN always does).
    bool refreshValues(std::vector<Value>& values) const;
    std::uint32_t getNoOfNonZeros() const { return _nnz; }
    std::size_t size() const { return _entries.size(); }
    // The program of entry i (its row and column aside), for inspecting it.
    const Evaluator* program(std::size_t i) const { return _entries[i].pEvaluator; }

private:
    struct Entry
    {
        Evaluator* pEvaluator;
        int row;
        int col; // -1 for branch entries
    };

    template <typename TTarget>
    void fill(TTarget* pTarget) const;
    bool isBatched() const;
    // Sends the batches' values to the entries' places in the
    // factorisation's value array, once both are known.
    void targetPlaces();

    Workspace* _pWorkspace = nullptr;
    std::vector<Entry> _entries;
    // After setPatternOf: each entry's place (-1 for branch entries) and the
    // places of the branch entries.
    std::vector<int> _places;
    BranchPlaces _branchPlaces;
    // No branch entries and no two entries at one place: each fill writes
    // every place exactly once, so nothing is zeroed or summed.
    bool _writesEveryPlaceOnce = false;
    std::uint32_t _nnz = 0;
    // The batched entries (those without branches) write their values here,
    // at their place in the entry list, before the fill puts them.
    BatchedPrograms _batches;
    std::size_t _nBatchedEntries = 0;
    bool _batchesAtPlaces = false;
    mutable std::vector<Value> _values;
};
} // namespace SL_NS
