#pragma once
#include <cstdint>

namespace sc
{
// The parameters of a model text's Header block, by position in the header
// tables; NA stands for "no such parameter".
enum class HeaderParam : std::uint8_t
{
    maxIter = 0,
    startTime,
    dTime,
    endTime,
    report,
    maxReps,
    outToTxt,
    txtFile,
    newTab,
    drawPlots,
    threads,
    NA
};

constexpr unsigned NumberOfHeaderParams = static_cast<unsigned>(HeaderParam::NA);

// The largest count the threads setting takes; the solver uses at most the
// hardware's threads.
constexpr int maxThreadsSetting = 1024;
} // namespace sc
