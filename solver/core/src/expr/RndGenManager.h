#pragma once
// The random generators of one solver, by position (the index that compiled
// expressions carry) and by name. The manager owns the generators and a copy
// of each name: an XML model's names go with its document.
#include <expr/Build.h>
#include <cnt/PushBackVector.h>
#include <math/RndGen.h>
#include <td/String.h>

#include <cstddef>

namespace SL_NS
{
class RndGenManager
{
public:
    struct GenWithName
    {
        td::String name;
        rnd::Gen* gen = nullptr;
    };

    RndGenManager() = default;
    RndGenManager(const RndGenManager&) = delete;
    RndGenManager& operator=(const RndGenManager&) = delete;
    ~RndGenManager();

    // Deletes every registered generator and makes room for n.
    void reserve(std::size_t n);

    // Registers gen under name and returns its position. A non-empty name
    // that a registered generator already has gives -1: nothing is
    // registered and gen stays the caller's. Null and empty names are never
    // compared.
    int addGen(const td::StringExt* name, rnd::Gen* gen);

    // The position of the generator called name; -1 for a null or empty
    // name or one that no generator has.
    int find(const char* name) const;

    std::size_t size() const { return _gens.size(); }

    // One draw of generator index.
    virtual void next(unsigned long index, double& value);

private:
    void deleteGens();
    int findName(const char* name, std::size_t len) const;

    cnt::PushBackVector<GenWithName> _gens;
};
} // namespace SL_NS
