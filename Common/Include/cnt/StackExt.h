#pragma once
// A stack whose entries come from a slot pool that several stacks share
// (the many short-lived stacks of one tree build), so push and pop cost one
// free-list operation and allocate nothing after the pool's first chunk.
// The pool is borrowed: its owner frees it.
#include <cnt/BitwiseCopyable.h>
#include <mem/priv/Manager.h>
#include <mu/Assert.h>

#include <cstddef>

namespace cnt
{

template <typename T, std::size_t CHUNK_SIZE>
class StackExt
{
    // A popped entry goes back to the pool, whose free-list link overwrites
    // the start of the value, and is never destroyed.
    static_assert(isBitwiseCopyable<T>, "pooled entries are reused without construction");

public:
    struct _tEntry
    {
        T value;
        _tEntry* pNext;
    };
    using Pool = mem::Manager<_tEntry, CHUNK_SIZE>;

private:
    Pool* _pPool = nullptr;
    _tEntry* _top = nullptr;

public:
    explicit StackExt(Pool* pPool = nullptr)
        : _pPool(pPool)
    {
    }
    StackExt(const StackExt&) = delete;
    StackExt& operator=(const StackExt&) = delete;

    // Entries still on the stack belong to the old pool and are dropped.
    void setPool(Pool* pPool)
    {
        _pPool = pPool;
        _top = nullptr;
    }

    void push(const T& value)
    {
        MU_ASSERT(_pPool);
        _tEntry* pEntry = _pPool->allocate();
        pEntry->value = value;
        pEntry->pNext = _top;
        _top = pEntry;
    }

    void pop()
    {
        MU_ASSERT(_top);
        _tEntry* pEntry = _top;
        _top = pEntry->pNext;
        _pPool->deallocate(pEntry);
    }

    T& top()
    {
        MU_ASSERT(_top);
        return _top->value;
    }
    const T& top() const
    {
        MU_ASSERT(_top);
        return _top->value;
    }

    bool isEmpty() const { return _top == nullptr; }
};

} // namespace cnt
