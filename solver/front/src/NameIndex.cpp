#include <algorithm>
#include <bit>
#include <cstring>
#include <sc/NameIndex.h>
#include <td/NameHash.h>

namespace sc
{

void NameIndex::build(const Naming::UserLabels& maps)
{
    std::size_t n = 0;
    for (const VarAndParamMap& map : maps)
        n += map.size();
    // at most two thirds full: probe runs stay short, an empty slot ends
    // every one, and the table of a large model still fits a core's cache
    const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(n + n / 2, 16));
    _slots.assign(capacity, Entry {});
    _mask = static_cast<std::uint32_t>(capacity - 1);
    _shift = static_cast<std::uint32_t>(32 - std::countr_zero(capacity));
    for (unsigned kind = 0; kind < maps.size(); ++kind)
        for (const auto& [key, pos] : maps[kind])
        {
            const std::string_view name = VarAndParamEqual::view(key);
            const std::uint32_t hash = td::nameHash(name.data(), name.size());
            std::uint32_t i = slotOf(hash);
            while (_slots[i].name && !(_slots[i].hash == hash && matches(_slots[i], name)))
                i = (i + 1) & _mask;
            Entry& e = _slots[i];
            if (e.name)
                continue; // a kind before this one declares it
            e.name = &key;
            e.hash = hash;
            e.pos = pos;
            e.kind = static_cast<UserLabel>(kind);
            e.length = static_cast<std::uint8_t>(std::min<std::size_t>(name.size(), ShortName + 1));
            if (name.size() <= ShortName)
                std::memcpy(e.bytes, name.data(), name.size());
        }
}

bool NameIndex::matches(const Entry& e, std::string_view name)
{
    if (name.size() > ShortName)
        return e.length > ShortName && VarAndParamEqual::view(*e.name) == name;
    return e.length == name.size() && std::memcmp(e.bytes, name.data(), name.size()) == 0;
}

const NameIndex::Entry* NameIndex::find(std::string_view name) const
{
    if (_slots.empty())
        return nullptr;
    const std::uint32_t hash = td::nameHash(name.data(), name.size());
    for (std::uint32_t i = slotOf(hash);; i = (i + 1) & _mask)
    {
        const Entry& e = _slots[i];
        if (!e.name)
            return nullptr;
        if (e.hash == hash && matches(e, name))
            return &e;
    }
}

} // namespace sc
