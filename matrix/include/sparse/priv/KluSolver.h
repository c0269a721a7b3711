#pragma once
// The sparse solver over KLU. Its life cycle follows KLU's: the pattern is
// compressed and analysed (ordering) once, factorised, and every later fill
// with the same (row, column) sequence is scattered through the cached map
// and refactorised with the pivot order of the last full factorisation.
#include <klu.h>
#include <mu/Assert.h>
#include <sparse/ISolver.h>
#include <sparse/Options.h>
#include <sparse/priv/CompressedPattern.h>
#include <sparse/priv/TripletStore.h>
#include <vector>

namespace sparse::priv
{
template <typename T>
class KluSolver final : public ISolver<T, int>
{
public:
    // How the factorisations came about: tests and benchmarks check the path taken.
    struct Statistics
    {
        unsigned analyses = 0;         // compress + klu_analyze
        unsigned factorisations = 0;   // klu_factor (with pivoting)
        unsigned refactorisations = 0; // klu_refactor kept
    };

    KluSolver(int n, int capacity, Symmetry symmetry, SolverType type, Pivoting pivoting, Ordering ordering);
    KluSolver(const KluSolver&) = delete;
    KluSolver& operator=(const KluSolver&) = delete;

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

    bool factorise() override;
    bool solve() override;
    bool solve(const T* rhs, T* x) override;
    void release() override;
    void reset() override;

    void putRHS(int row, T value) override
    {
        if (isInRange(row))
            _rhs[size_t(row)] += value;
        else
            _hasStrayEntry = true;
    }

    const Statistics& getStatistics() const { return _stats; }

private:
    ~KluSolver();

    bool isInRange(int i) const { return unsigned(i) < unsigned(_n); }

    bool analyse();
    bool factoriseFully();
    bool refactorise();
    bool isWellConditioned();
    bool solveRefined(const T* rhs, T* x);
    void freeNumeric();
    void freeSymbolic();

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
    klu_common _common;
    klu_symbolic* _pSymbolic = nullptr;
    klu_numeric* _pNumeric = nullptr;
    double _pivotRcond = 0.0; // condition estimate when the pivots were chosen
    bool _factorised = false;
    // An entry of this fill fell outside the system (a Jacobian entry with a
    // bad column, say): the fill is not the system meant, so it must not
    // factorise. Cleared by reset().
    bool _hasStrayEntry = false;
    Statistics _stats;
};
} // namespace sparse::priv
