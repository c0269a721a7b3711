#pragma once
// Newton-Raphson over a sparse LU solver for f(x) = 0 (as many equations as
// variables), inside the solve frame of repetitions, pre- and post-
// processing, function limits and limit groups. One sparse solver object
// per model: the Jacobian's pattern is analysed when the model is read, and
// every factorisation, of this solve or a later one, writes the values into
// it and only factorises numerically.
#include <expr/EvaluatorSparseMatrix.h>
#include <solvers/Solver.h>

#include <cstddef>
#include <vector>

namespace sparse
{
template <typename T, typename TIndex>
class ISolver;
}

namespace SL_NS
{
class XmlModelReader;

class NRSolver : public Solver
{
public:
    explicit NRSolver(sc::ILog* pLog = nullptr);
    NRSolver(sc::ILog* pLog, int maxIter, double precision);
    ~NRSolver() override;

    bool init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel) override;
    bool init(const td::String& model, sc::SourceType sourceType) override;
    sc::Solution solve() override;
    bool solve(double, double, double, sc::ISolutionBuffer*, int) override { return false; }
    void stop() override {}
    bool reset(double) override;
    sc::Solution step(unsigned) override { return sc::Solution::SolutionError; }
    void setPrecision(double precision) override;
    double getSolvedPrecision() override { return _obtainedPrecision; }
    int getIterationsNo() override { return int(_passIterations); }
    void setMaxIterations(int maxIter) override { _maxIterations = static_cast<unsigned short>(maxIter); }
    int getMaxIterations() override { return _maxIterations; }
    int getDerDescription(char* buffer, std::size_t size, int eq, int var) override;

    const EvaluatorSparseMatrix& getJacobian() const { return _jacobian; }
    // The base's lists and the Jacobian's entries.
    void setBatchedEvaluation(bool on) override;
    // Null before a model is read.
    const sparse::ISolver<Value, int>* getSparseSolver() const { return _pSparse; }

protected:
    bool compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData& data,
                 sc::ModelLevel level) override;
    bool compileXml(XmlModelReader& parser, const td::String& model, SolverData& data) override;
    bool compileModel(const ChildCompile& compile) override;
    // The base's, and the Jacobian's entries.
    void takeCompiledModel(const SolverData& data) override;
    bool splitLists(unsigned nThreads) override;
    // The arrays of a model read; false, with the error text told, without
    // initial values.
    virtual bool finishInit();
    bool allocSpace();
    void clearModel() override;
    // The passes of one repetition, from the present point after the
    // pre-processing and the sub-models: OK when the last pass converged and
    // no limit group moved a variable; pass is the number of the last pass.
    // Any other status ends the solve with it.
    virtual sc::Solution runPasses(unsigned& pass);
    // One round over the function limits; the largest change of side.
    int evaluateLimits(bool withStates);
    // Ends the solve with a status: embedded values, record and consumer.
    sc::Solution finish(sc::Solution status, int consumerEnd, bool onlyWithReportRate, const char* key,
                        const char* subKey);
    void writeStatus();
    void updateRecord();

    // The Jacobian of f(x) (of the measurements, for the least-squares kind).
    EvaluatorSparseMatrix _jacobian;
    unsigned _nJacEntries = 0;

    struct Pass;

    // F := -f(x); the largest |F_i| (NaN when any residual is NaN).
    double evaluateResiduals();
    // A new sparse solver that takes the Jacobian's pattern and analyses it.
    void setUpSparseSolver();
    void factoriseAtStart();
    // Writes the Jacobian at the present x into the sparse solver and
    // factorises it.
    bool factoriseJacobian();
    void releaseSparseSolver();

    sparse::ISolver<Value, int>* _pSparse = nullptr;
    std::vector<Value> _F;
    std::vector<Value> _dx;
    bool _jacobianConstant = false;
    // The solver took the pattern: values go straight into its array. Else
    // (a pattern it refuses) every fill puts triplets, and fails as before.
    bool _hasPattern = false;
    // The solver holds the factors of the last Jacobian written.
    bool _factorised = false;
};
} // namespace SL_NS
