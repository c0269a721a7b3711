#pragma once
// A transfer function y / u = N(s) / D(s) of a dynamic model, with
// coefficients that may be expressions of parameters, turned into
// state-space equations: the form is checked (which also gives the orders
// that size the model's symbols), both sides are read as polynomials in s,
// the denominator is made monic, an improper fraction is divided, and the
// state and output equations are written over new state variables. Those
// equations are then discretised like any differential equation.
#include <expr/Build.h>
#include <expr/ExpTreeNode.h>
#include <expr/ExpressionTree.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace SL_NS
{
struct SolverData;

// What a side of the fraction is: badly formed, a single term (at most one
// factor holds s), a sum of terms, or a product of factors of which more
// than one holds s.
enum class TFType : std::uint8_t
{
    Bad = 0,
    Term = 1,
    Sum = 2,
    Mult = 3
};

// The degree in s and the kind of a subtree.
struct TFOrderAndType
{
    std::uint16_t order = 0;
    TFType type = TFType::Term;
    std::uint8_t spare = 0;

    bool isFree() const { return order == 0 && type == TFType::Term; }
};

// One transfer function. The compiler fills the symbols; the form check
// fills the orders and types.
struct sTF
{
    int iY = -1;         // the output, a variable
    int iU = -1;         // the input
    int firstState = -1; // X_1; X_k = firstState + (k - 1) * (stride + 1)
    int firstHistory = -1;
    std::uint16_t nomOrder = 0;   // m
    std::uint16_t denomOrder = 0; // n
    TFType nomType = TFType::Bad;
    TFType denomType = TFType::Bad;

    // An improper fraction (m > n >= 1) keeps its polynomial part in a
    // variable of its own (y#div), right after the states.
    bool hasDiv() const { return denomOrder > 0 && nomOrder > denomOrder; }
    unsigned states() const { return denomOrder == 0 ? nomOrder : std::max(nomOrder, denomOrder); }
    // The equations that follow the state rows: the output's, and with a
    // division the one that ties the first state of the polynomial part to u.
    unsigned algebraicRows() const { return hasDiv() ? 2 : 1; }
    // The last states, those of the polynomial part: u and its derivatives.
    unsigned derivativeStates() const { return denomOrder == 0 ? nomOrder : (hasDiv() ? nomOrder - denomOrder : 0); }
};

// Coefficients by power: entry k is the coefficient of s^k, null for 0.
using Polynomial = std::vector<ExpTreeNode*>;

class TransferFunction
{
public:
    // New nodes come from tree's pools and are merged under its
    // simplification switch; keys go to data's logger at its log position.
    TransferFunction(const ExpressionTree& tree, SolverData& data);

    // The order and kind of a subtree; TFType::Bad when it is no polynomial
    // in s that the state space can take.
    static TFOrderAndType colorWithLaplaceOperator(const ExpTreeNode* pNode);
    // Checks the form of the expression and fills the orders and types;
    // reports a badly formed one.
    bool getTFNomAndDenomOrdersAndTypes(const ExpTreeNode* pRoot, sTF& tf) const;
    // Reads both sides as polynomials of the orders the form check recorded
    // and makes the denominator monic (or 1). The coefficients are the
    // expression's own subtrees and merges of them.
    bool getTFCoefficients(ExpTreeNode* pRoot, Polynomial& denom, Polynomial& nom, const sTF& tf) const;
    // Divides every other coefficient by the denominator's leading one (or by
    // a constant denominator), which becomes 1. False when nothing divided.
    bool normalizeTFDenom(Polynomial& denom, Polynomial& nom) const;
    // N = (q_p s^p + ... + q_1 s) D + W for a monic D of order n < m:
    // quotient gets q_0 .. q_p (q_0 null), rest W's n + 1 coefficients.
    bool dividePolynomials(const Polynomial& nom, const Polynomial& denom, Polynomial& quotient,
                           Polynomial& rest) const;
    // False when the product exceeds the budget below.
    bool multPolynomials(const Polynomial& a, const Polynomial& b, Polynomial& product) const;
    // The state-space equations of the normalised fraction: first the right
    // sides of X_1' .. X_N' (N = tf.states()), then the algebraic residuals
    // (each to equal 0). False when a leading coefficient is zero.
    bool createStateSpace(std::vector<ExpTreeNode*>& out, const Polynomial& denom, const Polynomial& nom, const sTF& tf,
                          unsigned stride) const;

    // Products and divisions expand term by term: past this many term
    // products the reading fails instead of filling the pools.
    static constexpr std::uint32_t maxTermProducts = 1u << 20;

private:
    struct Side; // a subtree read as a polynomial
    bool readPolynomial(ExpTreeNode* pSide, Polynomial& coeffs) const;
    bool spend(std::size_t products) const;
    void report(const char* key) const;

    // Null-aware arithmetic on coefficients (null is 0): operands are
    // borrowed, since a coefficient stands in several places; a result that
    // folds to 0 is null.
    ExpTreeNode* add(ExpTreeNode* a, ExpTreeNode* b) const;
    ExpTreeNode* subtract(ExpTreeNode* a, ExpTreeNode* b) const;
    ExpTreeNode* multiply(ExpTreeNode* a, ExpTreeNode* b) const;
    ExpTreeNode* divide(ExpTreeNode* a, ExpTreeNode* b) const;
    ExpTreeNode* merge(ExpTreeNode* a, ExpTreeNode* b, ExpressionTree::BasicOperation op) const;
    ExpTreeNode* symbol(int index) const;

    // The proper part W / D (W of order n at most) on X_1 .. X_n: the state
    // rows into out[0 .. n - 1], and the output expression (null for 0).
    ExpTreeNode* realiseProper(std::vector<ExpTreeNode*>& out, const Polynomial& denom, const Polynomial& w, int input,
                               int firstState, int step) const;
    // The polynomial part p(s) u, p of order P >= 1 with its leading
    // coefficient, on the states Z_0 .. Z_(P-1) from firstState: Z_0 is tied
    // to u (the row out[firstRow + P] = u - Z_0), each state is the
    // derivative of the one before, and the last row gives the P-th
    // derivative of u from the value pOutput that p(s) u takes.
    void realisePolynomial(std::vector<ExpTreeNode*>& out, unsigned firstRow, const Polynomial& p, ExpTreeNode* pOutput,
                           int input, int firstState, int step) const;

    const ExpressionTree& _tree;
    SolverData& _data;
    mutable std::uint32_t _termProducts = 0;
};
} // namespace SL_NS
