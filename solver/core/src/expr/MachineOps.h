#pragma once
// The value operations of the stack machine that the per-token run and the
// batched run of programs share, so that both compute a program's value by
// the same operations in the same order.
#include <expr/Build.h>
#include <expr/Instruction.h>
#include <expr/Token.h>

#include <cmath>
#include <numbers>

namespace SL_NS::ops
{
// b^e: squares and cubes, the powers models write most (a conductance
// times v^2, a shunt g v^3 and its derivative), by multiplication.
inline Value power(const Value& b, const Value& e)
{
    if (e == Value(2))
        return b * b;
    if (e == Value(3))
        return b * b * b;
    return std::pow(b, e);
}

// A condition counts as true unless it is exactly zero (NaN is true).
inline double truth(bool b) { return b ? 1.0 : 0.0; }

#if SL_COMPLEX
inline double re(const Value& v) { return v.real(); }
inline bool isZero(const Value& v) { return v.real() == 0 && v.imag() == 0; }
inline Value absValue(const Value& v) { return Value(std::abs(v), 0); }
inline Value log10Value(const Value& v) { return std::log(v) / std::numbers::ln10; }
inline Value conj(const Value& v) { return v.imag() == 0 ? v : Value(v.real(), -v.imag()); }
inline Value polar(const Value& v) { return Value(std::abs(v), std::atan2(v.imag(), v.real())); }
inline Value rectangular(const Value& v)
{
    const double r = v.real();
    if (!(r > 0))
        return Value(0, 0);
    return Value(r * std::cos(v.imag()), r * std::sin(v.imag()));
}
// One value: its phase angle.
inline Value phase(const Value& v) { return Value(std::atan2(v.imag(), v.real()), 0); }
inline Value partsAbs(const Value& v) { return Value(std::fabs(v.real()), std::fabs(v.imag())); }
inline Value realPart(const Value& v) { return Value(v.real(), 0); }
inline Value imagPart(const Value& v) { return Value(v.imag(), 0); }
#else
inline double re(const Value& v) { return v; }
inline bool isZero(const Value& v) { return v == 0; }
inline Value absValue(const Value& v) { return std::fabs(v); }
inline Value log10Value(const Value& v) { return std::log10(v); }
#endif
inline Value sqr(const Value& v) { return v * v; }
inline Value notValue(const Value& v) { return truth(isZero(v)); }

inline Value signValue(const Value& v)
{
    const double r = re(v);
    return r < 0 ? -1.0 : (r > 0 ? 1.0 : 0.0);
}

// top = top op x, for the arithmetic of a fused instruction (x is the pushed
// operand) and of a plain operation (x is the top, top the value below it).
template <instr::Arith A>
inline void apply(Value& top, const Value& x)
{
    if constexpr (A == instr::Arith::Add)
        top += x;
    else if constexpr (A == instr::Arith::Sub)
        top -= x;
    else if constexpr (A == instr::Arith::SubRev)
        top = x - top;
    else if constexpr (A == instr::Arith::Mul)
        top *= x;
    else if constexpr (A == instr::Arith::Div)
        top /= x;
    else
        top = x / top;
}
} // namespace SL_NS::ops

// The functions of one value that replace the top of the stack: the token
// type and the function.
// clang-format off
#define SL_UNARY_FUNCTIONS_COMMON(X)                                                                                   \
    X(NOT, ops::notValue) X(ABS, ops::absValue) X(SIGN, ops::signValue) X(SQR, ops::sqr) X(SQRT, std::sqrt)            \
    X(EXP, std::exp) X(LN, std::log) X(LOG, ops::log10Value) X(SIN, std::sin) X(COS, std::cos) X(TG, std::tan)         \
    X(ASIN, std::asin) X(ACOS, std::acos) X(ATG, std::atan) X(SINH, std::sinh) X(COSH, std::cosh) X(TGH, std::tanh)    \
    X(ASNH, std::asinh) X(ACSH, std::acosh) X(ATGH, std::atanh)
#if SL_COMPLEX
#define SL_UNARY_FUNCTIONS(X)                                                                                          \
    SL_UNARY_FUNCTIONS_COMMON(X)                                                                                       \
    X(ATG2, ops::phase) X(CONJ, ops::conj) X(CABS, ops::partsAbs) X(RTOP, ops::polar) X(PTOR, ops::rectangular)        \
    X(REAL_PART, ops::realPart) X(IMAG_PART, ops::imagPart)
#else
#define SL_UNARY_FUNCTIONS(X) SL_UNARY_FUNCTIONS_COMMON(X)
#endif
// clang-format on
