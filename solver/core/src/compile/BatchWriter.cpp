// The hand-over of full batches to the writer thread and the wait for them.
#include <compile/BatchWriter.h>
#include <expr/ExpressionPools.h>

#include <system_error>

namespace SL_NS
{
RPNDerivParser::BatchWriter* RPNDerivParser::writer()
{
    if (_pWriter)
        return _pWriter.get();
    try
    {
        _pWriter = std::make_unique<BatchWriter>(*_pSolverData);
    }
    catch (const std::system_error&)
    {
        // No thread to be had (a process at its limit): the compile goes on here.
        _writeOnThread = false;
    }
    return _pWriter.get();
}

bool RPNDerivParser::handOverBatch()
{
    if (!finishWriting())
        return false;
    if (!writer())
        return writePendingEquations();
    BatchWriter& w = *_pWriter;
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
