// Evaluators: branches, assignments, the containers that run them and the
// limits they read.
#include <expr/CU.h>
#include <expr/EvaluatorSparseMatrix.h>
#include <expr/EvaluatorVect.h>
#include <expr/FnLimits.h>
#include <NearlyEqual.h>
#include <ProgramBuilder.h>
#include <EntryRecorder.h>
#include <gtest/gtest.h>
#include <sparse/Factory.h>
#include <sparse/ISolver.h>

#include <limits>
#include <tuple>

namespace test
{
namespace
{
const double nan = std::numeric_limits<double>::quiet_NaN();

// What is put, in order.
struct Recorder : RecordingSolver
{
    std::vector<std::tuple<int, int, Value>> puts;
    void put(int row, int col, Value value) override { puts.emplace_back(row, col, value); }
    void reset() override { puts.clear(); }
};

struct Signals : sc::ISignal
{
    std::vector<Type> seen;
    void handle(Type t) override { seen.push_back(t); }
};

class Evaluators : public ::testing::Test
{
protected:
    Machine m {3, 2};
    CU cu {&m.solver};

    // A run of n evaluators, each a program, with a Jacobian column or an
    // assignment target each.
    Evaluator* run(std::initializer_list<std::pair<const char*, int>> programs)
    {
        Evaluator* pRun = m.data.pPools->evaluators.getEntries(int(programs.size()));
        int i = 0;
        for (const auto& [program, column] : programs)
        {
            Evaluator* e = m.write(program);
            EXPECT_NE(e, nullptr) << program;
            pRun[i] = *e;
            pRun[i].setVariableIndex(column, Evaluator::AssignmentType::Variable);
            ++i;
        }
        return pRun;
    }

    Evaluator* node() { return m.data.pPools->evaluators.getEntry(); }
};

TEST_F(Evaluators, IfThenElseSelectsThenUnlessExactlyZero)
{
    Evaluator* ite = node();
    Evaluator* pThen = run({{"10", 0}, {"11", 1}});
    Evaluator* pElse = run({{"20", 2}});
    ite->setIfThenElse(m.write("p0"), pThen, 2, pElse, 1);
    Recorder rec;
    const std::pair<double, Value> cases[] = {{1, 10}, {nan, 10}, {0, 20}, {-0.0, 20}};
    for (const auto& [condition, expected] : cases)
    {
        m.solver._pParams[0] = condition;
        EXPECT_EQ(ite->evaluate(cu), expected) << condition;
        rec.reset();
        ite->addTripletsToSolver(cu, rec.target(), 4);
        ASSERT_EQ(rec.puts.size(), expected == Value(10) ? 2u : 1u);
        EXPECT_EQ(std::get<0>(rec.puts[0]), 4);
        EXPECT_EQ(std::get<1>(rec.puts[0]), expected == Value(10) ? 0 : 2);
    }
    EXPECT_EQ(ite->getNoOfThenEvaluators(), 2u);
    EXPECT_EQ(ite->getNoOfElseEvaluators(), 1u);

    Evaluator* noElse = node();
    noElse->setIfThenElse(m.write("p0"), run({{"5", 0}}), 1, nullptr, 0);
    m.solver._pParams[0] = 0;
    EXPECT_EQ(noElse->evaluate(cu), Value(0));
    rec.reset();
    noElse->addTripletsToSolver(cu, rec.target(), 0);
    EXPECT_TRUE(rec.puts.empty());
    EXPECT_TRUE(noElse->evaluateAssignment(cu));
}

TEST_F(Evaluators, NestedElseContinuesTheWalk)
{
    Evaluator* inner = node();
    inner->setIfThenElse(m.write("p1"), run({{"2", 1}}), 1, run({{"3", 2}, {"4", 0}}), 2);
    Evaluator* outer = node();
    outer->setIfThenElse(m.write("p0"), run({{"1", 0}}), 1, inner, 1);
    EXPECT_EQ(outer->getNoOfElseEvaluators(), 2u);
    m.solver._pParams[0] = 0;
    m.solver._pParams[1] = 0;
    EXPECT_EQ(outer->evaluate(cu), Value(3));
    Recorder rec;
    outer->addTripletsToSolver(cu, rec.target(), 7);
    ASSERT_EQ(rec.puts.size(), 2u);
    EXPECT_EQ(rec.puts[1], std::make_tuple(7, 0, Value(4)));
}

TEST_F(Evaluators, SwitchTakesTheFirstTrueCase)
{
    Evaluator* cases = m.data.pPools->evaluators.getEntries(3);
    cases[0].setSwitchCase(m.write("x0 1 >"), run({{"100", 0}}), 1);
    cases[1].setSwitchCase(m.write("x0 0 >"), run({{"200", 1}, {"201", 2}}), 2);
    cases[2].setSwitchCase(nullptr, run({{"300", 2}}), 1);
    cases[0].setNextCaseEvaluator(&cases[1]);
    cases[1].setNextCaseEvaluator(&cases[2]);
    cases[0].setNoOfNonZeros(2);
    // Comparisons with NaN are false, so a NaN x falls through to the default.
    const std::pair<double, Value> table[] = {{2, 100}, {0.5, 200}, {-1, 300}, {nan, 300}};
    for (const auto& [x, expected] : table)
    {
        m.solver._x[0] = x;
        EXPECT_EQ(cases[0].evaluate(cu), expected) << x;
    }
    // Without the default case nothing is selected: 0 and no entries.
    cases[1].setNextCaseEvaluator(nullptr);
    m.solver._x[0] = -1;
    EXPECT_EQ(cases[0].evaluate(cu), Value(0));
    Recorder rec;
    cases[0].addSwitchTripletsToSolver(cu, rec.target(), 0);
    EXPECT_TRUE(rec.puts.empty());
    m.solver._x[0] = 0.5;
    cases[0].addSwitchTripletsToSolver(cu, rec.target(), 3);
    EXPECT_EQ(rec.puts, (std::vector<std::tuple<int, int, Value>> {{3, 1, Value(200)}, {3, 2, Value(201)}}));
    EXPECT_EQ(cases[0].getNoOfNonZeros(), 2u);
}

TEST_F(Evaluators, AssignmentOperators)
{
    const std::pair<char, Value> table[] = {{'=', 2}, {'+', 5}, {'-', 1}, {'*', 6}, {'/', 1.5}, {'^', 9}};
    for (const auto& [op, expected] : table)
    {
        m.solver._x[1] = 3;
        m.solver._pParams[1] = 3;
        Evaluator* toVar = m.write("1 1 +");
        toVar->setVariableIndex(1, Evaluator::AssignmentType::Variable, op);
        Evaluator* toParam = m.write("2");
        toParam->setVariableIndex(1, Evaluator::AssignmentType::Parameter, op);
        EXPECT_TRUE(toVar->evaluateAssignment(cu));
        EXPECT_TRUE(toParam->evaluateAssignment(cu));
        EXPECT_PRED2(nearly, m.solver._x[1], expected) << op;
        EXPECT_PRED2(nearly, m.solver._pParams[1], expected) << op;
    }
    Evaluator* byZero = m.write("0");
    byZero->setVariableIndex(0, Evaluator::AssignmentType::Variable, '/');
    m.solver._x[0] = 1;
    EXPECT_TRUE(byZero->evaluateAssignment(cu));
    EXPECT_TRUE(std::isinf(std::real(m.solver._x[0])));

    Evaluator* nowhere = m.write("1");
    nowhere->setVariableIndex(0, Evaluator::AssignmentType::None);
    EXPECT_FALSE(nowhere->evaluateAssignment(cu));
}

TEST_F(Evaluators, ParentSymbols)
{
    Machine parent {2, 1};
    parent.solver._x[1] = 4;
    parent.solver._pParams[0] = 7;
    m.solver._parentSolver = &parent.solver;
    CU sub(&m.solver);
    sub.setParentSolver(&parent.solver);
    // One token of the parent reads the parent's own array, at its index.
    EXPECT_EQ(m.write("@1")->evaluate(sub), Value(4));
    EXPECT_EQ(m.write("@2 @1 +")->evaluate(sub), Value(11));

    Evaluator* toParent = m.write("x0 1 +");
    m.solver._x[0] = 1;
    toParent->setVariableIndex(2, Evaluator::AssignmentType::Parent, '+');
    EXPECT_TRUE(toParent->evaluateAssignment(sub));
    EXPECT_EQ(parent.solver._pParams[0], Value(9));
}

#if SL_COMPLEX
TEST_F(Evaluators, ComplexParts)
{
    using A = Evaluator::AssignmentType;
    m.solver._x[0] = Value(1, 2);
    m.solver._pParams[0] = Value(3, 4);
    struct Case
    {
        int index;
        unsigned char isVariable, part;
        char op;
        const char* program;
        Value expectedVar, expectedParam;
    };
    const Case cases[] = {
        {0, 1, 1, '=', "(5,9)", Value(5, 2), Value(3, 4)}, // real part from the real part
        {0, 1, 2, '+', "(1,9)", Value(5, 3), Value(3, 4)}, // imaginary part
        {0, 0, 2, '*', "(2,0)", Value(5, 3), Value(3, 8)},  {0, 0, 1, '-', "(1,0)", Value(5, 3), Value(2, 8)},
        {0, 1, 0, '/', "(0,1)", Value(3, -5), Value(2, 8)}, // the whole value
    };
    for (const Case& c : cases)
    {
        Evaluator* e = m.write(c.program);
        e->setVariableIndex(c.index, c.isVariable, c.part, 0, c.op);
        EXPECT_TRUE(e->evaluateAssignment(cu));
        EXPECT_EQ(m.solver._x[0], c.expectedVar) << c.program;
        EXPECT_EQ(m.solver._pParams[0], c.expectedParam) << c.program;
    }
    Value target(1, 1);
    processAssingmentCmplxPart(target, Value(2, 5), A::VariableImag, '^');
    EXPECT_EQ(target, Value(1, 1));

    // With conjugates kept, the partner slot follows its variable.
    m.solver._conjVars = true;
    Evaluator* e = m.write("(2,3)");
    e->setVariableIndex(0, A::Variable, '=');
    EXPECT_TRUE(e->evaluateAssignment(cu));
    EXPECT_EQ(m.solver._x[1], Value(2, -3));
}
#endif

TEST_F(Evaluators, BranchSignalsReachTheObserver)
{
    Signals observer;
    cu.setBranchObserver(&observer);
    Evaluator* pThen = run({{"1", 0}});
    pThen->setSignal(sc::ISignal::Type::TooHigh);
    Evaluator* pElse = run({{"2", 0}});
    Evaluator* ite = node();
    ite->setIfThenElse(m.write("p0"), pThen, 1, pElse, 1);
    m.solver._pParams[0] = 1;
    EXPECT_TRUE(ite->evaluateAssignment(cu));
    m.solver._pParams[0] = 0;
    EXPECT_TRUE(ite->evaluateAssignment(cu)); // the else branch has no signal
    EXPECT_EQ(observer.seen, std::vector<sc::ISignal::Type> {sc::ISignal::Type::TooHigh});
    EXPECT_EQ(m.solver._x[0], Value(2));
}

TEST_F(Evaluators, Vectors)
{
    EvaluatorVect v;
    v.setSolver(&m.solver);
    m.solver._x[0] = 1;
    for (const char* program : {"x0", "-3", "x0 1 +"})
        v.addEvaluator(m.write(program));
    Value out[3];
    double norm = 0;
    v.evaluate(out, 1.0);
    EXPECT_EQ(out[2], Value(2));
    v.evaluateScale(out, 2.0, norm);
    EXPECT_EQ(out[1], Value(-6));
    EXPECT_EQ(norm, 6.0);

    Value replaced[3] = {Value(10), Value(0), Value(0)};
    v.setVariableValues(replaced);
    v.evaluate(out, 1.0);
    EXPECT_EQ(out[2], Value(11));

    EvaluatorVect assignments;
    Evaluator* first = m.write("5");
    first->setVariableIndex(2, Evaluator::AssignmentType::Variable);
    assignments.addEvaluator(first);
    assignments.addEvaluator(nullptr);
    EXPECT_FALSE(assignments.evaluateAssignments(&m.solver));
    EXPECT_EQ(m.solver._x[2], Value(5));
    EXPECT_TRUE(EvaluatorVect().evaluateAssignments(&m.solver));
}

TEST_F(Evaluators, StatisticsInputs)
{
    StatsManager& stats = m.solver._stats;
    stats.reserve(1);
    stats.getInputs(0).addEvaluator(m.write("x0"));
    stats.getInputs(0).addEvaluator(m.write("x0 2 *"));
    Evaluator* feed = node();
    feed->setStatistics(0);
    for (double x : {1.0, 2.0})
    {
        m.solver._x[0] = x;
        EXPECT_TRUE(feed->evaluateAssignment(cu));
    }
    EXPECT_EQ(stats[0].getCount(), 4u);
    EXPECT_EQ(stats[0].getMean(), 2.25); // 1, 2, 2, 4
    EXPECT_EQ(stats[0].getMax(), 4.0);
}

TEST_F(Evaluators, JacobianEntries)
{
    EvaluatorSparseMatrix jac;
    jac.setSolver(&m.solver);
    m.solver._x[0] = 2;
    jac.addEvaluator(0, 0, m.write("x0 2 *"));
    jac.addEvaluator(0, 1, m.write("3"));
    Evaluator empty;
    jac.addEvaluator(1, 1, &empty); // a structural zero
    Evaluator* ite = node();
    ite->setIfThenElse(m.write("x0 1 >"), run({{"7", 2}, {"8", 0}}), 2, run({{"9", 1}}), 1);
    jac.addIfThenEvaluator(1, ite);
    EXPECT_EQ(jac.getNoOfNonZeros(), 4u);
    Recorder rec;
    jac.evaluateAndInsertToSolver(&rec);
    const std::vector<std::tuple<int, int, Value>> expected = {
        {0, 0, Value(4)}, {0, 1, Value(3)}, {1, 2, Value(7)}, {1, 0, Value(8)}};
    EXPECT_EQ(rec.puts, expected);
}

TEST_F(Evaluators, JacobianValuesGoStraightToTheirPlaces)
{
    // Row 0: 2 x0 at column 0, 3 and 1 both at column 1 (summed); row 1:
    // 7 at column 2 and 8 at column 0 while x0 > 1, else 9 at column 1;
    // row 2: 5 at column 2. Each matrix times (1, 2, 3) by hand gives b.
    EvaluatorSparseMatrix jac;
    jac.setSolver(&m.solver);
    jac.addEvaluator(0, 0, m.write("x0 2 *"));
    jac.addEvaluator(0, 1, m.write("3"));
    jac.addEvaluator(0, 1, m.write("1"));
    Evaluator* ite = node();
    ite->setIfThenElse(m.write("x0 1 >"), run({{"7", 2}, {"8", 0}}), 2, run({{"9", 1}}), 1);
    jac.addIfThenEvaluator(1, ite);
    jac.addEvaluator(2, 2, m.write("5"));
#if SL_COMPLEX
    auto* pSolver = sparse::createCmplxSolver(3, 0, sparse::Symmetry::General, sparse::SolverType::LU,
                                              sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
#else
    auto* pSolver = sparse::createDblSolver(3, 0, sparse::Symmetry::General, sparse::SolverType::LU,
                                            sparse::Pivoting::Relaxed, sparse::Ordering::AMD);
#endif
    ASSERT_TRUE(jac.setPatternOf(pSolver));
    EXPECT_EQ(pSolver->nonZeros(), 6) << "both branches' places";
    // x0 = 2: [4 4 0; 8 0 7; 0 0 5]; x0 = 0.5: [1 4 0; 0 9 0; 0 0 5].
    const std::pair<double, std::vector<Value>> cases[] = {{2.0, {12, 29, 15}}, {0.5, {9, 18, 15}}};
    for (const auto& [x0, b] : cases)
    {
        m.solver._x[0] = x0;
        jac.evaluateIntoValues(pSolver);
        ASSERT_TRUE(pSolver->factoriseValues()) << x0;
        std::vector<Value> x(3);
        ASSERT_TRUE(pSolver->solve(b.data(), x.data()));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(std::abs(x[size_t(i)] - Value(i + 1)), 0, 1e-14) << x0 << " x" << i;
    }
    pSolver->release();
}

TEST_F(Evaluators, ConstantOnlyWithoutSymbolsOrBranches)
{
    auto constant = [&](std::initializer_list<Evaluator*> entries) {
        EvaluatorSparseMatrix jac;
        int col = 0;
        for (Evaluator* e : entries)
            jac.addEvaluator(0, col++, e);
        return jac.isConstant();
    };
    EXPECT_TRUE(constant({}));
    EXPECT_TRUE(constant({m.write("3"), m.write("2 3 *")}));
    EXPECT_FALSE(constant({m.write("3"), m.write("x0")}));
    EXPECT_FALSE(constant({m.write("p0 2 *")})); // parameters change between steps
    EXPECT_FALSE(constant({m.write("p0")}));
    Evaluator* ite = node();
    ite->setIfThenElse(m.write("1"), run({{"7", 0}}), 1, nullptr, 0);
    EXPECT_FALSE(ite->isConstant());
}

TEST_F(Evaluators, Limits)
{
    FnLimits& limits = m.solver._fnLimits;
    Token lower;
    lower.type = Token::Type::INTEGER;
    lower.value = 0;
    Token upper = lower;
    upper.value = 10;
    const unsigned id = limits.appendFnLimit(m.write("x0"), lower, upper, 3);
    EXPECT_EQ(id, 1u);
    limits.reserveDerivs(id, 1);
    limits.addDerivative(id, m.write("2 x1 *"), 0);
    m.solver._x[1] = 1.5;

    using D = FnLimit::Dynamic;
    const std::tuple<double, double, D, Value> steps[] = {
        {-3, 0, D::LowLow, 0}, {5, 5, D::LowIn, 3}, {12, 10, D::InHigh, 0}, {10, 10, D::HighHigh, 0}};
    for (const auto& [x, value, dynamic, derivative] : steps)
    {
        m.solver._x[0] = x;
        EXPECT_EQ(limits[id].evaluate(cu), dynamic) << x;
        Value out;
        limits.getValue(out, id, 0);
        EXPECT_EQ(out, Value(value)) << x;
        limits.getValue(out, id, 1);
        EXPECT_EQ(out, derivative) << x;
    }

    // A parameter bound is read at every evaluation.
    Token pMax;
    pMax.type = Token::Type::SYMBOL;
    pMax.index = 3 + 1;
    const unsigned second = limits.appendFnLimit(m.write("x0"), lower, pMax, 3);
    m.solver._x[0] = 5;
    m.solver._pParams[1] = 4;
    EXPECT_EQ(limits[second].evaluate(cu), D::LowHigh);
    EXPECT_EQ(limits[second].value, 4.0);
    m.solver._pParams[1] = 8; // against the new bound the old value lies inside
    EXPECT_EQ(limits[second].evaluate(cu), D::InIn);
    EXPECT_EQ(limits[second].value, 5.0);

    // The machine reads the limit through its packed argument.
    Token lim;
    lim.type = Token::Type::FUNCTION;
    lim.functionID = int(Token::Type::LIMIT);
    lim.value = LimitArg {second, 0}.pack();
    EXPECT_EQ(m.write(std::vector<Token> {lim})->evaluate(cu), Value(5));
}
} // namespace
} // namespace test

namespace test
{
namespace
{
TEST(LimitBounds, ParentSymbolsReadTheParentArray)
{
    Machine parent {1, 2};
    parent.solver._pParams[1] = 6; // parent symbol 2
    Machine sub {1, 0};
    sub.solver._parentSolver = &parent.solver;
    Token lower;
    lower.type = Token::Type::INTEGER;
    Token upper;
    upper.type = Token::Type::SYMBOL;
    upper.index = 2;
    upper.symbolOrigin = sc::SymbolOrigin::ParentModel;
    const unsigned id = sub.solver._fnLimits.appendFnLimit(sub.write("x0"), lower, upper, 1);
    sub.solver._x[0] = 9;
    CU cu(&sub.solver);
    sub.solver._fnLimits[id].evaluate(cu);
    EXPECT_EQ(sub.solver._fnLimits[id].value, 6.0);
}
} // namespace
} // namespace test
