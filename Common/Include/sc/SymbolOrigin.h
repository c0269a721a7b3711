#pragma once
#include <cstdint>

namespace sc
{
// Whose value array a symbol token addresses.
enum class SymbolOrigin : std::uint8_t
{
    ThisModel = 0,
    ParentModel = 1 // a main-model symbol used inside the sub-model (@main)
};
} // namespace sc
