#pragma once
// A model text with a plot section, compiled into a solver (Newton-Raphson
// unless another kind is named) and bound to a plot evaluator from the
// library's factory, as a host that draws plots does: the process registers
// the full vocabulary first.
#include <CompiledModel.h>
#include <Vocabulary.h>
#include <sc/SolverFactory.h>

#include <string>

namespace test
{
// The model line and the variables' group line of a test model for the
// value type of this build: complex models declare no conjugates.
inline const std::string plotModelHead =
    std::string("Header:\nend\nModel [type = NL, eps = 1e-12") +
    (SL_NS::isComplexBuild ? ", domain = cmplx]\nVars [conj = false]\n" : "]\nVars\n");

struct FullWords
{
    FullWords() { fillVocabulary(Words::Full); }
};

// TSolver: the solver kind the model is compiled into.
template <typename TSolver>
struct PlottedWith
{
    using Evaluator = sc::IFigureEvaluator<SL_NS::Value>;

    FullWords words; // before the load below
    CompiledWith<TSolver> model;
    CollectingLog log; // the plot evaluator's
    Evaluator* plots;
    bool ok = false;

    explicit PlottedWith(const std::string& text)
        : model(text)
        , plots(create(&log))
    {
        ok = model.ok && plots->init(model.load.model.get(), &model.solver);
    }
    ~PlottedWith() { plots->release(); }
    PlottedWith(const PlottedWith&) = delete;
    PlottedWith& operator=(const PlottedWith&) = delete;

    static Evaluator* create(sc::ILog* pLog)
    {
#if SL_COMPLEX
        return sc::createCmplxPlotEvaluator(pLog);
#else
        return sc::createDblPlotEvaluator(pLog);
#endif
    }

    bool set(const char* param, SL_NS::Value v) { return model.solver.setParamValue(param, v); }

    // Solves with the parameter at v and records a point.
    bool solveAndRecord(const char* param, SL_NS::Value v)
    {
        return set(param, v) && model.solver.solve() == sc::Solution::OK && plots->evaluate();
    }
};

using Plotted = PlottedWith<SL_NS::NRSolver>;
} // namespace test
