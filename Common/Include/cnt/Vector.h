#pragma once
// A growable vector whose size and capacity live in its own heap block, in
// front of the element slots: one pointer when empty. Elements are copied
// bit by bit and never destroyed one by one (numbers, and pool strings whose
// text a string pool owns). Growth doubles the capacity.
#include <cnt/BitwiseCopyable.h>
#include <mu/Assert.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace cnt
{

// The allocation policy of every instance: the block comes from the heap.
struct NullAllocator
{
};

template <typename T, std::size_t INCREMENT = 0, typename AllocPolicy = NullAllocator>
class Vector
{
    static_assert(isBitwiseCopyable<T>, "elements are copied bit by bit");
    static_assert(INCREMENT == 0, "only growth by doubling is provided");
    static_assert(std::is_same_v<AllocPolicy, NullAllocator>, "only heap blocks are provided");

    struct Header
    {
        std::uint32_t size;
        std::uint32_t capacity;
    };
    static_assert(alignof(T) <= sizeof(Header), "the slots follow the 8-byte header");

    Header* _data = nullptr;

    static T* slots(Header* h) { return reinterpret_cast<T*>(h + 1); }
    static const T* slots(const Header* h) { return reinterpret_cast<const T*>(h + 1); }

    // A block of `capacity` zeroed slots holding the first `size` elements
    // of the present block.
    void replaceBlock(std::uint32_t capacity, std::uint32_t size)
    {
        MU_ASSERT(capacity > 0);
        const std::size_t bytes = sizeof(Header) + std::size_t(capacity) * sizeof(T);
        auto* h = static_cast<Header*>(std::calloc(1, bytes));
        if (!h)
            throw std::bad_alloc();
        h->capacity = capacity;
        h->size = size;
        if (size > 0)
            std::memcpy(static_cast<void*>(slots(h)), slots(_data), std::size_t(size) * sizeof(T));
        std::free(_data);
        _data = h;
    }

public:
    Vector() = default;
    Vector(const Vector&) = delete;
    Vector& operator=(const Vector&) = delete;
    Vector(Vector&& other) noexcept
        : _data(std::exchange(other._data, nullptr))
    {
    }
    ~Vector() { std::free(_data); }

    void push_back(const T& value)
    {
        if (!_data)
            replaceBlock(1, 0);
        else if (_data->size >= _data->capacity)
        {
            const std::uint64_t doubled = std::uint64_t(_data->capacity) * 2;
            MU_ASSERT(doubled <= UINT32_MAX);
            replaceBlock(static_cast<std::uint32_t>(doubled), _data->size);
        }
        MU_ASSERT(_data != nullptr);
        std::memcpy(static_cast<void*>(slots(_data) + _data->size), &value, sizeof(T));
        ++_data->size;
    }

    // Moves the elements into a block of capacity n. With n below the size
    // the size is cut to n, so it never exceeds the capacity.
    void reserve(std::size_t n)
    {
        MU_ASSERT(n > 0);
        MU_ASSERT(n <= UINT32_MAX);
        const auto capacity = static_cast<std::uint32_t>(n);
        if (_data && _data->capacity == capacity)
            return;
        const std::uint32_t size = _data ? std::min(_data->size, capacity) : 0;
        replaceBlock(capacity, size);
    }

    std::uint32_t& size_ref()
    {
        MU_ASSERT(_data != nullptr);
        return _data->size;
    }
    std::uint32_t size_ref() const
    {
        MU_ASSERT(_data != nullptr);
        return _data->size;
    }

    // 0 for a vector that has no block yet.
    std::uint32_t size() const { return _data ? _data->size : 0; }
    std::uint32_t capacity() const { return _data ? _data->capacity : 0; }

    T& operator[](std::size_t pos)
    {
        MU_ASSERT(_data != nullptr);
        MU_ASSERT(pos < size_ref());
        return slots(_data)[pos];
    }
    const T& operator[](std::size_t pos) const
    {
        MU_ASSERT(_data != nullptr);
        MU_ASSERT(pos < size_ref());
        return slots(_data)[pos];
    }
};

} // namespace cnt
