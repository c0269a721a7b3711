#pragma once
// Fixed array of N elements held in place. Plain member array: the elements
// are destroyed from the last to the first, as the language does it.
#include <cstddef>
#include <mu/Assert.h>

namespace cnt
{

template <typename T, size_t N>
class Array
{
public:
    T& operator[](size_t pos)
    {
        MU_ASSERT(pos < N);
        return _data[pos];
    }
    const T& operator[](size_t pos) const
    {
        MU_ASSERT(pos < N);
        return _data[pos];
    }

    static constexpr size_t size() { return N; }
    T* begin() { return _data; }
    T* end() { return _data + N; }
    const T* begin() const { return _data; }
    const T* end() const { return _data + N; }

private:
    T _data[N] {};
};

} // namespace cnt
