#include <td/Variant.h>

namespace td
{
namespace
{
bool isIntegerKind(_tDataType type)
{
    return (type >= byte && type <= luint8) || type == decimal0 || type == smallDecimal0;
}
} // namespace

Variant operator+(const Variant& a, const Variant& b)
{
    if (a.getType() == b.getType())
    {
        Variant sum(a);
        sum.applyVisitor<PlusEqVisitor<Variant>, void>(PlusEqVisitor<Variant>(b));
        return sum;
    }
    if (isIntegerKind(a.getType()) && isIntegerKind(b.getType()))
    {
        // The 32-bit sum wraps instead of overflowing.
        const auto x = static_cast<UINT4>(a.applyConstVisitor<ToNumberVisitor<INT4>, INT4>());
        const auto y = static_cast<UINT4>(b.applyConstVisitor<ToNumberVisitor<INT4>, INT4>());
        return Variant(static_cast<INT4>(x + y));
    }
    return Variant(a.applyConstVisitor<ToNumberVisitor<double>, double>() +
                   b.applyConstVisitor<ToNumberVisitor<double>, double>());
}
} // namespace td
