#pragma once
// A stack of at most N values held inline, for the small fixed tables (a
// Runge-Kutta tableau) that are filled once and read often without touching
// the heap.
#include <mu/Assert.h>

namespace matrix
{
template <typename T, int N>
class SmallStackMax
{
    static_assert(N > 0, "SmallStackMax needs room for at least one value");

public:
    static constexpr int capacity() { return N; }
    int size() const { return _size; }
    bool isEmpty() const { return _size == 0; }

    void clear() { _size = 0; }

    void push_back(const T& value)
    {
        MU_ASSERT(_size < N);
        _data[_size++] = value;
    }

    // Values that become visible by growing are value-initialised, so a
    // shrink followed by a grow never shows stale values.
    void resize(int n)
    {
        MU_ASSERT(n >= 0 && n <= N);
        for (int i = _size; i < n; ++i)
            _data[i] = T();
        _size = n;
    }

    T& operator[](int pos)
    {
        MU_ASSERT(pos >= 0 && pos < _size);
        return _data[pos];
    }

    const T& operator[](int pos) const
    {
        MU_ASSERT(pos >= 0 && pos < _size);
        return _data[pos];
    }

    const T* begin() const { return _data; }
    const T* end() const { return _data + _size; }

private:
    T _data[N] = {};
    int _size = 0;
};
} // namespace matrix
