#pragma once
// A growable dictionary kept in one array sorted by key and searched by
// halving. Fill it with reserve, startBulkUpdate, inserts and endBulkUpdate
// (one sort); an insert outside a bulk update puts the entry in its place at once.
// Lookups never sort, so a lookup while a bulk update is open may miss.
// Duplicate keys are kept: inserting a present key adds a second entry.
// A key with a 64-bit value (td::StrKey) also sets one bit of a 256-bit
// filter: most look-ups of an absent key, such as every symbol name the
// tokenizer checks against the vocabulary, end there without a search.
#include <cnt/SortedArray.h>

#include <concepts>
#include <cstdint>
#include <utility>

namespace cnt
{

template <typename KEY, typename VALUE>
class Dictionary
{
public:
    struct Entry
    {
        KEY key;
        VALUE value;
    };

private:
    Entry* _entries = nullptr;
    std::uint32_t _capacity = 0;
    std::uint32_t _size = 0;
    sorted::BulkState _bulk;
    unsigned char _growthPolicy = 0;
    std::uint64_t _filter[4] = {};

    static constexpr bool Filtered = requires(const KEY& k)
    {
        {
            k.getValue()
            } -> std::convertible_to<std::uint64_t>;
    };

    static unsigned filterBit(const KEY& key)
    {
        return static_cast<unsigned>((static_cast<std::uint64_t>(key.getValue()) * 0x9E3779B97F4A7C15ull) >> 56);
    }

    bool mayHold(const KEY& key) const
    {
        if constexpr (Filtered)
        {
            const unsigned bit = filterBit(key);
            return (_filter[bit >> 6] >> (bit & 63)) & 1;
        }
        else
            return true;
    }

public:
    Dictionary() = default;
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;
    Dictionary(Dictionary&& other) noexcept { swap(other); }
    Dictionary& operator=(Dictionary&& other) noexcept
    {
        if (this != &other)
        {
            Dictionary emptied;
            swap(other);
            other.swap(emptied);
        }
        return *this;
    }
    ~Dictionary() { delete[] _entries; }

    void swap(Dictionary& other) noexcept
    {
        std::swap(_entries, other._entries);
        std::swap(_capacity, other._capacity);
        std::swap(_size, other._size);
        std::swap(_bulk, other._bulk);
        std::swap(_growthPolicy, other._growthPolicy);
        std::swap(_filter, other._filter);
    }

    // Replaces the array with one of n entries, keeping the present ones;
    // n = 0 changes nothing. It never goes below the entry count, so the
    // next insert stays inside the array.
    void reserve(std::uint32_t n)
    {
        if (n == 0)
            return;
        if (n < _size)
            n = _size;
        if (n == _capacity)
            return;
        Entry* entries = new Entry[n];
        for (std::uint32_t i = 0; i < _size; ++i)
            entries[i] = std::move(_entries[i]);
        delete[] _entries;
        _entries = entries;
        _capacity = n;
    }

    // 0 doubles, 1 adds one, 255 adds 65536, any other n adds n.
    void setGrowthPolicy(unsigned char policy) { _growthPolicy = policy; }

    void startBulkUpdate() { _bulk.start(); }
    void endBulkUpdate()
    {
        if (_bulk.end())
            sorted::sortEntries(_entries, _size);
    }
    bool isBulkUpdateOpen() const { return _bulk.isOpen(); }
    bool isUnsorted() const { return _bulk.isUnsorted(); }

    void insert(const KEY& key, const VALUE& value)
    {
        if (_size == _capacity)
            reserve(sorted::grownCapacity(_capacity, _growthPolicy));
        _entries[_size].key = key;
        _entries[_size].value = value;
        ++_size;
        if constexpr (Filtered)
        {
            const unsigned bit = filterBit(key);
            _filter[bit >> 6] |= std::uint64_t(1) << (bit & 63);
        }
        if (_bulk.inserted())
            sorted::placeLastEntry(_entries, _size);
    }

    bool find(const KEY& key, VALUE& value) const
    {
        return mayHold(key) && sorted::findValue(_entries, _size, key, value);
    }

    VALUE* findValPtr(const KEY& key) const
    {
        Entry* e = mayHold(key) ? sorted::findEntry(_entries, _size, key) : nullptr;
        return e ? &e->value : nullptr;
    }

    std::uint32_t size() const { return _size; }
    std::uint32_t capacity() const { return _capacity; }

    // The entries in stored order (sorted once no update is pending).
    const Entry* begin() const { return _entries; }
    const Entry* end() const { return _entries + _size; }
};

} // namespace cnt
