#pragma once
// The implicit integrator: the model compiler has turned the model into the
// non-linear system of one time step (history parameters hold the previous
// point, stage variables the Runge-Kutta stages), which Newton solves once
// per step. Steps are driven one by one (reset, step) or over a time range
// with a consumer that receives the points.
#include <expr/Discretisation.h>
#include <solvers/NRSolver.h>
#include <solvers/TimeSolver.h>

#include <vector>

namespace SL_NS
{
class DAESolver : public TimeSolver<NRSolver>
{
public:
    DAESolver(sc::ILog* pLog, int maxIter, double precision);

    bool init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel) override;
    bool init(const td::String& model, sc::SourceType sourceType) override;
    // One step at the time the time parameter holds.
    sc::Solution solve() override { return solve(false); }
    using TimeSolver::solve;
    bool reset(double t0) override;
    int getNumberOfStateSpaceVariables() const override;

    // The method of a model that names none; the method shapes the
    // compiled system, so it takes effect at the next model read.
    void setTimeMethod(math::IntMethod method) override { _intMethod = method; }

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
    // The counters and embedded values of a run's start, and the backup.
    void startRange(double t0, unsigned repetition) override;
    // The last point is the grid point nearest t1, never one beyond it.
    bool stepsFrom(double t, double t1) const override { return t < t1 - 0.9999 * _dT; }
    // The first step reports the start point.
    sc::Solution rangeStep(double t0, unsigned k) override;
    sc::Solution stepFrom(const Value& t0, unsigned k) override;

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

    DAEVarMap _daeVarMap;
    // A Jacobian of parameters only: the parameters it reads with their
    // values, and its entries, at the last check.
    std::vector<std::uint32_t> _jacobianParameters;
    std::vector<Value> _jacobianParameterValues;
    std::vector<Value> _jacobianValues;
    unsigned _nFactorisations = 0;
    int _nStages = 0; // stage variables per state of the compiled method
    math::IntMethod _intMethod = math::IntMethod::Trapezoid;
    bool _jacobianReadsVariables = true;
    bool _refill = false; // the variables moved since the last factorisation
};
} // namespace SL_NS
