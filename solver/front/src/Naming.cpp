#include <sc/Naming.h>
#include <td/NameHash.h>
#include <mu/Assert.h>

namespace sc
{
std::uint32_t VarAndParamHash::hash(std::string_view name) { return td::nameHash(name.data(), name.size()); }

VarAndParamMap& Naming::getUserSymbolMap(UserLabel userSymbolType)
{
    MU_ASSERT(userSymbolType < sc::UserLabel::Last);
    return _mainMaps[static_cast<size_t>(userSymbolType)];
}

VarAndParamMap& Naming::getUserSymbolSubModelMap(UserLabel userSymbolType)
{
    MU_ASSERT(userSymbolType < sc::UserLabel::Last);
    return _subMaps[static_cast<size_t>(userSymbolType)];
}

const VarAndParamMap& Naming::getUserSymbolMap(UserLabel userSymbolType) const
{
    MU_ASSERT(userSymbolType <= sc::UserLabel::Param);
    return _mainMaps[static_cast<size_t>(userSymbolType)];
}

const VarAndParamMap& Naming::getUserSymbolSubModelMap(UserLabel userSymbolType) const
{
    MU_ASSERT(userSymbolType <= sc::UserLabel::Param);
    return _subMaps[static_cast<size_t>(userSymbolType)];
}

const VarAndParamMap& Naming::getUserSymbolMap(UserLabel userSymbolType, ModelLevel level) const
{
    return isSubModel(level) ? getUserSymbolSubModelMap(userSymbolType) : getUserSymbolMap(userSymbolType);
}

td::UINT4 Naming::getNumberOfVars(ModelLevel level) const { return getNumberOfUserLabels(UserLabel::Var, level); }

td::UINT4 Naming::getNumberOfParams(ModelLevel level) const { return getNumberOfUserLabels(UserLabel::Param, level); }

td::UINT4 Naming::getNumberOfUserLabels(UserLabel kind, ModelLevel level) const
{
    if (kind >= UserLabel::Last)
        return 0;
    return static_cast<td::UINT4>(maps(level)[static_cast<size_t>(kind)].size());
}

const td::StringExt* Naming::getVarName(td::UINT4 pos, ModelLevel level) const
{
    return getUserLabelName(UserLabel::Var, pos, level);
}

const td::StringExt* Naming::getParamName(td::UINT4 pos, ModelLevel level) const
{
    return getUserLabelName(UserLabel::Param, pos, level);
}

const td::StringExt* Naming::getUserLabelName(UserLabel kind, td::UINT4 pos, ModelLevel level) const
{
    if (kind >= UserLabel::Last)
        return nullptr;
    return names(level)[static_cast<size_t>(kind)][pos];
}

td::INT4 Naming::getVarPos(const td::StringExt* name, ModelLevel level) const
{
    return getUserLabelPos(UserLabel::Var, name, level);
}

td::INT4 Naming::getParamPos(const td::StringExt* name, ModelLevel level) const
{
    return getUserLabelPos(UserLabel::Param, name, level);
}

td::INT4 Naming::getUserLabelPos(UserLabel kind, const td::StringExt* name, ModelLevel level) const
{
    if (!name || name->isEmpty() || kind >= UserLabel::Last)
        return -1;
    const VarAndParamMap& map = maps(level)[static_cast<size_t>(kind)];
    auto it = map.find(std::string_view(name->c_str(), name->length()));
    return it == map.end() ? -1 : static_cast<td::INT4>(it->second);
}

namespace
{
constexpr const char* Dashes = "--------------";

// The variable blocks flush after every entry and end with a dashed line.
void showVars(std::ostream& os, const char* title, const VarAndParamMap& map)
{
    os << title << map.size() << '\n' << Dashes << '\n';
    for (const auto& [name, pos] : map)
    {
        if (!name.isEmpty())
            os << name;
        os << " pos=" << pos << std::endl;
    }
    os << Dashes << '\n' << '\n';
}

void showParams(std::ostream& os, const char* title, const VarAndParamMap& map, bool lastBlock)
{
    os << title << map.size() << '\n' << Dashes << '\n';
    for (const auto& [name, pos] : map)
    {
        if (!name.isEmpty())
            os << name;
        os << " pos=" << pos << '\n';
    }
    if (!lastBlock)
        os << '\n';
}
} // namespace

void Naming::showVarsAndParams(std::ostream& os) const
{
    const auto var = static_cast<size_t>(UserLabel::Var);
    const auto param = static_cast<size_t>(UserLabel::Param);
    showVars(os, "MMVars size=", _mainMaps[var]);
    showParams(os, "MMParams size=", _mainMaps[param], false);
    showVars(os, "SMVars size=", _subMaps[var]);
    showParams(os, "SMParams size=", _subMaps[param], true);
}

void Naming::clean()
{
    for (UserLabels* level : {&_mainMaps, &_subMaps})
        for (VarAndParamMap& map : *level)
            map.clear();
    _duplicated.clear();
    for (cnt::Array<NameArray, 4>* level : {&_mainNames, &_subNames})
        for (NameArray& arr : *level)
            arr.clean();
    _stringMem.clean();
}

namespace
{
void buildPositions(const VarAndParamMap& map, cnt::SafeFullVector<const td::StringExt*>& arr)
{
    if (arr.size() != map.size())
        arr.reserve(map.size());
    arr.setAll(nullptr);
    for (const auto& entry : map)
        arr[entry.second] = &entry.first;
}
} // namespace

void Naming::buildNamePositions()
{
    for (size_t kind = 0; kind < 4; ++kind)
    {
        buildPositions(_mainMaps[kind], _mainNames[kind]);
        buildPositions(_subMaps[kind], _subNames[kind]);
    }
}
} // namespace sc
