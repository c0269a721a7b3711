#pragma once
// The figures that a plot evaluator hands to a viewer: per plot the x values,
// the y curves with their styles, the value lines and bands, the bounds and
// the titles. A figure owns its texts (shared td::String copies) and arrays;
// the evaluator that filled it may go first.
#include <cnt/PushBackVector.h>
#include <cnt/SafeFullVector.h>
#include <mu/Assert.h>
#include <td/ColorID.h>
#include <td/LinePattern.h>
#include <td/String.h>

#include <cfloat>
#include <cstdint>

namespace cnt
{
// The byte 167: the system text colour, which a viewer resolves to its theme.
inline constexpr td::ColorID defaultPlotColor = td::ColorID::sysText;

// An axis: its title and its values, in an array that only grows.
template <typename T = double>
class AxisBase
{
public:
    td::String title;

    // Room for n values and none stored; the array never shrinks.
    void reserve(std::uint32_t n)
    {
        if (n > _values.size())
            _values.reserve(n);
        _count = 0;
    }
    void push_back(const T& value)
    {
        MU_ASSERT(_count < _values.size());
        _values[_count++] = value;
    }
    std::uint32_t size() const { return _count; }
    std::uint32_t capacity() const { return static_cast<std::uint32_t>(_values.size()); }
    const T& operator[](std::uint32_t i) const
    {
        MU_ASSERT(i < _count);
        return _values[i];
    }

private:
    cnt::SafeFullVector<T> _values;
    std::uint32_t _count = 0;
};

// How a curve or a value line is drawn.
struct LineStyle
{
    float width = 2.0f;
    td::ColorID colorL = defaultPlotColor; // on a light background
    td::ColorID colorD = defaultPlotColor; // on a dark background
    td::LinePattern pattern = td::LinePattern::solid;
    bool legend = true;
};

// A y curve: the axis (its title is the curve's name) and its style.
struct YAxis : AxisBase<double>
{
    LineStyle style;
};

// A value line's name, its extent along the other axis and its style.
struct _NLP
{
    td::String name;
    double min = -DBL_MAX;
    double max = DBL_MAX;
    LineStyle style;
};

// A horizontal line at y = value or a vertical one at x = value.
struct ArbiraryLine
{
    double value = 0.0;
    _NLP line;
};

// A band of the given width around value.
struct _Band
{
    td::String name;
    double min = -DBL_MAX;
    double max = DBL_MAX;
    double value = 0.0;
    double width = 1.0;
    td::ColorID colorL = defaultPlotColor;
    td::ColorID colorD = defaultPlotColor;
    bool legend = true;
};

struct Figure
{
    AxisBase<double> xAxis;
    cnt::SafeFullVector<YAxis> yAxes;
    cnt::SafeFullVector<ArbiraryLine> hLines;
    cnt::SafeFullVector<ArbiraryLine> vLines;
    cnt::SafeFullVector<_Band> hBands;
    cnt::SafeFullVector<_Band> vBands;
    double minX = -DBL_MAX;
    double minY = -DBL_MAX;
    double maxX = DBL_MAX;
    double maxY = DBL_MAX;
    td::String name;
    td::String yTitle;
    std::uint16_t legendCount = 0;

    // Room for nPoints points on every axis, none stored, and the line and
    // band lists at their counts with default elements: a figure filled
    // again holds nothing of its previous content.
    void reserve(std::uint32_t nYAxes, std::uint32_t nPoints, std::uint32_t nHLines, std::uint32_t nVLines,
                 std::uint32_t nHBands, std::uint32_t nVBands)
    {
        xAxis.reserve(nPoints);
        if (yAxes.size() != nYAxes)
            yAxes.reserve(nYAxes);
        for (YAxis& axis : yAxes)
        {
            axis.reserve(nPoints);
            axis.title = td::String();
            axis.style = LineStyle();
        }
        freshList(hLines, nHLines);
        freshList(vLines, nVLines);
        freshList(hBands, nHBands);
        freshList(vBands, nVBands);
    }

    void setXAxisTitle(const td::String& title) { xAxis.title = title; }
    void addXAxisData(double x) { xAxis.push_back(x); }
    void addYAxisData(std::uint32_t axis, double y) { yAxes[axis].push_back(y); }

private:
    template <typename T>
    static void freshList(cnt::SafeFullVector<T>& list, std::uint32_t n)
    {
        if (list.size() == n)
            list.setAll(T());
        else
            list.reserve(n);
    }
};

// The figures of one populate, one per plot that recorded a point.
using Figures = cnt::PushBackVector<Figure>;
} // namespace cnt
