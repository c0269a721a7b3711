#pragma once
// Numbers as text for names and messages, always with a decimal point
// whatever the process locale.
#include <complex>

#include <td/StringUtils.h>

namespace mu
{
class Utils
{
public:
    // "%g" of value; the text lives in this object until the next call.
    const char* c_str(double value);
    // "(%g,%g)" of the real and imaginary parts.
    const char* c_str(const std::complex<double>& value);

private:
    char _buffer[64];
};
} // namespace mu
