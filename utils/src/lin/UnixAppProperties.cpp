#include "UnixAppProperties.h"

#include <cstdlib>
#include <cstring>
#include <system_error>

#include <mu/Environment.h>
#include <mu/NumberParser.h>

namespace mu
{
namespace fs = std::filesystem;

namespace
{
bool isNamed(const xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>::Node& node, const char* name)
{
    return node.pName->pStr->compare(name, static_cast<int>(std::strlen(name)));
}

template <class NODE>
td::String textOf(const NODE& node)
{
    return node.pText ? td::String(*node.pText) : td::String();
}

td::String fullKey(const td::String& prefix, const td::String& name)
{
    if (prefix.isEmpty())
        return name;
    td::String key(prefix);
    key.appendString("/", 1);
    key.appendString(name.c_str(), static_cast<int>(name.length()));
    return key;
}
} // namespace

IAppProperties* IAppProperties::getProperties(const td::String& folderName, const td::String& name)
{
    return new UnixAppProperties(folderName, name);
}

UnixAppProperties::UnixAppProperties(const td::String& folderName, const td::String& name)
    : AppProperties(folderName, name)
{
    std::error_code ec;
    if (!fs::is_directory(storeFolder(), ec))
        return;
    const fs::path file = storeFile();
    if (!fs::exists(file, ec))
        return;
    _loaded = loadFromPlist(file);
    _unreadableFile = !_loaded;
}

fs::path UnixAppProperties::storeFolder() const { return getHomePath() / _folderName.c_str() / _name.c_str(); }

fs::path UnixAppProperties::storeFile() const { return storeFolder() / (std::string(_name.c_str()) + ".plist"); }

bool UnixAppProperties::save()
{
    if (_loaded && !isModified())
        return true;
    std::error_code ec;
    fs::create_directories(storeFolder(), ec);
    const fs::path file = storeFile();
    if (_unreadableFile && !keepUnreadableFile(file))
        return false;
    // The new content goes to a file beside the store and replaces it only
    // when complete: a write cut short (a full disk) keeps the last good store.
    fs::path written = file;
    written += ".new";
    if (!saveToPlist(td::String(written.c_str())))
    {
        fs::remove(written, ec);
        return false;
    }
    fs::rename(written, file, ec);
    if (ec)
    {
        fs::remove(written, ec);
        return false;
    }
    clearModified();
    return true;
}

bool UnixAppProperties::keepUnreadableFile(const fs::path& file)
{
    std::error_code ec;
    fs::path copy = file;
    copy += ".bak";
    if (fs::exists(file, ec) && !fs::copy_file(file, copy, fs::copy_options::overwrite_existing, ec))
        return false;
    _unreadableFile = false;
    return true;
}

bool UnixAppProperties::loadFromPlist(const fs::path& file)
{
    Document document;
    if (!document.parseFile(file))
        return false;
    const Node* pRoot = document.getRootNode();
    if (!pRoot || !isNamed(*pRoot, "plist") || !pRoot->pFirstChild || !isNamed(*pRoot->pFirstChild, "dict"))
        return false;

    // Every round moves on by at least one node of the finite tree.
    cnt::Stack<StackEntry, 16> nesting;
    td::String prefix;
    const Node* pNode = pRoot->pFirstChild->pFirstChild;
    for (;;)
    {
        while (!pNode)
        {
            if (nesting.isEmpty())
                return true;
            prefix = nesting.top().prefix;
            pNode = nesting.top().pDict->pNextSibling;
            nesting.pop();
        }
        const Node* pValue = pNode->pNextSibling;
        if (!isNamed(*pNode, "key") || !pValue)
            return false;
        const td::String key = fullKey(prefix, textOf(*pNode));
        if (isNamed(*pValue, "dict"))
        {
            nesting.push(StackEntry {prefix, pValue});
            prefix = key;
            pNode = pValue->pFirstChild;
            continue;
        }
        readValue(key, *pValue);
        pNode = pValue->pNextSibling;
    }
}

void UnixAppProperties::readValue(const td::String& key, const Node& value)
{
    const td::String text = textOf(value);
    if (isNamed(value, "string"))
        store(key, td::Variant(text));
    else if (isNamed(value, "integer"))
        store(key, td::Variant(static_cast<td::INT4>(std::strtol(text.c_str(), nullptr, 10))));
    else if (isNamed(value, "real"))
        store(key, td::Variant(static_cast<float>(mu::toDouble(text.c_str()))));
    else if (isNamed(value, "bool"))
        store(key, td::Variant(text.toBoolean()));
    else if (isNamed(value, "true"))
        store(key, td::Variant(true));
    else if (isNamed(value, "false"))
        store(key, td::Variant(false));
    else if (isNamed(value, "data"))
        store(key, td::Variant(text.trim()));
    else if (isNamed(value, "date"))
        store(key, td::Variant(td::Date::fromString(text.c_str())));
    else if (isNamed(value, "time"))
        store(key, td::Variant(td::Time::fromString(text.c_str())));
}
} // namespace mu
