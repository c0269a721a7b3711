#pragma once
// The pools that compiled expressions live in. A solver owns one set: tokens,
// token lists and trees are taken from it while the model is compiled, and
// everything goes at once with the solver.
#include <expr/Evaluator.h>
#include <expr/ExpTreeNode.h>
#include <expr/ExpressionTree.h>
#include <expr/Instruction.h>
#include <expr/Token.h>
#include <cnt/ListSL.h>
#include <cnt/StackExt.h>
#include <mem/MemoryManager.h>
#include <mem/priv/Manager.h>

#include <cstddef>
#include <cstdint>

namespace SL_NS
{

struct ExpressionPools
{
    mem::Manager<TokenList::_tEntry, 65536> listEntries;
    mem::Manager<Token, 65536> tokens;
    // Trees: nodes, and the entries of the builder's stacks.
    mem::Manager<ExpTreeNode, 65536> nodes;
    mem::Manager<cnt::StackExt<ExpTreeNode*, 65536>::_tEntry, 65536> nodeStackEntries;
    mem::Manager<cnt::StackExt<_fnEntry, 1024>::_tEntry, 1024> fnEntries;
    mem::Manager<ExpressionTree, 4096> trees; // branches of conditional expressions
    std::size_t nodesTaken = 0;               // since the trees were last recycled
    // Evaluators and the lists of their programs, in runs.
    mem::MemoryManager<Evaluator> evaluators {1023};
    mem::MemoryManager<Value> values {8190};
    mem::MemoryManager<std::uint32_t> indices {16380};
    mem::MemoryManager<Instruction> instructions {4095};

    // Every tree, node and token goes (their chunks serve the next trees):
    // the trees' programs are written and nothing reads the trees again.
    void recycleTrees()
    {
        tokens.reset();
        nodes.reset();
        nodeStackEntries.reset();
        fnEntries.reset();
        trees.reset();
        nodesTaken = 0;
    }

    // The compile has ended: what it built its trees from goes back to the
    // heap; the programs stay.
    void releaseTrees()
    {
        listEntries.release();
        tokens.release();
        nodes.release();
        nodeStackEntries.release();
        fnEntries.release();
        trees.release();
        nodesTaken = 0;
    }
};
} // namespace SL_NS
