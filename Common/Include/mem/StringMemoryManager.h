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

    ~StringMemoryManager()
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
    }

    // First fit: n bytes (or the whole piece when less than minRest would be
    // left over) from the first free piece that is large enough, else from a
    // new block of max(SINGLEBUFFLEN, n) bytes. Callers ask multiples of 8 so
    // that pieces stay aligned for the string objects they hold.
    char* findFirstSuitableChunk(unsigned n)
    {
        MU_ASSERT(n > 0);
        if (!_firstAvailableChunk)
            _firstAvailableChunk = makeFreePiece(newBlock(n), bytesForBlock(n), nullptr);

        char* pPrev = nullptr;
        for (char* pChunk = _firstAvailableChunk; pChunk; pPrev = pChunk, pChunk = nextOf(pChunk))
        {
            uint32_t size = sizeOf(pChunk);
            if (size < n)
                continue;
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
            return pChunk;
        }

        // Nothing fits: a new block, its rest (if worth keeping) at the end of
        // the free list, behind pPrev, the last free piece.
        uint32_t size = bytesForBlock(n);
        char* pBlock = newBlock(n);
        if (size - n >= minRest)
            setNext(pPrev, makeFreePiece(pBlock + n, size - n, nullptr));
        return pBlock;
    }

    // A pooled copy of text[0..n): the string object (one pointer) at the
    // start of the piece, then its block [u32 header][bytes][NUL].
    TUSEDSTRING* alloc(const char* text, unsigned n)
    {
        size_t byteLen = (size_t(n) + 1) * sizeof(char);
        MU_ASSERT(byteLen > sizeof(char));
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

    char* newBlock(unsigned n)
    {
        uint32_t size = bytesForBlock(n);
        BlockNode* pNode = new BlockNode{new char[size], size, nullptr};
        if (_pLastBlock)
            _pLastBlock->pNext = pNode;
        else
            _pFirstBlock = pNode;
        _pLastBlock = pNode;
        return pNode->pBlock;
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
    char* _firstAvailableChunk = nullptr; // head of the free pieces
};

} // namespace mem
