#pragma once
// The symbol drawn at each data point of a plot.
#include <td/String.h>

namespace td
{
enum class DotPattern : unsigned char
{
    pixel = 0,
    plus = 1,
    x = 2,
    circle = 3,
    filledCircle = 4,
    triangle = 5,
    filledTriangle = 6,
    square = 7,
    filledSqaure = 8,
    NA = 9 // no symbol
};

// The name; values above 9 give "NA".
const char* toString(DotPattern pattern);
// Exact name, except that x is read from "X" (model texts write it so);
// anything else gives plus.
DotPattern toDotPattern(const char* name);
DotPattern toDotPattern(const td::String& name);
} // namespace td
