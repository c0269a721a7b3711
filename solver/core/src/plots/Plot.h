#pragma once
// One line plot of a model text, compiled: its condition, x and y
// expressions, value lines and bands with their styles, bounds and titles,
// and the points recorded so far. The programs live in the pools of the
// figure evaluator that owns the plot.
#include <expr/Build.h>
#include <expr/EvaluatorVect.h>
#include <cnt/BlockVector.h>
#include <cnt/Figure.h>
#include <cnt/PushBackVector.h>
#include <td/String.h>

#include <cfloat>
#include <cstdint>

namespace SL_NS
{
class Evaluator;

// The styles are those of the figure items they become.
using _LineProps = cnt::_NLP;
using _ValLineProps = cnt::ArbiraryLine;
using _BandProps = cnt::_Band;

// Which bounds a style reads: none, minX/maxX (horizontal) or minY/maxY
// (vertical).
enum class Orientation : std::uint8_t
{
    None = 0,
    Horizontal,
    Vertical
};

struct _Plot
{
    Evaluator* condition = nullptr; // null: every point is recorded
    Evaluator* xAxis = nullptr;     // null: x is the point's number
    EvaluatorVect hLines;
    EvaluatorVect vLines;
    EvaluatorVect hBands;
    EvaluatorVect vBands;
    EvaluatorVect yAxes;
    cnt::PushBackVector<_ValLineProps> hLineProps;
    cnt::PushBackVector<_ValLineProps> vLineProps;
    cnt::PushBackVector<_BandProps> hBandProps;
    cnt::PushBackVector<_BandProps> vBandProps;
    cnt::PushBackVector<_LineProps> yAxisProps;
    // Per point: x, then one value per y axis.
    cnt::BlockVector<double, 4096> points;
    double minX = -DBL_MAX;
    double minY = -DBL_MAX;
    double maxX = DBL_MAX;
    double maxY = DBL_MAX;
    td::String name;
    td::String xTitle;
    td::String yTitle;
    std::uint32_t nPoints = 0;
    std::uint16_t legendCount = 0; // items drawn with a legend entry
};
} // namespace SL_NS
