#pragma once
#include <cstdint>
#include <sc/Solution.h>

namespace sc
{
// The solver side of a dynamic model: start at a time, then step.
class IDynamic
{
public:
    // The solver a dynamic model is created with.
    enum class Problem : std::uint8_t
    {
        ODE = 0, // ordinary differential equations
        DAE = 1  // differential-algebraic equations
    };

    virtual bool reset(double t0) = 0;
    // A negative count is refused with SolutionError.
    virtual Solution step(int nSteps) = 0;
    virtual double getStepSize() const = 0;
    virtual void setStepSize(double dT) = 0;

protected:
    ~IDynamic() = default;
};
} // namespace sc
