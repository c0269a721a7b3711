// The plot section of a model text. A block reads
//   linePlot [name, xLabel, yLabel, minX, maxX, minY, maxY]
//     @cond << expression        at most once; a point is kept unless it is 0
//     @x << expression           at most once; without it x is the point number
//     @y << expression [style]   one or more curves
//     hLine@ << expression [style]   value lines and bands, evaluated once
//     vLine@, hBand@, vBand@ ...      per recording
//   end
// with -> accepted in place of <<.
#include <compile/CompileTarget.h>
#include <expr/ExpressionPools.h>
#include <expr/SolverData.h>
#include <plots/PlotParser.h>
#include <td/LinePattern.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>

namespace SL_NS
{
namespace
{
using C = sc::Token;
using R = sc::ReservedID;
using A = sc::AttribID;

const sc::_TokV* firstToken(const sc::TokenizedModel::iterator& it)
{
    return it.getLine().nTokens ? &it.getToken(0) : nullptr;
}

bool isWord(const sc::_TokV* pTok, R id) { return pTok && pTok->code == C::Reserved && pTok->id == std::uint32_t(id); }

td::String textOf(const sc::TokenizedModel::iterator& it, A id)
{
    const td::StringExt* pText = it.getAttribValueStrPtr(id);
    return pText ? td::String(*pText) : td::String();
}

void readColor(const sc::TokenizedModel::iterator& it, A id, td::ColorID& color)
{
    const sc::_TokV* pTok = it.findAttrib(id);
    if (pTok && pTok->code == C::Color)
        color = td::ColorID(static_cast<signed char>(pTok->byteVal));
}

// A name in a string or a word goes through the pattern table; any value
// other than a pattern gives the solid line.
td::LinePattern patternOf(const sc::TokenizedModel::iterator& it)
{
    const sc::_TokV* pTok = it.findAttrib(A::pattern);
    if (!pTok)
        return td::LinePattern::solid;
    if (pTok->code == C::LinePattern)
        return td::LinePattern(pTok->byteVal);
    if ((pTok->code == C::String || pTok->code == C::Identifier) && pTok->pStr)
        return td::toLinePattern(pTok->pStr->c_str());
    return td::LinePattern::solid;
}

void readBounds(const sc::TokenizedModel::iterator& it, Orientation orientation, double& min, double& max)
{
    if (orientation == Orientation::None)
        return;
    const bool horizontal = orientation == Orientation::Horizontal;
    it.getAttribValue(horizontal ? A::minX : A::minY, min);
    it.getAttribValue(horizontal ? A::maxX : A::maxY, max);
}

void addLegend(std::uint16_t& legendCount, bool legend)
{
    if (legend && legendCount < UINT16_MAX)
        ++legendCount;
}
} // namespace

struct PlotParser::Items
{
    std::uint32_t all = 0;
    std::uint32_t hLines = 0;
    std::uint32_t vLines = 0;
    std::uint32_t hBands = 0;
    std::uint32_t vBands = 0;
    std::uint32_t yAxes = 0;
    bool condition = false;
    bool xAxis = false;
};

PlotParser::PlotParser(CompileTarget& solver, Plots& plots)
    : RPNDerivParser(solver)
    , _solver(solver)
    , _plots(plots)
{
    _nVars = solver._nVars;
    _nParams = solver._nParams;
#if SL_COMPLEX
    _conjVars = solver._conjVars;
#endif
}

void PlotParser::report(const char* key, const ModelIterator& it, sc::ILog::Type type)
{
    const Position at = positionOf(it);
    translateAndAddLog(key, at.line, at.column, type);
}

bool PlotParser::getPlotEvaluators(const sc::TokenizedModel* pModel, SolverData* pData, sc::ModelLevel level)
{
    bindModel(pModel, pData);
    for (ModelIterator it = pModel->getGroupIterator(sc::Group::Plots, level); it.isValid(); ++it)
    {
        const std::size_t before = _plots.size();
        std::uint16_t legendCount = 0;
        if (!parsePlot(it, legendCount))
            return false;
        if (_plots.size() > before)
            _plots[before].legendCount = legendCount;
    }
    return true;
}

bool PlotParser::parsePlot(ModelIterator& it, std::uint16_t& legendCount)
{
    const sc::_TokV* pHead = firstToken(it);
    if (!pHead || pHead->code != C::Reserved)
    {
        report("@SC.WrongPlotToken", it, sc::ILog::Type::Error);
        return false;
    }
    if (!isWord(pHead, R::LinePlot))
    {
        report("@SC.WrongPlotTokenRKW", it, sc::ILog::Type::Error);
        return false;
    }
    // Inverted bounds are the author's to see; they are kept as written.
    double minX = -DBL_MAX, maxX = DBL_MAX, minY = -DBL_MAX, maxY = DBL_MAX;
    readBounds(it, Orientation::Horizontal, minX, maxX);
    readBounds(it, Orientation::Vertical, minY, maxY);
    if (minX >= maxX)
        report("@SC.WrongPlotXBounds", it, sc::ILog::Type::Warning);
    if (minY >= maxY)
        report("@SC.WrongPlotYBounds", it, sc::ILog::Type::Warning);

    const ModelIterator header = it;
    Items items;
    if (!countItems(it, items))
        return false;
    if (items.all == 0 || items.yAxes == 0)
    {
        report(items.all == 0 ? "@SC.EmptyPlot" : "@SC.PlotNoYAxis", header, sc::ILog::Type::Warning);
        return true;
    }

    _Plot& plot = _plots.push_back();
    plot.name = textOf(header, A::name);
    plot.xTitle = textOf(header, A::xLabel);
    plot.yTitle = textOf(header, A::yLabel);
    plot.minX = minX;
    plot.maxX = maxX;
    plot.minY = minY;
    plot.maxY = maxY;
    plot.yAxes.reserve(items.yAxes);
    plot.yAxisProps.reserve(items.yAxes);
    plot.hLines.reserve(items.hLines);
    plot.hLineProps.reserve(items.hLines);
    plot.vLines.reserve(items.vLines);
    plot.vLineProps.reserve(items.vLines);
    plot.hBands.reserve(items.hBands);
    plot.hBandProps.reserve(items.hBands);
    plot.vBands.reserve(items.vBands);
    plot.vBandProps.reserve(items.vBands);
    ModelIterator child = header;
    for (++child; child._current < it._current; ++child)
        if (!readItem(child, plot, legendCount))
            return false;
    return true;
}

bool PlotParser::countItems(ModelIterator& it, Items& items)
{
    const ModelIterator header = it;
    for (++it; it.isValid(); ++it)
    {
        const sc::_TokV* pFirst = firstToken(it);
        if (!pFirst || pFirst->code != C::Reserved)
        {
            report("@SC.WrongPlotAttrib", it, sc::ILog::Type::Error);
            return false;
        }
        switch (R(pFirst->id))
        {
        case R::End: return true;
        case R::HLine: ++items.hLines; break;
        case R::VLine: ++items.vLines; break;
        case R::HBand: ++items.hBands; break;
        case R::VBand: ++items.vBands; break;
        case R::Y: ++items.yAxes; break;
        case R::Cond:
        case R::X:
        {
            bool& seen = R(pFirst->id) == R::Cond ? items.condition : items.xAxis;
            if (seen)
            {
                report(R(pFirst->id) == R::Cond ? "@SC.SecondCondInPlot" : "@SC.SecondXAxisInPlot", it,
                       sc::ILog::Type::Error);
                return false;
            }
            seen = true;
            break;
        }
        default: report("@SC.WrongPlotAttrib", it, sc::ILog::Type::Error); return false;
        }
        ++items.all;
    }
    report("@SC.PlotPremEnd", header, sc::ILog::Type::Error);
    return false;
}

bool PlotParser::readItem(const ModelIterator& it, _Plot& plot, std::uint16_t& legendCount)
{
    // The counting pass has checked the first word of every line.
    switch (R(it.getToken(0).id))
    {
    case R::HLine:
        return addValueLine(it, plot.hLines, plot.hLineProps, Orientation::Horizontal, "@SC.PlotHLineErr", legendCount);
    case R::VLine:
        return addValueLine(it, plot.vLines, plot.vLineProps, Orientation::Vertical, "@SC.PlotVLineErr", legendCount);
    case R::HBand:
        return addBand(it, plot.hBands, plot.hBandProps, Orientation::Horizontal, "@SC.PlotHBandErr", &legendCount);
    // A vertical band never has a legend entry of its own.
    case R::VBand: return addBand(it, plot.vBands, plot.vBandProps, Orientation::Vertical, "@SC.PlotVBandErr", nullptr);
    case R::Cond: return compileItem(it, plot.condition, "@SC.PlotCondErr");
    case R::X: return compileItem(it, plot.xAxis, "@SC.PlotAxisErr");
    default: // @y
    {
        Evaluator* pEvaluator = nullptr;
        if (!compileItem(it, pEvaluator, "@SC.PlotYAxisErr"))
            return false;
        plot.yAxes.addEvaluator(pEvaluator);
        _LineProps& props = plot.yAxisProps.push_back();
        populateLineProps(it, props, Orientation::None);
        addLegend(legendCount, props.style.legend);
        return true;
    }
    }
}

bool PlotParser::addValueLine(const ModelIterator& it, EvaluatorVect& values,
                              cnt::PushBackVector<_ValLineProps>& styles, Orientation orientation, const char* errorKey,
                              std::uint16_t& legendCount)
{
    Evaluator* pEvaluator = nullptr;
    if (!compileItem(it, pEvaluator, errorKey))
        return false;
    values.addEvaluator(pEvaluator);
    _ValLineProps& line = styles.push_back();
    populateLineProps(it, line.line, orientation);
    addLegend(legendCount, line.line.style.legend);
    return true;
}

bool PlotParser::addBand(const ModelIterator& it, EvaluatorVect& values, cnt::PushBackVector<_BandProps>& styles,
                         Orientation orientation, const char* errorKey, std::uint16_t* pLegendCount)
{
    Evaluator* pEvaluator = nullptr;
    if (!compileItem(it, pEvaluator, errorKey))
        return false;
    values.addEvaluator(pEvaluator);
    _BandProps& band = styles.push_back();
    populateBandProps(it, band, orientation);
    if (pLegendCount)
        addLegend(*pLegendCount, band.legend);
    return true;
}

bool PlotParser::compileItem(const ModelIterator& it, Evaluator*& pEvaluator, const char* errorKey)
{
    const sc::_tl& line = it.getLine();
    const C op = line.nTokens > 2 ? it.getToken(1).code : C::Error;
    bool ok = (op == C::ShiftLeft || op == C::RightArrow) && symbolsFit(it);
    if (ok)
    {
        pEvaluator = _pSolverData->pPools->evaluators.getEntry();
        ok = compileExpression(it, 2, line.nTokens, pEvaluator);
    }
    if (!ok)
        report(errorKey, it, sc::ILog::Type::Error);
    return ok;
}

// The model's names must index the solver's values: a tokenized model of
// another text than the one the solver read must not reach past them.
bool PlotParser::symbolsFit(const ModelIterator& it)
{
    const sc::_tl& line = it.getLine();
    for (std::uint32_t k = 2; k < line.nTokens; ++k)
    {
        const sc::_TokV& tok = it.getToken(k);
        const std::uint32_t id = tok.id;
        bool fits = true;
        switch (tok.code)
        {
        case C::Var: fits = id < std::uint32_t(_nVars) && variableIndexOf(int(id)) < _nVars; break;
        case C::Param: fits = id < std::uint32_t(_nParams); break;
        case C::Distrib: fits = id < _solver._rndGens.size(); break;
        case C::Stat: fits = id < _solver._stats.size(); break;
        default: break;
        }
        if (!fits)
        {
            logAt("@SC.VarOutOfIndex", it, k);
            return false;
        }
    }
    return true;
}

void PlotParser::populateLineProps(const ModelIterator& it, _LineProps& props, Orientation orientation)
{
    props.name = textOf(it, A::name);
    // Read as a double: a width beyond the range of float is the largest one.
    double width = 0;
    if (it.getAttribValue(A::width, width))
        props.style.width = float(std::clamp(width, double(-FLT_MAX), double(FLT_MAX)));
    readColor(it, A::colorL, props.style.colorL);
    readColor(it, A::colorD, props.style.colorD);
    props.style.pattern = patternOf(it);
    it.getAttribValue(A::legend, props.style.legend);
    readBounds(it, orientation, props.min, props.max);
}

void PlotParser::populateBandProps(const ModelIterator& it, _BandProps& props, Orientation orientation)
{
    props.name = textOf(it, A::name);
    it.getAttribValue(A::width, props.width);
    readColor(it, A::colorL, props.colorL);
    readColor(it, A::colorD, props.colorD);
    it.getAttribValue(A::legend, props.legend);
    readBounds(it, orientation, props.min, props.max);
}
} // namespace SL_NS
