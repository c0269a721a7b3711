#pragma once
// A typed key/value store of application settings, kept on disk as a
// property-list file. Keys name a path of groups separated by "/"
// ("Window/Main/width"). Deleted keys stay in memory, flagged, until the
// store goes: they are hidden from reads and left out of the file.
#include <td/String.h>
#include <td/Variant.h>

namespace mu
{
class IAppProperties
{
public:
    enum class ToolBarType : int
    {
        Main = 0,
        Report = 1
    };

    // The stored value converted to the default's type, or the default when
    // the key is missing, deleted or holds a value of a kind the default's
    // type does not take.
    virtual td::Variant getKeyValue(const td::String& key, const td::Variant& defaultValue) const = 0;
    virtual void setKeyValue(const td::String& key, const td::Variant& value) = 0;
    // Flags the key, or when there is no such key every key of the group it
    // names; false when nothing was flagged.
    virtual bool deleteKey(const td::String& key) = 0;
    // Writes the store's file unless it was read and nothing changed since;
    // false when the file could not be written (the changes stay pending).
    virtual bool save() = 0;
    // Writes the entries to folder / folder name / (store name + ".plist").
    virtual bool exportTo(const td::String& folder) const = 0;
    // "key:value\n" for every entry in key order, deleted ones included.
    virtual td::String toString() const = 0;
    // The keys not flagged deleted.
    virtual unsigned long long getNoOfKeys() const = 0;
    // Whether a tool bar shows labels. The main tool bar's setting lives in
    // the application's store, under the application's tool-bar identifier;
    // without either, getting gives the default and setting does nothing.
    virtual bool getTBLabelVisibility(ToolBarType type, bool defaultValue) = 0;
    virtual void setTBLabelVisibility(ToolBarType type, bool visible) = 0;
    virtual void release() = 0;

    // A store reading and writing home folder / folderName / name /
    // (name + ".plist"); the caller frees it with release().
    static IAppProperties* getProperties(const td::String& folderName, const td::String& name);

    template <typename T>
    T getValue(const char* key, const T& defaultValue) const
    {
        T value;
        getKeyValue(td::String(key), td::Variant(defaultValue)).getValue(value);
        return value;
    }

    template <typename T>
    void setValue(const char* key, const T& value)
    {
        setKeyValue(td::String(key), td::Variant(value));
    }

    template <typename T>
    void setValue(const td::String& key, const T& value)
    {
        setKeyValue(key, td::Variant(value));
    }

protected:
    virtual ~IAppProperties() = default;
};
} // namespace mu
