#pragma once
// Derivative programs of expressions given as text, and the references they
// are checked against: central differences (Richardson-extrapolated), and in
// the complex build the complex step at real points and differences along
// the imaginary axis, which a holomorphic derivative must match as well.
#include "../algebra/AlgebraFixture.h"

#include <EntryRecorder.h>

#include <deque>
#include <map>

namespace test
{
// What a Jacobian fill puts, by column.
struct Recorder : RecordingSolver
{
    std::map<int, Value> columns;
    void put(int, int col, Value value) override { columns[col] += value; }
    void reset() override { columns.clear(); }
};

class DerivativeTest : public AlgebraTest
{
protected:
    static constexpr const char* varNames = "xyz";

    // The program of d(f)/d(var) for a built tree f: null when f does not
    // depend on var; false when the derivative cannot be made.
    bool derive(ExpressionTree& f, int var, Evaluator*& pProgram, ExpTreeNode** ppRoot = nullptr, bool simplify = true)
    {
        ExpressionTree d(&data, &solver._fnLimits, nVars, simplify);
        pProgram = nullptr;
        if (!f.createDerivative2(d, var))
            return false;
        if (d.isEmpty())
            return true;
        if (ppRoot)
            *ppRoot = d.getRoot();
        pProgram = solver._pools->evaluators.getEntry();
        EXPECT_TRUE(d.createPostFix(pProgram)) << errors();
        return true;
    }

    // The derivative of text as infix.
    std::string derivativeText(const std::string& text, int var)
    {
        ExpressionTree f;
        EXPECT_TRUE(build(f, text)) << text << errors();
        Evaluator* e;
        ExpTreeNode* pRoot = nullptr;
        EXPECT_TRUE(derive(f, var, e, &pRoot)) << text << errors();
        return pRoot ? infix(pRoot) : "none";
    }

    // (f(p + h d) - f(p - h d)) / 2h d along direction d of one variable,
    // extrapolated: error O(h^4).
    Value centralDifference(const Evaluator* f, const Point& p, int var, const Value& direction)
    {
        auto difference = [&](double h) {
            Point a = p, b = p;
            a[std::size_t(var)] += h * direction;
            b[std::size_t(var)] -= h * direction;
            return (valueAt(f, a) - valueAt(f, b)) / (2 * h * direction);
        };
        const double h = 1e-3 * std::max(1.0, std::abs(p[std::size_t(var)]));
        return (4.0 * difference(h / 2) - difference(h)) / 3.0;
    }

#if SL_COMPLEX
    // Im f(p + ih e_var) / h: the derivative of a function that is real
    // along the real axis, without cancellation.
    double complexStep(const Evaluator* f, Point p, int var)
    {
        const double h = 1e-20;
        p[std::size_t(var)] += Value(0, h);
        return valueAt(f, p).imag() / h;
    }

    static bool isReal(const Point& p)
    {
        for (const Value& v : p)
            if (v.imag() != 0)
                return false;
        return true;
    }
#endif

    static bool agree(const Value& got, const Value& expected, double tolerance = 1e-7)
    {
        return std::abs(got - expected) <= tolerance * std::max(1.0, std::abs(expected));
    }

    // The derivative of f at p against the references; an absent program is
    // a derivative of 0.
    void expectDerivative(const std::string& what, const Evaluator* f, const Evaluator* d, const Point& p, int var)
    {
        const Value got = d ? valueAt(d, p) : Value(0);
        const Value reference = centralDifference(f, p, var, 1.0);
        EXPECT_TRUE(agree(got, reference))
            << what << " d/d" << varNames[var] << " at " << text(p) << ": " << got << ", difference " << reference;
#if SL_COMPLEX
        const Value imaginary = centralDifference(f, p, var, Value(0, 1));
        EXPECT_TRUE(agree(got, imaginary)) << what << " d/d" << varNames[var] << " at " << text(p)
                                           << " along the imaginary axis: " << got << ", difference " << imaginary;
        if (isReal(p) && valueAt(f, p).imag() == 0)
        {
            const double step = complexStep(f, p, var);
            EXPECT_TRUE(agree(got, step, 1e-12))
                << what << " d/d" << varNames[var] << " at " << text(p) << ": " << got << ", complex step " << step;
        }
#endif
    }

    static std::string text(const Point& p)
    {
        std::string out = "(";
        for (int i = 0; i < 3; ++i)
            out += (i ? ", " : "") + number(p[std::size_t(i)]);
        return out + ")";
    }

    // Branch trees of conditional equations over the variables x, y, z.
    cnt::FixNumSet<int> usedVars;

    void useAllVariables()
    {
        usedVars.reserve(nVars);
        for (int v = 0; v < nVars; ++v)
            usedVars.insert(v);
        data.pLastUsedVars = &usedVars;
    }

    std::deque<ExpressionTree> branches;

    ExpressionTree* branch(const std::string& text)
    {
        ExpressionTree* t = &branches.emplace_back();
        EXPECT_TRUE(build(*t, text)) << text << errors();
        return t;
    }

    ExpressionTree* conditional(ExpressionTree::Kind kind, ExpressionTree* pCondition, ExpressionTree* pThen,
                                ExpressionTree* pElse)
    {
        ExpressionTree* t = &branches.emplace_back();
        t->init(data, nVars);
        t->_kind = kind;
        t->_condET = pCondition;
        t->_pThenET = pThen;
        t->_elseET = pElse;
        return t;
    }

    bool keyLogged(const char* key) const
    {
        for (const auto& e : log.entries)
            if (e.text.rfind(key + 1, 0) == 0 && e.line == 7 && e.column == 1)
                return true;
        return false;
    }
};
} // namespace test
