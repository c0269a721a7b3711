#pragma once
// A compiled model's residuals and Jacobian evaluated through the batched
// programs and through the per-token machine: the two must agree to the
// last bits that the order of operations allows. Shared by the differential
// test and the model fuzz target.
#include <solvers/NRSolver.h>
#include <sparse/IMatrix.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace test
{
// Records the entries a Jacobian puts, in their order.
template <typename T>
class RecordedMatrix final : public sparse::IMatrix<int, T>
{
public:
    struct Entry
    {
        int row;
        int col;
        T value;
    };
    std::vector<Entry> entries;

    void put(int row, int col, T value) override { entries.push_back({row, col, value}); }
    void reset() override { entries.clear(); }
    void addNormalEquations(const dense::DiagMatrix<double>&, dense::Matrix<T>&, sparse::ISolver<T, int>*) override {}
    void addConstraintBlock(int, dense::Matrix<T>&, sparse::ISolver<T, int>*) override {}
    void release() override {}
};

inline bool agree(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b || std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

inline bool agree(const std::complex<double>& a, const std::complex<double>& b)
{
    return agree(a.real(), b.real()) && agree(a.imag(), b.imag());
}

// The shared values, the residuals and the Jacobian's entries (value and
// place) at the solver's present point.
struct Evaluation
{
    std::vector<SL_NS::Value> values;
    std::vector<int> places;

    bool operator==(const Evaluation& other) const
    {
        if (places != other.places || values.size() != other.values.size())
            return false;
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!agree(values[i], other.values[i]))
                return false;
        return true;
    }
};

// The Jacobian's values as the model's solver receives them: written into
// its factorisation's value array through the entries' places.
inline void appendFactorValues(SL_NS::NRSolver& nr, std::vector<SL_NS::Value>& values)
{
    auto* pSolver = const_cast<sparse::ISolver<SL_NS::Value, int>*>(nr.getSparseSolver());
    if (!pSolver || !pSolver->values())
        return;
    nr.getJacobian().evaluateIntoValues(pSolver);
    values.insert(values.end(), pSolver->values(), pSolver->values() + pSolver->nonZeros());
}

inline Evaluation evaluate(SL_NS::Solver& s)
{
    Evaluation e;
    s.evaluateShared();
    e.values = s._sharedValues;
    std::vector<SL_NS::Value> f(s._fx.size());
    s._fx.evaluate(f.data(), 1.0);
    e.values.insert(e.values.end(), f.begin(), f.end());
    if (auto* pNR = dynamic_cast<SL_NS::NRSolver*>(&s))
    {
        RecordedMatrix<SL_NS::Value> j;
        pNR->getJacobian().evaluateAndInsertToMatrix(&j);
        for (const auto& entry : j.entries)
        {
            e.values.push_back(entry.value);
            e.places.push_back(entry.row);
            e.places.push_back(entry.col);
        }
        appendFactorValues(*pNR, e.values);
    }
    return e;
}

// Batched and per-token values agree at the present point and at a point
// moved from it; the solver's variables are left as they were. A model whose
// values change from one evaluation to the next (random draws) passes.
inline bool batchedAgrees(SL_NS::Solver& s)
{
    std::vector<SL_NS::Value> start(s._x, s._x + s._nVars);
    bool ok = true;
    for (int point = 0; point < 2 && ok; ++point)
    {
        for (int i = 0; i < s._nVars && point == 1; ++i)
            s._x[i] = start[std::size_t(i)] * (1.0 + 0.01 * (i % 7 + 1)) + 0.001 * (i % 3 + 1);
        s.setBatchedEvaluation(false);
        const Evaluation perToken = evaluate(s);
        const bool deterministic = evaluate(s) == perToken;
        s.setBatchedEvaluation(true);
        ok = !deterministic || evaluate(s) == perToken;
    }
    std::copy(start.begin(), start.end(), s._x);
    return ok;
}
} // namespace test
