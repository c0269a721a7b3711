#pragma once
#include <td/MutableString.h>

namespace mu
{
// A line source that owns its text (a text editor). The caller of the model
// loader supplies it.
class ILineLoader
{
public:
    // Writes the next line, without its line ending, into line and returns
    // the position where the following line begins, which is never 0. Returns
    // 0 when no line is left (the loader then counts only the UTF-8
    // characters left in line) and starts over with the first line on the
    // next call, so that the text can be read twice in a row.
    virtual unsigned loadNextLine(td::MutableString& line) = 0;

protected:
    ~ILineLoader() = default;
};
} // namespace mu
