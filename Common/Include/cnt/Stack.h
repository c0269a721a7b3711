#pragma once
// Stack over one array that grows in steps of GROW_BY elements when full.
// The elements live as long as the array: popping only moves the top, and a
// later push hands the old slot back for the caller to overwrite.
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <utility>
#include <mu/Assert.h>

namespace cnt
{

template <typename T, unsigned GROW_BY = 16>
class Stack
{
    static_assert(GROW_BY > 0, "a full stack must be able to grow");

public:
    // The deepest stack: its top index must stay a non-negative int.
    static constexpr unsigned maxCapacity = unsigned(std::numeric_limits<int>::max()) / GROW_BY * GROW_BY;

    Stack() = default;
    Stack(const Stack&) = delete;
    Stack& operator=(const Stack&) = delete;
    ~Stack() { delete[] _data; }

    // The slot of the new top. Counts are 32-bit so that deep nesting from
    // input cannot wrap them; a stack past maxCapacity throws instead of
    // writing outside its array.
    T& push()
    {
        if (unsigned(_top + 1) >= _capacity)
            grow();
        return _data[++_top];
    }

    void push(const T& value)
    {
        if (unsigned(_top + 1) < _capacity)
            _data[++_top] = value;
        else
        {
            T keep(value); // value may live in the array that grow() frees
            push() = std::move(keep);
        }
    }

    void pop()
    {
        MU_ASSERT(_top >= 0);
        --_top;
    }

    T& top()
    {
        MU_ASSERT(_top >= 0);
        return _data[_top];
    }
    const T& top() const
    {
        MU_ASSERT(_top >= 0);
        return _data[_top];
    }

    bool isEmpty() const { return _top < 0; }
    unsigned size() const { return unsigned(_top + 1); }
    unsigned capacity() const { return _capacity; }

private:
    // One step while the stack is small; half its size (in whole steps) once
    // it is large, so that nesting as deep as the input allows costs linear
    // time rather than quadratic.
    void grow()
    {
        if (_capacity >= maxCapacity)
            throw std::length_error("cnt::Stack: nesting too deep");
        unsigned step = _capacity / 2 / GROW_BY * GROW_BY;
        if (step < GROW_BY)
            step = GROW_BY;
        unsigned newCapacity = (maxCapacity - _capacity < step) ? maxCapacity : _capacity + step;
        T* pNew = new T[newCapacity];
        // Moved, not copied, so that shared strings keep their blocks and counts.
        for (unsigned i = 0; i < _capacity; ++i)
            pNew[i] = std::move(_data[i]);
        delete[] _data;
        _data = pNew;
        _capacity = newCapacity;
    }

    T* _data = nullptr;
    unsigned _capacity = 0;
    int _top = -1; // -1 when empty
};

} // namespace cnt
