#include <td/VariantVisitors.h>

#include <charconv>

#include <mu/Utils.h>

namespace td
{
namespace
{
// to_chars writes the "C" locale's forms whatever the process locale is.
template <typename T>
String numberText(T val)
{
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof(buf), val);
    return String(buf, static_cast<size_t>(res.ptr - buf));
}

// The form of "%g", as names and messages write numbers. A float widens to
// double exactly, so its six significant digits are the same.
String realText(double val)
{
    mu::Utils utils;
    return String(utils.c_str(val));
}
} // namespace

String ToStringVisitor::operator()(char boolByte) const { return String(boolByte == 'Y' ? "true" : "false"); }

String ToStringVisitor::operator()(BYTE val) const { return numberText(val); }
String ToStringVisitor::operator()(WORD val) const { return numberText(val); }
String ToStringVisitor::operator()(INT2 val) const { return numberText(val); }
String ToStringVisitor::operator()(UINT4 val) const { return numberText(val); }
String ToStringVisitor::operator()(INT4 val) const { return numberText(val); }
String ToStringVisitor::operator()(LINT8 val) const { return numberText(val); }
String ToStringVisitor::operator()(LUINT8 val) const { return numberText(val); }
String ToStringVisitor::operator()(float val) const { return realText(val); }
String ToStringVisitor::operator()(double val) const { return realText(val); }

String ToStringVisitor::operator()(const Color& val) const
{
    static const char hexDigits[] = "0123456789ABCDEF";
    char buf[9];
    buf[0] = '#';
    for (int i = 0; i < 4; ++i)
    {
        buf[1 + 2 * i] = hexDigits[val.bytes[i] >> 4];
        buf[2 + 2 * i] = hexDigits[val.bytes[i] & 0x0F];
    }
    return String(buf, sizeof(buf));
}
} // namespace td
