#pragma once
// The factors of a symmetric (Hermitian) system over CHOLMOD's simplicial
// Cholesky, from the lower triangle: L L* for the positive definite kind;
// L D L* for the indefinite kind, in an order that puts every node without
// a diagonal entry (a constraint's multiplier) right after the last of its
// neighbours, so that the factorisation needs no pivoting. A system that is
// not Hermitian after all, or a factorisation that meets a zero or tiny
// pivot, is factorised by the pivoted LU instead, for that fill.
// The simplicial method runs on the calling thread alone (the supernodal
// one would start OpenMP threads of its own). CHOLMOD is handed the upper
// triangle of the matrix already permuted, gathered into a store of its
// own, so that a refactorisation neither permutes nor allocates; the
// triangular solves are done here on its factor, in that order.
#include <cholmod.h>
#include <sparse/Options.h>
#include <sparse/priv/CompressedPattern.h>
#include <sparse/priv/KluFactors.h>
#include <vector>

namespace sparse::priv
{
template <typename T>
class CholmodFactors
{
public:
    struct Statistics
    {
        unsigned analyses = 0;       // cholmod_analyze
        unsigned factorisations = 0; // Cholesky factorisations kept
        unsigned fallbacks = 0;      // fills factorised by the pivoted LU
    };

    CholmodFactors(Symmetry symmetry, SolverType type, Pivoting pivoting, Ordering ordering);
    CholmodFactors(const CholmodFactors&) = delete;
    CholmodFactors& operator=(const CholmodFactors&) = delete;
    ~CholmodFactors();

    bool analyse(int n, CompressedPattern& csc);
    bool factorise(CompressedPattern& csc, T* values);
    bool solve(T* x);

    const Statistics& getStatistics() const { return _stats; }

    // for the LU that takes the fills a Cholesky cannot
    void shareWork(IParallel* pThreads) { _lu.shareWork(pThreads); }

private:
    void clear();
    void findTransposes(CompressedPattern& csc);
    // The fill-reducing order of the lower triangle (with its elimination
    // tree postordered) into _perm; false when CHOLMOD fails.
    bool order(CompressedPattern& csc);
    void orderSaddlePoint(CompressedPattern& csc, const int* minimumDegree);
    void gatherPermutedUpper(CompressedPattern& csc);
    cholmod_sparse permutedUpper(bool withValues);
    bool isHermitian(const T* values) const;
    bool factoriseCholesky(T* values);
    bool factoriseLU(CompressedPattern& csc, T* values);

    int _n = 0;
    bool _isIndefinite;
    bool _usesLU = false; // the present fill is factorised by _lu
    bool _isLUAnalysed = false;
    cholmod_common _common;
    cholmod_factor* _pL = nullptr;
    // The checks of a Hermitian fill: pairs of mirrored places, places whose
    // mirror is absent (their value must be 0) and the diagonal places.
    std::vector<int> _upper;
    std::vector<int> _lower;
    std::vector<int> _unpaired;
    std::vector<int> _diagonal;
    std::vector<int> _perm;        // new place -> old place
    std::vector<int> _upperStarts; // the permuted upper triangle, by columns
    std::vector<int> _upperRows;
    std::vector<int> _gather; // per place of it: the place of its value in the full pattern
    std::vector<T> _upperValues;
    std::vector<T> _permuted; // a solution in the permuted order
    KluFactors<T> _lu;
    Statistics _stats;
};
} // namespace sparse::priv
