#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/EvaluatorSparseMatrix.h>
#include <expr/Workspace.h>
#include <mu/Assert.h>
#include <sparse/IMatrix.h>
#include <sparse/ISolver.h>

#include <algorithm>

namespace SL_NS
{
using EType = Evaluator::Type;

EvaluatorSparseMatrix::EvaluatorSparseMatrix(int n) { reserve(std::size_t(std::max(n, 0))); }

void EvaluatorSparseMatrix::reserve(std::size_t n)
{
    setBatched(false);
    if (n == _entries.capacity())
        return;
    std::vector<Entry>().swap(_entries);
    _entries.reserve(n);
    _nnz = 0;
}

void EvaluatorSparseMatrix::addEvaluator(int row, int col, Evaluator* pEvaluator)
{
    MU_ASSERT_MSG(pEvaluator && col >= 0, "pEvaluator && col >= 0");
    if (pEvaluator->getType() == EType::Program && pEvaluator->getNoOfInstructions() == 0)
        return;
    _entries.push_back({pEvaluator, row, col});
    ++_nnz;
}

void EvaluatorSparseMatrix::addIfThenEvaluator(int row, Evaluator* pEvaluator)
{
    _entries.push_back({pEvaluator, row, -1});
    _nnz += std::max(pEvaluator->getNoOfThenEvaluators(), pEvaluator->getNoOfElseEvaluators());
}

void EvaluatorSparseMatrix::addSwitchEvaluator(int row, Evaluator* pEvaluator)
{
    _entries.push_back({pEvaluator, row, -1});
    _nnz += pEvaluator->getNoOfNonZeros();
}

void EvaluatorSparseMatrix::setBatched(bool on)
{
    _batches.clear();
    _values.clear();
    _nBatchedEntries = 0;
    if (!on)
        return;
    std::vector<Evaluator*> programs;
    std::vector<std::uint32_t> dests;
    for (std::uint32_t k = 0; k < _entries.size(); ++k)
        if (_entries[k].col >= 0)
        {
            programs.push_back(_entries[k].pEvaluator);
            dests.push_back(k);
        }
    _batches.build(programs, dests, false);
    _values.assign(_entries.size(), Value {});
    _nBatchedEntries = _entries.size();
}

template <typename TTarget>
void EvaluatorSparseMatrix::fill(TTarget* pTarget) const
{
    CU cu(_pWorkspace);
    // Groups made before the matrix grew no longer cover it.
    const bool batched = !_batches.empty() && _nBatchedEntries == _entries.size();
    if (batched)
        _batches.evaluate(cu, _values.data());
    for (std::size_t k = 0; k < _entries.size(); ++k)
    {
        const Entry& e = _entries[k];
        // Only a branch entry has no column; a batched entry's evaluator is
        // not touched at all.
        if (e.col >= 0)
            pTarget->put(e.row, e.col, batched ? _values[k] : e.pEvaluator->evaluate(cu));
        else if (e.pEvaluator->getType() == EType::Switch)
            e.pEvaluator->addSwitchTripletsToSolver(cu, pTarget, e.row);
        else
            e.pEvaluator->addTripletsToSolver(cu, pTarget, e.row);
    }
}

void EvaluatorSparseMatrix::evaluateAndInsertToSolver(sparse::ISolver<Value, int>* pSolver) const { fill(pSolver); }

void EvaluatorSparseMatrix::evaluateAndInsertToMatrix(sparse::IMatrix<int, Value>* pJ) const
{
    pJ->reset();
    fill(pJ);
}

void EvaluatorSparseMatrix::insertPatternToMatrix(sparse::IMatrix<int, Value>* pJ) const
{
    pJ->reset();
    for (const Entry& e : _entries)
        if (e.col >= 0)
            pJ->put(e.row, e.col, Value {});
}

bool EvaluatorSparseMatrix::isConstant() const
{
    return std::all_of(_entries.begin(), _entries.end(), [](const Entry& e) { return e.pEvaluator->isConstant(); });
}

bool EvaluatorSparseMatrix::readsVariables() const
{
    return std::any_of(_entries.begin(), _entries.end(), [](const Entry& e) { return e.pEvaluator->readsVariables(); });
}

std::vector<std::uint32_t> EvaluatorSparseMatrix::getParameters() const
{
    std::vector<std::uint32_t> indices;
    for (const Entry& e : _entries)
        e.pEvaluator->collectParameters(indices);
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

bool EvaluatorSparseMatrix::refreshValues(std::vector<Value>& values) const
{
    bool changed = values.size() != _entries.size();
    values.resize(_entries.size());
    CU cu(_pWorkspace);
    for (std::size_t k = 0; k < _entries.size(); ++k)
    {
        const Value v = _entries[k].pEvaluator->evaluate(cu);
        changed |= !(v == values[k]);
        values[k] = v;
    }
    return changed;
}
} // namespace SL_NS
