#pragma once
// The model library's factories. The caller owns what a factory returns and
// frees it with release(). A problem kind without a solver, or an iteration
// limit above 65535, gives null after logging why (the logger may be null).
#include <sc/IModel.h>

namespace sc
{
IRealStaticModel* createRealStaticModel(IStatic::Problem problem, ILog* pLog, unsigned maxIter);
ICmplxStaticModel* createCmplxStaticModel(IStatic::Problem problem, ILog* pLog, unsigned maxIter);
IRealDynamicModel* createRealDynamicModel(IDynamic::Problem problem, ILog* pLog, unsigned maxIter);
} // namespace sc
