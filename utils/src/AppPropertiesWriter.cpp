// Writing the entries of a property-list store as a property-list file.
#include <mu/AppProperties.h>

#include <filesystem>
#include <system_error>

#include <td/VariantVisitors.h>
#include <xml/Writer.h>

namespace mu
{
namespace
{
// The element a value is written as; null for the types the file has no
// element for, which are left out (a key without a value would take the
// next key for its value when read back).
const char* elementOf(const td::Variant& value)
{
    switch (value.getType())
    {
    case td::boolean: return value.boolVal() ? "true" : "false";
    case td::byte:
    case td::word:
    case td::int2:
    case td::uint4:
    case td::int4:
    case td::lint8:
    case td::luint8:
    case td::decimal0:
    case td::smallDecimal0: return "integer";
    case td::real4:
    case td::real8: return "real";
    case td::string8: return "string";
    case td::date: return "date";
    case td::time: return "time";
    default: return nullptr;
    }
}

void closeGroups(xml::Writer& writer, std::vector<std::string_view>& openGroups, size_t level)
{
    for (; openGroups.size() > level; openGroups.pop_back())
        writer.endElement();
}

void writeTextElement(xml::Writer& writer, const char* name, const td::String& text)
{
    writer.startElement(name);
    writer.elementText(text.c_str());
    writer.endElement();
}
} // namespace

bool AppProperties::saveToPlist(const td::String& fileName) const
{
    xml::Writer writer(fileName, true, 2);
    if (!writer.isOk())
        return false;
    writer.putCStr("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
    writer.putCStr("\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                   "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");
    writer.startElement("plist");
    writer.attribute("version", "1.0");
    writer.startElement("dict");
    OpenGroups openGroups;
    for (const auto& [key, entry] : _entries)
    {
        if (!entry.deleted && elementOf(entry.value))
            writeEntry(writer, std::string_view(key.c_str(), key.length()), entry.value, openGroups);
    }
    return writer.close();
}

// Keys come in order, so the keys of one group follow one another: a group
// is opened at its first key and closed when a key outside it comes. A key
// whose first "/" is its first character is a leaf of the top dictionary.
void AppProperties::writeEntry(xml::Writer& writer, std::string_view key, const td::Variant& value,
                               OpenGroups& openGroups) const
{
    size_t level = 0;
    size_t start = 0;
    if (key.find('/') != 0)
    {
        for (size_t slash = key.find('/'); slash != std::string_view::npos; slash = key.find('/', start))
        {
            const std::string_view group = key.substr(0, slash);
            if (level >= openGroups.size() || openGroups[level] != group)
            {
                closeGroups(writer, openGroups, level);
                const std::string_view name = key.substr(start, slash - start);
                writeTextElement(writer, "key", td::String(name.data(), name.size()));
                writer.startElement("dict");
                openGroups.push_back(group);
            }
            ++level;
            start = slash + 1;
        }
    }
    closeGroups(writer, openGroups, level);
    const std::string_view leaf = key.substr(start);
    writeKey(writer, td::String(leaf.data(), leaf.size()), value);
}

void AppProperties::writeKey(xml::Writer& writer, const td::String& name, const td::Variant& value) const
{
    const char* element = elementOf(value);
    if (!element)
        return;
    writeTextElement(writer, "key", name);
    if (value.getType() == td::boolean)
    {
        writer.startElement(element);
        writer.endElement();
    }
    else
        writeTextElement(writer, element, value.applyConstVisitor<td::ToStringVisitor, td::String>());
}

bool AppProperties::exportTo(const td::String& folder) const
{
    std::filesystem::path target(folder.c_str());
    if (!_folderName.isEmpty())
        target /= _folderName.c_str();
    std::error_code ec;
    std::filesystem::create_directories(target, ec);
    td::String fileName((target / (std::string(_name.c_str()) + ".plist")).c_str());
    return saveToPlist(fileName);
}
} // namespace mu
