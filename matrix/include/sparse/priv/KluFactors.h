#pragma once
// The LU factors of one system over KLU, following KLU's life cycle: the
// pattern is analysed (ordering) once, factorised with pivoting, and later
// values of the same pattern are refactorised with the pivot order of the
// last full factorisation while that stays well conditioned.
#include <klu.h>
#include <vector>
#include <sparse/IParallel.h>
#include <sparse/Options.h>
#include <sparse/priv/CompressedPattern.h>
#include <sparse/priv/KluRefactor.h>

namespace sparse::priv
{
template <typename T>
class KluFactors
{
public:
    // How the factorisations came about: tests and benchmarks check the path taken.
    struct Statistics
    {
        unsigned analyses = 0;         // klu_analyze
        unsigned factorisations = 0;   // klu_factor (with pivoting)
        unsigned refactorisations = 0; // klu_refactor kept
    };

    KluFactors(Symmetry symmetry, SolverType type, Pivoting pivoting, Ordering ordering);
    KluFactors(const KluFactors&) = delete;
    KluFactors& operator=(const KluFactors&) = delete;
    ~KluFactors();

    // The pattern of an n x n system in compressed columns; false when it is
    // structurally singular (with the block triangular search).
    bool analyse(int n, CompressedPattern& csc);
    // The values of that pattern, in its order; false for a singular system.
    bool factorise(CompressedPattern& csc, T* values);
    // x := A^-1 x with the present factors.
    bool solve(T* x);
    // Forgets the analysis too (a new pattern follows).
    void clear();
    // Threads the refactorisations may share (null: none); the caller keeps
    // them alive while it factorises.
    void shareWork(IParallel* pThreads) { _pThreads = pThreads; }

    const Statistics& getStatistics() const { return _stats; }

private:
    bool factoriseFully(CompressedPattern& csc, T* values);
    bool refactorise(CompressedPattern& csc, T* values);
    bool refactoriseWithPivots(CompressedPattern& csc, T* values);
    bool isWellConditioned(CompressedPattern& csc, T* values);
    void chooseRowScale(CompressedPattern& csc, const T* values);
    T* scaled(CompressedPattern& csc, T* values);
    void freeNumeric();

    int _n = 0;
    klu_common _common;
    klu_symbolic* _pSymbolic = nullptr;
    klu_numeric* _pNumeric = nullptr;
    double _pivotRcond = 0.0; // condition estimate when the pivots were chosen
    bool _scaling = true;
    std::vector<double> _rowScale; // 1 / the row's largest magnitude, at the last full factorisation
    std::vector<T> _scaledValues;  // what KLU factorises: the values with their rows scaled
    Statistics _stats;
    IParallel* _pThreads = nullptr;
    KluRefactor<T> _parallel;
    unsigned _plannedLanes = 0; // the threads the present factors were planned for
};
} // namespace sparse::priv
