#pragma once
// The sparse solver: a system assembled entry by entry, compressed by
// columns and handed to a factorisation (KLU's LU, or CHOLMOD's Cholesky
// for the symmetric kinds). Its pattern is compressed and analysed once;
// every later fill with the same (row, column) sequence is scattered
// through the cached map and only factorised numerically. A pattern set up
// front is held as such a fill of zeros, so both paths share one analysis.
#include <mu/Assert.h>
#include <sparse/ISolver.h>
#include <sparse/Options.h>
#include <sparse/priv/CompressedPattern.h>
#include <sparse/priv/TripletStore.h>
#include <vector>

namespace sparse::priv
{
template <typename T, typename Factors>
class FactorSolver final : public ISolver<T, int>
{
public:
    using Statistics = typename Factors::Statistics;

    FactorSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting, Ordering ordering);
    FactorSolver(const FactorSolver&) = delete;
    FactorSolver& operator=(const FactorSolver&) = delete;

    void put(int row, int col, T value) override
    {
        if (isInRange(row) && isInRange(col))
            _triplets.put(row, col, value);
        else
            _hasStrayEntry = true;
    }

    const T* solutionValue(int i) const override
    {
        MU_ASSERT(i >= 0 && i < _n);
        return &_solution[size_t(i)];
    }

    bool analyse() override;
    bool factorise() override;
    bool solve() override;
    bool solve(const T* rhs, T* x) override;
    void release() override { delete this; }
    void reset() override;

    void putRHS(int row, T value) override
    {
        if (isInRange(row))
            _rhs[size_t(row)] += value;
        else
            _hasStrayEntry = true;
    }

    bool setPattern(const int* rows, const int* cols, size_t count) override;
    // none after a refused pattern, whose array is not the system's
    T* values() override { return _isAnalysed ? _values.data() : nullptr; }
    const int* places() const override { return _csc.places(); }
    int nonZeros() const override { return _csc.nonZeros(); }
    bool factoriseValues() override;
    unsigned getNoOfAnalyses() const override { return getStatistics().analyses; }
    void shareWork(IParallel* pThreads) override { _factors.shareWork(pThreads); }

    const Statistics& getStatistics() const { return _factors.getStatistics(); }

private:
    ~FactorSolver() = default;

    bool isInRange(int i) const { return unsigned(i) < unsigned(_n); }
    bool isPatternAnalysed() const { return _isAnalysed && _triplets.isSamePattern(); }
    bool solveRefined(const T* rhs, T* x);

    int _n;
    // A negative size describes no system: such a solver never factorises.
    const bool _isSizeValid;
    SolverType _type;
    TripletStore<T> _triplets;
    CompressedPattern _csc;
    std::vector<T> _values;   // the assembled matrix, in _csc order
    std::vector<T> _rhs;      // assembled by putRHS, for solve()
    std::vector<T> _solution; // of solve()
    std::vector<T> _work;     // residual and right-hand-side copy of refinement
    Factors _factors;
    bool _isAnalysed = false;
    bool _factorised = false;
    // An entry of this fill fell outside the system (a Jacobian entry with a
    // bad column, say): the fill is not the system meant, so it must not
    // factorise. Cleared by reset().
    bool _hasStrayEntry = false;
};
} // namespace sparse::priv
