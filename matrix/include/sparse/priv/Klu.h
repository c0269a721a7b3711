#pragma once
// The KLU entry points for one value type: klu_* for double, klu_z_* for
// std::complex<double>, whose arrays are interleaved (re, im) pairs, the
// layout std::complex<double> arrays have.
#include <complex>
#include <klu.h>

namespace sparse::priv
{
template <typename T>
struct Klu;

template <>
struct Klu<double>
{
    static double* raw(double* p) { return p; }

    static klu_numeric* factor(int* Ap, int* Ai, double* Ax, klu_symbolic* pS, klu_common* pC)
    {
        return klu_factor(Ap, Ai, raw(Ax), pS, pC);
    }
    static bool refactor(int* Ap, int* Ai, double* Ax, klu_symbolic* pS, klu_numeric* pN, klu_common* pC)
    {
        return klu_refactor(Ap, Ai, raw(Ax), pS, pN, pC) != 0;
    }
    static bool solve(klu_symbolic* pS, klu_numeric* pN, int n, double* x, klu_common* pC)
    {
        return klu_solve(pS, pN, n, 1, raw(x), pC) != 0;
    }
    static bool rcond(klu_symbolic* pS, klu_numeric* pN, klu_common* pC) { return klu_rcond(pS, pN, pC) != 0; }
    static bool rgrowth(int* Ap, int* Ai, double* Ax, klu_symbolic* pS, klu_numeric* pN, klu_common* pC)
    {
        return klu_rgrowth(Ap, Ai, raw(Ax), pS, pN, pC) != 0;
    }
    static void freeNumeric(klu_numeric** ppN, klu_common* pC) { klu_free_numeric(ppN, pC); }
};

template <>
struct Klu<std::complex<double>>
{
    using C = std::complex<double>;
    static double* raw(C* p) { return reinterpret_cast<double*>(p); }

    static klu_numeric* factor(int* Ap, int* Ai, C* Ax, klu_symbolic* pS, klu_common* pC)
    {
        return klu_z_factor(Ap, Ai, raw(Ax), pS, pC);
    }
    static bool refactor(int* Ap, int* Ai, C* Ax, klu_symbolic* pS, klu_numeric* pN, klu_common* pC)
    {
        return klu_z_refactor(Ap, Ai, raw(Ax), pS, pN, pC) != 0;
    }
    static bool solve(klu_symbolic* pS, klu_numeric* pN, int n, C* x, klu_common* pC)
    {
        return klu_z_solve(pS, pN, n, 1, raw(x), pC) != 0;
    }
    static bool rcond(klu_symbolic* pS, klu_numeric* pN, klu_common* pC) { return klu_z_rcond(pS, pN, pC) != 0; }
    static bool rgrowth(int* Ap, int* Ai, C* Ax, klu_symbolic* pS, klu_numeric* pN, klu_common* pC)
    {
        return klu_z_rgrowth(Ap, Ai, raw(Ax), pS, pN, pC) != 0;
    }
    static void freeNumeric(klu_numeric** ppN, klu_common* pC) { klu_z_free_numeric(ppN, pC); }
};
} // namespace sparse::priv
