#pragma once
// Compiles a loaded model with the solver of one value type that its type
// asks for (least squares for a measurement model, an integrator for a
// dynamic one, else Newton-Raphson) and, when it compiles, solves it once
// (three time steps) within a small budget of iterations and repetitions,
// then reads back what a host reads.
namespace sc
{
class Naming;
class TokenizedModel;
} // namespace sc

namespace slDbl
{
void compileAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model);
}

namespace slCmplx
{
void compileAndSolve(const sc::Naming& naming, const sc::TokenizedModel& model);
}
