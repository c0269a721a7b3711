#pragma once
// Reads the plot section of a model text: blocks of line plots, each an
// optional condition, an optional x expression, one or more y expressions
// and value lines and bands, every item with its style attributes. The
// expressions are compiled over the symbols of the solver that read the
// model, into the pools that the solver data names.
#include <compile/RPNDerivParser.h>
#include <plots/Plot.h>
#include <cnt/PushBackVector.h>
#include <sc/ILog.h>
#include <sc/ModelLevel.h>
#include <sc/TokenizedModel.h>

#include <cstdint>

namespace SL_NS
{
class CompileTarget;
class Workspace;
struct SolverData;

class PlotParser : public RPNDerivParser
{
public:
    using Plots = cnt::PushBackVector<_Plot>;

    // Over the solver's symbols, appending to plots.
    PlotParser(CompileTarget& solver, Plots& plots);

    // A plot compile records no variables for a Jacobian.
    bool isClearLastUsed() override { return false; }

    // Reads every plot block of the level; true also for a model without
    // plots. The first error ends the reading with false.
    bool getPlotEvaluators(const sc::TokenizedModel* pModel, SolverData* pData, sc::ModelLevel level);
    // One block from its header line; it is left on the block's last line.
    // Adds the block's legend items to legendCount.
    bool parsePlot(ModelIterator& it, std::uint16_t& legendCount);

    // The style attributes of the line at it; the orientation chooses the
    // bounds it reads (minX/maxX or minY/maxY).
    static void populateLineProps(const ModelIterator& it, _LineProps& props, Orientation orientation);
    static void populateBandProps(const ModelIterator& it, _BandProps& props, Orientation orientation);

private:
    struct Items;

    // The counting pass: it goes from the header to the block's end line.
    bool countItems(ModelIterator& it, Items& items);
    bool readItem(const ModelIterator& it, _Plot& plot, std::uint16_t& legendCount);
    bool addValueLine(const ModelIterator& it, EvaluatorVect& values, cnt::PushBackVector<_ValLineProps>& styles,
                      Orientation orientation, const char* errorKey, std::uint16_t& legendCount);
    bool addBand(const ModelIterator& it, EvaluatorVect& values, cnt::PushBackVector<_BandProps>& styles,
                 Orientation orientation, const char* errorKey, std::uint16_t* pLegendCount);
    // The expression after the line's << or -> into a new evaluator.
    bool compileItem(const ModelIterator& it, Evaluator*& pEvaluator, const char* errorKey);
    bool symbolsFit(const ModelIterator& it);
    // At the line's number and the column of its first token.
    void report(const char* key, const ModelIterator& it, sc::ILog::Type type);

    const Workspace& _solver;
    Plots& _plots;
};
} // namespace SL_NS
