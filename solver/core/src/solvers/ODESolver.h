#pragma once
// The explicit integrator of x' = f(x, t), one equation per state: Heun's
// predictor-corrector with a fixed step h, two evaluations of f per step
// and no Jacobian.
#include <solvers/Solver.h>
#include <sc/ISolver.h>

#include <vector>

namespace SL_NS
{
class ODESolver : public Solver, public sc::ITime
{
public:
    explicit ODESolver(sc::ILog* pLog);

    bool init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel) override;
    bool init(const td::String& model, sc::SourceType sourceType) override;
    // One step from the time the time parameter holds.
    sc::Solution solve() override;
    bool solve(double t0, double dT, double t1, sc::ISolutionBuffer* pConsumer, int n) override;
    double getIntegrationStepSize() const override { return _h; }
    void setIntegrationStepSize(double h) override;
    void stop() override { _run = false; }
    bool reset(double t0) override;
    sc::Solution step(unsigned n) override;
    void setPrecision(double) override {}
    double getSolvedPrecision() override { return 0.0; }
    int getIterationsNo() override { return int(_nSteps); }
    void setMaxIterations(int) override {}
    int getMaxIterations() override { return 0; }
    int getDerDescription(char*, std::size_t, int, int) override { return 0; }
    sc::ITime* getITime() override { return this; }

    // The method is fixed.
    void setTimeMethod(math::IntMethod) override {}
    void setTimes(double t, double dT) override;

protected:
    bool compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData& data,
                 sc::ModelLevel level) override;
    bool compileXml(XmlModelReader& parser, const td::String& model, SolverData& data) override;
    void clearModel() override;

private:
    // A model read: the arrays of a step, the step from its dT.
    void startModel();
    bool hasModel() const;
    Value& time() { return _pParams[_indexOfTParam]; }
    void startRun(double t0);

    std::vector<Value> _f0;              // f at the start of the step
    std::vector<Value> _xp;              // the predictor x + h f0
    std::vector<Value> _f1;              // f at the predictor
    cnt::SafeFullVector<int> _odeVarMap; // the variable of each equation
    double _h = 1e-4;
    unsigned _nSteps = 0;
    bool _run = false;
};
} // namespace SL_NS
