#include <algorithm>
#include <sparse/priv/CompressedPattern.h>

namespace sparse::priv
{
void CompressedPattern::build(int nMajor, int nMinor, const int* major, const int* minor, size_t count)
{
    _count = count;
    _map.resize(count);

    // Pass 1: order the pairs by minor index (stable), so that each major
    // index later receives its minor indices in ascending order. Pairs put
    // row by row for a CSC build are in that order already.
    _isOrdered = std::is_sorted(minor, minor + count);
    if (!_isOrdered)
    {
        _order.resize(count);
        _starts.assign(size_t(nMinor) + 1, 0);
        for (size_t k = 0; k < count; ++k)
            ++_starts[size_t(minor[k]) + 1];
        for (int i = 0; i < nMinor; ++i)
            _starts[size_t(i) + 1] += _starts[size_t(i)];
        for (size_t k = 0; k < count; ++k)
            _order[size_t(_starts[size_t(minor[k])]++)] = int(k);
    }

    // Pass 2: count the distinct minor indices of every major index;
    // duplicates arrive one after another.
    _last.assign(size_t(nMajor), -1);
    _starts.assign(size_t(nMajor) + 1, 0);
    forEachInOrder([&](size_t k) {
        int j = major[k];
        if (_last[size_t(j)] != minor[k])
        {
            _last[size_t(j)] = minor[k];
            ++_starts[size_t(j) + 1];
        }
    });
    for (int j = 0; j < nMajor; ++j)
        _starts[size_t(j) + 1] += _starts[size_t(j)];
    _nonZeros = _starts[size_t(nMajor)];

    // Pass 3: place the indices. _next is the next free place of each major
    // index, _last the place of its latest entry (a duplicate goes there).
    _indices.resize(size_t(_nonZeros));
    _next.assign(_starts.begin(), _starts.end() - 1);
    _last.assign(size_t(nMajor), -1);
    forEachInOrder([&](size_t k) {
        int j = major[k];
        int pos = _last[size_t(j)];
        if (pos < 0 || _indices[size_t(pos)] != minor[k])
        {
            pos = _next[size_t(j)]++;
            _indices[size_t(pos)] = minor[k];
            _last[size_t(j)] = pos;
        }
        _map[k] = pos;
    });
}
} // namespace sparse::priv
