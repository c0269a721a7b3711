#pragma once
// The growable character buffer of the XML reader: the token buffer grows in
// steps of BS_INCREMENT characters and is reused for every token; the input
// buffers are filled block by block. _size is the capacity in characters,
// not counting the one more kept for a terminating NUL.
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include <mu/Assert.h>

namespace td
{
template <typename T, int BS_INITIAL_SIZE, int BS_INCREMENT>
class BufferString
{
    static_assert(BS_INITIAL_SIZE >= 0 && BS_INCREMENT >= 0);

public:
    BufferString()
        : _pData(new T[BS_INITIAL_SIZE + 1])
        , _size(BS_INITIAL_SIZE)
    {
        _pData[0] = 0;
    }
    ~BufferString() { delete[] _pData; }
    BufferString(const BufferString&) = delete;
    BufferString& operator=(const BufferString&) = delete;

    T* data() noexcept { return _pData; }
    const T* c_str() const noexcept { return _pData; }
    int length() const noexcept { return _length; }
    int capacity() const noexcept { return _size; }
    // Set by construction and erase(); cleared by the first appended
    // character that is not white space (tab, line feed, carriage return,
    // space), so a text of white space alone can be dropped.
    bool isWhiteSpace() const noexcept { return _whiteSpace; }

    void append(T c)
    {
        if (_length == _size)
            grow();
        _pData[_length++] = c;
        _pData[_length] = 0;
        if (!(c == 9 || c == 10 || c == 13 || c == 32))
            _whiteSpace = false;
    }

    void append(const T* text, int n)
    {
        for (int i = 0; i < n; ++i)
            append(text[i]);
    }

    void erase()
    {
        MU_ASSERT(_size > 0);
        _length = 0;
        _pData[0] = 0;
        _whiteSpace = true;
    }

    // Makes room for at least n characters (and the NUL), keeping the text.
    void reserve(int n)
    {
        if (n > _size)
            reallocate(n);
    }

    // For a reader that wrote n characters into data() itself.
    void setLength(int n)
    {
        MU_ASSERT(n >= 0 && n <= _size);
        _length = n;
        _pData[n] = 0;
    }

private:
    // A buffer without an increment grows by one character, so appending
    // never writes past the array.
    void grow() { reallocate(static_cast<long long>(_size) + (BS_INCREMENT > 0 ? BS_INCREMENT : 1)); }

    // The int counts (and the one more for the NUL) must not wrap on a text
    // of 2 GB.
    void reallocate(long long size)
    {
        if (size >= std::numeric_limits<int>::max())
            throw std::length_error("td::BufferString: text too long");
        T* pNew = new T[size + 1];
        std::memcpy(pNew, _pData, (_length + 1) * sizeof(T));
        delete[] std::exchange(_pData, pNew);
        _size = static_cast<int>(size);
    }

    T* _pData;
    int _size;
    int _length = 0;
    bool _whiteSpace = true;
};
} // namespace td
