#include <expr/CU.h>
#include <expr/SolverData.h>
#include <plots/FigureEvaluator.h>
#include <solvers/Solver.h>

namespace SL_NS
{
namespace
{
double re(const Value& v) { return std::real(v); }

// A condition skips a point only when it is exactly zero (NaN keeps it).
bool isZero(const Value& v) { return v == Value(0); }

template <typename Style>
void evaluatePositions(const EvaluatorVect& values, cnt::PushBackVector<Style>& styles, CU& cu)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        styles[i].value = re(values[i]->evaluate(cu));
}
} // namespace

FigureEvaluator::FigureEvaluator(sc::ILog* pLog)
    : _pLog(pLog)
    , _pools(std::make_unique<ExpressionPools>())
{
}

FigureEvaluator::Dimensions FigureEvaluator::dimensionsOf(const Solver& solver)
{
    return {solver._nVars, solver._nParams, solver._rndGens.size(), solver._stats.size()};
}

void FigureEvaluator::clearPlots()
{
    _plots.reserve(0);
    _pools = std::make_unique<ExpressionPools>();
    _errorStr.clean();
}

bool FigureEvaluator::init(const sc::TokenizedModel* pModel, sc::ISolver<Value>* pSolver)
{
    clearPlots();
    _pSolver = dynamic_cast<Solver*>(pSolver);
    if (!pModel || !_pSolver)
    {
        _pSolver = nullptr;
        return false;
    }
    _dimensions = dimensionsOf(*_pSolver);
    const unsigned nPlots = pModel->getNumberOfExpressions(sc::Group::Plots, sc::ModelLevel::Main);
    if (nPlots == 0)
        return true;

    _plots.reserve(nPlots);
    if (readPlots(pModel))
        return true;
    // A plot section that cannot be read leaves no plot half-made.
    clearPlots();
    return false;
}

bool FigureEvaluator::readPlots(const sc::TokenizedModel* pModel)
{
    // The solver's own data, with what the plot compile must not touch of
    // the live solver replaced: its pools, its function limits (a lim() in a
    // plot is refused) and its error text.
    SolverData data;
    _pSolver->initSolverData(data);
    data.pLog = _pLog;
    data.pPools = _pools.get();
    data.pFnLimits = nullptr;
    data.pLimits = nullptr;
    data.pErrorStr = &_errorStr;
    data.pLastUsedVarsForLimits = nullptr;
    data.modelLevel = std::uint16_t(sc::ModelLevel::Main);
    PlotParser parser(*_pSolver, _plots);
    return parser.getPlotEvaluators(pModel, &data, sc::ModelLevel::Main);
}

void FigureEvaluator::recordPoint(_Plot& plot, CU& cu)
{
    if (plot.condition && isZero(plot.condition->evaluate(cu)))
        return;
    // Lines and bands stand where the first point of a recording puts them.
    if (plot.nPoints == 0)
    {
        evaluatePositions(plot.hLines, plot.hLineProps, cu);
        evaluatePositions(plot.vLines, plot.vLineProps, cu);
        evaluatePositions(plot.hBands, plot.hBandProps, cu);
        evaluatePositions(plot.vBands, plot.vBandProps, cu);
    }
    plot.points.push_back(plot.xAxis ? re(plot.xAxis->evaluate(cu)) : double(plot.nPoints));
    for (std::size_t i = 0; i < plot.yAxes.size(); ++i)
        plot.points.push_back(re(plot.yAxes[i]->evaluate(cu)));
    ++plot.nPoints;
}

bool FigureEvaluator::evaluate()
{
    if (_plots.isEmpty())
        return true;
    if (!(dimensionsOf(*_pSolver) == _dimensions))
        return false;
    // Made here, the machine reads the solver's values wherever they are now.
    CU cu(_pSolver);
    for (_Plot& plot : _plots)
        recordPoint(plot, cu);
    return true;
}

void FigureEvaluator::reset()
{
    for (_Plot& plot : _plots)
    {
        plot.nPoints = 0;
        plot.points.rewind();
    }
}

bool FigureEvaluator::populate(cnt::Figures& figures) const
{
    if (_plots.isEmpty())
        return false;
    // The same count keeps the figure array; any other makes a new one.
    figures.reserve(_plots.size());
    for (const _Plot& plot : _plots)
    {
        if (plot.nPoints == 0)
            continue;
        const std::uint32_t nY = std::uint32_t(plot.yAxes.size());
        cnt::Figure& f = figures.push_back();
        f.reserve(nY, plot.nPoints, std::uint32_t(plot.hLines.size()), std::uint32_t(plot.vLines.size()),
                  std::uint32_t(plot.hBands.size()), std::uint32_t(plot.vBands.size()));
        f.name = plot.name;
        f.setXAxisTitle(plot.xTitle);
        f.yTitle = plot.yTitle;
        f.minX = plot.minX;
        f.minY = plot.minY;
        f.maxX = plot.maxX;
        f.maxY = plot.maxY;
        f.legendCount = plot.legendCount;
        for (std::uint32_t i = 0; i < f.hLines.size(); ++i)
            f.hLines[i] = plot.hLineProps[i];
        for (std::uint32_t i = 0; i < f.vLines.size(); ++i)
            f.vLines[i] = plot.vLineProps[i];
        for (std::uint32_t i = 0; i < f.hBands.size(); ++i)
            f.hBands[i] = plot.hBandProps[i];
        for (std::uint32_t i = 0; i < f.vBands.size(); ++i)
            f.vBands[i] = plot.vBandProps[i];
        for (std::uint32_t i = 0; i < nY; ++i)
        {
            f.yAxes[i].title = plot.yAxisProps[i].name;
            f.yAxes[i].style = plot.yAxisProps[i].style;
        }
        auto value = plot.points.begin();
        for (std::uint32_t k = 0; k < plot.nPoints; ++k)
        {
            f.addXAxisData(*value);
            ++value;
            for (std::uint32_t i = 0; i < nY; ++i, ++value)
                f.addYAxisData(i, *value);
        }
    }
    return true;
}
} // namespace SL_NS
