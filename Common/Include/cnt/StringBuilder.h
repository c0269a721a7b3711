#pragma once
// Builds a text in a list of fixed chunks: written text never moves, and a
// chunk is allocated only when the text outgrows the chunks already there.
// reset() keeps the chunks, so a builder that is reused stops allocating.
#include <cstddef>
#include <cstring>
#include <memory>
#include <cnt/List.h>

namespace cnt
{

template <typename S, unsigned CHUNK>
class StringBuilder
{
    static_assert(CHUNK > 0);
    using ChunkList = List<char[CHUNK]>;

public:
    void put(const char* text, unsigned n)
    {
        if (_current.isValid())
        {
            unsigned room = CHUNK - _used;
            unsigned now = n < room ? n : room;
            std::memcpy(*_current + _used, text, now);
            _used += now;
            _length += now;
            if (now == n)
                return;
            text += now;
            n -= now;
        }
        else if (n == 0)
            return;
        putStartingFromNewChunk(text, n);
    }

    void put(const char* text)
    {
        if (text)
            put(text, unsigned(std::strlen(text)));
    }

    void put(char c) { put(&c, 1); }

    // Writes n bytes from the start of the next chunk on; a chunk that follows
    // the current one is overwritten, not replaced.
    void putStartingFromNewChunk(const char* text, unsigned n)
    {
        _length += n;
        if (n >= CHUNK)
        {
            for (unsigned i = n / CHUNK; i > 0; --i)
            {
                moveToNextChunk();
                std::memcpy(*_current, text, CHUNK);
                text += CHUNK;
            }
            _used = n % CHUNK;
            if (_used == 0)
            {
                _used = CHUNK;
                return;
            }
        }
        else
            _used = n;
        moveToNextChunk();
        std::memcpy(*_current, text, _used);
    }

    // Empties the text and keeps the chunks for the next one.
    void reset()
    {
        _current = typename ChunkList::iterator();
        _used = 0;
        _length = 0;
    }

    size_t length() const { return _length; }
    size_t getCapacity() const { return _capacity; }

    S toString() const
    {
        if (_length <= CHUNK)
            return _length ? S(*_chunks.begin(), _length) : S();
        std::unique_ptr<char[]> text(new char[_length]);
        size_t pos = 0;
        for (auto it = _chunks.begin(); pos < _length; ++it)
        {
            size_t n = _length - pos < CHUNK ? _length - pos : CHUNK;
            std::memcpy(text.get() + pos, *it, n);
            pos += n;
        }
        return S(text.get(), _length);
    }

private:
    void moveToNextChunk()
    {
        auto* pNext = _current.isValid() ? _current.getEntry()->pNext : _chunks.getFirstEntry();
        if (pNext)
            _current = typename ChunkList::iterator(pNext);
        else
        {
            // The current chunk is the last one (or there is none yet).
            _current = _chunks.insertAfter(_current);
            _capacity += CHUNK;
        }
    }

    ChunkList _chunks;
    typename ChunkList::iterator _current; // none before the first byte
    unsigned _used = 0;                    // bytes written into the current chunk
    size_t _capacity = 0;                  // bytes of all chunks
    size_t _length = 0;
};

} // namespace cnt
