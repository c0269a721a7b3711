#pragma once
// The 32-bit hash of a name shared by the XML reader's interned names and
// the model's symbol maps: rotate left by 5, then xor the byte read as a
// signed char widened to 32 bits.
#include <bit>
#include <cstddef>
#include <cstdint>

namespace td
{
inline std::uint32_t nameHash(const char* text, std::size_t length)
{
    std::uint32_t h = 0;
    for (std::size_t i = 0; i < length; ++i)
        h = std::rotl(h, 5) ^ static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(text[i])));
    return h;
}
} // namespace td
