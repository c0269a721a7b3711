#pragma once
// td::String: the shared UTF-8 string on the heap; td::StringExt: the same
// form with its block in a string pool (symbol names of the solver library).
#include <td/StringBase.h>

namespace td
{
using String = StringBase<char, EncodingUTF8, 4, false>;
using StringExt = StringBase<char, EncodingUTF8, 4, true>;
} // namespace td

namespace mu
{
// An empty string for callers that must return a reference to one.
extern const td::String __emptyString;
} // namespace mu
