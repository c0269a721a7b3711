#pragma once
// How attribute values of an XML model read: flags, numbers and trimmed
// pieces of text.
#include <expr/Build.h>
#include <td/String.h>

#include <string_view>

namespace SL_NS
{
// Exactly "true" or "True"; false for a null value.
bool isTrue(const td::StringExt* pValue);

// Optional blanks, an optional sign when allowed, digits with an optional
// fraction (or a fraction alone: .5), an optional exponent with at least
// one digit, optional blanks, and nothing else.
bool isNumber(std::string_view text, bool signAllowed = true);

// text without leading and trailing blanks, tabs, carriage returns and line feeds.
std::string_view trimmed(std::string_view text);

// The same length and bytes.
bool isText(const td::StringExt* pValue, std::string_view text);
} // namespace SL_NS
