#pragma once
// The buffer allocator: data chunks of CHUNK_SIZE bytes from one slot pool,
// chunk records from another. Freed chunks and records go back to the front
// of the pools' free lists; memory returns to the system only when the
// allocator is destroyed. Not locked: an allocator serves one thread.
#include <cstddef>
#include <new>

#include <mem/BuffChunk.h>
#include <mem/IBufferAllocator.h>
#include <mem/priv/Manager.h>

namespace mem
{
// CHUNK_SIZE: bytes of one data chunk; CHUNK_POOL: byte budget of one chunk
// of the data pool; RECORD_POOL: byte budget of one chunk of the record pool.
template <size_t CHUNK_SIZE, size_t CHUNK_POOL, size_t RECORD_POOL>
class BufferAllocator : public IBufferAllocator
{
    using Chunk = BuffChunk<CHUNK_SIZE>;

public:
    BufferAllocator() = default;
    BufferAllocator(const BufferAllocator&) = delete;
    BufferAllocator& operator=(const BufferAllocator&) = delete;

    bool allocate(ChunkList& list, Entry* after, size_t n) override
    {
        if (n == 0)
            return false;
        size_t count = n / CHUNK_SIZE + (n % CHUNK_SIZE != 0); // no overflow near SIZE_MAX
        return appendRun(list, after, count, [this](size_t) -> Buffer::Desc {
            return {_chunks.allocate()->data, static_cast<uint32_t>(CHUNK_SIZE), 0, 0, 1};
        });
    }

    bool allocateFromStringArray(ChunkList& list, const td::String* strings, size_t n) override
    {
        // Read-only: records that are not pooled are never written into.
        return appendRun(list, nullptr, n, [strings](size_t i) -> Buffer::Desc {
            uint32_t len = static_cast<uint32_t>(strings[i].length());
            return {const_cast<char*>(strings[i].c_str()), len, len, 0, 0};
        });
    }

    void release(ChunkList& list) override
    {
        releaseRun(list.getFirstEntry());
        list.setFirstEntry(nullptr);
    }

    Entry* releaseFirstEntry(ChunkList& list) override
    {
        Entry* pFirst = list.getFirstEntry();
        if (!pFirst)
            return nullptr;
        if (pFirst->pNext)
            pFirst->pNext->value.extraOwners = pFirst->value.extraOwners;
        list.setFirstEntry(pFirst->pNext);
        releaseRecord(pFirst);
        return pFirst;
    }

    void releasBeforeEntry(ChunkList& list, Entry* entry) override
    {
        Entry* pFirst = list.getFirstEntry();
        if (!pFirst || pFirst == entry)
            return;
        // The owner count lives in the first record; each record keeps its
        // own pooled flag, which says where its own data came from.
        if (entry)
            entry->value.extraOwners = pFirst->value.extraOwners;
        while (pFirst && pFirst != entry)
        {
            Entry* pNext = pFirst->pNext;
            releaseRecord(pFirst);
            pFirst = pNext;
        }
        list.setFirstEntry(pFirst);
    }

    void releasAfterEntry(Entry* entry) override
    {
        if (!entry)
            return;
        releaseRun(entry->pNext);
        entry->pNext = nullptr;
    }

    size_t getUnitChunkSize() const override { return CHUNK_SIZE; }

private:
    // Links `count` new records, each described by fill(i), behind `after`.
    // The run is built apart first, so that a failed allocation leaves the
    // list as it was and gives back what the run took.
    template <class FILL>
    bool appendRun(ChunkList& list, Entry* after, size_t count, FILL fill)
    {
        if (count == 0)
            return true;
        Entry* pFirst = nullptr;
        Entry* pLast = nullptr;
        try
        {
            for (size_t i = 0; i < count; ++i)
            {
                Entry* pEntry = _records.allocate();
                pEntry->value = {};
                pEntry->pNext = nullptr;
                (pLast ? pLast->pNext : pFirst) = pEntry;
                pLast = pEntry;
                pEntry->value = fill(i);
            }
        }
        catch (const std::bad_alloc&)
        {
            releaseRun(pFirst);
            return false;
        }
        linkBehind(list, after, pFirst, pLast);
        return true;
    }

    void releaseRecord(Entry* pEntry)
    {
        if (pEntry->value.pooled)
            _chunks.deallocate(reinterpret_cast<Chunk*>(pEntry->value.data));
        pEntry->value = {};
        _records.deallocate(pEntry);
    }

    void releaseRun(Entry* pEntry)
    {
        while (pEntry)
        {
            Entry* pNext = pEntry->pNext;
            releaseRecord(pEntry);
            pEntry = pNext;
        }
    }

    static void linkBehind(ChunkList& list, Entry* after, Entry* pFirst, Entry* pLast)
    {
        if (!after)
        {
            after = list.getFirstEntry();
            if (!after)
            {
                list.setFirstEntry(pFirst);
                return;
            }
            while (after->pNext)
                after = after->pNext;
        }
        pLast->pNext = after->pNext;
        after->pNext = pFirst;
    }

    Manager<Chunk, CHUNK_POOL> _chunks;
    Manager<Entry, RECORD_POOL> _records;
};

extern template class BufferAllocator<1024, 65536, 2048>;
} // namespace mem
