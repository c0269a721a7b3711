#pragma once
// A short text owned alone (every copy is deep), null for the empty text.
// SIZEINSIDE 1: block [u8 length][characters][NUL]; 0: [characters][NUL].
#include <cstddef>
#include <cstring>
#include <utility>

namespace mu
{
extern const char __zeroBuffer[8];
} // namespace mu

namespace td
{
template <int SIZEINSIDE>
class PascalString
{
    static_assert(SIZEINSIDE == 0 || SIZEINSIDE == 1);

public:
    PascalString() noexcept = default;
    PascalString(const char* text) { assign(text); }
    PascalString(const PascalString& other) { assign(other.c_str()); }
    PascalString(PascalString&& other) noexcept
        : _pBuffer(std::exchange(other._pBuffer, nullptr))
    {
    }
    ~PascalString() { delete[] _pBuffer; }

    PascalString& operator=(const char* text)
    {
        assign(text);
        return *this;
    }

    PascalString& operator=(const PascalString& other)
    {
        if (this != &other)
            assign(other.c_str());
        return *this;
    }

    PascalString& operator=(PascalString&& other) noexcept
    {
        std::swap(_pBuffer, other._pBuffer);
        return *this;
    }

    const char* c_str() const noexcept { return _pBuffer ? _pBuffer + SIZEINSIDE : mu::__zeroBuffer; }

    // The stored byte holds only the low 8 bits of a longer text's length;
    // the rest is found from there, so short texts cost no scan.
    size_t length() const noexcept
    {
        if constexpr (SIZEINSIDE == 1)
        {
            if (!_pBuffer)
                return 0;
            size_t low = static_cast<unsigned char>(_pBuffer[0]);
            return low + std::strlen(_pBuffer + 1 + low);
        }
        else
            return std::strlen(c_str());
    }

    bool isEmpty() const noexcept { return _pBuffer == nullptr; }

private:
    void assign(const char* text)
    {
        size_t size = text ? std::strlen(text) : 0;
        char* pNew = nullptr;
        // Any length is kept: the names come from settings files, and since
        // length() finds the end from the stored low byte on, a long text
        // needs no limit that would stop the process.
        if (size > 0)
        {
            pNew = new char[size + SIZEINSIDE + 1];
            if constexpr (SIZEINSIDE == 1)
                pNew[0] = static_cast<char>(size & 0xFF);
            std::memcpy(pNew + SIZEINSIDE, text, size + 1);
        }
        delete[] _pBuffer;
        _pBuffer = pNew;
    }

    char* _pBuffer = nullptr;
};
} // namespace td
