// The state-space form of a transfer function with a monic denominator
// D = s^n + a_(n-1) s^(n-1) + ... + a_0 and a numerator N of order m.
//
// Proper (m <= n, n >= 1), the controllable canonical form: x_k' = x_(k+1),
// x_n' = u - a_0 x_1 - ... - a_(n-1) x_n, so that x_1 = u / D and
// x_(k+1) = s^k x_1; the output y = d u + c_0 x_1 + ... + c_(n-1) x_n with
// the direct term d = b_n and c_k = b_k - a_k d gives y = N u / D.
//
// A polynomial p(s) u (a constant denominator, or the quotient of an
// improper fraction) cannot be integrated: its states are u and its
// derivatives, z_0 = u and z_j' = z_(j+1), and the last row solves
// p(s) u = sum_j p_j z_j + p_P z_(P-1)' for the highest derivative.
//
// Improper (m > n >= 1): N = Q D + W with Q = q_p s^p + ... + q_1 s and W of
// order n; y = (W / D) u + y#div with y#div = Q(s) u.
#include <expr/ExpressionTree.h>
#include <expr/TransferFunction.h>

namespace SL_NS
{
namespace
{
bool isOne(const ExpTreeNode* p) { return p && p->isNumeric() && p->pToken->value == Value(1); }
} // namespace

bool TransferFunction::normalizeTFDenom(Polynomial& denom, Polynomial& nom) const
{
    ExpTreeNode* pLead = denom.back();
    if (!pLead || isOne(pLead))
        return false;
    for (std::size_t k = 0; k + 1 < denom.size(); ++k)
        denom[k] = divide(denom[k], pLead);
    for (ExpTreeNode*& b : nom)
        b = divide(b, pLead);
    denom.back() = _tree.createConstant(1);
    return true;
}

bool TransferFunction::dividePolynomials(const Polynomial& nom, const Polynomial& denom, Polynomial& quotient,
                                         Polynomial& rest) const
{
    const std::size_t n = denom.size() - 1, m = nom.size() - 1;
    rest = nom;
    quotient.assign(m - n + 1, nullptr);
    for (std::size_t i = m; i > n; --i)
    {
        ExpTreeNode* q = rest[i];
        quotient[i - n] = q;
        if (!q) // this power is absent: nothing to take away
            continue;
        if (!spend(n))
            return false;
        for (std::size_t j = 0; j < n; ++j)
            rest[i - n + j] = subtract(rest[i - n + j], multiply(denom[j], q));
        rest[i] = nullptr;
    }
    rest.resize(n + 1);
    return true;
}

ExpTreeNode* TransferFunction::realiseProper(std::vector<ExpTreeNode*>& out, const Polynomial& denom,
                                             const Polynomial& w, int input, int firstState, int step) const
{
    const std::size_t n = denom.size() - 1;
    auto state = [&](std::size_t k) { return symbol(firstState + int(k) * step); };
    for (std::size_t k = 0; k + 1 < n; ++k)
        out[k] = state(k + 1);
    ExpTreeNode* pLast = symbol(input);
    for (std::size_t k = 0; k < n; ++k)
        if (denom[k])
            pLast = subtract(pLast, multiply(denom[k], state(k)));
    out[n - 1] = pLast;
    ExpTreeNode* d = n < w.size() ? w[n] : nullptr;
    ExpTreeNode* pOutput = multiply(d, symbol(input));
    for (std::size_t k = 0; k < n; ++k)
    {
        ExpTreeNode* c = subtract(k < w.size() ? w[k] : nullptr, multiply(denom[k], d));
        if (c)
            pOutput = add(pOutput, multiply(c, state(k)));
    }
    return pOutput;
}

void TransferFunction::realisePolynomial(std::vector<ExpTreeNode*>& out, unsigned firstRow, const Polynomial& p,
                                         ExpTreeNode* pOutput, int input, int firstState, int step) const
{
    const std::size_t order = p.size() - 1;
    auto state = [&](std::size_t j) { return symbol(firstState + int(j) * step); };
    for (std::size_t j = 0; j + 1 < order; ++j)
        out[firstRow + j] = state(j + 1);
    ExpTreeNode* pRest = pOutput;
    for (std::size_t j = order; j-- > 0;)
        if (p[j])
            pRest = subtract(pRest, multiply(p[j], state(j)));
    out[firstRow + order - 1] = divide(pRest, p[order]);
    out[firstRow + order] = subtract(symbol(input), state(0));
}

bool TransferFunction::createStateSpace(std::vector<ExpTreeNode*>& out, const Polynomial& denom, const Polynomial& nom,
                                        const sTF& tf, unsigned stride) const
{
    // The state space needs the orders it was sized for, both leading
    // coefficients, and a normalised denominator.
    if (nom.size() != tf.nomOrder + 1u || denom.size() != tf.denomOrder + 1u || tf.states() == 0 || !nom.back() ||
        !isOne(denom.back()))
        return false;
    _termProducts = 0;
    const int step = int(stride) + 1;
    const std::size_t n = tf.denomOrder, m = tf.nomOrder;
    out.assign(tf.states() + tf.algebraicRows(), nullptr);
    if (n == 0)
        realisePolynomial(out, 0, nom, symbol(tf.iY), tf.iU, tf.firstState, step);
    else if (m <= n)
        out[n] = subtract(realiseProper(out, denom, nom, tf.iU, tf.firstState, step), symbol(tf.iY));
    else
    {
        Polynomial quotient, rest;
        if (!dividePolynomials(nom, denom, quotient, rest))
            return false;
        ExpTreeNode* pOutputW = realiseProper(out, denom, rest, tf.iU, tf.firstState, step);
        const int divSymbol = tf.firstState + int(m) * step;
        realisePolynomial(out, unsigned(n), quotient, symbol(divSymbol), tf.iU, tf.firstState + int(n) * step, step);
        out[m + 1] = subtract(add(symbol(divSymbol), pOutputW), symbol(tf.iY));
    }
    // A row that folded to 0 is the constant 0.
    for (ExpTreeNode*& p : out)
        if (!p)
            p = _tree.createConstant(0);
    return true;
}
} // namespace SL_NS
