#include <sc/StringPool.h>
#include <bit>
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

void HashMap::insert(std::uint64_t h, std::int32_t index)
{
    if (3 * (_entries.size() + 1) > 2 * _slots.size())
        grow();
    _entries.push_back({h, index});
    place(static_cast<std::uint32_t>(_entries.size() - 1));
}

// Equal hashes follow one probe sequence: an entry lands behind those of
// its hash that came before it, and a lookup meets them in that order.
void HashMap::place(std::uint32_t pos)
{
    const std::size_t mask = _slots.size() - 1;
    std::size_t i = slotOf(_entries[pos].hash);
    while (_slots[i] != EmptySlot)
        i = (i + 1) & mask;
    _slots[i] = pos;
}

void HashMap::grow()
{
    const std::size_t n = _slots.empty() ? 16 : 2 * _slots.size();
    _slots.assign(n, EmptySlot);
    _shift = static_cast<unsigned>(64 - std::countr_zero(n));
    for (std::uint32_t pos = 0; pos < _entries.size(); ++pos)
        place(pos);
}

std::uint32_t HashMap::getIndex(const char* name) const
{
    if (!name)
        name = "";
    if (_slots.empty())
        return NotFound;
    const std::uint64_t h = hash(name);
    const std::size_t mask = _slots.size() - 1;
    // A slot overwritten by setString leaves its old entry behind, so the
    // entries of a hash may hold stale ones before the live one.
    for (std::size_t i = slotOf(h); _slots[i] != EmptySlot; i = (i + 1) & mask)
    {
        const Entry& e = _entries[_slots[i]];
        if (e.hash != h)
            continue;
        const td::StringExt& stored = (*_pNames)[static_cast<std::size_t>(static_cast<std::uint32_t>(e.index))];
        if (std::strcmp(stored.c_str(), name) == 0)
            return static_cast<std::uint32_t>(e.index);
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
