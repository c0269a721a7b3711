#pragma once
// A growable string: a td::String whose block has room to spare and is
// written in place. Its header always carries 15 sharers, so a td::String
// made from it copies the text instead of sharing a block that will change.
#include <td/String.h>

namespace td
{
template <typename T_CHAR, _StringEncoding Encoding, int SPACE_FOR_SIZE>
class MutableStringBase
{
    using Str = StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, false>;

public:
    MutableStringBase() noexcept = default;

    MutableStringBase(const MutableStringBase&) = delete;
    MutableStringBase& operator=(const MutableStringBase&) = delete;

    MutableStringBase(MutableStringBase&& other) noexcept
        : _capacity(std::exchange(other._capacity, 0))
    {
        _str._pBuffer = std::exchange(other._str._pBuffer, nullptr);
    }

    MutableStringBase& operator=(MutableStringBase&& other) noexcept
    {
        if (this != &other)
        {
            freeBlock();
            _str._pBuffer = std::exchange(other._str._pBuffer, nullptr);
            _capacity = std::exchange(other._capacity, 0);
        }
        return *this;
    }

    // The block is ours alone whatever its sharer bits say.
    ~MutableStringBase() { freeBlock(); }

    const char* c_str() const noexcept { return _str.c_str(); }
    size_t length() const noexcept { return _str.length(); }
    bool isEmpty() const noexcept { return _str.isEmpty(); }
    size_t glyphLength() const noexcept { return _str.glyphLength(); }
    // Bytes the block holds for text and its NUL.
    size_t capacity() const noexcept { return _capacity; }

    // Read access as a td::String; copying it yields a private copy.
    operator const Str&() const noexcept { return _str; }
    const Str& toString() const noexcept { return _str; }

    // Makes room for at least capacity - 1 bytes of text, keeping the text.
    void reserve(size_t capacity)
    {
        if (capacity > _capacity)
            freeStringBlock(moveToNewBlock(capacity));
    }

    // Empties the text and keeps the block for reuse.
    void erase() noexcept
    {
        if (_str._pBuffer)
            setLength(0);
    }

    // Appends n bytes of text; n = 0 means the whole C string.
    void append(const char* text, size_t n = 0)
    {
        if (!text)
            return;
        appendBytes(text, n ? n : std::strlen(text));
    }

    void append(char c) { appendBytes(&c, 1); }

    // Appends printf-style text; a failed print appends nothing.
    __attribute__((format(printf, 2, 3))) void appendFormat(const char* fmt, ...)
    {
        va_list args;
        va_start(args, fmt);
        FormattedText text(fmt, args);
        va_end(args);
        appendBytes(text.text(), text.length());
    }

    // Replaces the content with the line of text that starts at position and
    // moves position behind its ending ("\n", "\r" or "\r\n"). False, with
    // the content untouched, when position is at or past the end.
    bool getLine(const Str& text, unsigned& position, bool appendNewLine)
    {
        size_t len = text.length();
        if (position >= len)
            return false;
        const char* p = text.c_str();
        size_t end = position;
        while (end < len && p[end] != '\n' && p[end] != '\r')
            ++end;
        erase();
        appendBytes(p + position, end - position);
        if (appendNewLine)
            append('\n');
        size_t next = end;
        if (next < len)
            next += (p[next] == '\r' && next + 1 < len && p[next + 1] == '\n') ? 2 : 1;
        position = static_cast<unsigned>(next);
        return true;
    }

private:
    void appendBytes(const char* text, size_t n)
    {
        if (n == 0)
            return;
        size_t oldLen = length();
        size_t size = oldLen + n;
        MU_ASSERT(size <= 0x0FFFFFFF);
        // The old block is freed only after the copy: text may point into it.
        char* pOld = nullptr;
        if (size >= _capacity)
            pOld = moveToNewBlock(size + 1 > 2 * _capacity ? size + 1 : 2 * _capacity);
        std::memcpy(_str._pBuffer + SPACE_FOR_SIZE + oldLen, text, n);
        setLength(size);
        if (pOld) // no call for the common append that fits
            freeStringBlock(pOld);
    }

    // Copies the text into a new block with room for capacity bytes (text and
    // NUL) and returns the old block for the caller to free. Growth doubles,
    // so appending byte by byte costs amortised constant time.
    char* moveToNewBlock(size_t capacity)
    {
        if (capacity > Str::MaxLength + 1)
            capacity = Str::MaxLength + 1;
        size_t len = length();
        char* pNew = new char[capacity + SPACE_FOR_SIZE];
        std::memcpy(pNew + SPACE_FOR_SIZE, c_str(), len);
        char* pOld = std::exchange(_str._pBuffer, pNew);
        _capacity = capacity;
        setLength(len);
        return pOld;
    }

    void setLength(size_t len) noexcept
    {
        Str::setHeader(_str._pBuffer, static_cast<uint32_t>(len) | (15u << 28));
        _str._pBuffer[SPACE_FOR_SIZE + len] = 0;
    }

    void freeBlock() noexcept
    {
        freeStringBlock(_str._pBuffer);
        _str._pBuffer = nullptr;
        _capacity = 0;
    }

    Str _str;
    uint64_t _capacity = 0;
};

using MutableString = MutableStringBase<char, EncodingUTF8, 4>;
} // namespace td
