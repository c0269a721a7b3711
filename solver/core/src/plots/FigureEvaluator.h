#pragma once
// The plot evaluator of one model and its solver: compiles the model's plot
// section over the solver's symbols, records a point of every plot on each
// evaluate, from the solver's values at that moment, and fills figures. Its
// programs live in pools of its own, so a solver that reads another model
// frees nothing that the plots run; the solver's dimensions are checked on
// every evaluate instead.
#include <expr/Build.h>
#include <expr/ErrorStr.h>
#include <expr/ExpressionPools.h>
#include <plots/PlotParser.h>
#include <sc/IFigureEvaluator.h>
#include <sc/ILog.h>
#include <sc/ISolver.h>

#include <cstddef>
#include <memory>

namespace SL_NS
{
class Solver;

class FigureEvaluator final : public sc::IFigureEvaluator<Value>
{
public:
    explicit FigureEvaluator(sc::ILog* pLog);

    bool init(const sc::TokenizedModel* pModel, sc::ISolver<Value>* pSolver) override;
    bool evaluate() override;
    void reset() override;
    void release() override { delete this; }
    bool populate(cnt::Figures& figures) const override;

private:
    // What the compiled programs index: they may run only on a solver that
    // still has these counts.
    struct Dimensions
    {
        int nVars = 0;
        int nParams = 0;
        std::size_t nRndGens = 0;
        std::size_t nStats = 0;
        bool operator==(const Dimensions&) const = default;
    };
    static Dimensions dimensionsOf(const Solver& solver);
    void clearPlots();
    // The compile, over pools that outlive its parser.
    bool readPlots(const sc::TokenizedModel* pModel);
    void recordPoint(_Plot& plot, CU& cu);

    Solver* _pSolver = nullptr;
    sc::ILog* _pLog;
    std::unique_ptr<ExpressionPools> _pools;
    PlotParser::Plots _plots;
    ErrorStr _errorStr; // the compile's error text; the solver's stays untouched
    Dimensions _dimensions;
};
} // namespace SL_NS
