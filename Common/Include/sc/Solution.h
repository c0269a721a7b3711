#pragma once
#include <cstdint>

namespace sc
{
// The status of a solve.
enum class Solution : std::uint8_t
{
    OK = 0,
    BaseOK,
    Iterating,
    LimitFix,
    NewPass,
    EmptyMatrix,
    FactorizationError,
    SolutionError,
    Oscillation,
    NoImprovement,
    MaximumIteration,
    SubmodelFailed
};

// "OK", "BaseOK", "IterBase", ...; "" for a value beyond the table.
const char* getSolutionStatusText(Solution s);

// The ten result values that follow a model's parameters, readable by its
// equations under the names "repeat#" ... "endT#".
enum class EmbeddedParam : std::uint8_t
{
    Repeat = 0,
    SuccRep,
    OutIter,
    BaseIter,
    TotIter,
    SolState,
    ReqEps,
    ObtEps,
    StartT,
    EndT,
    Last
};

enum class SolverType : std::uint8_t
{
    NR = 1,
    WLS = 2,
    ODE = 3,
    DAE = 4,
    None = 5
};

// 0: the string is the path of an XML file, 1: it is the XML text.
enum class SourceType : std::uint8_t
{
    File = 0,
    Memory = 1
};

// How often a solver hands its point to the consumer.
enum class ReportRate : std::uint8_t
{
    None = 0,
    PerSolution = 1,
    PerIteration = 2
};

// Whether a time solver reports its points through the consumer.
enum class OutFilter : std::uint8_t
{
    Off = 0,
    On = 1
};
} // namespace sc
