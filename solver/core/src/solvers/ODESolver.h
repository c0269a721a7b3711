#pragma once
// The explicit integrator of x' = f(x, t), one equation per state: Heun's
// predictor-corrector with a fixed step h, two evaluations of f per step
// and no Jacobian.
#include <solvers/TimeSolver.h>

#include <vector>

namespace SL_NS
{
class ODESolver : public TimeSolver<Solver>
{
public:
    explicit ODESolver(sc::ILog* pLog);

    bool init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel) override;
    bool init(const td::String& model, sc::SourceType sourceType) override;
    // One step from the time the time parameter holds.
    sc::Solution solve() override;
    using TimeSolver::solve;
    bool reset(double t0) override;
    void setPrecision(double) override {}
    double getSolvedPrecision() override { return 0.0; }
    int getIterationsNo() override { return int(_nSteps); }
    void setMaxIterations(int) override {}
    int getMaxIterations() override { return 0; }
    int getDerDescription(char*, std::size_t, int, int) override { return 0; }

    // The method is fixed.
    void setTimeMethod(math::IntMethod) override {}

protected:
    bool compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData& data,
                 sc::ModelLevel level) override;
    bool compileXml(XmlModelReader& parser, const td::String& model, SolverData& data) override;
    void clearModel() override;
    // The start point goes to the consumer before the first step.
    void startRange(double t0, unsigned repetition) override;
    // A range whose end lies on the grid ends one step beyond it.
    bool stepsFrom(double t, double t1) const override { return t <= t1; }
    sc::Solution rangeStep(double t0, unsigned k) override;
    // Heun's step moves the time on by h itself.
    sc::Solution stepFrom(const Value&, unsigned) override { return solve(); }

private:
    // A model read: the arrays of a step, the step from its dT.
    void startModel();
    // The time, the step and the counters at t0.
    void startRun(double t0);

    std::vector<Value> _f0;              // f at the start of the step
    std::vector<Value> _xp;              // the predictor x + h f0
    std::vector<Value> _f1;              // f at the predictor
    cnt::SafeFullVector<int> _odeVarMap; // the variable of each equation
    unsigned _nSteps = 0;
};
} // namespace SL_NS
