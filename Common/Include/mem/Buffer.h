#pragma once
// A byte container made of a list of chunk records. It grows without moving
// what it holds, is shared cheaply between copies (the first record counts
// the extra owners) and reads and writes chunk by chunk through positions
// that the caller keeps: a position is a record pointer and an offset.
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <utility>

#include <cnt/List.h>
#include <td/String.h>

namespace mem
{
class IBufferAllocator;

class Buffer
{
public:
    struct Desc
    {
        char* data;
        uint32_t capacity;    // bytes the data area holds
        uint32_t used;        // bytes written
        uint32_t extraOwners; // first record only: further buffers sharing the list
        uint8_t pooled;       // 1: data is a chunk of the allocator's pool; 0: someone else's bytes
    };
    using ChunkList = cnt::List<Desc, true>;
    using Entry = ChunkList::_tEntry;

    // What findFirst returns when the pattern does not occur.
    static constexpr unsigned npos = 0xFFFFFFFFu;

    struct ReadPosition
    {
        const Buffer* pBuffer;
        const Entry* pEntry;
        unsigned offset;
    };

    // A buffer without allocator can only be read.
    explicit Buffer(IBufferAllocator* pAllocator = nullptr);
    // One read-only record over each string's bytes; the strings must outlive
    // the buffer.
    Buffer(const td::String* strings, size_t n, IBufferAllocator* pAllocator);
    Buffer(const Buffer& other);
    explicit Buffer(const Buffer* pOther);
    Buffer& operator=(const Buffer& other);
    ~Buffer();

    // One more owner of the list.
    void addRef();
    // Drops this owner; the last owner gives the records back. The buffer
    // becomes empty.
    void releaseRef();
    void clean() { releaseRef(); }

    // Makes room for n bytes from the start, all records marked unwritten.
    bool reserve(size_t n);

    bool isOK() const { return _list.getFirstEntry() != nullptr; }
    bool isEmpty() const { return _list.getFirstEntry() == nullptr; }
    Entry* getFirstEntry() const { return _list.getFirstEntry(); }
    char* getFirstChunk() const;
    IBufferAllocator* getAllocator() const { return _pAllocator; }
    size_t getNumberOfChunks() const;
    size_t getTotalSize() const;
    size_t getTotalCapacity() const;
    // Capacities of the records before pEntry, plus offset.
    size_t getTotalProcessed(const Entry* pEntry, unsigned offset) const;

    // Writing: `at` is the record written last (null: start at the first
    // record) and follows the work. n = 0 means the C-string length.
    bool append(const char* data, size_t n, Entry*& at);
    // level 0 copies the other buffer's bytes, 1 to 9 deflates them.
    bool append(const Buffer& other, Entry*& at, int level);
    // Level 1 to 9 deflates the file, any other level copies it. Returns the
    // number of bytes read from the file, 0 on failure.
    size_t appendFileContent(const td::String& fileName, Entry*& at, int level);
    // The same into an emptied buffer, only for a file that opens and is not
    // empty; otherwise 0 and the buffer keeps its content.
    size_t loadFile(const td::String& fileName, int level);
    // Appends a zlib stream of the input; returns the number of input bytes,
    // 0 when zlib cannot start or the output cannot be written.
    size_t zlibCompress(std::ifstream& in, Entry*& at, int level);
    size_t zlibCompress(const Buffer& other, Entry*& at, int level);
    // Inflates this buffer's content (one zlib stream); false for a damaged
    // or truncated stream or when the output cannot be written.
    bool zlibDecompress(std::ofstream& out) const;
    bool zlibDecompress(Buffer& out, Entry*& at) const;

    // Overwrites the first n bytes of the content.
    bool replaceBegin(const char* data, size_t n);
    // Marks n more bytes as written from `at` on.
    bool moveBy(size_t n, Entry*& at);
    void moveToEnd(Entry*& at);
    // Where n bytes can be written in one piece at `at`, or null.
    char* getContinuousWritingDataChunk(unsigned n, Entry* at);
    Entry* writer() { return _list.getFirstEntry(); }

    // All bytes in one string; empty when they are more than a string holds.
    td::String toString() const;
    bool saveToFile(const char* path) const;
    // Position of the first occurrence of the n pattern bytes, or npos.
    unsigned findFirst(const char* pattern, size_t n) const;
    bool getDataFromBegin(char* out, size_t n) const;
    // With terminate, out[n] is set to NUL (out holds n + 1 bytes).
    bool getHeadingData(char* out, size_t n, bool terminate) const;

    // Reading positions.
    ReadPosition begin() const { return {this, _list.getFirstEntry(), 0}; }
    // The bytes from the position to the end of its record; the position
    // moves to that end.
    std::pair<char*, unsigned> getDataChunk(const Entry*& at, unsigned& offset) const;
    // Copies up to n bytes from the position on; returns how many.
    unsigned getDataChunk(char* out, unsigned n, const Entry*& at, unsigned& offset) const;
    char* getContinuousReadingDataChunk(unsigned n, const Entry* at, unsigned offset) const;
    void moveProcessedPos(unsigned n, const Entry*& at, unsigned& offset) const;
    // Gives back every record before `current` (the buffer must not be shared).
    void relaseChunksUntilCurrent(const Entry* current);

private:
    bool isShared() const;
    // Appends n bytes behind `at`, which must be a record of this list.
    bool appendFrom(const char* data, size_t n, Entry*& at);
    bool appendRaw(const Buffer& other, Entry*& at);
    // Passes other's written bytes, record by record, to fn(data, n), which
    // returns false to stop. The size is taken first: a caller that appends
    // to the very list it reads (other is the target or shares its list)
    // reads only what was there. Empty records are skipped: they may stand
    // anywhere after a reserve.
    template <class FN>
    static bool forEachPiece(const Buffer& other, FN fn)
    {
        size_t left = other.getTotalSize();
        for (const Entry* p = other._list.getFirstEntry(); p && left; p = p->pNext)
        {
            size_t piece = p->value.used < left ? p->value.used : left;
            if (piece && !fn(p->value.data, piece))
                return false;
            left -= piece;
        }
        return true;
    }
    size_t appendStream(std::ifstream& in, Entry*& at, int level);
    // The byte count alone cannot tell an empty input from a failure.
    struct DeflateResult
    {
        bool ok;
        size_t consumed;
    };
    DeflateResult deflateBuffer(const Buffer& other, Entry*& at, int level);

    ChunkList _list;
    IBufferAllocator* _pAllocator;
};
} // namespace mem
