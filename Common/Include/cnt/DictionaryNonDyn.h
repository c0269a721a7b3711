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

public:
    void insert(TKey key, const TVal& value)
    {
        MU_ASSERT(_noEntries < CAPACITY);
        _entries[_noEntries].key = key;
        _entries[_noEntries].value = value;
        ++_noEntries;
        if (_bulk.inserted())
            sorted::placeLastEntry(_entries, _noEntries);
    }

    void startBulkUpdate() { _bulk.start(); }
    void endBulkUpdate()
    {
        if (_bulk.end())
            sorted::sortEntries(_entries, _noEntries);
    }

    bool find(const TKey& key, TVal& value) const { return sorted::findValue(_entries, _noEntries, key, value); }

    // Forgets every entry; the slots are overwritten by later inserts.
    void clean() { _noEntries = 0; }

    std::uint32_t size() const { return _noEntries; }
};

} // namespace cnt
