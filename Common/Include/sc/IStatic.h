#pragma once
#include <cstdint>
#include <sc/Solution.h>

namespace sc
{
// The solver side of a static model: one solve of the loaded model.
class IStatic
{
public:
    // The solver a static model is created with.
    enum class Problem : std::uint8_t
    {
        NLE = 0, // non-linear equations, Newton-Raphson
        WLS = 1  // measurement equations, weighted least squares
    };

    virtual Solution solve() = 0;

protected:
    ~IStatic() = default;
};
} // namespace sc
