// Conditional equations: per branch, one derivative program per variable,
// put into the Jacobian for the branch the condition selects. Checked on
// every side of the conditions against differences of the equation itself.
#include <DerivativeFixture.h>

namespace test
{
namespace
{
class ConditionalDerivatives : public DerivativeTest
{
protected:
    void SetUp() override
    {
        DerivativeTest::SetUp();
        useAllVariables();
    }

    // What a Jacobian fill puts for the equation at p, against differences
    // of the equation's own evaluator (a variable the branch does not
    // depend on gets no entry: its difference is 0).
    void expectJacobianRow(const char* what, const Evaluator* pF, const Evaluator* pDeriv, const Point& p)
    {
        std::copy(p.begin(), p.end(), solver._initialValues.begin());
        CU cu(&solver);
        Recorder rec;
        if (pDeriv->getType() == Evaluator::Type::Switch)
            pDeriv->addSwitchTripletsToSolver(cu, rec.target(), 0);
        else
            pDeriv->addTripletsToSolver(cu, rec.target(), 0);
        for (int var = 0; var < nVars; ++var)
        {
            const auto it = rec.columns.find(var);
            const Value got = it == rec.columns.end() ? Value(0) : it->second;
            const Value reference = centralDifference(pF, p, var, 1.0);
            EXPECT_TRUE(agree(got, reference))
                << what << " d/d" << varNames[var] << " at " << text(p) << ": " << got << ", difference " << reference;
        }
    }

    Evaluator* write(ExpressionTree* pTree)
    {
        Evaluator* e = solver._pools->evaluators.getEntry();
        EXPECT_TRUE(pTree->createPostFix(e)) << errors();
        return e;
    }
};

const Point sides[] = {
    {1.5, 0.5, 0.7, 1, 4}, {0.5, 0.5, 0.7, 1, 4}, {1.5, 2.5, 0.7, 1, 4}, {0.5, 2.5, 0.7, 1, 4}, {-0.5, 1.5, 0.3, 1, 4}};

TEST_F(ConditionalDerivatives, IfThenElseOnBothSides)
{
    // if x > 1 then x*y + sin(z) else x^3 - y
    ExpressionTree* ite =
        conditional(ExpressionTree::Kind::IfThenElse, branch("x > 1"), branch("x*y + sin(z)"), branch("x^3 - y"));
    Evaluator* pF = write(ite);
    Evaluator* pDeriv = solver._pools->evaluators.getEntry();
    ASSERT_TRUE(ite->createIfThenDerivative2(pDeriv)) << errors();
    EXPECT_EQ(pDeriv->getNoOfThenEvaluators(), 3u);
    EXPECT_EQ(pDeriv->getNoOfElseEvaluators(), 2u);
    for (const Point& p : sides)
        expectJacobianRow("if-then-else", pF, pDeriv, p);
}

TEST_F(ConditionalDerivatives, NestedBranchesAndAMissingElse)
{
    // if x > 1 then (if y < 1 then x*x else z*y) else (if y > 2 then exp(x) else y - z)
    ExpressionTree* pThen =
        conditional(ExpressionTree::Kind::IfThenElse, branch("y < 1"), branch("x*x"), branch("z*y"));
    ExpressionTree* pElse =
        conditional(ExpressionTree::Kind::IfThenElse, branch("y > 2"), branch("exp(x)"), branch("y - z"));
    ExpressionTree* ite = conditional(ExpressionTree::Kind::IfThenElse, branch("x > 1"), pThen, pElse);
    Evaluator* pF = write(ite);
    Evaluator* pDeriv = solver._pools->evaluators.getEntry();
    ASSERT_TRUE(ite->createIfThenDerivative2(pDeriv)) << errors();
    for (const Point& p : sides)
        expectJacobianRow("nested", pF, pDeriv, p);

    ExpressionTree* noElse = conditional(ExpressionTree::Kind::IfThenElse, branch("x > 1"), branch("x*z"), nullptr);
    pF = write(noElse);
    pDeriv = solver._pools->evaluators.getEntry();
    ASSERT_TRUE(noElse->createIfThenDerivative2(pDeriv)) << errors();
    for (const Point& p : sides)
        expectJacobianRow("without else", pF, pDeriv, p);
}

TEST_F(ConditionalDerivatives, SwitchOnEveryCase)
{
    // x < 0: x*x*y; x < 1: y*sin(x); default: z*x + y
    ExpressionTree* pDefault = conditional(ExpressionTree::Kind::SwitchCase, nullptr, branch("z*x + y"), nullptr);
    ExpressionTree* pSecond =
        conditional(ExpressionTree::Kind::SwitchCase, branch("x < 1"), branch("y*sin(x)"), pDefault);
    ExpressionTree* pFirst = conditional(ExpressionTree::Kind::SwitchCase, branch("x < 0"), branch("x*x*y"), pSecond);
    Evaluator* pF = write(pFirst);
    Evaluator* pDeriv = solver._pools->evaluators.getEntry();
    ASSERT_TRUE(pFirst->createSwitchDerivative2(pDeriv, pF)) << errors();
    EXPECT_EQ(pDeriv->getNoOfNonZeros(), 3u); // the default case's three variables
    for (const Point& p : sides)
        expectJacobianRow("switch", pF, pDeriv, p);
}
} // namespace
} // namespace test
