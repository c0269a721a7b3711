#pragma once
// The two sparse solvers: the pivoted LU (KLU) for general systems, and the
// Cholesky (CHOLMOD) for the symmetric kinds, which falls back to the LU.
#include <sparse/priv/CholmodFactors.h>
#include <sparse/priv/FactorSolver.h>
#include <sparse/priv/KluFactors.h>

namespace sparse::priv
{
template <typename T>
using KluSolver = FactorSolver<T, KluFactors<T>>;
template <typename T>
using CholmodSolver = FactorSolver<T, CholmodFactors<T>>;
} // namespace sparse::priv
