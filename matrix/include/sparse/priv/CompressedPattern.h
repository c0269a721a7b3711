#pragma once
// The compressed form (CSC or CSR) of a list of (major, minor) index pairs:
// starts of each major index, sorted minor indices without duplicates, and
// for every pair the position its value goes to. The map turns each refill
// of the same pattern into one pass: values[map[k]] += value k.
#include <cstddef>
#include <vector>

namespace sparse::priv
{
class CompressedPattern
{
public:
    // major[k] in 0 .. nMajor - 1 and minor[k] in 0 .. nMinor - 1 for every
    // k < count. Two counting sorts, no comparison sort: O(count + nMajor + nMinor).
    void build(int nMajor, int nMinor, const int* major, const int* minor, size_t count);

    // Sums each value into its compressed position; out has nonZeros() places.
    template <typename T>
    void scatter(const T* values, T* out) const
    {
        const int* map = _map.data();
        // Without duplicates the map is a permutation: one pass fills every place.
        if (size_t(_nonZeros) == _count)
        {
            for (size_t k = 0; k < _count; ++k)
                out[map[k]] = values[k];
            return;
        }
        for (int i = 0; i < _nonZeros; ++i)
            out[i] = T();
        for (size_t k = 0; k < _count; ++k)
            out[map[k]] += values[k];
    }

    int nonZeros() const { return _nonZeros; }
    // The compressed place of each pair, in the order given to build().
    const int* places() const { return _map.data(); }
    // KLU takes its index arrays as non-const pointers but does not change them.
    int* starts() { return _starts.data(); }
    int* indices() { return _indices.data(); }
    const int* starts() const { return _starts.data(); }
    const int* indices() const { return _indices.data(); }

private:
    // Calls f(k) for the pairs in ascending minor order.
    template <typename F>
    void forEachInOrder(F f) const
    {
        if (_isOrdered)
            for (size_t k = 0; k < _count; ++k)
                f(k);
        else
            for (int k : _order)
                f(size_t(k));
    }

    std::vector<int> _starts;
    std::vector<int> _indices;
    std::vector<int> _map;
    std::vector<int> _order;
    std::vector<int> _last;
    std::vector<int> _next;
    size_t _count = 0;
    int _nonZeros = 0;
    bool _isOrdered = false;
};
} // namespace sparse::priv
