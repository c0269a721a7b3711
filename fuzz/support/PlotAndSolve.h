#pragma once
// Compiles a loaded model with the Newton-Raphson solver of one value type,
// binds a plot evaluator to it, records points around a solve within a
// small budget, and checks every figure against the points it holds.
namespace sc
{
class Naming;
class TokenizedModel;
} // namespace sc

namespace slDbl
{
void compilePlotAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model);
}

namespace slCmplx
{
void compilePlotAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model);
}
