#pragma once
// Singly linked list held by its first entry. With heap entries the list owns
// them; with EXTERN_ALLOCATOR the entries come from a pool that the user links
// in and that frees them, so the list only holds the head.
#include <mu/Assert.h>

#include <utility>

namespace cnt
{

// Forward iterator over the entries {value; pNext} of a singly linked list;
// it stands on nothing at the end.
template <typename TENTRY, typename TVAL>
class ListIterator
{
public:
    ListIterator(TENTRY* pEntry = nullptr)
        : pIt(pEntry)
    {
    }
    TVAL& operator*() const { return pIt->value; }
    TVAL* operator->() const { return &pIt->value; }
    ListIterator& operator++()
    {
        MU_ASSERT(pIt);
        pIt = pIt->pNext;
        return *this;
    }
    bool operator==(const ListIterator& other) const = default;
    bool isValid() const { return pIt != nullptr; }
    bool hasNext() const { return pIt && pIt->pNext; }
    TENTRY* getEntry() const { return pIt; }

private:
    TENTRY* pIt;
};

template <typename T, bool EXTERN_ALLOCATOR = false>
class List
{
public:
    struct _tEntry
    {
        T value;
        _tEntry* pNext;
    };

    using iterator = ListIterator<_tEntry, T>;

    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    // The entries change hands; the source is left empty.
    List(List&& other) noexcept
        : _pFirst(std::exchange(other._pFirst, nullptr))
    {
    }
    List& operator=(List&& other) noexcept requires(!EXTERN_ALLOCATOR)
    {
        if (this != &other)
        {
            clean();
            _pFirst = std::exchange(other._pFirst, nullptr);
        }
        return *this;
    }

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
    void setFirstEntry(_tEntry* pEntry) requires EXTERN_ALLOCATOR { _pFirst = pEntry; }

    // Appends a default-constructed value behind the last entry (found by
    // walking: the lists that use this are a few entries long).
    iterator push_back() requires(!EXTERN_ALLOCATOR)
    {
        _tEntry* pLast = _pFirst;
        while (pLast && pLast->pNext)
            pLast = pLast->pNext;
        return insertAfter(iterator(pLast));
    }

    // A default-constructed value behind pos, or in front when pos stands on
    // nothing; a caller that holds the last entry appends without a walk.
    iterator insertAfter(iterator pos) requires(!EXTERN_ALLOCATOR)
    {
        _tEntry* pEntry = new _tEntry; // no zeroing: chunk bodies are overwritten anyway
        _tEntry*& pLink = pos.isValid() ? pos.getEntry()->pNext : _pFirst;
        pEntry->pNext = pLink;
        pLink = pEntry;
        return iterator(pEntry);
    }

    iterator push_back(const T& value) requires(!EXTERN_ALLOCATOR)
    {
        iterator it = push_back();
        *it = value;
        return it;
    }

    // Destroys every value and frees every entry from the first on.
    void clean() requires(!EXTERN_ALLOCATOR)
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
