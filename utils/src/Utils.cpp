#include <mu/Utils.h>

#include <charconv>

namespace mu
{
namespace
{
// "%g" as printf writes it in the "C" locale; to_chars never looks at the
// process locale, so no locale is switched (and no other thread disturbed).
char* putGeneral(char* p, char* pEnd, double value)
{
    return std::to_chars(p, pEnd, value, std::chars_format::general, 6).ptr;
}
} // namespace

const char* Utils::c_str(double value)
{
    char* p = putGeneral(_buffer, _buffer + sizeof(_buffer) - 1, value);
    *p = 0;
    return _buffer;
}

const char* Utils::c_str(const std::complex<double>& value)
{
    char* pEnd = _buffer + sizeof(_buffer) - 1;
    char* p = _buffer;
    *p++ = '(';
    p = putGeneral(p, pEnd, value.real());
    *p++ = ',';
    p = putGeneral(p, pEnd, value.imag());
    *p++ = ')';
    *p = 0;
    return _buffer;
}
} // namespace mu
