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
    NA
};

constexpr unsigned NumberOfHeaderParams = static_cast<unsigned>(HeaderParam::NA);
} // namespace sc
