#pragma once
// Name-to-index lookup of a string pool, ordered by a 64-bit hash of the
// name. The names themselves stay in the pool's vector: an entry only counts
// when the name stored at its index still has the entry's hash and text.
#include <cstdint>
#include <map>
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

    void insert(std::uint64_t h, std::int32_t index) { _entries.emplace(h, index); }

    // The index of name, or NotFound.
    std::uint32_t getIndex(const char* name) const;

    std::size_t size() const { return _entries.size(); }

private:
    const cnt::Vector<td::StringExt>* _pNames;
    // Equal hashes keep their insertion order.
    std::multimap<std::uint64_t, std::int32_t> _entries;
};
} // namespace sc
