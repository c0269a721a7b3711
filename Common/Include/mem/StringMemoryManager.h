#pragma once
// String pool: cuts variable-sized pieces out of large blocks for pooled
// strings (td::StringExt). Pieces are never freed one by one; every block
// goes when the pool is destroyed, so a pool of names costs two heap calls
// (the block and its list node) per block.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <mu/Assert.h>
#include <td/String.h>

namespace mem
{

template <typename TUSEDSTRING, unsigned SINGLEBUFFLEN>
class StringMemoryManager
{
public:
    StringMemoryManager() = default;
    StringMemoryManager(const StringMemoryManager&) = delete;
    StringMemoryManager& operator=(const StringMemoryManager&) = delete;

    ~StringMemoryManager() { clean(); }

    // Frees every block at once; strings handed out before are gone, and the
    // pool starts again from nothing on its next request.
    void clean()
    {
        while (_pFirstBlock)
        {
            BlockNode* pNext = _pFirstBlock->pNext;
            delete[] _pFirstBlock->pBlock;
            delete _pFirstBlock;
            _pFirstBlock = pNext;
        }
        _pLastBlock = nullptr;
        _firstAvailableChunk = nullptr;
        _pLastLeftover = nullptr;
        _maxLeftover = 0;
        _pTail = nullptr;
        _tailSize = 0;
    }

    // First fit: n bytes (or the whole piece when less than minRest would be
    // left over) from the first free piece that is large enough, else from a
    // new block of max(SINGLEBUFFLEN, n) bytes. The free pieces are the
    // leftovers of older blocks, in block order, then the rest of the newest
    // block (the tail); the tail is kept apart so that the common request is
    // a bump of the tail, and the leftovers are walked only when one of them
    // may be large enough. Callers ask multiples of 8 so that pieces stay
    // aligned for the string objects they hold.
    char* findFirstSuitableChunk(unsigned n)
    {
        MU_ASSERT(n > 0);
        if (n <= _maxLeftover)
        {
            if (char* pPiece = takeFromLeftovers(n))
                return pPiece;
        }
        if (_tailSize >= n)
            return cutTail(n);
        return takeFromNewBlock(n);
    }

    // A pooled copy of text[0..n): the string object (one pointer) at the
    // start of the piece, then its block [u32 header][bytes][NUL].
    TUSEDSTRING* alloc(const char* text, unsigned n)
    {
        using T_CHAR = char;
        size_t byteLen = (size_t(n) + 1) * sizeof(T_CHAR);
        MU_ASSERT(byteLen > sizeof(T_CHAR)); // an empty text takes no piece
        char* pPiece = findFirstSuitableChunk(unsigned(pieceSize(n)));
        char* pBlock = pPiece + sizeof(TUSEDSTRING);
        TUSEDSTRING::writeBlock(pBlock, text, n);
        return ::new (static_cast<void*>(pPiece)) TUSEDSTRING(TUSEDSTRING::fromPoolBlock(pBlock));
    }

    // A pooled string held by value (for vectors and maps of names): only its
    // block comes from the pool, rounded up to a multiple of 8. The empty
    // text gives the empty string and takes no memory.
    TUSEDSTRING makeString(const char* text, unsigned n)
    {
        if (n == 0)
            return TUSEDSTRING();
        char* pBlock = findFirstSuitableChunk(unsigned(roundUp8(TUSEDSTRING::blockSize(n))));
        TUSEDSTRING::writeBlock(pBlock, text, n);
        return TUSEDSTRING::fromPoolBlock(pBlock);
    }

    // Null for the empty string.
    TUSEDSTRING* alloc(const td::String& text)
    {
        if (text.isEmpty())
            return nullptr;
        return alloc(text.c_str(), unsigned(text.length()));
    }

    // Bytes of one piece for a text of n bytes: the object and its block,
    // rounded up to a multiple of 8.
    static constexpr size_t pieceSize(size_t n) { return sizeof(TUSEDSTRING) + roundUp8(TUSEDSTRING::blockSize(n)); }

    static constexpr size_t roundUp8(size_t n) { return (n + 7) & ~size_t(7); }

    size_t getNoOfBlocks() const
    {
        size_t count = 0;
        for (const BlockNode* pNode = _pFirstBlock; pNode; pNode = pNode->pNext)
            ++count;
        return count;
    }

private:
    static_assert(sizeof(TUSEDSTRING) == sizeof(char*), "a pooled string is one pointer to its block");

    // A rest smaller than this stays with the piece handed out.
    static constexpr uint32_t minRest = 32;

    struct BlockNode
    {
        char* pBlock;
        uint32_t size;
        BlockNode* pNext;
    };

    static uint32_t bytesForBlock(unsigned n) { return n > SINGLEBUFFLEN ? n : SINGLEBUFFLEN; }

    char* newBlock(uint32_t size)
    {
        BlockNode* pNode = new BlockNode {new char[size], size, nullptr};
        if (_pLastBlock)
            _pLastBlock->pNext = pNode;
        else
            _pFirstBlock = pNode;
        _pLastBlock = pNode;
        return pNode->pBlock;
    }

    // Walks the leftovers; on a miss all of them are known to be smaller
    // than n, which later requests of that size use to skip the walk.
    char* takeFromLeftovers(unsigned n)
    {
        uint32_t largest = 0;
        char* pPrev = nullptr;
        for (char* pChunk = _firstAvailableChunk; pChunk; pPrev = pChunk, pChunk = nextOf(pChunk))
        {
            uint32_t size = sizeOf(pChunk);
            if (size < n)
            {
                largest = size > largest ? size : largest;
                continue;
            }
            char* pReplacement = nextOf(pChunk);
            if (size - n >= minRest)
                pReplacement = makeFreePiece(pChunk + n, size - n, pReplacement);
            if (pPrev)
                setNext(pPrev, pReplacement);
            else
            {
                MU_ASSERT(_firstAvailableChunk == pChunk);
                _firstAvailableChunk = pReplacement;
            }
            if (_pLastLeftover == pChunk)
                _pLastLeftover = pReplacement ? pReplacement : pPrev;
            return pChunk;
        }
        _maxLeftover = largest;
        return nullptr;
    }

    char* cutTail(unsigned n)
    {
        char* pPiece = _pTail;
        if (_tailSize - n >= minRest)
        {
            _pTail += n;
            _tailSize -= n;
        }
        else
        {
            _pTail = nullptr;
            _tailSize = 0;
        }
        return pPiece;
    }

    // Nothing fits: a new block. Its rest, when worth keeping, becomes the
    // tail, and the old tail goes behind the leftovers.
    char* takeFromNewBlock(unsigned n)
    {
        const uint32_t size = bytesForBlock(n);
        char* pBlock = newBlock(size);
        if (size - n < minRest)
            return pBlock;
        if (_pTail)
            appendLeftover(makeFreePiece(_pTail, _tailSize, nullptr));
        _pTail = pBlock + n;
        _tailSize = size - n;
        return pBlock;
    }

    void appendLeftover(char* pChunk)
    {
        if (_pLastLeftover)
            setNext(_pLastLeftover, pChunk);
        else
            _firstAvailableChunk = pChunk;
        _pLastLeftover = pChunk;
        uint32_t size = sizeOf(pChunk);
        _maxLeftover = size > _maxLeftover ? size : _maxLeftover;
    }

    // A free piece starts with {next free piece; u32 size}. Pieces may lie at
    // any byte offset when callers ask odd sizes, hence the byte copies.
    static char* nextOf(const char* pChunk)
    {
        char* pNext;
        std::memcpy(&pNext, pChunk, sizeof(pNext));
        return pNext;
    }

    static void setNext(char* pChunk, char* pNext) { std::memcpy(pChunk, &pNext, sizeof(pNext)); }

    static uint32_t sizeOf(const char* pChunk)
    {
        uint32_t size;
        std::memcpy(&size, pChunk + sizeof(char*), sizeof(size));
        return size;
    }

    static char* makeFreePiece(char* pChunk, uint32_t size, char* pNext)
    {
        setNext(pChunk, pNext);
        std::memcpy(pChunk + sizeof(char*), &size, sizeof(size));
        return pChunk;
    }

    BlockNode* _pFirstBlock = nullptr;
    BlockNode* _pLastBlock = nullptr;
    char* _firstAvailableChunk = nullptr; // head of the leftovers
    char* _pLastLeftover = nullptr;
    uint32_t _maxLeftover = 0; // no leftover is larger than this
    char* _pTail = nullptr;    // rest of the newest block; _tailSize bytes
    uint32_t _tailSize = 0;
};

} // namespace mem
