#include <expr/RndGenManager.h>
#include <mu/Assert.h>

#include <cstring>
#include <utility>

namespace SL_NS
{
RndGenManager::~RndGenManager() { deleteGens(); }

void RndGenManager::deleteGens()
{
    for (GenWithName& record : _gens)
        delete std::exchange(record.gen, nullptr);
}

void RndGenManager::reserve(std::size_t n)
{
    deleteGens();
    _gens.reserve(n);
}

int RndGenManager::addGen(const td::StringExt* name, rnd::Gen* gen)
{
    MU_ASSERT(gen);
    if (name && !name->isEmpty() && findName(name->c_str(), name->length()) >= 0)
        return -1;
    const int index = static_cast<int>(_gens.size());
    _gens.push_back(GenWithName {name ? td::String(*name) : td::String(), gen});
    return index;
}

int RndGenManager::find(const char* name) const
{
    const std::size_t len = name ? std::strlen(name) : 0;
    return len > 0 ? findName(name, len) : -1;
}

int RndGenManager::findName(const char* name, std::size_t len) const
{
    for (std::size_t i = 0; i < _gens.size(); ++i)
    {
        const td::String& stored = _gens[i].name;
        if (stored.length() == len && std::memcmp(stored.c_str(), name, len) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void RndGenManager::next(unsigned long index, double& value) { _gens[index].gen->next(value); }
} // namespace SL_NS
