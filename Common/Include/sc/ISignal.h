#pragma once
#include <cstdint>

namespace sc
{
// Receives the signal kind of each branch that a limit group selects.
class ISignal
{
public:
    enum class Type : std::uint8_t
    {
        TooLow = 0,
        MedLow,
        Default,
        MedHigh,
        TooHigh,
        Rounding,
        None
    };

    virtual void handle(Type t) = 0;

protected:
    ~ISignal() = default;
};
} // namespace sc
