#pragma once
// The solver's statistics: the named accumulators and, at the same
// positions, the expressions whose values feed them.
#include <expr/Build.h>
#include <expr/EvaluatorVect.h>
#include <cnt/SafeFullVector.h>
#include <math/StatsManager.h>

#include <cstddef>

namespace SL_NS
{
class StatsManager : public math::StatsManager<double>
{
public:
    // n statistics with empty input lists; kept as they are for the present count.
    void reserve(std::size_t n)
    {
        math::StatsManager<double>::reserve(n);
        _inputs.reserve(n);
    }

    EvaluatorVect& getInputs(std::size_t pos) { return _inputs[pos]; }

private:
    cnt::SafeFullVector<EvaluatorVect> _inputs;
};
} // namespace SL_NS
