#pragma once
#include <cstdint>

namespace sc
{
// Which model of a text a per-level datum belongs to. Queries treat every
// value other than Main as the sub-model.
enum class ModelLevel : std::uint8_t
{
    Main = 0,
    SubModel = 1
};
} // namespace sc
