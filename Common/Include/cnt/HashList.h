#pragma once
// Interning table of the XML readers' element and attribute names: a fixed
// number of buckets of entries chained newest first. Entries are cut from
// blocks of 128 and the texts go to the owner's string pool, so interning a
// name costs no heap call of its own. Entries are never removed.
#include <td/NameHash.h>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <mu/Assert.h>

namespace cnt
{

template <typename TSTR>
struct HashEntry
{
    uint32_t useCount;
    uint32_t hash;
    TSTR* pStr; // interned text, owned by the owner's string pool
    HashEntry* pNext;
};

template <typename TENTRY>
struct HashBucket
{
    using Entry = TENTRY;
    TENTRY* pFirst;
};

template <typename TBUCKETCNT, typename TSTR, unsigned SIZE>
class HashList
{
    static_assert((SIZE & (SIZE + 1)) == 0, "SIZE + 1 buckets must be a power of two: SIZE is the mask");

public:
    using Entry = typename TBUCKETCNT::Entry;
    static_assert(std::is_trivial_v<Entry>, "entry blocks are never constructed");
    static constexpr unsigned entriesPerBlock = 128;

    HashList() = default;
    HashList(const HashList&) = delete;
    HashList& operator=(const HashList&) = delete;

    ~HashList()
    {
        while (_pFirstBlock)
        {
            Block* pNext = _pFirstBlock->pNext;
            delete _pFirstBlock;
            _pFirstBlock = pNext;
        }
    }

    // The hash the callers compute over a name.
    static uint32_t hashOf(const char* text, size_t length) { return td::nameHash(text, length); }

    // The entry of text[0..length), made on first sight with the text copied
    // into owner's string pool (owner->alloc(text, length)); a repeated name
    // raises the entry's use count.
    template <typename T_CHAR, typename TALLOCHOLDER>
    const Entry* add(unsigned hash, int length, const T_CHAR* text, TALLOCHOLDER* owner)
    {
        Entry* pEntry = lookup(hash, length, text);
        if (pEntry)
        {
            ++pEntry->useCount;
            return pEntry;
        }
        MU_ASSERT_MSG(length >= 1, "toRet");
        TSTR* pStr = owner->alloc(text, unsigned(length));
        Entry*& pHead = _buckets[hash & SIZE].pFirst;
        pEntry = newEntry();
        *pEntry = Entry {1, hash, pStr, pHead};
        pHead = pEntry;
        return pEntry;
    }

    // The entry of a name given as text, or null when it was never interned.
    const Entry* find(unsigned hash, int length, const char* text) const { return lookup(hash, length, text); }

private:
    struct Block
    {
        Entry entries[entriesPerBlock];
        Block* pNext;
    };

    Entry* lookup(unsigned hash, int length, const char* text) const
    {
        if (length < 1) // interned names are never empty
            return nullptr;
        for (Entry* pEntry = _buckets[hash & SIZE].pFirst; pEntry; pEntry = pEntry->pNext)
        {
            if (pEntry->hash == hash && pEntry->pStr->compare(text, length))
                return pEntry;
        }
        return nullptr;
    }

    Entry* newEntry()
    {
        if (_pNextFree == _pBlockEnd)
        {
            Block* pBlock = new Block;
            pBlock->pNext = nullptr;
            if (_pLastBlock)
                _pLastBlock->pNext = pBlock;
            else
                _pFirstBlock = pBlock;
            _pLastBlock = pBlock;
            _pNextFree = pBlock->entries;
            _pBlockEnd = pBlock->entries + entriesPerBlock;
        }
        return _pNextFree++;
    }

    TBUCKETCNT _buckets[SIZE + 1] {};
    Block* _pFirstBlock = nullptr;
    Block* _pLastBlock = nullptr;
    Entry* _pNextFree = nullptr; // in the current block
    Entry* _pBlockEnd = nullptr;
};

} // namespace cnt
