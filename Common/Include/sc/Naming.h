#pragma once
// The symbol names of one model: variables, parameters, random generators
// and statistics, each with its position, for the main model and the
// sub-model. The loader fills the maps, then builds the position-to-name
// arrays; the compiler, the solvers and the model objects read them.
#include <cstdint>
#include <ostream>
#include <string_view>
#include <unordered_map>
#include <cnt/Array.h>
#include <cnt/SafeFullVector.h>
#include <mem/StringMemoryManager.h>
#include <sc/ModelLevel.h>
#include <td/String.h>
#include <td/Types.h>

namespace sc
{
enum class UserLabel : std::uint8_t
{
    Var = 0,
    Param,
    Distrib,
    Stat,
    Last
};

// h = rotl(h, 5) ^ byte over the text, the byte taken as a signed char
// (sign-extended to 32 bits). Transparent, so names can be looked up by text.
struct VarAndParamHash
{
    using is_transparent = void;
    static std::uint32_t hash(std::string_view name);
    std::size_t operator()(std::string_view name) const { return hash(name); }
    std::size_t operator()(const td::StringExt& name) const { return hash({name.c_str(), name.length()}); }
};

struct VarAndParamEqual
{
    using is_transparent = void;
    static std::string_view view(const td::StringExt& s) { return {s.c_str(), s.length()}; }
    static std::string_view view(std::string_view s) { return s; }
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const
    {
        return view(a) == view(b);
    }
};

// Name to position. The keys are pooled strings of the naming's string memory.
using VarAndParamMap = std::unordered_map<td::StringExt, td::UINT4, VarAndParamHash, VarAndParamEqual>;

class Naming
{
public:
    using UserLabels = cnt::Array<VarAndParamMap, 4>;
    using StringMemory = mem::StringMemoryManager<td::StringExt, 65536>;
    using NameArray = cnt::SafeFullVector<const td::StringExt*>;

    Naming() = default;
    Naming(const Naming&) = delete;
    Naming& operator=(const Naming&) = delete;

    VarAndParamMap& getUserSymbolMap(UserLabel userSymbolType);
    VarAndParamMap& getUserSymbolSubModelMap(UserLabel userSymbolType);
    // The read-only maps serve variables and parameters only.
    const VarAndParamMap& getUserSymbolMap(UserLabel userSymbolType) const;
    const VarAndParamMap& getUserSymbolSubModelMap(UserLabel userSymbolType) const;
    const VarAndParamMap& getUserSymbolMap(UserLabel userSymbolType, ModelLevel level) const;

    UserLabels& getUserLabels() { return _mainMaps; }
    const UserLabels& getUserLabels() const { return _mainMaps; }
    UserLabels& getUserSubModelLabels() { return _subMaps; }
    const UserLabels& getUserSubModelLabels() const { return _subMaps; }

    StringMemory& getStringMemManager() { return _stringMem; }
    VarAndParamMap& getDuplicatedVarsAndParams() { return _duplicated; }
    const VarAndParamMap& getDuplicatedVarsAndParams() const { return _duplicated; }

    td::UINT4 getNumberOfVars(ModelLevel level) const;
    td::UINT4 getNumberOfParams(ModelLevel level) const;
    // 0 for a kind past the statistics.
    td::UINT4 getNumberOfUserLabels(UserLabel kind, ModelLevel level) const;

    // Null for a slot that no name filled (and for a kind past the statistics).
    const td::StringExt* getVarName(td::UINT4 pos, ModelLevel level) const;
    const td::StringExt* getParamName(td::UINT4 pos, ModelLevel level) const;
    const td::StringExt* getUserLabelName(UserLabel kind, td::UINT4 pos, ModelLevel level) const;

    // -1 for an absent, null or empty name.
    td::INT4 getVarPos(const td::StringExt* name, ModelLevel level) const;
    td::INT4 getParamPos(const td::StringExt* name, ModelLevel level) const;
    td::INT4 getUserLabelPos(UserLabel kind, const td::StringExt* name, ModelLevel level) const;

    void showVarsAndParams(std::ostream& os) const;

    // Empties everything for the next model; the name arrays and pooled
    // names handed out before become invalid.
    void clean();

    // Position-to-name arrays of all eight maps; positions of each map must
    // be 0..count-1.
    void buildNamePositions();

private:
    static bool isSubModel(ModelLevel level) { return level != ModelLevel::Main; }
    const UserLabels& maps(ModelLevel level) const { return isSubModel(level) ? _subMaps : _mainMaps; }
    const cnt::Array<NameArray, 4>& names(ModelLevel level) const { return isSubModel(level) ? _subNames : _mainNames; }

    StringMemory _stringMem;
    UserLabels _mainMaps;
    UserLabels _subMaps;
    VarAndParamMap _duplicated;
    cnt::Array<NameArray, 4> _mainNames;
    cnt::Array<NameArray, 4> _subNames;
};
} // namespace sc
