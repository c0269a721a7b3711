#pragma once
// Process-wide objects that the library creates when it loads and destroys
// when it unloads.
#include <mem/IBufferAllocator.h>
#include <td/MutableString.h>

namespace mu
{
extern td::MutableString __globalMutableString;
} // namespace mu
