#pragma once
// The named statistics of one solver, by position (the index that compiled
// expressions carry) and by name. Element access goes through the checked
// vector, so a position out of range stops the process.
#include <cnt/SafeFullVector.h>
#include <math/Stats.h>
#include <td/String.h>

#include <concepts>
#include <cstddef>
#include <cstring>

namespace math
{
template <typename T>
class StatsManager
{
public:
    // n fresh statistics; the present ones, names and values, stay when n is
    // their count.
    void reserve(std::size_t n) { _stats.reserve(n); }

    // Names statistic pos, unless a statistic before it has the same name
    // (two empty names are the same): then false and nothing changes. Later
    // positions are not compared; a duplicate there is caught when it is
    // named itself.
    template <typename S>
    requires std::same_as<S, td::String> || std::same_as<S, td::StringExt>
    bool setName(std::size_t pos, const S& name)
    {
        Stats<T>& stats = _stats[pos];
        for (std::size_t i = 0; i < pos; ++i)
        {
            if (_stats[i]._name == name)
                return false;
        }
        stats._name = name;
        return true;
    }

    // The position of the first statistic called name; -1 for a null or
    // empty name or one that no statistic has.
    int find(const char* name) const
    {
        const std::size_t len = name ? std::strlen(name) : 0;
        if (len == 0)
            return -1;
        for (std::size_t i = 0; i < _stats.size(); ++i)
        {
            const td::String& stored = _stats[i]._name;
            if (stored.length() == len && std::memcmp(stored.c_str(), name, len) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }

    std::size_t size() const { return _stats.size(); }
    Stats<T>& operator[](std::size_t pos) { return _stats[pos]; }
    const Stats<T>& operator[](std::size_t pos) const { return _stats[pos]; }

private:
    cnt::SafeFullVector<Stats<T>> _stats;
};
} // namespace math
