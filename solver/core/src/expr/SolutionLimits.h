#pragma once
// The limit groups of a model: per group of its Limits section the
// assignments that hold variables at their bounds, with the group's name
// and whether it is enabled.
#include <expr/Build.h>
#include <cnt/SafeFullVector.h>
#include <td/String.h>

#include <cstddef>
#include <cstdint>

namespace SL_NS
{
class Evaluator;

class SolutionLimits
{
public:
    struct Group
    {
        Evaluator* evaluators = nullptr; // a run of count evaluators, one per assignment
        td::String name;
        std::uint32_t count = 0;
        std::uint8_t enabled = 0;
        std::uint8_t state = 0;
    };

    // n empty groups. With the present count the groups are emptied in place
    // (names released); reserve(0) of an empty table does nothing.
    void reserve(std::size_t n);

    std::size_t size() const { return _groups.size(); }
    Group& operator[](std::size_t pos) { return _groups[pos]; }
    const Group& operator[](std::size_t pos) const { return _groups[pos]; }
    Group* begin() { return _groups.begin(); }
    Group* end() { return _groups.end(); }
    const Group* begin() const { return _groups.begin(); }
    const Group* end() const { return _groups.end(); }

private:
    cnt::SafeFullVector<Group> _groups;
};
} // namespace SL_NS
