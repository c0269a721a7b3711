#pragma once
// A growable vector whose whole capacity is constructed when its array is
// allocated, so push_back() hands out a slot that already holds a
// default-constructed element. reserve empties the vector and never keeps
// elements. Growth doubles the capacity, starting from 1.
#include <mu/Assert.h>

#include <cstddef>
#include <utility>

namespace cnt
{

template <typename T, std::size_t INCREMENT = 0>
class PushBackVector
{
    static_assert(INCREMENT == 0, "only growth by doubling is provided");

    T* _data = nullptr;
    T* _end = nullptr;
    std::size_t _capacity = 0;

    void grow()
    {
        const std::size_t sz = size();
        const std::size_t capacity = _capacity == 0 ? 1 : 2 * _capacity;
        T* data = new T[capacity];
        for (std::size_t i = 0; i < sz; ++i)
            data[i] = std::move(_data[i]);
        delete[] _data;
        _data = data;
        _end = data + sz;
        _capacity = capacity;
    }

    bool isFull() const { return _end == _data + _capacity; }

public:
    PushBackVector() = default;
    PushBackVector(const PushBackVector&) = delete;
    PushBackVector& operator=(const PushBackVector&) = delete;
    PushBackVector(PushBackVector&& other) noexcept
        : _data(std::exchange(other._data, nullptr))
        , _end(std::exchange(other._end, nullptr))
        , _capacity(std::exchange(other._capacity, 0))
    {
    }
    PushBackVector& operator=(PushBackVector&& other) noexcept
    {
        if (this != &other)
        {
            delete[] _data;
            _data = std::exchange(other._data, nullptr);
            _end = std::exchange(other._end, nullptr);
            _capacity = std::exchange(other._capacity, 0);
        }
        return *this;
    }
    ~PushBackVector() { delete[] _data; }

    // The next slot, holding a default-constructed element.
    T& push_back()
    {
        if (isFull())
            grow();
        return *_end++;
    }

    void push_back(const T& value)
    {
        if (!isFull())
        {
            *_end++ = value;
            return;
        }
        // value may be one of our own elements, which growing moves away
        T copy(value);
        grow();
        *_end++ = std::move(copy);
    }

    // Empties the vector with room for n elements. With n equal to the
    // capacity the array stays and the used slots are reset to their
    // default, so a later push_back() still hands out a fresh element.
    void reserve(std::size_t n)
    {
        if (n == _capacity)
        {
            for (T* p = _data; p != _end; ++p)
                *p = T();
        }
        else
        {
            T* data = n > 0 ? new T[n] : nullptr;
            delete[] _data;
            _data = data;
            _capacity = n;
        }
        _end = _data;
    }

    T& operator[](std::size_t pos)
    {
        const std::size_t sz = size();
        MU_ASSERT(pos < sz);
        return _data[pos];
    }
    const T& operator[](std::size_t pos) const
    {
        const std::size_t sz = size();
        MU_ASSERT(pos < sz);
        return _data[pos];
    }

    std::size_t size() const { return static_cast<std::size_t>(_end - _data); }
    std::size_t capacity() const { return _capacity; }
    bool isEmpty() const { return _end == _data; }
    T* begin() { return _data; }
    T* end() { return _end; }
    const T* begin() const { return _data; }
    const T* end() const { return _end; }
};

} // namespace cnt
