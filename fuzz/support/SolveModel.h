#pragma once
// Compiles a loaded model with the Newton-Raphson solver of one value type
// and, when it compiles, solves it once within a small budget of
// iterations and repetitions, then reads back what a host reads.
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
