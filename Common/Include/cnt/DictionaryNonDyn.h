#pragma once
// A sorted dictionary in a fixed inline array of CAPACITY entries (no heap),
// with the fill protocol of cnt::Dictionary.
#include <cnt/SortedArray.h>
#include <mu/Assert.h>

#include <cstdint>

namespace cnt
{

template <typename TKey, typename TVal, std::uint32_t CAPACITY>
class DictionaryNonDyn
{
    static_assert(CAPACITY > 0);

public:
    struct Entry
    {
        TKey key;
        TVal value;
    };

private:
    Entry _entries[CAPACITY] = {};
    std::uint32_t _noEntries = 0;
    sorted::BulkState _bulk;

    static const TKey& keyOf(const Entry& e) { return e.key; }
    static bool less(const TKey& a, const TKey& b) { return a < b; }

public:
    void insert(TKey key, const TVal& value)
    {
        MU_ASSERT(_noEntries < CAPACITY);
        _entries[_noEntries].key = key;
        _entries[_noEntries].value = value;
        ++_noEntries;
        if (_bulk.inserted())
            sorted::sort(_entries, _noEntries, keyOf, less);
    }

    void startBulkUpdate() { _bulk.start(); }
    void endBulkUpdate()
    {
        if (_bulk.end())
            sorted::sort(_entries, _noEntries, keyOf, less);
    }

    bool find(const TKey& key, TVal& value) const
    {
        const Entry* e = sorted::find(_entries, _noEntries, key, keyOf, less);
        if (!e)
            return false;
        value = e->value;
        return true;
    }

    // Forgets every entry; the slots are overwritten by later inserts.
    void clean() { _noEntries = 0; }

    std::uint32_t size() const { return _noEntries; }
};

} // namespace cnt
