#pragma once
// What the sorted containers (Dictionary, DictionaryNonDyn, Set) share: the
// growth rule of their arrays, the bulk-update state and the lookup by
// halving over an ascending array.
#include <mu/Assert.h>

#include <algorithm>
#include <cstdint>

namespace cnt::sorted
{

// The growth policy byte: 0 doubles, 255 adds 65536, any other n adds n.
// Doubling starts from 1 so that an unreserved container can grow; the
// capacity is 32-bit and stops at its largest value.
inline std::uint32_t grownCapacity(std::uint32_t capacity, unsigned char policy)
{
    std::uint64_t grown;
    if (policy == 0)
        grown = capacity == 0 ? 1 : std::uint64_t(capacity) * 2;
    else if (policy == 255)
        grown = std::uint64_t(capacity) + 65536;
    else
        grown = std::uint64_t(capacity) + policy;
    grown = std::min<std::uint64_t>(grown, UINT32_MAX);
    MU_ASSERT(grown > capacity);
    return static_cast<std::uint32_t>(grown);
}

// Entries added while a bulk update is open stay unsorted until it closes;
// outside a bulk update every insert takes its sorted place at once.
class BulkState
{
    bool _open = false;
    bool _unsorted = false;

public:
    void start() { _open = true; }
    bool isOpen() const { return _open; }
    bool isUnsorted() const { return _unsorted; }

    // After an append: true when the caller must sort now.
    bool inserted()
    {
        if (_open)
        {
            _unsorted = true;
            return false;
        }
        return true;
    }

    // Closing: true when the entries must be sorted now.
    bool end()
    {
        if (!_open)
            return false;
        _open = false;
        const bool mustSort = _unsorted;
        _unsorted = false;
        return mustSort;
    }
};

// Halving over positions from..to (inclusive) of an ascending array; keyOf
// gives an entry's key and less orders two keys. With duplicate keys the
// entry returned is whichever the halving meets first.
template <typename E, typename K, typename KeyOf, typename Less>
E* searchRange(E* a, std::uint32_t from, std::uint32_t to, const K& key, KeyOf keyOf, Less less)
{
    std::uint32_t lo = from;
    std::uint32_t hi = to;
    while (lo <= hi)
    {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const auto& midKey = keyOf(a[mid]);
        if (less(midKey, key))
        {
            if (mid >= hi)
                return nullptr;
            lo = mid + 1;
        }
        else if (less(key, midKey))
        {
            if (mid <= lo)
                return nullptr;
            hi = mid - 1;
        }
        else
            return a + mid;
    }
    return nullptr;
}

// Lookup over the whole array: a key outside [first, last] misses without a
// search, and an empty array is never touched.
template <typename E, typename K, typename KeyOf, typename Less>
E* find(E* a, std::uint32_t count, const K& key, KeyOf keyOf, Less less)
{
    if (count == 0 || less(key, keyOf(a[0])) || less(keyOf(a[count - 1]), key))
        return nullptr;
    return searchRange(a, 0, count - 1, key, keyOf, less);
}

// The key of a dictionary entry, and the keys' own ordering.
struct EntryKey
{
    template <typename E>
    const auto& operator()(const E& e) const
    {
        return e.key;
    }
};
struct KeyLess
{
    template <typename K>
    bool operator()(const K& a, const K& b) const
    {
        return a < b;
    }
};

// Dictionary lookups: the entry of key or null, and a copy of its value.
template <typename E, typename K>
E* findEntry(E* a, std::uint32_t count, const K& key)
{
    return find(a, count, key, EntryKey(), KeyLess());
}

template <typename E, typename K, typename V>
bool findValue(const E* a, std::uint32_t count, const K& key, V& value)
{
    const E* e = findEntry(a, count, key);
    if (!e)
        return false;
    value = e->value;
    return true;
}

// Kept out of line: inlined into a small fixed array, g++ 12 warns about the
// branch of std::sort for more than 16 entries that such an array never
// takes.
template <typename E, typename KeyOf, typename Less>
[[gnu::noinline]] void sort(E* a, std::uint32_t count, KeyOf keyOf, Less less)
{
    std::sort(a, a + count, [&](const E& x, const E& y) { return less(keyOf(x), keyOf(y)); });
}

template <typename E>
void sortEntries(E* a, std::uint32_t count)
{
    sort(a, count, EntryKey(), KeyLess());
}

// An insert outside a bulk update leaves the array sorted but for its last
// entry; moving that entry into place gives what a full sort gives, in
// linear instead of n log n time per insert.
template <typename E, typename KeyOf, typename Less>
void placeLast(E* a, std::uint32_t count, KeyOf keyOf, Less less)
{
    if (count < 2)
        return;
    E* last = a + count - 1;
    E* pos = std::upper_bound(a, last, keyOf(*last), [&](const auto& key, const E& e) { return less(key, keyOf(e)); });
    std::rotate(pos, last, a + count);
}

template <typename E>
void placeLastEntry(E* a, std::uint32_t count)
{
    placeLast(a, count, EntryKey(), KeyLess());
}

} // namespace cnt::sorted
