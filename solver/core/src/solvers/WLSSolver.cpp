#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>
#include <expr/Token.h>
#include <math/Magnitude.h>
#include <solvers/WLSSolver.h>
#include <xml/XmlModelReader.h>
#include <sc/TokenizedModel.h>
#include <sparse/Factory.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace SL_NS
{
namespace
{
using S = sc::Solution;

const char* const s_solveError = "@CE.WLSEErrorSolve";

sparse::ISolver<Value, int>* createSparseSolver(int n, int capacity, bool bordered)
{
    // Normal equations are positive definite; bordered by constraints,
    // indefinite.
    const sparse::Symmetry symmetry =
        bordered ? sparse::Symmetry::SymmetricIndefinite : sparse::Symmetry::SymmetricPositiveDefinite;
#if SL_COMPLEX
    return sparse::createCmplxSolver(n, capacity, symmetry, sparse::SolverType::LURefined, sparse::Pivoting::Relaxed,
                                     sparse::Ordering::AMD);
#else
    return sparse::createDblSolver(n, capacity, symmetry, sparse::SolverType::LURefined, sparse::Pivoting::Relaxed,
                                   sparse::Ordering::AMD);
#endif
}

sparse::IMatrix<int, Value>* createMatrix(int rows, int cols, int capacity)
{
#if SL_COMPLEX
    return sparse::createCmplxMatrix(rows, cols, capacity, sparse::Symmetry::General);
#else
    return sparse::createDblMatrix(rows, cols, capacity, sparse::Symmetry::General);
#endif
}

#if SL_COMPLEX
// Row k of a Jacobian becomes rows 2k (as it is) and 2k + 1: its conjugate,
// each entry moved to the column of its variable's conjugate partner,
// d conj(f)/dx = conj(df/d partner(x)).
class ConjugateRows final : public sparse::IMatrix<int, Value>
{
public:
    explicit ConjugateRows(sparse::IMatrix<int, Value>* pMatrix)
        : _pMatrix(pMatrix)
    {
    }

    void put(int row, int col, Value value) override
    {
        _pMatrix->put(2 * row, col, value);
        _pMatrix->put(2 * row + 1, col >= 0 ? conjugatePartner(col) : col, std::conj(value));
    }
    void reset() override { _pMatrix->reset(); }
    void addNormalEquations(const dense::DiagMatrix<double>& W, dense::Matrix<Value>& r,
                            sparse::ISolver<Value, int>* pSolver) override
    {
        _pMatrix->addNormalEquations(W, r, pSolver);
    }
    void addConstraintBlock(int offset, dense::Matrix<Value>& c, sparse::ISolver<Value, int>* pSolver) override
    {
        _pMatrix->addConstraintBlock(offset, c, pSolver);
    }
    void release() override {}

private:
    sparse::IMatrix<int, Value>* _pMatrix;
};
#endif
} // namespace

WLSSolver::WLSSolver(sc::ILog* pLog, int maxIter, double precision)
    : NRSolver(pLog, maxIter, precision)
{
    _attribs.type = sc::SolverType::WLS;
}

WLSSolver::~WLSSolver() { releaseMatrices(); }

void WLSSolver::releaseMatrices()
{
    for (auto* pMatrix : {_pH, _pC})
        if (pMatrix)
            pMatrix->release();
    _pH = _pC = nullptr;
    if (_pSparse)
        _pSparse->release();
    _pSparse = nullptr;
}

void WLSSolver::clearModel()
{
    releaseMatrices();
    _constraintJacobian.reserve(0);
    _constraints.reserve(0);
    _weights.reserve(0);
    _nMeasurements = 0;
    NRSolver::clearModel();
}

bool WLSSolver::compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                        SolverData& data, sc::ModelLevel level)
{
    const MeasurementTargets targets {&_jacobian, &_weights, &_constraints, &_constraintJacobian};
    if (!parser.getWLSEvaluators(pNaming, pModel, &data, targets, level))
        return false;
    _nMeasurements = parser.getNumberOfEquations();
    return true;
}

bool WLSSolver::compileXml(XmlModelReader& parser, const td::String& model, SolverData& data)
{
    const MeasurementTargets targets {&_jacobian, &_weights, &_constraints, &_constraintJacobian};
    if (!parser.getFxAndMeasJacEvaluators(model, &data, targets))
        return false;
    _nMeasurements = parser.getNumberOfEquations();
    return true;
}

bool WLSSolver::init(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, bool isMainModel)
{
    const sc::ModelLevel level = isMainModel ? sc::ModelLevel::Main : sc::ModelLevel::SubModel;
    if (!readModel(pNaming, pModel, level))
    {
        translateAndAddLog("@SC.WLSReadFail");
        return false;
    }
    return finishInit();
}

bool WLSSolver::init(const td::String& model, sc::SourceType sourceType)
{
    _sourceType = sourceType;
    if (!readModel(model))
    {
        _errorStr.writeIntro(_modelLine, SolutionLocation::Other);
        _errorStr.append("Cannot read the data..");
        return false;
    }
    return finishInit();
}

bool WLSSolver::finishInit()
{
    if (_derivTestMode)
        return true;
    allocSpace();
    allocate();
    _modelRead = true;
    return true;
}

// H and C with their residual columns, and the one sparse solver of the
// normal equations (bordered after the variables by the constraints).
void WLSSolver::allocate()
{
    normaliseWeights();
    const int perEquation = rowsPerEquation();
    const int rows = int(_nMeasurements) * perEquation;
    const int constraintRows = int(_constraints.size()) * perEquation;
    _r.reserve(rows, 1);
    _pH = createMatrix(rows, _nVars, int(_nJacEntries) * perEquation);
    if (hasConstraints())
    {
        _c.reserve(constraintRows, 1);
        _pC = createMatrix(constraintRows, _nVars, int(_constraintJacobian.getNoOfNonZeros()) * perEquation);
    }
    // The capacity is a hint: the solver's store grows to the system.
    _pSparse = createSparseSolver(_nVars + constraintRows, int(_nJacEntries * 1.5), hasConstraints());
    analysePattern();
}

// The weights are divided by the mean of the smallest and the largest; the
// estimate stays, and the bordered system is better balanced. With
// conjugate rows each weight serves its row and the conjugate one.
void WLSSolver::normaliseWeights()
{
    const int n = int(_nMeasurements);
    double lo = 1e100, hi = 0.0;
    for (int k = 0; k < n; ++k)
    {
        lo = std::min(lo, _weights.getValue(k));
        hi = std::max(hi, _weights.getValue(k));
    }
    const double mean = (lo + hi) / 2;
    auto w = _weights.getManipulator();
    if (mean > 0)
        for (int k = 0; k < n; ++k)
            w[k] /= mean;
    if (rowsPerEquation() == 1)
        return;
    const std::vector<double> once(_weights.getData(), _weights.getData() + n);
    _weights.reserve(2 * n);
    auto twice = _weights.getManipulator();
    for (int k = 0; k < n; ++k)
        twice[2 * k] = twice[2 * k + 1] = once[std::size_t(k)];
}

void WLSSolver::evaluateResiduals(const EvaluatorVect& residuals, Value* out) const
{
    residuals.evaluate(out, -1.0);
#if SL_COMPLEX
    if (_conjVars)
        for (std::size_t k = residuals.size(); k-- > 0;)
        {
            out[2 * k] = out[k];
            out[2 * k + 1] = std::conj(out[k]);
        }
#endif
}

void WLSSolver::setBatchedEvaluation(bool on)
{
    NRSolver::setBatchedEvaluation(on);
    _constraints.setBatched(on);
    _constraintJacobian.setBatched(on);
}

void WLSSolver::fillJacobian(const EvaluatorSparseMatrix& jacobian, sparse::IMatrix<int, Value>* pMatrix,
                             bool values) const
{
#if SL_COMPLEX
    ConjugateRows rows(pMatrix);
    if (_conjVars)
        pMatrix = &rows;
#endif
    if (values)
        jacobian.evaluateAndInsertToMatrix(pMatrix);
    else
        jacobian.insertPatternToMatrix(pMatrix);
}

void WLSSolver::evaluateMeasurements()
{
    evaluateLimits(false);
    // The residuals and the Jacobians read the same shared values.
    evaluateShared();
    evaluateResiduals(_fx, _r.getData());
    fillJacobian(_jacobian, _pH, true);
    if (!hasConstraints())
        return;
    evaluateResiduals(_constraints, _c.getData());
    fillJacobian(_constraintJacobian, _pC, true);
}

// No program runs here: the system of zeros at the places of H and C has
// the pattern of every later fill (unless a branch entry changes it, and
// then that fill is analysed anew).
void WLSSolver::analysePattern()
{
    fillJacobian(_jacobian, _pH, false);
    if (hasConstraints())
        fillJacobian(_constraintJacobian, _pC, false);
    formNormalEquations();
    _pSparse->analyse();
}

void WLSSolver::formNormalEquations()
{
    _pSparse->reset();
    _pH->addNormalEquations(_weights, _r, _pSparse);
    if (hasConstraints())
        _pC->addConstraintBlock(_nVars, _c, _pSparse);
}

double WLSSolver::takeStep()
{
    const int stride = rowsPerEquation();
    double largest = 0.0;
    for (int i = 0; i < _nVars; i += stride)
    {
        const double m = math::magnitude(*_pSparse->solutionValue(i));
        if (!(m <= largest)) // NaN stays
            largest = m;
    }
    if (!std::isfinite(largest))
        return largest;
    for (int i = 0; i < _nVars; i += stride)
        _x[i] += *_pSparse->solutionValue(i);
#if SL_COMPLEX
    if (_conjVars)
        for (int i = 0; i < _nVars; i += 2)
            _x[i + 1] = std::conj(_x[i]);
#endif
    return largest;
}

double WLSSolver::constraintResidual()
{
    evaluateLimits(false);
    evaluateShared();
    _constraints.evaluate(_c.getData(), -1.0);
    double sum = 0.0;
    for (std::size_t k = 0; k < _constraints.size(); ++k)
        sum += std::abs(_c.getData()[k]);
    return sum;
}

// One pass of Gauss-Newton steps from the present point, until a step is
// below the precision with the constraints met, or a stop rule fires.
struct WLSSolver::Pass
{
    WLSSolver& s;
    unsigned number;

    sc::Solution run()
    {
        s._passIterations = 0;
        s.clearSignalCounters();
        if (s._pResults)
        {
            s._pResults->pass = static_cast<unsigned short>(number);
            s._pResults->iteration = 0;
        }
        double reference = s._obtainedPrecision;
        for (;;)
        {
            const unsigned i = ++s._passIterations;
            ++s._totalIterations;
            if (number > 1)
                s._status = S::NewPass;
            s.setEmbeddedParam(sc::EmbeddedParam::TotIter, s._totalIterations);
            s.setEmbeddedParam(sc::EmbeddedParam::BaseIter, i);
            s.setEmbeddedParam(sc::EmbeddedParam::SuccRep, s._successfulRepetitions);
            s.updateRecord();
            s.evaluateMeasurements();
            s.formNormalEquations();
            if (!s._pSparse->solve())
                return s.finish(S::SolutionError, sc::ISolutionBuffer::Failed, false, s_solveError, s_solveError);
            // A step that is not finite never converges: it fails.
            const double step = s.takeStep();
            if (!std::isfinite(step))
                return s.finish(S::SolutionError, sc::ISolutionBuffer::Failed, false, s_solveError, s_solveError);
            s._obtainedPrecision = step;
            if (number == 1 || s._iterPostPAlwaysOn)
                s.evalIterationProcGroup();
            if (i == 10)
                reference = step;
            else if (i > 10)
                reference = std::min(reference, step);
            s.updateRecord();
            if (s._precision > step && (!s.hasConstraints() || 10 * s._precision > s.constraintResidual()))
            {
                s._status = S::BaseOK;
                s.writeStatus();
                s.updateRecord();
                if (s._pConsumer)
                    s._pConsumer->end(sc::ISolutionBuffer::Solved);
                return S::BaseOK;
            }
            // A small step whose constraints stay unmet goes on, and so
            // meets these stops too.
            if (i >= 10001 && step > 5 * reference)
                return s.finish(S::Oscillation, sc::ISolutionBuffer::Failed, true, "@SC.Oscillation",
                                "@SC.Oscillation");
            if (i >= s._maxIterations)
                return s.finish(S::MaximumIteration, sc::ISolutionBuffer::Failed, true, "@SC.MaxIterLimit",
                                "@SC.MaxIterLimitSubModel");
            s.writeStatus();
            if (s._reportRate == sc::ReportRate::PerIteration && s._pConsumer)
                s._pConsumer->put();
        }
    }
};

sc::Solution WLSSolver::runPasses(unsigned& pass)
{
    // Before a step the precision reached counts as far off.
    _obtainedPrecision = 100.0;
    writeStatus();
    if (_attribs.valuesChanged)
        _attribs.valuesChanged = 0;
    updateRecord();
    _passIterations = 0;
    if (_reportRate != sc::ReportRate::None && _pConsumer)
        _pConsumer->put();
    for (pass = 1;; ++pass)
    {
        const sc::Solution status = Pass {*this, pass}.run();
        if (status != S::BaseOK)
            return status;
        if (!limitGroupsSignal())
            return S::OK;
        // A limit group moved a variable: iterate again from there, at
        // most as many passes as iterations are allowed.
        if (pass >= _maxIterations)
            return finish(S::MaximumIteration, sc::ISolutionBuffer::Failed, false, "@SC.TooManyLimitPasses",
                          "@SC.TooManyLimitPasses");
        _obtainedPrecision = 2 * _precision;
    }
}
} // namespace SL_NS
