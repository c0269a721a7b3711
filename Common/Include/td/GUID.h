#pragma once
// A 16-byte globally unique identifier.
#include <compare>
#include <cstdint>

namespace td
{
struct GUID
{
    uint8_t bytes[16] = {};

    auto operator<=>(const GUID&) const = default;
};
static_assert(sizeof(GUID) == 16);
} // namespace td

namespace mu
{
// Writes 16 fresh random bytes (a version-4 UUID) to out.
void getGUID(char* out);
} // namespace mu
