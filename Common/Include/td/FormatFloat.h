#pragma once
// How a floating-point number is written.
namespace td
{
enum class FormatFloat : unsigned char
{
    Fixed = 0,   // "%f"
    Exponent = 1 // "%e"
};
} // namespace td
