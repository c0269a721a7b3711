#pragma once
// Where a buffer's chunk records and data chunks come from. An allocator
// serves one thread and outlives every buffer it serves.
#include <cstddef>

#include <mem/Buffer.h>

namespace mem
{
class IBufferAllocator
{
public:
    using ChunkList = Buffer::ChunkList;
    using Entry = Buffer::Entry;

    // Appends records whose capacity together covers n bytes, linked behind
    // `after` (null: behind the last record). False for n = 0 or when the
    // memory cannot be had.
    virtual bool allocate(ChunkList& list, Entry* after, size_t n) = 0;
    // Appends one read-only record over each string's bytes.
    virtual bool allocateFromStringArray(ChunkList& list, const td::String* strings, size_t n) = 0;
    virtual void release(ChunkList& list) = 0;
    // Returns the record given back: already in the pool, so only its address
    // may be used.
    virtual Entry* releaseFirstEntry(ChunkList& list) = 0;
    // `entry` becomes the first record and takes over the owner count.
    virtual void releasBeforeEntry(ChunkList& list, Entry* entry) = 0;
    virtual void releasAfterEntry(Entry* entry) = 0;
    virtual size_t getUnitChunkSize() const = 0;

protected:
    ~IBufferAllocator() = default;
};
} // namespace mem

namespace mu
{
// The main thread's allocator, created when the library loads. Buffers it
// serves change their owner counts without the global lock.
mem::IBufferAllocator* getMainThreadBufferAllocator();
} // namespace mu
