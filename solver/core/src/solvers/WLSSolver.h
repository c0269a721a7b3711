#pragma once
// Weighted least squares for measurement models: Gauss-Newton, without
// damping, on the weighted normal equations H*W H dx = H*W r of the
// measurements h(x) = z (r = z - h(x)), bordered by the linearised equality
// constraints C dx = -c(x) when the model has any, inside the solve frame of
// the Newton-Raphson solver. One sparse solver object serves every
// iteration: the pattern of the normal equations (and of the bordered
// matrix) is found from the structure of H and C and analysed at init, and
// every iteration only refills the values and refactorises numerically.
//
// Complex models with conjugate variables: each measurement and each
// constraint also enters with its conjugate, whose row is the conjugate of
// the row with each variable's column and its partner's exchanged. The
// normal matrix of the doubled rows is that of the misfit sum w |r|^2 over
// the complex unknowns (without the conjugate rows it is singular).
#include <dense/DiagMatrix.h>
#include <dense/Matrix.h>
#include <expr/EvaluatorSparseMatrix.h>
#include <expr/EvaluatorVect.h>
#include <solvers/NRSolver.h>

namespace sparse
{
template <typename TIndex, typename T>
class IMatrix;
}

namespace SL_NS
{
class WLSSolver : public NRSolver
{
public:
    WLSSolver(sc::ILog* pLog, int maxIter, double precision);
    ~WLSSolver() override;

    bool init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel) override;
    bool init(const td::String& model, sc::SourceType sourceType) override;

    // The phases of one iteration, apart for the benchmarks: r := z - h(x)
    // and H, with constraints c := -c(x) and C, at the present x; then the
    // system they make, put into the sparse solver.
    void evaluateMeasurements();
    void formNormalEquations();
    sparse::ISolver<Value, int>* getSparseSolver() const { return _pSparse; }
    // One per measurement row (with conjugate variables, each weight twice),
    // divided by the mean of the smallest and the largest.
    const dense::DiagMatrix<double>& getWeights() const { return _weights; }
    // The base's lists and the constraints' residuals and Jacobian.
    void setBatchedEvaluation(bool on) override;

protected:
    bool compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData& data,
                 sc::ModelLevel level) override;
    bool compileXml(XmlModelReader& parser, const td::String& model, SolverData& data) override;
    bool finishInit() override;
    void clearModel() override;
    sc::Solution runPasses(unsigned& pass) override;

private:
    struct Pass;

    void allocate();
    // Puts the pattern of the system into the sparse solver and analyses it.
    void analysePattern();
    void releaseMatrices();
    void normaliseWeights();
    bool hasConstraints() const { return _constraints.size() > 0; }
    // Rows per equation: 2 with conjugate variables, else 1.
    int rowsPerEquation() const { return _conjVars ? 2 : 1; }
    // Evaluates a group of residuals into out with scale -1; with conjugate
    // variables each value is followed by its conjugate.
    void evaluateResiduals(const EvaluatorVect& residuals, Value* out) const;
    // Fills a Jacobian (with conjugate variables, with its conjugate rows):
    // with its values, or with zeros at its places.
    void fillJacobian(const EvaluatorSparseMatrix& jacobian, sparse::IMatrix<int, Value>* pMatrix, bool values) const;
    // The largest component of the solved step (complex: of the larger of
    // its real and imaginary parts; conjugate slots not counted): NaN when
    // one is not finite, and then nothing is added; else x += dx.
    double takeStep();
    // The L1 norm of c(x) at the present x.
    double constraintResidual();

    sparse::ISolver<Value, int>* _pSparse = nullptr;
    sparse::IMatrix<int, Value>* _pH = nullptr;
    sparse::IMatrix<int, Value>* _pC = nullptr;
    dense::Matrix<Value> _c; // -c(x)
    dense::Matrix<Value> _r; // z - h(x)
    dense::DiagMatrix<double> _weights;
    EvaluatorSparseMatrix _constraintJacobian;
    EvaluatorVect _constraints;
    unsigned _nMeasurements = 0;
};
} // namespace SL_NS
