#pragma once
// The shared string. The object is one pointer to a block
//   [u32 header][bytes][NUL]
// and null for the empty text. The header keeps the length in its low 28
// bits and the number of extra sharers in its top 4 bits, so a copy costs a
// pointer copy and one count change. 15 extra sharers means "never share":
// mutable strings mark their block that way, and a block that has reached 15
// is copied instead of shared so the count cannot overflow.
#include <compare>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <type_traits>
#include <utility>

#include <mu/Assert.h>

namespace mu
{
extern const char __zeroBuffer[8];
} // namespace mu

namespace td
{
enum _StringEncoding : unsigned char
{
    EncodingUTF8 = 0
};

// Printf-style text for the string formatters: a result below 1024 bytes
// stays in the object (no heap), a longer one goes to one heap buffer.
// length() is 0 for an empty result, a failed print, or a text longer than
// the string maximum.
class FormattedText
{
public:
    FormattedText(const char* fmt, va_list args) noexcept;
    ~FormattedText();
    FormattedText(const FormattedText&) = delete;
    FormattedText& operator=(const FormattedText&) = delete;

    const char* text() const noexcept { return _pText; }
    size_t length() const noexcept { return _len; }

private:
    char _local[1024];
    char* _pHeap = nullptr;
    const char* _pText = _local;
    size_t _len = 0;
};

// Characters trimmed by trim() and by split(..., trim = true).
constexpr bool isTrimSpace(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Number of bytes a UTF-8 sequence announces by its lead byte; 0 for a byte
// that starts no sequence (a continuation byte or 11111xxx).
constexpr unsigned utf8SequenceLength(unsigned char lead) noexcept
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

template <typename T_CHAR, _StringEncoding Encoding, int SPACE_FOR_SIZE>
class MutableStringBase;

// Frees a heap string block. Kept out of line: the compiler cannot see the
// sharer counts, and an inlined delete makes it warn about uses of blocks
// that other holders still keep alive.
void freeStringBlock(char* pBlock) noexcept;

// EXTERN_ALLOCATOR false: blocks on the heap, shared by count.
// EXTERN_ALLOCATOR true: blocks live in a string pool that frees them all at
// once; such strings are read-only, copies just copy the pointer and nothing
// is ever freed one by one.
template <typename T_CHAR, _StringEncoding Encoding, int SPACE_FOR_SIZE, bool EXTERN_ALLOCATOR>
class StringBase
{
    static_assert(std::is_same_v<T_CHAR, char> && SPACE_FOR_SIZE == 4,
                  "strings are UTF-8 bytes behind a 4-byte header");

    template <typename, _StringEncoding, int, bool>
    friend class StringBase;
    template <typename, _StringEncoding, int>
    friend class MutableStringBase;

    using HeapString = StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, false>;

public:
    static constexpr uint32_t MaxLength = 0x0FFFFFFF;

    StringBase() noexcept = default;

    StringBase(const char* text) requires(!EXTERN_ALLOCATOR)
    {
        if (text)
            _pBuffer = newBlock(text, std::strlen(text));
    }

    StringBase(const char* text, size_t len) requires(!EXTERN_ALLOCATOR)
    {
        if (text)
            _pBuffer = newBlock(text, len);
    }

    // A heap string made from a pooled one is always a private copy.
    explicit StringBase(const StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, true>& other) requires(!EXTERN_ALLOCATOR)
        : _pBuffer(newBlock(other.c_str(), other.length()))
    {
    }

    StringBase(const StringBase& other) noexcept(EXTERN_ALLOCATOR)
        : _pBuffer(shareOf(other._pBuffer))
    {
    }

    StringBase(StringBase&& other) noexcept
        : _pBuffer(std::exchange(other._pBuffer, nullptr))
    {
    }

    ~StringBase()
    {
        if constexpr (!EXTERN_ALLOCATOR)
            release();
    }

    StringBase& operator=(const StringBase& other)
    {
        if (_pBuffer != other._pBuffer)
        {
            char* pNew = shareOf(other._pBuffer);
            release();
            _pBuffer = pNew;
        }
        return *this;
    }

    StringBase& operator=(StringBase&& other) noexcept
    {
        if (this != &other)
        {
            release();
            _pBuffer = std::exchange(other._pBuffer, nullptr);
        }
        return *this;
    }

    StringBase& operator=(const char* text) requires(!EXTERN_ALLOCATOR)
    {
        char* pNew = text ? newBlock(text, std::strlen(text)) : nullptr;
        release();
        _pBuffer = pNew;
        return *this;
    }

    StringBase& operator=(const StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, true>& other) requires(!EXTERN_ALLOCATOR)
    {
        char* pNew = newBlock(other.c_str(), other.length());
        release();
        _pBuffer = pNew;
        return *this;
    }

    StringBase& operator=(const std::filesystem::path& path) requires(!EXTERN_ALLOCATOR)
    {
        return *this = path.c_str();
    }

    // Drops this holder's share of the block; the last holder frees it.
    void release() noexcept
    {
        if constexpr (!EXTERN_ALLOCATOR)
        {
            if (_pBuffer)
            {
                uint32_t hdr = header(_pBuffer);
                if (sharers(hdr) > 0)
                    setHeader(_pBuffer, hdr - (1u << 28));
                else
                    freeStringBlock(_pBuffer);
            }
        }
        _pBuffer = nullptr;
    }

    const char* c_str() const noexcept { return _pBuffer ? _pBuffer + SPACE_FOR_SIZE : mu::__zeroBuffer; }
    size_t length() const noexcept { return _pBuffer ? (header(_pBuffer) & MaxLength) : 0; }
    bool isEmpty() const noexcept { return length() == 0; }

    // Number of UTF-8 characters, counted by lead bytes up to the byte length;
    // a byte that starts no sequence counts as one character of one byte.
    size_t glyphLength() const noexcept
    {
        const auto* p = reinterpret_cast<const unsigned char*>(c_str());
        size_t len = length();
        size_t count = 0;
        for (size_t pos = 0; pos < len; ++count)
        {
            unsigned step = utf8SequenceLength(p[pos]);
            pos += step ? step : 1;
        }
        return count;
    }

    char getAt(size_t pos) const
    {
        MU_ASSERT(pos < length());
        return c_str()[pos];
    }

    // True when the text is exactly the first n bytes of pStr.
    bool compare(const char* pStr, int n) const
    {
        MU_ASSERT(pStr);
        if (n < 0 || length() != static_cast<size_t>(n))
            return false;
        return std::memcmp(c_str(), pStr, static_cast<size_t>(n)) == 0;
    }

    bool toBoolean() const noexcept
    {
        const char* p = c_str();
        return length() == 4 && (p[0] == 't' || p[0] == 'T') && std::memcmp(p + 1, "rue", 3) == 0;
    }

    HeapString trim() const
    {
        const char* pBeg = c_str();
        const char* pEnd = pBeg + length();
        while (pBeg < pEnd && isTrimSpace(*pBeg))
            ++pBeg;
        while (pEnd > pBeg && isTrimSpace(pEnd[-1]))
            --pEnd;
        return HeapString(pBeg, static_cast<size_t>(pEnd - pBeg));
    }

    // Pieces between separators go to out (a cnt::PushBackVector<td::String>
    // or a container with its push_back, capacity and emptying reserve); no
    // separator gives one piece, the empty text one empty piece. Heap strings
    // share their block for an untrimmed single piece; pooled strings always
    // hand out private copies.
    template <class TVECTOR>
    void split(char separator, TVECTOR& out, bool trimPieces, bool clear) const
    {
        if (clear)
            out.reserve(out.capacity()); // empties, keeping the array
        const char* pBeg = c_str();
        const char* pEnd = pBeg + length();
        const char* pSep = static_cast<const char*>(std::memchr(pBeg, separator, length()));
        if (!pSep)
        {
            if (trimPieces)
                out.push_back(trim());
            else if constexpr (EXTERN_ALLOCATOR)
                out.push_back(HeapString(*this));
            else
                out.push_back(*this);
            return;
        }
        for (;;)
        {
            const char* pPieceEnd = pSep ? pSep : pEnd;
            HeapString piece(pBeg, static_cast<size_t>(pPieceEnd - pBeg));
            out.push_back(trimPieces ? piece.trim() : piece);
            if (!pSep)
                break;
            pBeg = pSep + 1;
            pSep = static_cast<const char*>(std::memchr(pBeg, separator, static_cast<size_t>(pEnd - pBeg)));
        }
    }

    // Appends count bytes of text. Appending to a shared string always makes
    // a new block of the exact size; only MutableString grows in place.
    template <typename TCHAR = T_CHAR>
    void appendString(const std::type_identity_t<TCHAR>* text,
                      int count) requires(!EXTERN_ALLOCATOR && std::is_same_v<TCHAR, T_CHAR>)
    {
        if (!text || count < 1)
        {
            detach();
            return;
        }
        // The new block is the private copy: a shared block is copied once,
        // and released only after the copy since text may point into it.
        size_t oldLen = length();
        size_t newLen = oldLen + static_cast<size_t>(count);
        char* pNew = allocBlock(newLen);
        std::memcpy(pNew + SPACE_FOR_SIZE, c_str(), oldLen);
        std::memcpy(pNew + SPACE_FOR_SIZE + oldLen, text, static_cast<size_t>(count));
        release();
        _pBuffer = pNew;
    }

    // Replaces the content with printf-style text; a failed print leaves the
    // string empty.
    __attribute__((format(printf, 2, 3))) void format(const char* fmt, ...) requires(!EXTERN_ALLOCATOR)
    {
        va_list args;
        va_start(args, fmt);
        FormattedText text(fmt, args);
        va_end(args);
        char* pNew = newBlock(text.text(), text.length());
        release();
        _pBuffer = pNew;
    }

    // For the string pool, which lays out pooled blocks itself: the bytes a
    // block of len bytes of text needs, writing such a block, and wrapping a
    // written block (null for the empty text) into a pooled string.
    static constexpr size_t blockSize(size_t len) noexcept { return len + SPACE_FOR_SIZE + 1; }

    static void writeBlock(char* pBlock, const char* text, size_t size)
    {
        MU_ASSERT(size <= 0x0FFFFFFF);
        setHeader(pBlock, static_cast<uint32_t>(size));
        std::memcpy(pBlock + SPACE_FOR_SIZE, text, size);
        pBlock[SPACE_FOR_SIZE + size] = 0;
    }

    static StringBase fromPoolBlock(char* pBlock) noexcept requires EXTERN_ALLOCATOR
    {
        StringBase s;
        s._pBuffer = pBlock;
        return s;
    }

    template <bool OTHER_EXTERN>
    bool operator==(const StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, OTHER_EXTERN>& other) const noexcept
    {
        return length() == other.length() && std::memcmp(c_str(), other.c_str(), length()) == 0;
    }

    bool operator==(const char* text) const noexcept
    {
        return std::strcmp(c_str(), text ? text : mu::__zeroBuffer) == 0;
    }

    // Order for sorted maps: bytes as unsigned over the common length, then
    // the shorter text first.
    template <bool OTHER_EXTERN>
    std::strong_ordering operator<=>(
        const StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, OTHER_EXTERN>& other) const noexcept
    {
        size_t len = length();
        size_t otherLen = other.length();
        int cmp = std::memcmp(c_str(), other.c_str(), len < otherLen ? len : otherLen);
        if (cmp != 0)
            return cmp < 0 ? std::strong_ordering::less : std::strong_ordering::greater;
        return len <=> otherLen;
    }

private:
    static uint32_t header(const char* pBlock) noexcept
    {
        uint32_t hdr;
        std::memcpy(&hdr, pBlock, sizeof(hdr));
        return hdr;
    }

    static void setHeader(char* pBlock, uint32_t hdr) noexcept { std::memcpy(pBlock, &hdr, sizeof(hdr)); }

    static uint32_t sharers(uint32_t hdr) noexcept { return hdr >> 28; }

    // A block for size bytes of text (uninitialised) with its NUL written.
    static char* allocBlock(size_t size)
    {
        MU_ASSERT(size <= 0x0FFFFFFF);
        char* pBlock = new char[blockSize(size)];
        setHeader(pBlock, static_cast<uint32_t>(size));
        pBlock[SPACE_FOR_SIZE + size] = 0;
        return pBlock;
    }

    // A private heap block holding a copy of text; null for an empty text.
    static char* newBlock(const char* text, size_t len)
    {
        if (len == 0)
            return nullptr;
        char* pBlock = allocBlock(len);
        std::memcpy(pBlock + SPACE_FOR_SIZE, text, len);
        return pBlock;
    }

    // What a new holder of pBlock points at: the same block with one more
    // sharer, or a private copy when the block may not be shared.
    static char* shareOf(char* pBlock)
    {
        if constexpr (EXTERN_ALLOCATOR)
            return pBlock;
        else
        {
            if (!pBlock)
                return nullptr;
            uint32_t hdr = header(pBlock);
            if (sharers(hdr) == 15)
                return newBlock(pBlock + SPACE_FOR_SIZE, hdr & MaxLength);
            setHeader(pBlock, hdr + (1u << 28));
            return pBlock;
        }
    }

    // Before a change: leave a shared block to its other holders and keep a
    // private copy of the text.
    void detach()
    {
        if (_pBuffer && sharers(header(_pBuffer)) > 0)
        {
            char* pOwn = newBlock(c_str(), length());
            release();
            _pBuffer = pOwn;
        }
    }

protected:
    char* _pBuffer = nullptr;
};

template <typename T_CHAR, _StringEncoding Encoding, int SPACE_FOR_SIZE, bool EXTERN_ALLOCATOR>
std::ostream& operator<<(std::ostream& os, const StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, EXTERN_ALLOCATOR>& s)
{
    if (!s.isEmpty())
        os << s.c_str();
    return os;
}

} // namespace td
