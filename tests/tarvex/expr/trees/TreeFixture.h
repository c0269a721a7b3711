#pragma once
// Text through the lexer and the tree builder into a program, with the
// machine to run it: variables x, y, z; parameters pmin, pmax; statistics
// s1, s2; generator g.
#include <expr/CU.h>
#include <CollectingLog.h>
#include <expr/Evaluator.h>
#include <expr/ExpressionTree.h>
#include <NearlyEqual.h>
#include <expr/OpTable.h>
#include <expr/RPNParser.h>
#include <expr/SolverData.h>
#include <solvers/NRSolver.h>
#include <gtest/gtest.h>
#include <math/RndGen.h>
#include <mem/StringMemoryManager.h>

#include <sstream>
#include <string>
#include <vector>

namespace test
{
using namespace SL_NS;

class TreeTest : public ::testing::Test
{
protected:
    CollectingLog log;
    NRSolver solver {&log};
    SolverData data;
    RPNParser parser {solver._stringPool.get(), &solver._initialValues};
    static constexpr int nVars = 3;
    mem::StringMemoryManager<td::StringExt, 65536> names;
    td::StringExt generatorName = names.makeString("g", 1);

    void SetUp() override
    {
        solver.initSolverData(data);
        parser.initSolverData(&data);
        for (const char* v : {"x", "y", "z"})
            parser.findOrAddSymbol(v, 1);
        parser._paramsFlag = true;
        for (const char* p : {"pmin", "pmax"})
            parser.findOrAddSymbol(p, 1);
        solver.setNumberOfSymbols(parser._nVars, parser._nParams);
        solver._stats.reserve(2);
        solver._stats.setName(0, td::String("s1"));
        solver._stats.setName(1, td::String("s2"));
        solver._rndGens.addGen(&generatorName, new rnd::Uniform(0.25, 0.25));
        // Keys print as their text with the arguments after it in brackets.
        log.setTranslationFn([](const char* key) { return td::String((std::string(key + 1) + " [@] [@]").c_str()); });
        data.logLine = 7;
        data.logColumn = 1;
        setValues(3, -2, 0.5, 1, 4);
    }

    void setValues(double x, double y, double z, double pmin, double pmax)
    {
        solver._x[0] = x;
        solver._x[1] = y;
        solver._x[2] = z;
        solver._pParams[0] = pmin;
        solver._pParams[1] = pmax;
    }

    // Lexes and builds; false when either fails.
    bool build(ExpressionTree& tree, const std::string& text, bool checkBrackets = true)
    {
        tree.init(data, nVars);
        Token::Type last;
        const bool lexed = checkBrackets ? parser.parse(text.c_str()) != 0
                                         : (parser.clearTokenList(), parser.createTokenList(text.c_str(), last));
        return lexed && tree.makeExpressionTree(&parser.getTokenList(), sc::ExpressionType::Plain);
    }

    // The program of text, or null.
    Evaluator* program(const std::string& text)
    {
        ExpressionTree tree;
        if (!build(tree, text))
            return nullptr;
        Evaluator* e = solver._pools->evaluators.getEntry();
        return tree.createPostFix(e) ? e : nullptr;
    }

    Value evaluate(const std::string& text)
    {
        Evaluator* e = program(text);
        EXPECT_NE(e, nullptr) << text << errors();
        if (!e)
            return Value(0);
        CU cu(&solver);
        return e->evaluate(cu);
    }

    // A program's instructions with every fused one split back into its
    // pushes and its operations.
    static std::vector<Instruction> plainInstructions(const Evaluator* e)
    {
        std::vector<Instruction> out;
        for (unsigned i = 0; i < e->getNoOfInstructions(); ++i)
        {
            const Instruction op = e->getInstructions()[i];
            if (instr::isFused(op))
                out.insert(out.end(), {instr::pushOf(op), instr::operationOf(op)});
            else if (instr::isProduct(op))
                out.insert(out.end(), {instr::leftPushOf(op), instr::rightPushOf(op), Instruction(Token::Type::MULT)});
            else if (instr::isProductArith(op))
            {
                const Instruction p = instr::productOf(op);
                out.insert(out.end(), {instr::leftPushOf(p), instr::rightPushOf(p), Instruction(Token::Type::MULT),
                                       instr::operationOf(op)});
            }
            else
                out.push_back(op);
        }
        return out;
    }

    // The instructions of a program, by name: symbols and constants as they
    // are pushed, operations by their text.
    std::string render(const Evaluator* e) const
    {
        std::string out;
        const Value* c = e->getConstants();
        const std::uint32_t* v = e->getVariableIndices();
        const std::uint32_t* p = e->getParameterIndices();
        for (const Instruction op : plainInstructions(e))
        {
            if (!out.empty())
                out += ' ';
            if (op == instr::PushF || op == instr::PushI)
            {
                std::ostringstream os;
                os << std::real(*c++);
                out += os.str();
            }
            else if (op == instr::PushVar)
                out += solver._stringPool->getNames()[*v++].c_str();
            else if (op == instr::PushParam)
                out += solver._stringPool->getNames()[*p++ + nVars].c_str();
            else if (op == instr::PushParentValue)
                out += "@" + std::to_string(*p++);
            else if (op == instr::PushShared)
                out += "$" + std::to_string(*p++);
            else
                out += opInfo(Token::Type(op)).text;
        }
        return out;
    }

    std::string errors() const
    {
        std::string out;
        for (const auto& e : log.entries)
            out += "\n  " + e.text + " at " + std::to_string(e.line) + ":" + std::to_string(e.column);
        return out;
    }
};
} // namespace test
