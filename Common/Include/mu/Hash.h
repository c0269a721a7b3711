#pragma once
// Hashes of texts: FNV-1a (32 bits), which keys the translation tables, and
// a plain bitwise CRC of up to 64 bits.
#include <cstddef>
#include <cstdint>

namespace mu
{
constexpr uint32_t fnv1aOffsetBasis = 0x811c9dc5;

// FNV-1a over length bytes, going on from hash (the offset basis for a new
// hash): h = (h xor byte) * 16777619 modulo 2^32 for each byte.
constexpr uint32_t fnv1a(const char* text, size_t length, uint32_t hash = fnv1aOffsetBasis)
{
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return hash;
}

// A CRC without table, reflection or final xor: each bit of each byte, the
// most significant first, shifts the register left, and the polynomial is
// added when the register's top bit differed from the data bit.
struct CRC64
{
    uint64_t polynomial;
    uint8_t width; // 1 to 64 bits
    uint64_t reg;  // the initial value, then the CRC

    // A negative length takes the text up to its NUL; nothing changes for a
    // length below 1 or a null text.
    void calc(const char* text, int length);
};

// The CRC of polynomial 0x19032b1f7011a0c4, width 64, from 0.
uint64_t calcHash(const char* text, int length);
} // namespace mu
