#pragma once
// Slot pool: hands out fixed-size slots of one type from chunks of a fixed
// byte budget. Slots are never given back to the heap one by one; the whole
// pool goes with its owner. Allocation pops a slot given back, else takes the
// next untouched slot of the current chunk; given-back slots form a list
// threaded through themselves.
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <mu/Assert.h>

namespace mem
{

template <typename T, size_t BUCKET_SIZE, bool SetMemoryToZero = false>
class Manager
{
    // A free slot keeps the link to the next free slot in its first bytes.
    static_assert(sizeof(T) >= sizeof(void*), "a slot must be able to hold the free-list link");
    // Slots are dropped with their chunk without running destructors.
    static_assert(std::is_trivially_destructible_v<T>, "pooled slots are never destroyed");
    static_assert(std::is_default_constructible_v<T>, "chunks are constructed once when allocated");

public:
    static constexpr size_t slotsPerChunk = (BUCKET_SIZE / sizeof(T) > 0) ? BUCKET_SIZE / sizeof(T) : 1;

    Manager() = default;
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    ~Manager() { release(); }

    // Gives every chunk back to the heap: the slots handed out so far become
    // invalid, and the next allocate starts a new chunk.
    void release()
    {
        while (_pChunks)
        {
            ChunkNode* pNext = _pChunks->pNext;
            ::operator delete (_pChunks->pSlots, std::align_val_t {alignof(T)});
            delete _pChunks;
            _pChunks = pNext;
        }
        _pSpare = nullptr;
        _current = nullptr;
        _fresh = _freshEnd = nullptr;
        _nChunks = 0;
    }

    // One slot, not constructed again: it holds what the chunk's construction
    // or its last user left; a slot given back has the free-list link in its
    // first bytes.
    T* allocate()
    {
        if (T* pSlot = _current)
        {
            _current = nextFree(pSlot);
            return pSlot;
        }
        // A chunk is handed out front to back without threading it first.
        if (_fresh == _freshEnd)
            allocateChunk();
        return _fresh++;
    }

    // Gives a slot back; the next allocate hands it out again.
    void deallocate(T* pSlot)
    {
        setNextFree(pSlot, _current);
        _current = pSlot;
    }

    // Makes every chunk spare again: the slots handed out so far become
    // invalid and are reused before any new chunk is allocated.
    void reset()
    {
        _current = nullptr;
        _fresh = _freshEnd = nullptr;
        _pSpare = _pChunks;
    }

    void allocateChunk()
    {
        T* pSlots;
        if (_pSpare)
        {
            pSlots = _pSpare->pSlots;
            _pSpare = _pSpare->pNext;
        }
        else
        {
            pSlots = createChunk();
        }
        _fresh = pSlots;
        _freshEnd = pSlots + slotsPerChunk;
    }

    size_t getNoOfChunks() const { return _nChunks; }

private:
    struct ChunkNode
    {
        T* pSlots;
        ChunkNode* pNext;
    };

    T* createChunk()
    {
        void* pMem = ::operator new (slotsPerChunk * sizeof(T), std::align_val_t {alignof(T)});
        if constexpr (SetMemoryToZero)
            std::memset(pMem, 0, slotsPerChunk * sizeof(T));
        T* pSlots = static_cast<T*>(pMem);
        for (size_t i = 0; i < slotsPerChunk; ++i)
            ::new (static_cast<void*>(pSlots + i)) T();
        _pChunks = new ChunkNode {pSlots, _pChunks};
        ++_nChunks;
        return pSlots;
    }

    static T* nextFree(T* pSlot)
    {
        T* pNext;
        std::memcpy(&pNext, static_cast<void*>(pSlot), sizeof(pNext));
        return pNext;
    }

    static void setNextFree(T* pSlot, T* pNext) { std::memcpy(static_cast<void*>(pSlot), &pNext, sizeof(pNext)); }

    ChunkNode* _pChunks = nullptr; // newest first; reset makes all of them spare
    ChunkNode* _pSpare = nullptr;  // next allocated chunk not threaded yet
    T* _current = nullptr;         // last slot given back, head of the free list
    T* _fresh = nullptr;           // next untouched slot of the current chunk
    T* _freshEnd = nullptr;
    size_t _nChunks = 0;
};

} // namespace mem
