#pragma once
// How a plot line is drawn.
#include <td/String.h>

namespace td
{
enum class LinePattern : unsigned char
{
    solid = 0,
    dash = 1,
    dot = 2,
    dashDot = 3,
    dashDotDot = 4,
    NA = 5 // no line
};

// The name; values above 5 give "NA".
const char* toString(LinePattern pattern);
// Exact name; anything else gives solid.
LinePattern toLinePattern(const char* name);
LinePattern toLinePattern(const td::String& name);
} // namespace td
