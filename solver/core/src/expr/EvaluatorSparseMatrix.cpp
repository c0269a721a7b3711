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
    // The places belong to the entries held before.
    _places.clear();
    _branchPlaces.clear();
    _writesEveryPlaceOnce = false;
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
    _batchesAtPlaces = false;
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
    targetPlaces();
}

bool EvaluatorSparseMatrix::isBatched() const { return !_batches.empty() && _nBatchedEntries == _entries.size(); }

void EvaluatorSparseMatrix::targetPlaces()
{
    // Only when every entry has a place of its own: then the batches write
    // the factorisation's values directly.
    if (!isBatched() || _batchesAtPlaces || !_writesEveryPlaceOnce || _places.size() != _entries.size())
        return;
    std::vector<std::uint32_t> map(_places.begin(), _places.end());
    _batches.remapDestinations(map);
    _batchesAtPlaces = true;
}

template <typename TTarget>
void EvaluatorSparseMatrix::fill(TTarget* pTarget) const
{
    CU cu(_pWorkspace);
    // Groups made before the matrix grew no longer cover it; groups that
    // write the factorisation's places serve only that road.
    const bool batched = isBatched() && !_batchesAtPlaces;
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

bool EvaluatorSparseMatrix::setPatternOf(sparse::ISolver<Value, int>* pSolver)
{
    // A new solver's places: the batches go back to the entries' order first.
    _places.clear();
    _branchPlaces.clear();
    _writesEveryPlaceOnce = false;
    if (_batchesAtPlaces)
        setBatched(true);
    // Entry i has the pattern entries firsts[i] .. firsts[i + 1] - 1.
    std::vector<std::size_t> firsts;
    std::vector<int> rows;
    std::vector<int> cols;
    firsts.reserve(_entries.size() + 1);
    rows.reserve(_entries.size());
    cols.reserve(_entries.size());
    for (const Entry& e : _entries)
    {
        firsts.push_back(cols.size());
        if (e.col >= 0)
            cols.push_back(e.col);
        else
            e.pEvaluator->collectBranchColumns(cols);
        rows.resize(cols.size(), e.row);
    }
    firsts.push_back(cols.size());
    if (!pSolver->setPattern(rows.data(), cols.data(), rows.size()))
        return false;
    const int* places = pSolver->places();
    _places.resize(_entries.size(), -1);
    for (std::size_t i = 0; i < _entries.size(); ++i)
    {
        if (_entries[i].col >= 0)
            _places[i] = places[firsts[i]];
        else
            for (std::size_t k = firsts[i]; k < firsts[i + 1]; ++k)
                _branchPlaces.add(rows[k], cols[k], places[k]);
    }
    _branchPlaces.sort();
    _writesEveryPlaceOnce = size_t(pSolver->nonZeros()) == rows.size() && _branchPlaces.empty();
    targetPlaces();
    return true;
}

void EvaluatorSparseMatrix::evaluateIntoValues(sparse::ISolver<Value, int>* pSolver) const
{
    Value* values = pSolver->values();
    // no places of this solver's pattern: nothing to write into
    if (!values || _places.size() != _entries.size())
        return;
    CU cu(_pWorkspace);
    // Plain stores, nothing zeroed first: a sum would wait for the value
    // held at its place, and places (by columns) lie far apart in the
    // entries' order (by rows).
    if (_batchesAtPlaces)
        return _batches.evaluate(cu, values);
    if (_writesEveryPlaceOnce)
    {
        for (std::size_t k = 0; k < _entries.size(); ++k)
            values[_places[k]] = _entries[k].pEvaluator->evaluate(cu);
        return;
    }
    const bool batched = isBatched();
    if (batched)
        _batches.evaluate(cu, _values.data());
    std::fill(values, values + pSolver->nonZeros(), Value {});
    BranchPlaces::Writer branches {_branchPlaces, values};
    for (std::size_t k = 0; k < _entries.size(); ++k)
    {
        const Entry& e = _entries[k];
        if (e.col >= 0)
            values[_places[k]] += batched ? _values[k] : e.pEvaluator->evaluate(cu);
        else if (e.pEvaluator->getType() == EType::Switch)
            e.pEvaluator->addSwitchTripletsToSolver(cu, &branches, e.row);
        else
            e.pEvaluator->addTripletsToSolver(cu, &branches, e.row);
    }
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
