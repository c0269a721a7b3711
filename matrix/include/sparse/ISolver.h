#pragma once
// A sparse linear solver: the system is assembled entry by entry, factorised
// and solved. A solver is refilled with reset() and the same puts again;
// when the (row, column) sequence repeats, the analysis of the previous fill
// is reused and only the numeric factorisation is redone.
// A caller whose pattern is known up front sets it once instead and writes
// the values of each fill straight into the compressed value array.
// Objects come from the factories of <sparse/Factory.h> and are destroyed by
// release() only.

#include <cstddef>
#include <sparse/IParallel.h>

namespace sparse
{
template <typename T, typename TIndex>
class ISolver
{
public:
    // Adds value to entry (row, col) of the system; entries put more than
    // once are summed. An entry outside 0 .. n - 1 is dropped and the fill
    // then fails to factorise until reset().
    virtual void put(TIndex row, TIndex col, T value) = 0;
    // Value i of the solution of the last successful solve().
    virtual const T* solutionValue(TIndex i) const = 0;
    // The symbolic work alone (compression and ordering of the fill's
    // pattern), so that later fills of that pattern only factorise
    // numerically. False when the fill cannot factorise whatever its values.
    virtual bool analyse() = 0;
    // False for a structurally or numerically singular matrix and for any
    // non-finite entry; the solver then holds no factorisation.
    virtual bool factorise() = 0;
    // Factorises the assembled system and solves it for the right-hand side
    // assembled with putRHS (zero where nothing was put).
    virtual bool solve() = 0;
    // Solves with the present factorisation: x := A^-1 rhs (rhs may be x).
    // False when nothing is factorised or the solution is not finite.
    virtual bool solve(const T* rhs, T* x) = 0;
    virtual void release() = 0;
    // Starts a refill: entries, right-hand side and factorisation are
    // cleared; the pattern and its analysis are kept.
    virtual void reset() = 0;
    // Adds value to entry row of the right-hand side that solve() uses; a
    // row outside the system fails the fill as put does.
    virtual void putRHS(TIndex row, T value) = 0;

    // The pattern of every later fill, entries (rows[k], cols[k]) for
    // k < count, analysed now (not again when it equals the last one
    // analysed). False when no values of it can factorise (an entry outside
    // the system, a structurally singular pattern), and from a solver that
    // takes fills only: the caller then fills entry by entry.
    virtual bool setPattern(const TIndex*, const TIndex*, std::size_t) { return false; }
    // After a successful setPattern: the compressed value array (nonZeros()
    // places) and the place of each pattern entry in it; entries at the
    // same (row, column) share a place.
    virtual T* values() { return nullptr; }
    virtual const TIndex* places() const { return nullptr; }
    virtual TIndex nonZeros() const { return 0; }
    // Factorises the values as written into values(); fails as factorise().
    virtual bool factoriseValues() { return false; }
    // Threads the factorisations may share from now on (null: none); the
    // caller keeps them alive while this solver factorises.
    virtual void shareWork(IParallel*) {}
    // Symbolic analyses done so far: a refill must not add any.
    virtual unsigned getNoOfAnalyses() const { return 0; }

protected:
    ~ISolver() = default;
};
} // namespace sparse
