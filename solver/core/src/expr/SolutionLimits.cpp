#include <expr/SolutionLimits.h>

namespace SL_NS
{
void SolutionLimits::reserve(std::size_t n)
{
    if (n == _groups.size())
        _groups.zeros();
    else
        _groups.reserve(n);
}
} // namespace SL_NS
