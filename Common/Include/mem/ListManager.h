#pragma once
// Links entries into many singly linked lists (the token lists of the
// expression engine) from one shared slot pool. The lists belong to their
// users; the entries stay in the pool until the manager is destroyed.
#include <cnt/BitwiseCopyable.h>
#include <mem/priv/Manager.h>

#include <cstddef>

namespace mem
{

template <typename List, std::size_t BUCKET_SIZE>
class ListManager
{
    using Entry = typename List::_tEntry;
    using T = decltype(Entry::value);

    // Pool slots are constructed once per chunk and handed out with the
    // pool's free-list link written over the start of the value.
    static_assert(cnt::isBitwiseCopyable<T>, "pooled entries are overwritten without construction");

    mem::Manager<Entry, BUCKET_SIZE> _pool;

public:
    // Links value into list in front of the entry that it designates: at
    // the front when it designates nothing or the first entry, at the end
    // when it designates an entry that is not in the list.
    void insert(List& list, typename List::iterator& it, const T& value)
    {
        Entry* pEntry = _pool.allocate();
        pEntry->value = value;
        const Entry* pTarget = it.getEntry();
        Entry* pFirst = list.getFirstEntry();
        if (!pFirst || !pTarget || pTarget == pFirst)
        {
            list.linkAfter(nullptr, pEntry);
            return;
        }
        Entry* pPrev = pFirst;
        while (pPrev->pNext && pPrev->pNext != pTarget)
            pPrev = pPrev->pNext;
        list.linkAfter(pPrev, pEntry);
    }

    void push_back(List& list, const T& value) { list.push_back(_pool, value); }
};

} // namespace mem
