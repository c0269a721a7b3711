#include <SuiteSparse_config.h>
#include <algorithm>
#include <complex>
#include <cstddef>
#include <plat/SpinPause.h>
#include <sparse/priv/KluRefactor.h>
#include <thread>

namespace sparse::priv
{
// What the plan needs of each column: the columns of L it reads (those
// named in its column of U, all earlier), the multiply-adds it costs, the
// first column that reads it, and its level, one past the highest level of
// the columns it reads.
struct ColumnGraph
{
    std::vector<long> updates;
    std::vector<int> firstReader; // -1: read by none
    std::vector<int> level;
    long total = 0;
};

namespace
{
// Below this many multiply-adds (about a tenth of a millisecond on one
// thread) waking the threads costs more than they save.
constexpr long minUpdates = 50000;
// Multiply-adds a lane takes at least at a time: enough that the shared
// counter is not touched for every small column near the leaves.
constexpr long updatesPerTake = 1000;
// Subtrees cut per lane: enough that the lanes come out even when they
// take them largest first.
constexpr long subtreesPerLane = 4;
// Spins on a column another lane computes before the waiting lane yields
// its core (a lane may wait for a thread that the system holds back).
constexpr int spinsBeforeYield = 4096;

// A column of the factors as KLU stores it: its indices, padded to whole
// entries, then its values.
template <typename T>
struct Stored
{
    const int* index;
    T* value;
    int length;
};

// The entries of T that `length` indices take.
template <typename T>
std::size_t indexEntriesOf(int length)
{
    return (std::size_t(length) * sizeof(int) + sizeof(T) - 1) / sizeof(T);
}

template <typename T>
Stored<T> storedAt(void* lu, int offset, int length)
{
    T* at = static_cast<T*>(lu) + offset;
    return {reinterpret_cast<const int*>(at), at + indexEntriesOf<T>(length), length};
}

template <typename T>
std::size_t entriesOf(int length)
{
    return indexEntriesOf<T>(length) + std::size_t(length);
}

// KLU's own arithmetic, term by term, so that the factors match its
// refactorisation bit for bit.
void subtractProduct(double& x, double l, double u) { x -= l * u; }

void subtractProduct(std::complex<double>& x, std::complex<double> l, std::complex<double> u)
{
    x = {x.real() - (l.real() * u.real() - l.imag() * u.imag()),
         x.imag() - (l.imag() * u.real() + l.real() * u.imag())};
}

double quotient(double a, double b) { return a / b; }

std::complex<double> quotient(std::complex<double> a, std::complex<double> b)
{
    double re = 0, im = 0;
    SuiteSparse_divcomplex(a.real(), a.imag(), b.real(), b.imag(), &re, &im);
    return {re, im};
}

template <typename T>
ColumnGraph describeColumns(const klu_numeric& numeric)
{
    const auto n = std::size_t(numeric.n);
    ColumnGraph g {std::vector<long>(n, 0), std::vector<int>(n, -1), std::vector<int>(n, 0), 0};
    for (int k = 0; k < numeric.n; ++k)
    {
        const Stored<T> u = storedAt<T>(numeric.LUbx[0], numeric.Uip[k], numeric.Ulen[k]);
        long updates = numeric.Llen[k];
        int level = 0;
        for (int up = 0; up < u.length; ++up)
        {
            const auto j = std::size_t(u.index[up]);
            updates += numeric.Llen[j];
            level = std::max(level, g.level[j] + 1);
            if (g.firstReader[j] < 0)
                g.firstReader[j] = k;
        }
        g.updates[std::size_t(k)] = updates;
        g.level[std::size_t(k)] = level;
        g.total += updates;
    }
    return g;
}

// The columns, each with its first reader as parent, form a forest; for a
// pattern of symmetric structure every column a column reads lies below it.
// The forest is cut into subtrees of at most a share of the work, each
// computed by one lane from its leaves up, so that a lane reads the columns
// it has just written; the columns above the cut, the narrow part near the
// roots, follow by level. Returns the subtrees' roots, largest first, and
// marks the columns above the cut.
std::vector<int> cutForest(const ColumnGraph& g, long share, std::vector<char>& above)
{
    const std::size_t n = g.updates.size();
    std::vector<long> below(g.updates);
    std::vector<int> firstChild(n, -1), nextSibling(n, -1);
    std::vector<int> roots;
    for (std::size_t k = n; k-- > 0;) // children listed in ascending order
    {
        const int parent = g.firstReader[k];
        if (parent < 0)
        {
            roots.push_back(int(k));
            continue;
        }
        nextSibling[k] = firstChild[std::size_t(parent)];
        firstChild[std::size_t(parent)] = int(k);
    }
    for (std::size_t k = 0; k < n; ++k)
        if (g.firstReader[k] >= 0)
            below[std::size_t(g.firstReader[k])] += below[k];
    auto smaller = [&below](int a, int b) { return below[std::size_t(a)] < below[std::size_t(b)]; };
    std::make_heap(roots.begin(), roots.end(), smaller);
    above.assign(n, 0);
    // Every cut moves one column above it: at most n rounds.
    while (!roots.empty() && below[std::size_t(roots.front())] > share)
    {
        std::pop_heap(roots.begin(), roots.end(), smaller);
        const int top = roots.back();
        roots.pop_back();
        above[std::size_t(top)] = 1;
        for (int c = firstChild[std::size_t(top)]; c >= 0; c = nextSibling[std::size_t(c)])
        {
            roots.push_back(c);
            std::push_heap(roots.begin(), roots.end(), smaller);
        }
    }
    std::sort(roots.begin(), roots.end(),
              [&below](int a, int b) { return below[std::size_t(a)] > below[std::size_t(b)]; });
    return roots;
}
} // namespace

template <typename T>
struct KluRefactor<T>::Pass
{
    KluRefactor* self;
    const int* Ap;
    const int* Ai;
    const T* Ax;
    const int* Q;
    klu_numeric* numeric;
    unsigned generation;
    std::atomic<int> nextTake {0};
    std::atomic<bool> singular {false};
};

template <typename T>
bool KluRefactor<T>::plan(const klu_symbolic& symbolic, const klu_numeric& numeric, unsigned lanes)
{
    forget();
    _n = numeric.n;
    if (lanes < 2 || symbolic.nblocks != 1 || numeric.nblocks != 1 || numeric.Rs || numeric.nzoff != 0 ||
        !hasKluLayout(numeric))
        return false;
    orderForLanes(numeric, lanes);
    if (_takeStart.size() < 3) // one take: nothing to share
        return false;
    _work.assign(std::size_t(_n) * lanes, T());
    _done = std::make_unique<std::atomic<unsigned>[]>(std::size_t(_n));
    _generation = 0;
    _lanes = lanes;
    return true;
}

// Every column's place within the block's storage, L strictly below the
// diagonal and U strictly above it in the pivot order: what the
// refactorisation reads, so that a KLU storing its factors otherwise is
// left to refactorise on its own.
template <typename T>
bool KluRefactor<T>::hasKluLayout(const klu_numeric& numeric) const
{
    const std::size_t size = numeric.LUsize[0];
    auto fits = [size](int offset, int length) {
        return offset >= 0 && length >= 0 && std::size_t(offset) + entriesOf<T>(length) <= size;
    };
    for (int k = 0; k < _n; ++k)
    {
        if (!fits(numeric.Lip[k], numeric.Llen[k]) || !fits(numeric.Uip[k], numeric.Ulen[k]))
            return false;
        const Stored<T> l = storedAt<T>(numeric.LUbx[0], numeric.Lip[k], numeric.Llen[k]);
        const Stored<T> u = storedAt<T>(numeric.LUbx[0], numeric.Uip[k], numeric.Ulen[k]);
        if (!std::all_of(l.index, l.index + l.length, [this, k](int i) { return i > k && i < _n; }) ||
            !std::all_of(u.index, u.index + u.length, [k](int j) { return j >= 0 && j < k; }))
            return false;
    }
    return true;
}

// The takes: each subtree below the cut whole (small ones together), then
// the columns above it by level, in runs of at least updatesPerTake
// multiply-adds. A lane waits only for a column of an earlier take, which a
// running lane holds, so the earliest unfinished column can always go on.
template <typename T>
void KluRefactor<T>::orderForLanes(const klu_numeric& numeric, unsigned lanes)
{
    _takeStart.clear();
    const ColumnGraph g = describeColumns<T>(numeric);
    if (g.total < minUpdates)
        return;
    std::vector<char> above;
    const std::vector<int> roots = cutForest(g, g.total / (long(lanes) * subtreesPerLane), above);
    arrange(g, roots, above);
    if (!readsEarlierColumns(numeric)) // a pattern far from symmetric: left to KLU
        _takeStart.clear();
}

template <typename T>
void KluRefactor<T>::arrange(const ColumnGraph& g, const std::vector<int>& roots, const std::vector<char>& above)
{
    const auto n = std::size_t(_n);
    std::vector<int> key(n, -1); // the subtree, or past them the level
    for (std::size_t r = 0; r < roots.size(); ++r)
        key[std::size_t(roots[r])] = int(r);
    int keys = int(roots.size());
    for (std::size_t k = n; k-- > 0;)
        if (above[k])
            keys = std::max(keys, (key[k] = int(roots.size()) + g.level[k]) + 1);
        else if (key[k] < 0)
            key[k] = key[std::size_t(g.firstReader[k])];
    std::vector<int> next(std::size_t(keys) + 1, 0);
    for (int kk : key)
        ++next[std::size_t(kk) + 1];
    for (std::size_t i = 0; i < std::size_t(keys); ++i)
        next[i + 1] += next[i];
    _order.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        _order[std::size_t(next[std::size_t(key[k])]++)] = int(k);
    _takeStart.clear();
    long taken = updatesPerTake;
    for (std::size_t i = 0; i < n; ++i)
    {
        const auto k = std::size_t(_order[i]);
        const bool mayCut = above[k] || i == 0 || key[k] != key[std::size_t(_order[i - 1])];
        if (mayCut && taken >= updatesPerTake)
        {
            _takeStart.push_back(int(i));
            taken = 0;
        }
        taken += g.updates[k];
    }
    _takeStart.push_back(_n);
}

template <typename T>
bool KluRefactor<T>::readsEarlierColumns(const klu_numeric& numeric) const
{
    std::vector<int> place(static_cast<std::size_t>(_n));
    for (int i = 0; i < _n; ++i)
        place[std::size_t(_order[std::size_t(i)])] = i;
    for (int k = 0; k < _n; ++k)
    {
        const Stored<T> u = storedAt<T>(numeric.LUbx[0], numeric.Uip[k], numeric.Ulen[k]);
        for (int up = 0; up < u.length; ++up)
            if (place[std::size_t(u.index[up])] >= place[std::size_t(k)])
                return false;
    }
    return true;
}

template <typename T>
bool KluRefactor<T>::computeColumn(const Pass& pass, int k, T* x) const
{
    const klu_numeric& numeric = *pass.numeric;
    const int column = pass.Q[k];
    for (int p = pass.Ap[column]; p < pass.Ap[column + 1]; ++p)
        x[numeric.Pinv[pass.Ai[p]]] = pass.Ax[p];
    const Stored<T> u = storedAt<T>(numeric.LUbx[0], numeric.Uip[k], numeric.Ulen[k]);
    for (int up = 0; up < u.length; ++up)
    {
        const int j = u.index[up];
        for (int spins = 0; _done[std::size_t(j)].load(std::memory_order_acquire) != pass.generation; ++spins)
            if (spins < spinsBeforeYield)
                plat::spinPause();
            else
                std::this_thread::yield();
        const T ujk = x[j];
        x[j] = T();
        u.value[up] = ujk;
        const Stored<T> l = storedAt<T>(numeric.LUbx[0], numeric.Lip[j], numeric.Llen[j]);
        for (int p = 0; p < l.length; ++p)
            subtractProduct(x[l.index[p]], l.value[p], ujk);
    }
    const T ukk = x[k];
    x[k] = T();
    static_cast<T*>(numeric.Udiag)[k] = ukk;
    const Stored<T> l = storedAt<T>(numeric.LUbx[0], numeric.Lip[k], numeric.Llen[k]);
    const bool singular = ukk == T();
    for (int p = 0; p < l.length; ++p)
    {
        T& xi = x[l.index[p]];
        l.value[p] = singular ? T() : quotient(xi, ukk);
        xi = T();
    }
    _done[std::size_t(k)].store(pass.generation, std::memory_order_release);
    return !singular;
}

// A lane takes the next take of the plan's order until none is left.
template <typename T>
void KluRefactor<T>::runLane(void* context, unsigned lane)
{
    Pass& pass = *static_cast<Pass*>(context);
    KluRefactor& self = *pass.self;
    T* x = self._work.data() + std::size_t(lane) * std::size_t(self._n);
    const int takes = int(self._takeStart.size()) - 1;
    for (int t = pass.nextTake.fetch_add(1, std::memory_order_relaxed); t < takes;
         t = pass.nextTake.fetch_add(1, std::memory_order_relaxed))
        for (int i = self._takeStart[std::size_t(t)]; i < self._takeStart[std::size_t(t) + 1]; ++i)
            if (!self.computeColumn(pass, self._order[std::size_t(i)], x))
                pass.singular.store(true, std::memory_order_relaxed);
}

template <typename T>
bool KluRefactor<T>::refactor(const int* Ap, const int* Ai, const T* Ax, const klu_symbolic& symbolic,
                              klu_numeric& numeric, IParallel& threads)
{
    if (++_generation == 0) // a wrapped count would find stale columns done
    {
        for (int k = 0; k < _n; ++k)
            _done[std::size_t(k)].store(0, std::memory_order_relaxed);
        _generation = 1;
    }
    Pass pass {this, Ap, Ai, Ax, symbolic.Q, &numeric, _generation};
    threads.run(&runLane, &pass, _lanes);
    return !pass.singular.load(std::memory_order_relaxed);
}

template class KluRefactor<double>;
template class KluRefactor<std::complex<double>>;
} // namespace sparse::priv
