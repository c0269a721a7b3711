#pragma once
// The solver sources are compiled twice: SL_COMPLEX chooses the value type and
// the namespace (slDbl for double, slCmplx for std::complex<double>). Every
// solver source writes its code inside `namespace SL_NS`.
#include <complex>

#ifndef SL_COMPLEX
#error "define SL_COMPLEX as 0 (real values) or 1 (complex values)"
#endif

#if SL_COMPLEX
#define SL_NS slCmplx
#else
#define SL_NS slDbl
#endif

namespace SL_NS
{
#if SL_COMPLEX
using Value = std::complex<double>;
#else
using Value = double;
#endif
inline constexpr bool isComplexBuild = SL_COMPLEX != 0;
} // namespace SL_NS
