#pragma once
// Two independent 64-bit structural hashes of a subtree: subtrees count as
// identical when both agree (a chance collision is far below one in 10^20
// for a model of a million calls), which spares comparing scattered nodes
// one by one.
#include <expr/Token.h>

#include <compare>
#include <cstdint>
#include <cstring>

namespace SL_NS
{
struct StructuralHash
{
    std::uint64_t a = 0x243F6A8885A308D3ull;
    std::uint64_t b = 0x13198A2E03707344ull;

    void add(std::uint64_t v)
    {
        a = (a ^ v) * 0x100000001B3ull;
        a ^= a >> 29;
        b = (b + v) * 0x9E3779B97F4A7C15ull;
        b ^= b >> 31;
    }
    void add(const StructuralHash& h)
    {
        add(h.a);
        add(h.b);
    }
    friend bool operator==(const StructuralHash& x, const StructuralHash& y) = default;
    // An order of no meaning but a fixed one: the canonical order of operands.
    friend auto operator<=>(const StructuralHash& x, const StructuralHash& y) = default;
};

// A node's own token: its kind, index, origin and value.
inline StructuralHash tokenHash(const Token& t)
{
    std::uint64_t bits[2] = {0, 0};
    static_assert(sizeof(Value) <= sizeof(bits));
    std::memcpy(bits, &t.value, sizeof(Value));
    StructuralHash h;
    h.add(std::uint64_t(t.type) | std::uint64_t(std::uint32_t(t.index)) << 8 | std::uint64_t(t.symbolOrigin) << 40);
    h.add(bits[0]);
    h.add(bits[1]);
    return h;
}
} // namespace SL_NS
