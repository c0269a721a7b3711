#pragma once
// A parser bound to a solver with a few symbols, and a readable form of the
// token lists it produces.
#include <CollectingLog.h>
#include <expr/OpTable.h>
#include <expr/RPNParser.h>
#include <expr/SolverData.h>
#include <solvers/NRSolver.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace test
{
using namespace SL_NS;

class LexerTest : public ::testing::Test
{
protected:
    CollectingLog log;
    NRSolver solver {&log};
    SolverData data;
    RPNParser parser {solver._stringPool.get(), &solver._initialValues};

    void SetUp() override
    {
        solver.initSolverData(data);
        parser.initSolverData(&data);
    }

    // Variables first, then parameters, as the model compiler declares them.
    void declare(std::initializer_list<const char*> vars, std::initializer_list<const char*> params)
    {
        for (const char* v : vars)
            parser.findOrAddSymbol(v, 1);
        parser._paramsFlag = true;
        for (const char* p : params)
            parser.findOrAddSymbol(p, 1);
        parser._paramsFlag = false;
        solver.setNumberOfSymbols(parser._nVars, parser._nParams);
    }

    static std::string number(const Value& v)
    {
        std::ostringstream os;
#if SL_COMPLEX
        if (v.imag() != 0)
        {
            os << "(" << v.real() << "," << v.imag() << ")";
            return os.str();
        }
        os << v.real();
#else
        os << v;
#endif
        return os.str();
    }

    // Tokens separated by spaces: symbols by name (index -1 as "?"), parent
    // symbols with "@", numbers by value, functions and operators by name.
    std::string render()
    {
        std::string out;
        for (const Token& t : parser.getTokenList())
        {
            if (!out.empty())
                out += ' ';
            using T = Token::Type;
            if (t.type == T::SYMBOL)
            {
                if (t.symbolOrigin == sc::SymbolOrigin::ParentModel)
                    out += "@" + std::to_string(t.index);
                else if (t.index < 0)
                    out += "?";
                else
                    out += solver._stringPool->getNames()[std::uint32_t(t.index)].c_str();
            }
            else if (t.isNumeric())
                out += number(t.value);
            else if (t.type == T::FUNCTION)
                out += opInfo(t.function()).text;
            else if (Token::isOperator(t.type))
                out += opInfo(t.type).text;
            else if (t.type == T::OPEN_PARENTHESIS)
                out += "(";
            else if (t.type == T::CLOSE_PARENTHESIS)
                out += ")";
            else if (t.type == T::COMMA)
                out += ",";
            else
                out += "<" + std::to_string(int(t.type)) + ":" + std::to_string(t.index) + ">";
        }
        return out;
    }

    std::vector<Token> lexedTokens()
    {
        std::vector<Token> tokens;
        for (const Token& t : parser.getTokenList())
            tokens.push_back(t);
        return tokens;
    }

    std::string errorText() const { return solver._errorStr.toString().c_str(); }
};
} // namespace test
