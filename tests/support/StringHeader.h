#pragma once
// Reads the u32 header in front of a string's bytes (low 28 bits the length,
// top 4 bits the extra sharers), so tests can check the memory form.
#include <cstdint>
#include <cstring>

namespace test
{
template <typename S>
std::uint32_t headerOf(const S& s)
{
    std::uint32_t hdr;
    std::memcpy(&hdr, s.c_str() - 4, sizeof(hdr));
    return hdr;
}

template <typename S>
std::uint32_t sharersOf(const S& s)
{
    return headerOf(s) >> 28;
}
} // namespace test
