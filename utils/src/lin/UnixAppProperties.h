#pragma once
// The property-list store of this platform: reads its file when it is made
// and writes it on save.
#include <filesystem>

#include <cnt/Stack.h>
#include <mu/AppProperties.h>
#include <td/BufferString.h>
#include <xml/DOMParser.h>

namespace mu
{
class UnixAppProperties : public AppProperties
{
public:
    // Reads home folder / folderName / name / (name + ".plist") when it exists.
    UnixAppProperties(const td::String& folderName, const td::String& name);

    // Before the first write over a file that could not be read, the file is
    // kept beside it as "<file>.bak"; without that copy nothing is written.
    bool save() override;

private:
    using Document = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>;
    using Node = Document::Node;

    // One level of nesting: the key prefix outside a nested dictionary and
    // that dictionary, whose next sibling is where reading goes on.
    struct StackEntry
    {
        td::String prefix;
        const Node* pDict;
    };

    std::filesystem::path storeFolder() const;
    std::filesystem::path storeFile() const;

    // False when the file cannot be parsed or breaks the key/value layout;
    // the entries read before the fault stay. Value elements of unknown kinds
    // are passed over with their keys.
    bool loadFromPlist(const std::filesystem::path& file);
    void readValue(const td::String& key, const Node& value);
    bool keepUnreadableFile(const std::filesystem::path& file);

    bool _unreadableFile = false; // a file exists that the store could not read
};
} // namespace mu
