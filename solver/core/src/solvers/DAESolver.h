#pragma once
// The implicit integrator: the model compiler has turned the model into the
// non-linear system of one time step (history parameters hold the previous
// point, stage variables the Runge-Kutta stages), which Newton solves once
// per step. Steps are driven one by one (reset, step) or over a time range
// with a consumer that receives the points.
#include <expr/Discretisation.h>
#include <solvers/NRSolver.h>
#include <sc/ISolver.h>

#include <vector>

namespace SL_NS
{
class DAESolver : public NRSolver, public sc::ITime
{
public:
    DAESolver(sc::ILog* pLog, int maxIter, double precision);

    bool init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel) override;
    bool init(const td::String& model, sc::SourceType sourceType) override;
    // One step at the time the time parameter holds.
    sc::Solution solve() override { return solve(false); }
    bool solve(double t0, double dT, double t1, sc::ISolutionBuffer* pConsumer, int n) override;
    double getIntegrationStepSize() const override { return _dT; }
    void setIntegrationStepSize(double dT) override;
    void stop() override { _run = false; }
    bool reset(double t0) override;
    sc::Solution step(unsigned n) override;
    sc::ITime* getITime() override { return this; }
    int getNumberOfStateSpaceVariables() const override;

    // The method of a model that names none; the method shapes the
    // compiled system, so it takes effect at the next model read.
    void setTimeMethod(math::IntMethod method) override { _intMethod = method; }
    void setTimes(double t, double dT) override;

    math::IntMethod getTimeMethod() const { return _intMethod; }
    const DAEVarMap& getDAEVarMap() const { return _daeVarMap; }
    // Numeric factorisations since the model was read.
    unsigned getNoOfFactorisations() const { return _nFactorisations; }

protected:
    bool compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData& data,
                 sc::ModelLevel level) override;
    bool compileXml(XmlModelReader& parser, const td::String& model, SolverData& data) override;
    // The base's, and the method the model chose.
    void takeCompiledModel(const SolverData& data) override;
    void clearModel() override;
    // The XML reader compiles no time-step systems.
    bool compileModel(const ChildCompile&) override { return false; }

private:
    // A model read: the step from its dT, the Jacobian's dependencies.
    void startModel();
    // One step; advance reports the present point and moves the time on by dT first.
    sc::Solution solve(bool advance);
    // Every history parameter takes its variable's value, every stage variable too.
    void copyInitialValues();
    bool solveInitialProblem();
    // The values that stay the same through the step, once the history
    // values and the time are set.
    void evaluateStepConstants();
    // Newton from the present point until the step converges.
    sc::Solution iterate(double norm0);
    // The factorisation a pass starts from; false when it fails.
    bool prepareFactorisation(bool firstPass);
    bool refactorise();
    // Whether a parameter that the Jacobian reads changed since the last call.
    bool jacobianParametersChanged();
    sc::Solution fail(sc::Solution status, const char* key);
    bool hasModel() const;
    Value& time() { return _pParams[_indexOfTParam]; }
    void writeRunStart(double t0, unsigned repetition);
    // A range run's step k from t0 and what follows it; false to stop the run.
    bool rangeStep(double t0, double dT, unsigned k, int n, int& counter);

    DAEVarMap _daeVarMap;
    // A Jacobian of parameters only: the parameters it reads with their
    // values, and its entries, at the last check.
    std::vector<std::uint32_t> _jacobianParameters;
    std::vector<Value> _jacobianParameterValues;
    std::vector<Value> _jacobianValues;
    double _dT = 0.0;
    unsigned _nFactorisations = 0;
    int _nStages = 0; // stage variables per state of the compiled method
    math::IntMethod _intMethod = math::IntMethod::Trapezoid;
    bool _run = false;
    bool _jacobianReadsVariables = true;
    bool _refill = false; // the variables moved since the last factorisation
};
} // namespace SL_NS
