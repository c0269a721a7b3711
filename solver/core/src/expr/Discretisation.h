#pragma once
// The rewriting of one differential equation x' = f (or x = E(int(f))) into
// the residuals of one implicit time step: backward Euler, the trapezoid
// rule, or a Gauss-Legendre Runge-Kutta method whose stage values are extra
// unknowns. The model compiler hands over the symbols (history values,
// stage variables, step and time) and compiles the residuals it gets back.
#include <expr/Build.h>
#include <expr/ExpTreeNode.h>
#include <expr/Token.h>
#include <cnt/SafeFullVector.h>
#include <matrix/Butcher.h>
#include <sc/SymbolInfo.h>

#include <cstdint>
#include <vector>

namespace SL_NS
{
class ExpressionTree;

// Per variable of a time-discretised model: the parameter that holds its
// value at the previous time point and its first stage variable (negative:
// none, an algebraic variable).
struct _DAEVM
{
    std::int32_t historyParam = -1;
    std::int32_t iKPos = -1;
};

using DAEVarMap = cnt::SafeFullVector<_DAEVM>;

// The step description of one equation.
struct _timeVars
{
    int varIndex = -1;   // the variable whose equation is rewritten
    int stepSymbol = -1; // h
    int timeSymbol = -1; // t
};

class Discretisation
{
public:
    // nodes gives the pools (and the simplification switch) of the new
    // nodes; info tells the state variables (kind 3 or more).
    Discretisation(const ExpressionTree& nodes, const DAEVarMap& map, const cnt::SafeFullVector<sc::_SI>& info,
                   int nVars, const _timeVars& tv);

    // The int node of an integral form: found only as a factor of products
    // and in numerators, from the root down; null elsewhere.
    static ExpTreeNode* getIntNode(ExpTreeNode* pRoot);
    // No own-model variable and no symbol timeSymbol outside the subtree pIntNode.
    static bool isVariableIndependent(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode, int nVars, int timeSymbol);
    // x = E(int(f)) becomes x' = E(f): the int node is replaced by its argument.
    static ExpTreeNode* removeIntegration(ExpTreeNode* pRoot, const ExpTreeNode* pIntNode);
    static unsigned countFunctions(const TokenList& tokens, Token::Type function);

    // pRoot is E(int(f)) with pIntNode its int node, or f itself (pIntNode
    // null). The residual x_old + E(h f) - x.
    ExpTreeNode* expandDAEForEuler(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode) const;
    // x_old + E(h/2 (f(t - h, x_old) + f)) - x.
    ExpTreeNode* expandDAEForTrapezoid(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode) const;
    // s + 1 residuals over f_j = f(t - (1 - c_j) h, stage j values): for
    // stage i out[i + 1] = x_old + E(h sum a_ij f_j) - X_i, and the update
    // x_old + E(h sum b_j f_j) - x written through the stage values X_j
    // (see updateFromStages), which spares s more copies of f.
    void expandDAEForImplicitRK2(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode,
                                 const matrix::Butcher<3>& tableau, ExpTreeNode** out) const;

private:
    // A copy of f at an earlier point: t becomes t - lag h, and each state
    // variable its history value (stage < 0) or its stage value.
    ExpTreeNode* cloneAtPoint(const ExpTreeNode* pF, double lag, int stage) const;
    ExpTreeNode* cloneTreeForFirstIntegrationPoint(const ExpTreeNode* pF) const;
    ExpTreeNode* cloneTreeForMidIntegrationPoint2(const ExpTreeNode* pF, const matrix::Butcher<3>& tableau,
                                                  int stage) const;
    // A copy of pRoot whose subtree pIntNode is replaced by pReplacement
    // (linked, not copied); pReplacement itself without an int node.
    ExpTreeNode* cloneAndReplaceIntNode(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode,
                                        ExpTreeNode* pReplacement) const;
    // The update of a collocation method from its stage values:
    // x_old + sum d_j (X_j - x_old) - x with d = b^T A^-1.
    ExpTreeNode* updateFromStages(const matrix::Butcher<3>& tableau, int firstStage) const;
    // x_old + E(increment) - target.
    ExpTreeNode* residual(const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode, ExpTreeNode* pIncrement,
                          int targetSymbol) const;
    ExpTreeNode* symbol(int index) const;
    bool isState(const Token& t) const;
    int historySymbol(int var) const;

    const ExpressionTree& _nodes;
    const DAEVarMap& _map;
    const cnt::SafeFullVector<sc::_SI>& _info;
    int _nVars;
    _timeVars _tv;
};
} // namespace SL_NS
