#pragma once
// The solver's symbol names by index, with a lookup by text. Nothing is
// ever removed; all storage goes with the pool.
#include <cnt/Set.h>
#include <cnt/Vector.h>
#include <mem/StringMemoryManager.h>
#include <sc/HashMap.h>
#include <td/String.h>

namespace sc
{
class StringPool
{
public:
    StringPool() = default;
    StringPool(const StringPool&) = delete;
    StringPool& operator=(const StringPool&) = delete;

    // index must be the position the name takes, i.e. the number of names
    // added before it. A null text adds nothing; an empty one a null name.
    void addString(const char* text, int index);
    void addString(const td::StringExt* pName, int index);
    void addString(const td::String& name, int index);
    // Stores tag followed by the name (conjugate names: "#" and the name).
    void addString(const td::StringExt* pName, int index, char tag);

    // Overwrites the existing slot index; the slot must have been added.
    void setString(const char* text, int index);
    void setString(const td::StringExt& name, int index);
    void setString(const td::String& name, int index);
    void setString(const td::StringExt& name, int index, char tag);

    void addStateSpaceVariableName(const char* text);

    const HashMap& getHashMap() const { return _map; }
    std::uint32_t getIndex(const char* name) const { return _map.getIndex(name); }
    const cnt::Vector<td::StringExt>& getNames() const { return _names; }
    const cnt::Set<td::StringExt>& getStateSpaceVariableNames() const { return _stateSpaceNames; }

private:
    td::StringExt copyOf(const char* text, std::size_t len);
    void add(const char* text, std::size_t len, int index);
    void set(const char* text, std::size_t len, int index);
    void addTagged(const td::StringExt& name, int index, char tag, bool overwrite);

    mem::StringMemoryManager<td::StringExt, 65536> _stringMem;
    cnt::Vector<td::StringExt> _names;
    HashMap _map {&_names};
    cnt::Set<td::StringExt> _stateSpaceNames;
};
} // namespace sc
