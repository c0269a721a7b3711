// A locale read from its XML file: a root element with the locale's "id";
// "Numeric" with "decSeparator" and "thSeparator" (their first characters);
// "Date" and "Time" with "separator", "winShort" and "winLong" (the short
// and long patterns); "Days" with exactly 7 "Day" and "Months" with exactly
// 12 "Month" elements, each with "name" and "shortName" ("NA" when absent).
#include "Locale.h"

#include <system_error>

#include <td/BufferString.h>
#include <xml/DOMParser.h>

#include "RegionalPatterns.h"

namespace mu::priv
{
namespace
{
using Document = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>;
using Element = Document::node_iterator;

const char* textOf(const Element& element, const char* attribute)
{
    const td::StringExt* pValue = element.getAttribValueStrPtr(attribute);
    return pValue ? pValue->c_str() : nullptr;
}

// An empty separator would end every text it is put into.
bool readSeparator(const Element& element, const char* attribute, char& separator)
{
    const char* text = textOf(element, attribute);
    separator = text ? text[0] : 0;
    return separator != 0;
}

bool readPatterns(const Element& element, const char*& separator, const char*& shortPattern, const char*& longPattern)
{
    separator = textOf(element, "separator");
    shortPattern = textOf(element, "winShort");
    longPattern = textOf(element, "winLong");
    return separator && shortPattern && longPattern;
}

bool isTimePattern(const char* pattern)
{
    Regionals::TimeFormat entries;
    return parseTimePattern(pattern, entries);
}

template <size_t N>
bool readNames(const Element& root, const char* group, const char* item, std::array<const char*, N>& names,
               std::array<const char*, N>& shortNames)
{
    Element element = root.getChildNode(group).getChildNode(item);
    if (element.getCounter() != N)
        return false;
    for (size_t i = 0; i < N; ++i, ++element)
    {
        const char* name = textOf(element, "name");
        const char* shortName = textOf(element, "shortName");
        names[i] = name ? name : "NA";
        shortNames[i] = shortName ? shortName : "NA";
    }
    return true;
}

bool readDefinition(const Element& root, LocaleDefinition& locale)
{
    const Element numeric = root.getChildNode("Numeric");
    locale.name = textOf(root, "id");
    return locale.name && readSeparator(numeric, "decSeparator", locale.decimalSeparator) &&
           readSeparator(numeric, "thSeparator", locale.thousandsSeparator) &&
           readPatterns(root.getChildNode("Date"), locale.dateSeparator, locale.dateShort, locale.dateLong) &&
           readPatterns(root.getChildNode("Time"), locale.timeSeparator, locale.timeShort, locale.timeLong) &&
           isTimePattern(locale.timeShort) && isTimePattern(locale.timeLong) &&
           readNames(root, "Days", "Day", locale.dayNames, locale.dayShortNames) &&
           readNames(root, "Months", "Month", locale.monthNames, locale.monthShortNames);
}
} // namespace

std::unique_ptr<Regionals> readLocaleFile(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return nullptr;
    Document document;
    LocaleDefinition locale {};
    if (!document.parseFile(file, nullptr) || !readDefinition(document.getRoot(), locale))
        return nullptr;
    return makeRegionals(locale, 1024);
}
} // namespace mu::priv
