#pragma once
// Writes postfix programs from a compact text, the way the tree writer
// will: "x0 2 * sin" (x<i> variable i, p<i> parameter i, @<i> parent symbol
// i, $<i> shared value i, numbers, nan, operators and function names; (a,b)
// complex constants).
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>
#include <solvers/NRSolver.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace test
{
using namespace SL_NS;

inline Token::Type typeNamed(const std::string& word)
{
    for (int t = int(Token::firstOperator); t <= int(Token::lastFunction); ++t)
    {
        const char* text = opInfo(Token::Type(t)).text;
        if (text && word == text)
            return Token::Type(t);
    }
    if (word == "atg2")
        return Token::Type::ATG2;
    return Token::Type::NONE;
}

inline std::vector<Token> tokensOf(const std::string& program, int nVars)
{
    std::vector<Token> tokens;
    std::istringstream in(program);
    std::string w;
    while (in >> w)
    {
        Token t;
        const bool symbol = (w[0] == 'x' || w[0] == 'p' || w[0] == '@') && w.size() > 1 &&
                            std::isdigit(static_cast<unsigned char>(w[1]));
        if (symbol)
        {
            t.type = Token::Type::SYMBOL;
            const int i = std::atoi(w.c_str() + 1);
            t.index = w[0] == 'p' ? nVars + i : i;
            if (w[0] == '@')
                t.symbolOrigin = sc::SymbolOrigin::ParentModel;
        }
        else if (w[0] == '$' && w.size() > 1)
        {
            t.type = Token::Type::SHARED_VALUE;
            t.index = std::atoi(w.c_str() + 1);
        }
        else if (w[0] == '(')
        {
            double re = 0, im = 0;
            std::sscanf(w.c_str(), "(%lf,%lf)", &re, &im);
#if SL_COMPLEX
            t.value = Value(re, im);
#else
            t.value = re;
#endif
            t.type = Token::Type::COMPLEX;
        }
        else if (w == "nan" || std::isdigit(static_cast<unsigned char>(w[0])) ||
                 (w.size() > 1 && w[0] == '-' && std::isdigit(static_cast<unsigned char>(w[1]))))
        {
            t.type = Token::Type::REAL;
            t.value = w == "nan" ? std::numeric_limits<double>::quiet_NaN() : std::strtod(w.c_str(), nullptr);
        }
        else
        {
            const Token::Type type = typeNamed(w); // NONE makes the program fail
            if (Token::isFunction(type))
            {
                t.type = Token::Type::FUNCTION;
                t.functionID = int(type);
            }
            else
                t.type = type;
        }
        tokens.push_back(t);
    }
    return tokens;
}

// A solver with nVars variables and nParams parameters and its data.
struct Machine
{
    NRSolver solver;
    SolverData data;

    Machine(int nVars, int nParams)
    {
        solver.setNumberOfSymbols(nVars, nParams);
        solver.initSolverData(data);
    }

    Evaluator* write(const std::vector<Token>& tokens)
    {
        unsigned nConsts = 0, nVarIdx = 0, nParIdx = 0, nInstr = 0;
        for (const Token& t : tokens)
        {
            ++nInstr;
            if (t.isNumeric())
                ++nConsts;
            else if (t.type == Token::Type::SHARED_VALUE)
                ++nParIdx;
            else if (t.type == Token::Type::SYMBOL)
                (t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index < solver._nVars ? nVarIdx : nParIdx)++;
            else if (opInfo(t.type == Token::Type::FUNCTION ? t.function() : t.type).pushesOwnValue)
            {
                ++nConsts;
                ++nInstr;
            }
        }
        Evaluator* e = data.pPools->evaluators.getEntry();
        e->alocateSpace(&data, nInstr, nConsts, nVarIdx, nParIdx);
        for (const Token& t : tokens)
            if (t.type == Token::Type::NONE || !e->addToken(&t, unsigned(solver._nVars)))
                return nullptr;
        return e->isBalanced() ? e : nullptr;
    }

    Evaluator* write(const std::string& program) { return write(tokensOf(program, solver._nVars)); }
};
} // namespace test
