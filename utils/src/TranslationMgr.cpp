#include <mu/TranslationMgr.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <mu/Hash.h>
#include <mu/IApplication.h>
#include <mu/ILogger.h>
#include <td/BufferString.h>
#include <xml/DOMParser.h>

namespace mu
{
namespace
{
using Document = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>;
using ItemIterator = Document::node_iterator;

size_t lengthOf(const char* text) { return text ? std::strlen(text) : 0; }

// Items without "id" or "tr" are passed over; a later item replaces an
// earlier one of the same identifier hash.
void readItem(_NTR& table, const ItemIterator& item)
{
    const td::StringExt* pId = item.getAttribValueStrPtr("id");
    const td::StringExt* pTr = item.getAttribValueStrPtr("tr");
    if (pId && pTr)
        table.items[fnv1a(pId->c_str(), pId->length())] = td::String(*pTr);
}

void readItem(_DPTR& table, const ItemIterator& item)
{
    const td::StringExt* pId = item.getAttribValueStrPtr("id");
    const td::StringExt* pTr = item.getAttribValueStrPtr("tr");
    if (!pId || !pTr)
        return;
    _DPTR::Entry& entry = table.items[fnv1a(pId->c_str(), pId->length())];
    entry.translation = td::String(*pTr);
    if (const td::StringExt* pLabel = item.getAttribValueStrPtr("lbl"))
        entry.label = td::String(*pLabel);
    if (const td::StringExt* pToolTip = item.getAttribValueStrPtr("toolTip"))
        entry.toolTip = td::String(*pToolTip);
}
} // namespace

template <class TABLE>
unsigned TranslationMgrBase<TABLE>::loadTranslation(const char* name,
                                                    const char* language) requires std::same_as<TABLE, _NTR>
{
    return load(name, language, "TranslationMgr::loadTranslation");
}

template <class TABLE>
unsigned TranslationMgrBase<TABLE>::loadDPTranslation(const char* name,
                                                      const char* language) requires std::same_as<TABLE, _DPTR>
{
    return load(name, language, "TranslationMgr::loadDPTranslation");
}

template <class TABLE>
unsigned TranslationMgrBase<TABLE>::load(const char* name, const char* language, const char* title)
{
    IAppSettings* pSettings = getAppSettings();
    const td::String lang = language || !pSettings ? td::String(language) : pSettings->getTranslationExtension();
    const unsigned key = fnv1a(name, lengthOf(name), fnv1a(lang.c_str(), lang.length()));
    if (_tables.contains(key) || !pSettings || pSettings->getFSPath(_kind).empty())
        return key;

    const std::filesystem::path file =
        pSettings->getFSPath(_kind) / lang.c_str() / (std::string(name ? name : "") + ".xml");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return key;
    Document document;
    ILogger* pLogger = pSettings->getLogger();
    if (!document.parseFile(file, pLogger))
    {
        if (pLogger)
        {
            td::String message;
            message.format("Cannot parse translation file: %s", file.c_str());
            pLogger->show(2, td::String(title), message);
        }
        return key;
    }
    auto table = std::make_unique<TABLE>();
    // Bounded by the items of the document.
    for (ItemIterator item = document.getRoot().getChildNode("item"); !item.isEnd(); ++item)
        readItem(*table, item);
    _tables.emplace(key, std::move(table));
    return key;
}

template <class TABLE>
auto TranslationMgrBase<TABLE>::find(unsigned key, const char* text, size_t length) const -> const Item*
{
    const auto table = _tables.find(key);
    if (table == _tables.end())
        return nullptr;
    MU_ASSERT(text);
    const auto item = table->second->items.find(fnv1a(text, length));
    return item == table->second->items.end() ? nullptr : &item->second;
}

template <class TABLE>
const char* TranslationMgrBase<TABLE>::trc(unsigned key, const char* text,
                                           unsigned long& length) const requires std::same_as<TABLE, _NTR>
{
    const td::String* pTranslation = find(key, text, lengthOf(text));
    if (!pTranslation)
        return text;
    length = pTranslation->length();
    return pTranslation->c_str();
}

template <class TABLE>
const td::String& TranslationMgrBase<TABLE>::trsDP(unsigned key, const td::String& id, td::String& label,
                                                   td::String& toolTip) const requires std::same_as<TABLE, _DPTR>
{
    const _DPTR::Entry* pEntry = find(key, id.c_str(), id.length());
    label = pEntry ? pEntry->label : td::String();
    toolTip = pEntry ? pEntry->toolTip : td::String();
    return pEntry ? pEntry->translation : id;
}

template <class TABLE>
const char* TranslationMgrBase<TABLE>::trsDP(unsigned key, const char* text, unsigned long& length, td::String& label,
                                             td::String& toolTip) const requires std::same_as<TABLE, _DPTR>
{
    const _DPTR::Entry* pEntry = find(key, text, lengthOf(text));
    label = pEntry ? pEntry->label : td::String();
    toolTip = pEntry ? pEntry->toolTip : td::String();
    if (!pEntry)
        return text;
    length = pEntry->translation.length();
    return pEntry->translation.c_str();
}

template class TranslationMgrBase<_NTR>;
template class TranslationMgrBase<_DPTR>;
} // namespace mu
