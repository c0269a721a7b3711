#pragma once
// The time step of the time solvers: their own copy and the model's dT
// parameter, which the equations read, are kept equal.
#include <expr/Build.h>

namespace SL_NS
{
// A positive step that the model declares (dT = 0.01 among its parameters)
// becomes the solver's step; otherwise the parameter takes the solver's.
inline void takeDeclaredStep(double& step, Value& parameter)
{
#if SL_COMPLEX
    const double declared = parameter.real();
#else
    const double declared = parameter;
#endif
    if (declared > 0)
        step = declared;
    else
        parameter = step;
}
} // namespace SL_NS
