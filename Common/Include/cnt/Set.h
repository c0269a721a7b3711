#pragma once
// A growable sorted set in one array from the C heap, searched by halving,
// with the fill protocol of cnt::Dictionary. Members live in malloc'ed
// slots and move bit by bit: numbers and enumerations, which compare as
// numbers, and pool strings, which compare byte by byte as unsigned with the
// shorter first when one begins the other.
#include <cnt/BitwiseCopyable.h>
#include <cnt/SortedArray.h>
#include <mu/Assert.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace cnt
{

template <typename T>
class Set
{
    static_assert(isBitwiseCopyable<T>, "members live in raw slots and move bit by bit");

    T* _data = nullptr;
    std::uint32_t _capacity = 0;
    std::uint32_t _size = 0;
    sorted::BulkState _bulk;
    unsigned char _growthPolicy = 0;

    static const T& keyOf(const T& v) { return v; }
    static constexpr sorted::KeyLess less {};

public:
    Set() = default;
    Set(const Set&) = delete;
    Set& operator=(const Set&) = delete;
    ~Set() { std::free(_data); }

    // Sets the capacity to n, keeping the members; never below the count.
    void reserve(std::uint32_t n)
    {
        if (n < _size)
            n = _size;
        if (n == _capacity)
            return;
        T* data = nullptr;
        if (n > 0)
        {
            data = static_cast<T*>(std::malloc(std::size_t(n) * sizeof(T)));
            if (!data)
                throw std::bad_alloc();
            if (_size > 0)
                std::memcpy(static_cast<void*>(data), _data, std::size_t(_size) * sizeof(T));
        }
        std::free(_data);
        _data = data;
        _capacity = n;
    }

    // 0 doubles, 1 adds one, 255 adds 65536, any other n adds n.
    void setGrowthPolicy(unsigned char policy) { _growthPolicy = policy; }

    void startBulkUpdate() { _bulk.start(); }
    void endBulkUpdate()
    {
        if (_bulk.end())
            sorted::sort(_data, _size, keyOf, less);
    }

    void insert(T value)
    {
        if (_size == _capacity)
            reserve(sorted::grownCapacity(_capacity, _growthPolicy));
        std::memcpy(static_cast<void*>(_data + _size), &value, sizeof(T));
        ++_size;
        if (_bulk.inserted())
            sorted::placeLast(_data, _size, keyOf, less);
    }

    // The member, or end() when absent.
    const T* find(const T& value) const
    {
        const T* p = sorted::find(_data, _size, value, keyOf, less);
        return p ? p : end();
    }

    bool findKey(const T& value) const { return sorted::find(_data, _size, value, keyOf, less) != nullptr; }

    // The member among positions from..to (inclusive), or null.
    const T* findEntry(const T& value, std::uint32_t from, std::uint32_t to) const
    {
        if (from > to)
            return nullptr;
        MU_ASSERT(to < _size);
        return sorted::searchRange(_data, from, to, value, keyOf, less);
    }

    std::uint32_t size() const { return _size; }
    std::uint32_t capacity() const { return _capacity; }
    const T* begin() const { return _data; }
    const T* end() const { return _data + _size; }
};

} // namespace cnt
