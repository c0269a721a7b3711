#pragma once
// Name-to-index lookup of a string pool by a 64-bit hash of the name. The
// names themselves stay in the pool's vector: an entry only counts when the
// name stored at its index still has the entry's hash and text. The entries
// stand in insertion order, found through an open-addressed table of their
// positions: a model's thousands of names go in without a node each.
#include <cstdint>
#include <vector>
#include <cnt/Vector.h>
#include <td/String.h>

namespace sc
{
class HashMap
{
public:
    static constexpr std::uint32_t NotFound = 0xFFFFFFFF;

    explicit HashMap(const cnt::Vector<td::StringExt>* pNames)
        : _pNames(pNames)
    {
    }

    // h = h * 8 + (h >> 28) + v over the bytes, v being the byte as a signed
    // char, less 40 for 96..127. Wraps; the empty text hashes to 0.
    static std::uint64_t hash(const char* text, std::size_t len);
    static std::uint64_t hash(const char* text);

    void insert(std::uint64_t h, std::int32_t index);
    // The index of name, or NotFound.
    std::uint32_t getIndex(const char* name) const;
    std::size_t size() const { return _entries.size(); }

private:
    struct Entry
    {
        std::uint64_t hash;
        std::int32_t index;
    };
    static constexpr std::uint32_t EmptySlot = 0xFFFFFFFF;

    std::size_t slotOf(std::uint64_t h) const
    {
        return static_cast<std::size_t>((h * 0x9E3779B97F4A7C15ull) >> _shift);
    }
    // Places entry pos behind every entry of its hash placed before it.
    void place(std::uint32_t pos);
    void grow();

    const cnt::Vector<td::StringExt>* _pNames;
    std::vector<Entry> _entries;
    std::vector<std::uint32_t> _slots; // positions in _entries; at most two thirds used
    unsigned _shift = 64;
};
} // namespace sc
