#include <mu/AppProperties.h>

#include <cnt/StringBuilder.h>
#include <mu/IApplication.h>
#include <td/VariantVisitors.h>

namespace mu
{
namespace
{
constexpr const char* s_reportLabelKey = "@Zorbel.Report.showLabel";

// The key of the main tool bar's label setting, empty when the application
// names no main tool bar.
td::String mainToolBarKey(const IApplication& app)
{
    const char* id = app.getMainToolBarStrID();
    td::String key;
    if (id && *id)
        key.format("@%s.showLabel", id);
    return key;
}

// The application's store, when the application has one and a main tool bar.
IAppProperties* mainToolBarStore(td::String& key)
{
    IApplication* pApp = mu::pApp();
    if (!pApp)
        return nullptr;
    key = mainToolBarKey(*pApp);
    return key.isEmpty() ? nullptr : pApp->getProperties();
}

bool startsWith(const td::String& text, const td::String& prefix)
{
    return text.length() >= prefix.length() && std::memcmp(text.c_str(), prefix.c_str(), prefix.length()) == 0;
}
} // namespace

AppProperties::AppProperties(const td::String& folderName, const td::String& name)
    : _folderName(folderName)
    , _name(name)
{
}

td::Variant AppProperties::getKeyValue(const td::String& key, const td::Variant& defaultValue) const
{
    const auto it = _entries.find(key);
    if (it == _entries.end() || it->second.deleted)
        return defaultValue;
    return convertValue(it->second.value, defaultValue);
}

void AppProperties::setKeyValue(const td::String& key, const td::Variant& value)
{
    Entry& entry = _entries[key];
    entry.value = value;
    entry.modified = true;
    entry.deleted = false;
}

bool AppProperties::deleteKey(const td::String& key)
{
    const auto it = _entries.find(key);
    if (it != _entries.end())
    {
        it->second.modified = it->second.deleted = true;
        return true;
    }
    td::String prefix(key);
    if (prefix.isEmpty() || prefix.c_str()[prefix.length() - 1] != '/')
        prefix.appendString("/", 1);
    bool flagged = false;
    for (auto group = _entries.lower_bound(prefix); group != _entries.end() && startsWith(group->first, prefix);
         ++group)
    {
        group->second.modified = group->second.deleted = true;
        flagged = true;
    }
    return flagged;
}

td::Variant AppProperties::convertValue(const td::Variant& stored, td::Variant defaultValue) const
{
    const td::_tDataType from = stored.getType();
    switch (defaultValue.getType())
    {
    case td::boolean:
    case td::string8: break;
    case td::byte:
        if (from == td::word)
            return td::Variant(static_cast<td::BYTE>(stored.wordVal()));
        if (from == td::uint4)
            return td::Variant(static_cast<td::BYTE>(stored.u4Val()));
        if (from == td::int4)
            return td::Variant(static_cast<td::BYTE>(stored.i4Val()));
        break;
    case td::word:
        if (from == td::int4)
            return td::Variant(static_cast<td::WORD>(stored.i4Val()));
        break;
    case td::uint4:
        if (from == td::int4)
            return td::Variant(static_cast<td::UINT4>(stored.i4Val()));
        break;
    case td::int4:
        if (from == td::uint4)
            return td::Variant(static_cast<td::INT4>(stored.u4Val()));
        break;
    case td::real4:
        if (from == td::real8)
            return td::Variant(static_cast<float>(stored.r8Val()));
        break;
    case td::real8:
        if (from == td::real4)
            return td::Variant(static_cast<double>(stored.r4Val()));
        break;
    case td::date:
        if (from == td::string8)
            return td::Variant(td::Date::fromString(stored.strVal().c_str()));
        break;
    case td::time:
        if (from == td::string8)
            return td::Variant(td::Time::fromString(stored.strVal().c_str()));
        break;
    default: return defaultValue;
    }
    return from == defaultValue.getType() ? stored : defaultValue;
}

void AppProperties::store(const td::String& key, td::Variant value)
{
    Entry& entry = _entries[key];
    entry.value = std::move(value);
    entry.modified = false;
    entry.deleted = false;
}

bool AppProperties::isModified() const
{
    for (const auto& [key, entry] : _entries)
    {
        if (entry.modified)
            return true;
    }
    return false;
}

void AppProperties::clearModified()
{
    for (auto& [key, entry] : _entries)
        entry.modified = false;
}

td::String AppProperties::toString() const
{
    cnt::StringBuilder<td::String, 4096> text;
    for (const auto& [key, entry] : _entries)
    {
        text.put(key.c_str(), static_cast<unsigned>(key.length()));
        text.put(':');
        if (entry.value.getType() != td::none)
        {
            const td::String value = entry.value.applyConstVisitor<td::ToStringVisitor, td::String>();
            text.put(value.c_str(), static_cast<unsigned>(value.length()));
        }
        text.put('\n');
    }
    return text.toString();
}

unsigned long long AppProperties::getNoOfKeys() const
{
    unsigned long long count = 0;
    for (const auto& [key, entry] : _entries)
        count += entry.deleted ? 0 : 1;
    return count;
}

bool AppProperties::getTBLabelVisibility(ToolBarType type, bool defaultValue)
{
    if (type == ToolBarType::Report)
        return getValue<bool>(s_reportLabelKey, defaultValue);
    td::String key;
    IAppProperties* pStore = type == ToolBarType::Main ? mainToolBarStore(key) : nullptr;
    return pStore ? pStore->getValue<bool>(key.c_str(), defaultValue) : defaultValue;
}

void AppProperties::setTBLabelVisibility(ToolBarType type, bool visible)
{
    if (type == ToolBarType::Report)
    {
        setValue<bool>(s_reportLabelKey, visible);
        return;
    }
    td::String key;
    IAppProperties* pStore = type == ToolBarType::Main ? mainToolBarStore(key) : nullptr;
    if (pStore)
        pStore->setValue<bool>(key, visible);
}
} // namespace mu
