#pragma once
// KLU's refactorisation spread over threads. Column k of the factors reads
// only the columns of L named in column k of U, all of them earlier, so
// columns whose reads are done can be computed at once, each thread in a
// dense workspace of its own. The columns, each below the first column that
// reads it, form a forest: its subtrees, cut to a share of the work, go
// whole to one thread each, which then reads what it has just written; the
// narrow part near the roots follows by level, a few columns at a time,
// and a thread waits only for a column it reads that another thread is
// still computing. Every column is computed by the operations of KLU's own
// refactorisation in their order, so the factors are bit-identical to
// KLU's whatever the number of threads.
// It reads KLU's storage of the factors, checked when planned; factors of
// several diagonal blocks, or scaled by KLU, are left to KLU.
#include <atomic>
#include <klu.h>
#include <memory>
#include <sparse/IParallel.h>
#include <vector>

namespace sparse::priv
{
struct ColumnGraph;

template <typename T>
class KluRefactor
{
public:
    // Plans for the factors KLU has just computed with pivoting, to run on
    // `lanes` threads; false (nothing planned) when they do not fit or are
    // too small to gain from threads.
    bool plan(const klu_symbolic& symbolic, const klu_numeric& numeric, unsigned lanes);
    bool isPlannedFor(unsigned lanes) const { return _lanes == lanes && _lanes > 1; }
    void forget() { _lanes = 0; }
    // Refactorises the values of the planned pattern (columns Ap, rows Ai)
    // in the pivot order of the plan; false for a zero pivot, after which
    // the factors hold no valid values.
    bool refactor(const int* Ap, const int* Ai, const T* Ax, const klu_symbolic& symbolic, klu_numeric& numeric,
                  IParallel& threads);

private:
    struct Pass;
    static void runLane(void* context, unsigned lane);
    bool hasKluLayout(const klu_numeric& numeric) const;
    void orderForLanes(const klu_numeric& numeric, unsigned lanes);
    void arrange(const ColumnGraph& g, const std::vector<int>& roots, const std::vector<char>& above);
    bool readsEarlierColumns(const klu_numeric& numeric) const;
    // Column k of the factors, its workspace x zero before and after; false
    // for a zero pivot.
    bool computeColumn(const Pass& pass, int k, T* x) const;

    int _n = 0;
    unsigned _lanes = 0;         // 0: nothing planned
    std::vector<int> _order;     // the columns in the order the lanes take them
    std::vector<int> _takeStart; // in _order: the columns a lane takes at a time
    std::vector<T> _work;        // a zeroed workspace of n entries per lane
    // Per column: the refactorisation that last computed it.
    std::unique_ptr<std::atomic<unsigned>[]> _done;
    unsigned _generation = 0;
};
} // namespace sparse::priv
