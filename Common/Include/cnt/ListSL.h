#pragma once
// Singly linked list held by its first and last entry. With heap entries the
// list owns them. With EXTERN_ALLOCATOR the entries come from a slot pool
// (a mem::Manager of _tEntry, or a shared list manager) that frees them all
// at once; the list only links them and never frees one.
#include <cstddef>
#include <utility>
#include <cnt/List.h>

namespace cnt
{

template <typename T, bool EXTERN_ALLOCATOR = false>
class ListSL
{
public:
    // The value comes first: a pool's free-list link overlays it, never the
    // link to the next entry.
    struct _tEntry
    {
        T value;
        _tEntry* pNext;
    };

    using iterator = ListIterator<_tEntry, T>;
    using const_iterator = ListIterator<const _tEntry, const T>;

    ListSL() = default;
    ListSL(const ListSL&) = delete;
    ListSL& operator=(const ListSL&) = delete;

    ListSL(ListSL&& other) noexcept
        : _pFirst(std::exchange(other._pFirst, nullptr))
        , _pLast(std::exchange(other._pLast, nullptr))
    {
    }

    ListSL& operator=(ListSL&& other) noexcept
    {
        if (this != &other)
        {
            clean();
            _pFirst = std::exchange(other._pFirst, nullptr);
            _pLast = std::exchange(other._pLast, nullptr);
        }
        return *this;
    }

    ~ListSL() { clean(); }

    iterator begin() { return iterator(_pFirst); }
    iterator end() { return iterator(); }
    const_iterator begin() const { return const_iterator(_pFirst); }
    const_iterator end() const { return const_iterator(); }

    bool isEmpty() const { return _pFirst == nullptr; }
    _tEntry* getFirstEntry() const { return _pFirst; }
    _tEntry* getLastEntry() const { return _pLast; }

    // Heap entries: destroys every value and frees every entry from the first
    // on. Pooled entries: only forgets them (their pool owns them).
    void clean()
    {
        if constexpr (!EXTERN_ALLOCATOR)
        {
            while (_pFirst)
            {
                _tEntry* pNext = _pFirst->pNext;
                delete _pFirst;
                _pFirst = pNext;
            }
        }
        _pFirst = nullptr;
        _pLast = nullptr;
    }

    // Heap entries: appends a default-constructed value and returns it.
    T& push_back() requires(!EXTERN_ALLOCATOR)
    {
        _tEntry* pEntry = new _tEntry {};
        linkAfter(_pLast, pEntry);
        return pEntry->value;
    }

    void push_back(const T& value) requires(!EXTERN_ALLOCATOR)
    {
        _tEntry* pEntry = new _tEntry {value, nullptr};
        linkAfter(_pLast, pEntry);
    }

    // Pooled entries from a slot pool of _tEntry (anything with allocate()).
    template <typename TPOOL>
    T& push_back(TPOOL& pool, const T& value) requires EXTERN_ALLOCATOR
    {
        _tEntry* pEntry = pool.allocate();
        pEntry->value = value;
        linkAfter(_pLast, pEntry);
        return pEntry->value;
    }

    // Links an entry that its caller took from a pool: behind pPrev, or in
    // front when pPrev is null. The entry's own link is overwritten.
    void linkAfter(_tEntry* pPrev, _tEntry* pEntry)
    {
        if (!pPrev)
        {
            pEntry->pNext = _pFirst;
            _pFirst = pEntry;
        }
        else
        {
            pEntry->pNext = pPrev->pNext;
            pPrev->pNext = pEntry;
        }
        if (pPrev == _pLast)
            _pLast = pEntry;
    }

private:
    _tEntry* _pFirst = nullptr;
    _tEntry* _pLast = nullptr;
};

} // namespace cnt
