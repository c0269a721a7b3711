// The hand-over of full batches to the writer thread and the wait for them.
#include <compile/BatchWriter.h>
#include <expr/ExpressionPools.h>

namespace SL_NS
{
RPNDerivParser::BatchWriter& RPNDerivParser::writer()
{
    if (!_pWriter)
        _pWriter = std::make_unique<BatchWriter>(*_pSolverData);
    return *_pWriter;
}

bool RPNDerivParser::handOverBatch()
{
    if (!finishWriting())
        return false;
    BatchWriter& w = writer();
    w.pending.swap(_pending);
    for (const Pending& p : w.pending)
        p.pTree->reportTo(w.data);
    w.pTreePools = _pTreePools;
    _pTreePools = _pTreePools == _pSolverData->pPools ? _pSolverData->pWriterPools : _pSolverData->pPools;
    w.task.post([this, &w] { return writeBatch(w.pending, *w.pTreePools, w.failedAt); });
    return true;
}

bool RPNDerivParser::finishWriting()
{
    if (!_pWriter || !_pWriter->task.pending())
        return true;
    const bool written = _pWriter->task.wait();
    _pWriter->log.replayInto(_pSolverData->getLogger());
    if (!written)
        logAt("@SC.SymbolicJacobian", _pWriter->failedAt);
    return written;
}
} // namespace SL_NS
