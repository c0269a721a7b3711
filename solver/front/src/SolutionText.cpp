#include <sc/Solution.h>

#include <iterator>

namespace sc
{
namespace
{
const char* const s_statusTexts[] = {"OK",          "BaseOK",        "IterBase",           "LimitFix",
                                     "NewPass",     "EmptyMatrix",   "FactorizationError", "SolutionError",
                                     "Oscillation", "NoImprovement", "MaxIters",           "SubmodelFailed"};
} // namespace

const char* getSolutionStatusText(Solution s)
{
    const auto i = std::size_t(s);
    return i < std::size(s_statusTexts) ? s_statusTexts[i] : "";
}
} // namespace sc
