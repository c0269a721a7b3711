#include <compile/CompileTarget.h>

namespace SL_NS
{
void CompileTarget::copyParamsFromParent()
{
    if (!_parentSolver || _nCopiedParams == 0)
        return;
    for (unsigned i = 0;
         i < _nCopiedParams && int(_firstCopiedParam + i) < _nParams && int(i) < _parentSolver->_nParams; ++i)
        _pParams[_firstCopiedParam + i] = _parentSolver->_pParams[i];
}
} // namespace SL_NS
