#pragma once
// Singly linked list held by its first entry. With heap entries the list owns
// them; with EXTERN_ALLOCATOR the entries come from a pool that the user links
// in and that frees them, so the list only holds the head.
#include <mu/Assert.h>

namespace cnt
{

template <typename T, bool EXTERN_ALLOCATOR = false>
class List
{
public:
    struct _tEntry
    {
        T value;
        _tEntry* pNext;
    };

    class iterator
    {
    public:
        iterator(_tEntry* pEntry = nullptr)
            : pIt(pEntry)
        {
        }
        T& operator*() const { return pIt->value; }
        T* operator->() const { return &pIt->value; }
        iterator& operator++()
        {
            MU_ASSERT(pIt);
            pIt = pIt->pNext;
            return *this;
        }
        bool operator==(const iterator& other) const = default;
        bool isValid() const { return pIt != nullptr; }
        bool hasNext() const { return pIt && pIt->pNext; }
        _tEntry* getEntry() const { return pIt; }

    private:
        _tEntry* pIt;
    };

    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;

    ~List()
    {
        if constexpr (!EXTERN_ALLOCATOR)
            clean();
    }

    iterator begin() const { return iterator(_pFirst); }
    iterator end() const { return iterator(); }
    bool isEmpty() const { return _pFirst == nullptr; }

    _tEntry* getFirstEntry() const { return _pFirst; }
    // Pooled lists: the pool's user links the entries and sets the head.
    void setFirstEntry(_tEntry* pEntry)
        requires EXTERN_ALLOCATOR
    {
        _pFirst = pEntry;
    }

    // Appends a default-constructed value behind the last entry (found by
    // walking: the lists that use this are a few entries long).
    iterator push_back()
        requires(!EXTERN_ALLOCATOR)
    {
        _tEntry* pEntry = new _tEntry; // no zeroing: chunk bodies are overwritten anyway
        pEntry->pNext = nullptr;
        if (!_pFirst)
        {
            _pFirst = pEntry;
            return iterator(pEntry);
        }
        _tEntry* pLast = _pFirst;
        while (pLast->pNext)
            pLast = pLast->pNext;
        pLast->pNext = pEntry;
        return iterator(pEntry);
    }

    iterator push_back(const T& value)
        requires(!EXTERN_ALLOCATOR)
    {
        iterator it = push_back();
        *it = value;
        return it;
    }

    // Destroys every value and frees every entry from the first on.
    void clean()
        requires(!EXTERN_ALLOCATOR)
    {
        while (_pFirst)
        {
            _tEntry* pNext = _pFirst->pNext;
            delete _pFirst;
            _pFirst = pNext;
        }
    }

private:
    _tEntry* _pFirst = nullptr;
};

} // namespace cnt
