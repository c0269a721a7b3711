#include <sc/StringPool.h>
#include <cstring>
#include <string>

namespace sc
{
std::uint64_t HashMap::hash(const char* text, std::size_t len)
{
    std::uint64_t h = 0;
    for (std::size_t i = 0; i < len; ++i)
    {
        const std::int64_t c = static_cast<signed char>(text[i]);
        const std::int64_t v = (c < 96) ? c : c - 40;
        h = h * 8 + (h >> 28) + static_cast<std::uint64_t>(v);
    }
    return h;
}

std::uint64_t HashMap::hash(const char* text) { return text ? hash(text, std::strlen(text)) : 0; }

std::uint32_t HashMap::getIndex(const char* name) const
{
    if (!name)
        name = "";
    const std::uint64_t h = hash(name);
    // A slot overwritten by setString leaves its old entry behind, so an
    // equal-hash run may hold stale entries before the live one.
    auto [it, end] = _entries.equal_range(h);
    for (; it != end; ++it)
    {
        const td::StringExt& stored = (*_pNames)[static_cast<std::size_t>(static_cast<std::uint32_t>(it->second))];
        if (std::strcmp(stored.c_str(), name) == 0)
            return static_cast<std::uint32_t>(it->second);
    }
    return NotFound;
}

td::StringExt StringPool::copyOf(const char* text, std::size_t len)
{
    return _stringMem.makeString(text, static_cast<unsigned>(len));
}

void StringPool::add(const char* text, std::size_t len, int index)
{
    _map.insert(HashMap::hash(text, len), index);
    _names.push_back(copyOf(text, len));
}

// The slot must exist: the vector asserts the index.
void StringPool::set(const char* text, std::size_t len, int index)
{
    _map.insert(HashMap::hash(text, len), index);
    _names[static_cast<std::size_t>(static_cast<unsigned>(index))] = copyOf(text, len);
}

void StringPool::addString(const char* text, int index)
{
    if (text)
        add(text, std::strlen(text), index);
}

void StringPool::addString(const td::StringExt* pName, int index)
{
    if (pName)
        add(pName->c_str(), pName->length(), index);
}

void StringPool::addString(const td::String& name, int index) { add(name.c_str(), name.length(), index); }

void StringPool::addString(const td::StringExt* pName, int index, char tag)
{
    if (!pName)
        return;
    addTagged(*pName, index, tag, false);
}

// The tag and the name as one text, under the hash of that text; an empty
// name keeps a null slot and enters the hash of the tag alone.
void StringPool::addTagged(const td::StringExt& name, int index, char tag, bool overwrite)
{
    std::string text(1, tag);
    text.append(name.c_str(), name.length());
    _map.insert(HashMap::hash(text.data(), text.size()), index);
    td::StringExt copy = name.isEmpty() ? td::StringExt() : copyOf(text.data(), text.size());
    if (overwrite)
        _names[static_cast<std::size_t>(static_cast<unsigned>(index))] = copy;
    else
        _names.push_back(copy);
}

void StringPool::setString(const char* text, int index)
{
    if (text)
        set(text, std::strlen(text), index);
}

void StringPool::setString(const td::StringExt& name, int index) { set(name.c_str(), name.length(), index); }

void StringPool::setString(const td::String& name, int index) { set(name.c_str(), name.length(), index); }

void StringPool::setString(const td::StringExt& name, int index, char tag) { addTagged(name, index, tag, true); }

void StringPool::addStateSpaceVariableName(const char* text)
{
    if (text)
        _stateSpaceNames.insert(copyOf(text, std::strlen(text)));
}
} // namespace sc
