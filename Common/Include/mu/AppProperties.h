#pragma once
// The entries of a property-list store in a sorted map, and the writing of
// them as a property-list file. Saving to the store's own file is left to
// the platform's store (getProperties makes one).
#include <map>
#include <string_view>
#include <vector>

#include <mu/IAppProperties.h>

namespace xml
{
class Writer;
} // namespace xml

namespace mu
{
class AppProperties : public IAppProperties
{
public:
    struct Entry
    {
        td::Variant value;
        bool modified = false;
        bool deleted = false;
    };

    td::Variant getKeyValue(const td::String& key, const td::Variant& defaultValue) const override;
    void setKeyValue(const td::String& key, const td::Variant& value) override;
    bool deleteKey(const td::String& key) override;
    bool exportTo(const td::String& folder) const override;
    td::String toString() const override;
    unsigned long long getNoOfKeys() const override;
    bool getTBLabelVisibility(ToolBarType type, bool defaultValue) override;
    void setTBLabelVisibility(ToolBarType type, bool visible) override;
    void release() override { delete this; }

protected:
    // folderName: the folder under the home folder that holds the store's
    // own folder; name: that folder's name and the file's base name.
    AppProperties(const td::String& folderName, const td::String& name);

    // Writes every entry not flagged deleted, in groups; values of types the
    // file has no element for are left out. False when the file could not be
    // written whole.
    bool saveToPlist(const td::String& fileName) const;

    // The stored value as the default's type (see getKeyValue).
    td::Variant convertValue(const td::Variant& stored, td::Variant defaultValue) const;

    // Enters a value read from the file, unchanged and not deleted.
    void store(const td::String& key, td::Variant value);

    bool isModified() const;
    void clearModified();

    td::String _folderName;
    td::String _name;
    bool _loaded = false; // the store's file was read whole

private:
    using OpenGroups = std::vector<std::string_view>;

    void writeEntry(xml::Writer& writer, std::string_view key, const td::Variant& value, OpenGroups& openGroups) const;
    void writeKey(xml::Writer& writer, const td::String& name, const td::Variant& value) const;

    std::map<td::String, Entry> _entries;
};
} // namespace mu
