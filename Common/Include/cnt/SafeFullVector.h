#pragma once
// A fixed-size owned array with checked element access: the vector that
// crosses from the model objects to the Python module. There is no spare
// capacity: every operation that changes the size replaces the array.
// reserve sets the size and discards the contents; resize grows and keeps
// them.
#include <mu/Assert.h>

#include <cstddef>
#include <utility>

namespace cnt
{

template <typename T, bool EXTERN_ALLOCATOR = false>
class SafeFullVector
{
    static_assert(!EXTERN_ALLOCATOR, "only heap storage is provided");

    T* _data = nullptr;
    std::size_t _size = 0;

    // Every element starts as T(): numbers and complex numbers zero, strings
    // empty, so a fresh vector never hands out what the heap held before.
    static T* allocate(std::size_t n) { return n > 0 ? new T[n]() : nullptr; }

public:
    SafeFullVector() = default;
    explicit SafeFullVector(std::size_t n)
        : _data(allocate(n))
        , _size(n)
    {
    }
    SafeFullVector(const SafeFullVector& other) { *this = other; }
    SafeFullVector(SafeFullVector&& other) noexcept
        : _data(std::exchange(other._data, nullptr))
        , _size(std::exchange(other._size, 0))
    {
    }
    SafeFullVector& operator=(SafeFullVector&& other) noexcept
    {
        if (this != &other)
        {
            clean();
            _data = std::exchange(other._data, nullptr);
            _size = std::exchange(other._size, 0);
        }
        return *this;
    }
    SafeFullVector& operator=(const SafeFullVector& other)
    {
        if (this == &other)
            return *this;
        if (_size != other._size)
            reserve(other._size);
        for (std::size_t i = 0; i < _size; ++i)
            _data[i] = other._data[i];
        return *this;
    }
    ~SafeFullVector() { delete[] _data; }

    std::size_t size() const { return _size; }
    bool isEmpty() const { return _size == 0; }
    T* getData() { return _data; }
    const T* getData() const { return _data; }
    T* begin() { return _data; }
    T* end() { return _data + _size; }
    const T* begin() const { return _data; }
    const T* end() const { return _data + _size; }

    T& operator[](std::size_t pos)
    {
        MU_ASSERT_MSG(pos < _size && _data, "pos >= 0 && pos < _size && _data");
        return _data[pos];
    }
    const T& operator[](std::size_t pos) const
    {
        MU_ASSERT_MSG(pos < _size && _data, "pos >= 0 && pos < _size && _data");
        return _data[pos];
    }

    // n elements, old contents discarded unless n is the present size. The
    // old array goes first so that the two never coexist; a failed
    // allocation throws and leaves the vector empty, not dangling.
    void reserve(std::size_t n)
    {
        if (n == _size)
            return;
        clean();
        _data = allocate(n);
        _size = n;
    }

    // Grows only; the old elements are moved to the front in order.
    void resize(std::size_t n)
    {
        if (n <= _size)
            return;
        T* data = allocate(n);
        for (std::size_t i = 0; i < _size; ++i)
            data[i] = std::move(_data[i]);
        delete[] _data;
        _data = data;
        _size = n;
    }

    void clean()
    {
        delete[] _data;
        _data = nullptr;
        _size = 0;
    }

    void zeros()
    {
        for (std::size_t i = 0; i < _size; ++i)
            _data[i] = T {};
    }

    void setAll(const T& value)
    {
        for (std::size_t i = 0; i < _size; ++i)
            _data[i] = value;
    }

    void takeDataFrom(const SafeFullVector& other)
    {
        const std::size_t size = other.size();
        MU_ASSERT(size == _size);
        for (std::size_t i = 0; i < size; ++i)
            _data[i] = other[i];
    }
};

} // namespace cnt
