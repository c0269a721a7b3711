#pragma once
// A Jacobian as a flat list of entries: one evaluator per non-zero with its
// row and column, or a branch evaluator (if-then-else, switch) whose branch
// evaluators carry their own columns. One fill walks the list once.
#include <expr/Build.h>

#include <cstdint>
#include <vector>

namespace sparse
{
template <typename T, typename TIndex>
class ISolver;
template <typename TIndex, typename T>
class IMatrix;
} // namespace sparse

namespace dense
{
template <typename T>
class DiagMatrix;
template <typename T>
class Matrix;
} // namespace dense

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

    // Puts every entry's value at its (row, column) into the solver.
    void evaluateAndInsertToSolver(sparse::ISolver<Value, int>* pSolver) const;
    // Refills J and adds its weighted normal equations to the solver.
    void evaluateWLSAndInsertToSolver(sparse::IMatrix<int, Value>* pJ, dense::DiagMatrix<double>& W,
                                      dense::Matrix<Value>& r, sparse::ISolver<Value, int>* pSolver) const;
    // Refills J and adds the constraint block after the first offset rows.
    void evaluateECAndAddToSolver(int offset, sparse::IMatrix<int, Value>* pJ, dense::Matrix<Value>& c,
                                  sparse::ISolver<Value, int>* pSolver) const;

    // No entry depends on a symbol or a branch.
    bool isConstant() const;
    std::uint32_t getNoOfNonZeros() const { return _nnz; }
    std::size_t size() const { return _entries.size(); }

private:
    struct Entry
    {
        Evaluator* pEvaluator;
        int row;
        int col; // -1 for branch entries
    };

    template <typename TTarget>
    void fill(TTarget* pTarget) const;

    Workspace* _pWorkspace = nullptr;
    std::vector<Entry> _entries;
    std::uint32_t _nnz = 0;
};
} // namespace SL_NS
