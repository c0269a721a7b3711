#pragma once
// The second stage of compiling a large model's equations on a thread of its
// own: while one batch's trees have their shared values found and their
// programs written there, the next batch's trees are built and
// differentiated on the compile's thread. The batches alternate between two
// sets of tree pools, and the writer takes the memory of its programs from
// a set of the solver's own, so that the two threads never share a pool;
// the batches are written in their order, so the programs are those of a
// compile on one thread.
#include <compile/DeferredLog.h>
#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>
#include <math/BackgroundTask.h>

#include <vector>

namespace SL_NS
{
struct RPNDerivParser::BatchWriter
{
    // The compile's data with the writer's log and pools, and no lexer.
    explicit BatchWriter(const SolverData& compileData)
        : data(compileData)
    {
        data.pLog = &log;
        data.pPools = compileData.pWriterPools;
        data.pLexedTokens = nullptr;
        data.pTokenColumns = nullptr;
        data.pBuildAt = nullptr;
    }

    SolverData data;
    DeferredLog log; // replayed into the model's log once the batch is waited for
    std::vector<Pending> pending;
    ExpressionPools* pTreePools = nullptr; // those of the batch's trees
    Position failedAt;
    math::BackgroundTask task; // last: it ends first
};
} // namespace SL_NS
