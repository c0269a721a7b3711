#pragma once
// Transfer functions from text, and the system their state-space equations
// realise, solved at a point s0 of the Laplace variable: x_k' becomes
// s0 x_k, u = 1, and the output must equal N(s0) / D(s0), which the
// expression engine computes from the same text with s read as a parameter.
// Variables: y, u, then v2 .. v39 for the states; parameters a, b, T and sv
// (the value of s).
#include <CollectingLog.h>
#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/RPNParser.h>
#include <expr/SolverData.h>
#include <expr/TransferFunction.h>
#include <solvers/NRSolver.h>
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace test
{
using namespace SL_NS;

class TransferTest : public ::testing::Test
{
protected:
    CollectingLog log;
    NRSolver solver {&log};
    SolverData data;
    RPNParser parser {solver._stringPool.get(), &solver._initialValues};
    static constexpr int nVars = 40;
    static constexpr int iY = 0, iU = 1, firstState = 2;
    int a = 0, b = 0, T = 0, sv = 0; // parameter indices

    void SetUp() override
    {
        solver.initSolverData(data);
        parser.initSolverData(&data);
        parser.findOrAddSymbol("y", 1);
        parser.findOrAddSymbol("u", 1);
        for (int k = 2; k < nVars; ++k)
            parser.findOrAddSymbol(("v" + std::to_string(k)).c_str(), 1);
        parser._paramsFlag = true;
        a = parser.findOrAddSymbol("a", 1);
        b = parser.findOrAddSymbol("b", 1);
        T = parser.findOrAddSymbol("T", 1);
        sv = parser.findOrAddSymbol("sv", 1);
        solver.setNumberOfSymbols(parser._nVars, parser._nParams);
        parser._specialNames.insert(td::StrKey("s", 1), Token::Type::LAPLACE);
        log.setTranslationFn([](const char* key) { return td::String(key + 1); });
        data.logLine = 12;
        data.logColumn = 5;
        value(a) = 1.7;
        value(b) = 0.6;
        value(T) = 2;
    }

    Value& value(int symbol) { return solver._initialValues[std::size_t(symbol)]; }

    // The tree of text; with tf set, s is the Laplace variable.
    ExpTreeNode* parse(const std::string& text, bool tf)
    {
        parser._tfFlag = tf;
        ExpressionTree tree;
        tree.init(data, nVars);
        const bool built = parser.parse(text.c_str()) != 0 &&
                           tree.makeExpressionTree(&parser.getTokenList(), sc::ExpressionType::Plain);
        parser._tfFlag = false;
        EXPECT_TRUE(built) << text;
        return built ? tree.getRoot() : nullptr;
    }

    Value evaluate(ExpTreeNode* pRoot)
    {
        ExpressionTree holder;
        holder.init(data, nVars);
        holder.setTreeNode(pRoot);
        Evaluator* e = solver._pools->evaluators.getEntry();
        EXPECT_TRUE(holder.createPostFix(e));
        CU cu(&solver);
        return e->evaluate(cu);
    }

    // N(s0) / D(s0) from the text with s as the parameter sv.
    Value expected(const std::string& text, const Value& s0)
    {
        value(sv) = s0;
        return evaluate(parse(std::regex_replace(text, std::regex("\\bs\\b"), "sv"), false));
    }

    struct Realised
    {
        sTF tf;
        std::vector<ExpTreeNode*> out;
        bool ok = false;
    };

    // Form check, coefficients and state space, as the compiler runs them.
    Realised realise(const std::string& text, unsigned stride)
    {
        Realised r;
        r.tf.iY = iY;
        r.tf.iU = iU;
        r.tf.firstState = firstState;
        ExpressionTree tree;
        tree.init(data, nVars);
        const TransferFunction engine(tree, data);
        ExpTreeNode* pRoot = parse(text, true);
        Polynomial denom, nom;
        r.ok = pRoot && engine.getTFNomAndDenomOrdersAndTypes(pRoot, r.tf) &&
               engine.getTFCoefficients(pRoot, denom, nom, r.tf);
        // The compiler relies on this: once the form check passed, s stands
        // only in the powers, never in a coefficient.
        if (r.ok)
        {
            EXPECT_FALSE(holdsS(denom) || holdsS(nom)) << text;
        }
        r.ok = r.ok && engine.createStateSpace(r.out, denom, nom, r.tf, stride);
        return r;
    }

    static bool holdsS(const Polynomial& coeffs)
    {
        bool found = false;
        for (const ExpTreeNode* p : coeffs)
            forEachNode(p, [&found](const ExpTreeNode* q) { found = found || q->type() == Token::Type::LAPLACE; });
        return found;
    }

    // The symbols the realised system may read: its states (and y#div),
    // y, u and the parameters.
    static std::vector<int> unknowns(const sTF& tf, unsigned stride)
    {
        std::vector<int> z;
        const unsigned count = tf.states() + (tf.hasDiv() ? 1 : 0);
        for (unsigned k = 0; k < count; ++k)
            z.push_back(tf.firstState + int(k * (stride + 1)));
        z.push_back(tf.iY);
        return z;
    }

    // Symbols read by pRoot that are variables outside allowed.
    std::set<int> strangers(const ExpTreeNode* pRoot, const std::vector<int>& allowed) const
    {
        std::set<int> out;
        forEachNode(pRoot, [&](const ExpTreeNode* p) {
            const int i = p->pToken->index;
            if (p->type() == Token::Type::SYMBOL && i < nVars && i != iU &&
                std::find(allowed.begin(), allowed.end(), i) == allowed.end())
                out.insert(i);
        });
        return out;
    }

    // The output of the realised system at s0 with u = 1: the rows are
    // linear in the unknowns z and u, and their coefficients are read by
    // evaluating each row at unit vectors.
    Value responseAt(const Realised& r, unsigned stride, const Value& s0)
    {
        const std::vector<int> z = unknowns(r.tf, stride);
        const std::size_t size = z.size();
        EXPECT_EQ(r.out.size(), size);
        std::vector<std::vector<Value>> m(size, std::vector<Value>(size + 1));
        for (std::size_t row = 0; row < size; ++row)
        {
            for (int k = 0; k < nVars; ++k)
                value(k) = 0;
            const Value constant = evaluate(r.out[row]);
            EXPECT_EQ(constant, Value(0)) << "row " << row;
            value(iU) = 1;
            m[row][size] = -evaluate(r.out[row]); // the input's share moves to the right side
            value(iU) = 0;
            for (std::size_t j = 0; j < size; ++j)
            {
                value(z[j]) = 1;
                m[row][j] = evaluate(r.out[row]);
                value(z[j]) = 0;
            }
            if (row < r.tf.states()) // x' = f becomes s0 x - f = 0
            {
                for (Value& c : m[row])
                    c = -c;
                m[row][row] += s0;
            }
        }
        return solve(m)[size - 1];
    }

    // Gaussian elimination with partial pivoting on [A | b].
    static std::vector<Value> solve(std::vector<std::vector<Value>> m)
    {
        const std::size_t n = m.size();
        for (std::size_t c = 0; c < n; ++c)
        {
            std::size_t pivot = c;
            for (std::size_t r = c + 1; r < n; ++r)
                if (std::abs(m[r][c]) > std::abs(m[pivot][c]))
                    pivot = r;
            std::swap(m[c], m[pivot]);
            for (std::size_t r = c + 1; r < n; ++r)
            {
                const Value f = m[r][c] / m[c][c];
                for (std::size_t k = c; k <= n; ++k)
                    m[r][k] -= f * m[c][k];
            }
        }
        std::vector<Value> x(n);
        for (std::size_t r = n; r-- > 0;)
        {
            Value sum = m[r][n];
            for (std::size_t k = r + 1; k < n; ++k)
                sum -= m[r][k] * x[k];
            x[r] = sum / m[r][r];
        }
        return x;
    }

    std::vector<std::string> keys() const
    {
        std::vector<std::string> out;
        for (const auto& e : log.entries)
            out.push_back(e.text);
        return out;
    }
};
} // namespace test
