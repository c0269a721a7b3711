#pragma once
// Where a label or a box is attached.
#include <td/String.h>

namespace td
{
enum class Anchor : unsigned char
{
    fixed = 0,
    center = 1,
    left = 2,
    right = 3,
    top = 4,
    bottom = 5,
    topLeft = 6,
    topRight = 7,
    bottomLeft = 8,
    bottomRight = 9
};

// The name; values above 9 give "NA".
const char* toString(Anchor anchor);
// Exact name; anything else gives fixed.
Anchor toAnchor(const char* name);
Anchor toAnchor(const td::String& name);
} // namespace td
