#pragma once
// The declared names of one model level in one flat table, for the body pass
// that looks up every name of every expression. A slot holds the hash, the
// position and, for a short name, the name's bytes: most look-ups read one
// cache line instead of a chain of map nodes and the pooled text.
#include <cstdint>
#include <string_view>
#include <vector>
#include <sc/Naming.h>

namespace sc
{
class NameIndex
{
public:
    struct Entry
    {
        const td::StringExt* name = nullptr; // the map's key; null in an empty slot
        std::uint32_t hash = 0;
        std::uint32_t pos = 0;
        UserLabel kind = UserLabel::Var;
        std::uint8_t length = 0; // ShortName + 1 for a longer name
        char bytes[14] = {};
    };
    static_assert(sizeof(Entry) == 32);

    // The names of the level's maps; a name of two kinds is found as the
    // first of them, as a walk over the maps in kind order would.
    void build(const Naming::UserLabels& maps);

    // Null for an undeclared name.
    const Entry* find(std::string_view name) const;

private:
    static constexpr std::uint32_t ShortName = sizeof(Entry::bytes);

    std::uint32_t slotOf(std::uint32_t hash) const { return (hash * 0x9E3779B1u) >> _shift; }
    static bool matches(const Entry& e, std::string_view name);

    std::vector<Entry> _slots;
    std::uint32_t _mask = 0;
    std::uint32_t _shift = 32;
};
} // namespace sc
