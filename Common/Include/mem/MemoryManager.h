#pragma once
// Hands out runs of contiguous entries from large buffers, front to back,
// never one back: compiled programs and their operands live here until the
// owner (a solver) is destroyed, which frees every buffer at once. The
// owner sets the entries per buffer; a larger request raises it for all
// later buffers.
#include <cnt/List.h>
#include <mu/Assert.h>

#include <cstddef>

namespace mem
{

template <typename T, bool SetMemoryToZero = false, int N = 1>
class MemoryManager
{
    static_assert(!SetMemoryToZero && N == 1, "only plain default-constructed buffers are provided");

    // Each buffer keeps its own length: a buffer made before the size was
    // raised is shorter than the present buffer size.
    struct Buffer
    {
        T* pEntries;
        std::size_t size;
    };
    using Buffers = cnt::List<Buffer>;

    Buffers _buffers;
    T* _free = nullptr;
    T* _end = nullptr;
    typename Buffers::iterator _current;
    std::size_t _bufferSize;

    void makeCurrent(const Buffer& buffer)
    {
        _free = buffer.pEntries;
        _end = buffer.pEntries + buffer.size;
    }

public:
    explicit MemoryManager(std::size_t bufferSize)
        : _bufferSize(bufferSize)
    {
        MU_ASSERT(bufferSize > 0);
    }
    MemoryManager(const MemoryManager&) = delete;
    MemoryManager& operator=(const MemoryManager&) = delete;

    ~MemoryManager()
    {
        for (const Buffer& buffer : _buffers)
            delete[] buffer.pEntries;
        _free = _end = nullptr;
    }

    // n contiguous entries, or null for n below 1. The rest of a buffer too
    // short for the run stays unused.
    T* getEntries(int n)
    {
        if (n < 1)
            return nullptr;
        const auto count = static_cast<std::size_t>(n);
        if (static_cast<std::size_t>(_end - _free) < count)
        {
            if (_bufferSize < count)
                _bufferSize = count;
            do
                allocateBuffer();
            while (static_cast<std::size_t>(_end - _free) < count);
        }
        T* pRun = _free;
        _free += count;
        return pRun;
    }

    T* getEntry() { return getEntries(1); }

    // Moves on to the next buffer: one already in the list after the
    // current one, or a new one of the present buffer size.
    void allocateBuffer()
    {
        if (_current.hasNext())
        {
            ++_current;
            makeCurrent(*_current);
            return;
        }
        const Buffer buffer {new T[_bufferSize], _bufferSize};
        _current = _buffers.push_back(buffer);
        makeCurrent(buffer);
    }

    // Makes every buffer free again, from the first on. Entries handed out
    // before are invalid afterwards.
    void rewind()
    {
        _current = _buffers.begin();
        if (_current.isValid())
            makeCurrent(*_current);
    }

    std::size_t getBufferSize() const { return _bufferSize; }
};

} // namespace mem
