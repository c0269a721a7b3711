// A typed value formatted with the separators of a locale.
#include <mu/Regionals.h>

namespace mu
{
namespace
{
// The value times 10^N of a decimal of either width.
struct ScaledDecimal
{
    template <typename D, int N>
    td::LINT8 operator()(const td::Decimal<D, N>& value) const
    {
        return value.getValue();
    }
    template <typename T>
    td::LINT8 operator()(const T&) const
    {
        return 0;
    }
};

// The precision of a decimal type, -1 for any other type.
int precisionOf(td::_tDataType type)
{
    if (type >= td::decimal0 && type <= td::decimal4)
        return type - td::decimal0;
    if (type >= td::smallDecimal0 && type <= td::smallDecimal4)
        return type - td::smallDecimal0;
    return -1;
}

bool isUnsigned(td::_tDataType type)
{
    return type == td::byte || type == td::word || type == td::uint4 || type == td::luint8;
}

int formatDecimal(Regionals& reg, td::LINT8 scaled, int nDec, bool group, const char* suffix)
{
    switch (nDec)
    {
    case 0: return reg.format(td::Decimal<td::LINT8, 0>(scaled), group, suffix);
    case 1: return reg.format(td::Decimal<td::LINT8, 1>(scaled), group, suffix);
    case 2: return reg.format(td::Decimal<td::LINT8, 2>(scaled), group, suffix);
    case 3: return reg.format(td::Decimal<td::LINT8, 3>(scaled), group, suffix);
    default: return reg.format(td::Decimal<td::LINT8, 4>(scaled), group, suffix);
    }
}
} // namespace

int formatVariant(Regionals* reg, const td::Variant& value, int nDec, bool group, td::FormatFloat format,
                  const char* suffix)
{
    const td::_tDataType type = value.getType();
    if (!reg || type == td::none)
        return 0;
    char* out = reg->getBuffer();
    char* tmp = out + 32;
    const int bufLen = reg->getPrintLimit() - 32;
    if (type == td::real4)
        return reg->formatFloat(out, tmp, value.r4Val(), nDec, bufLen, group, format, suffix);
    if (type == td::real8)
        return reg->formatFloat(out, tmp, value.r8Val(), nDec, bufLen, group, format, suffix);
    if (const int precision = precisionOf(type); precision >= 0)
    {
        if (nDec != precision)
            return 0;
        return formatDecimal(*reg, value.applyConstVisitor<ScaledDecimal, td::LINT8>(), nDec, group, suffix);
    }
    if (isUnsigned(type))
        return reg->formatInt(out, tmp,
                              value.applyConstVisitor<td::ToNumberVisitor<unsigned long long>, unsigned long long>(),
                              "%llu", bufLen, group, suffix);
    return reg->formatInt(out, tmp, value.applyConstVisitor<td::ToNumberVisitor<long long>, long long>(), "%lld",
                          bufLen, group, suffix);
}
} // namespace mu
