#include <Solver.h>
#include <SolverData.h>
#include <mu/Assert.h>

namespace SL_NS
{
Solver::Solver(sc::ILog* pLog)
    : _pLog(pLog)
{
}

void Solver::setNumberOfSymbols(int nVars, int nParams)
{
    MU_ASSERT(nVars >= 0 && nParams >= 0);
    _values.assign(std::size_t(nVars) + std::size_t(nParams), Value {});
    _nVars = nVars;
    _nParams = nParams;
    _x = _values.data();
    _pParams = _x ? _x + nVars : nullptr;
}

const char* Solver::getSymbolName(int index) const
{
    MU_ASSERT_MSG(index >= 0, "index >= 0");
    MU_ASSERT_MSG(index < _nVars + _nParams, "index < _nVars + _nParams");
    const auto& names = _stringPool.getNames();
    if (std::uint32_t(index) >= names.size() || names[std::uint32_t(index)].isEmpty())
        return nullptr;
    return names[std::uint32_t(index)].c_str();
}

void Solver::handle(sc::ISignal::Type t)
{
    if (std::size_t(t) < _signalCounts.size())
        ++_signalCounts[std::size_t(t)];
    if (_pSignalHandler)
        _pSignalHandler->handle(t);
}

void Solver::initSolverData(SolverData& data)
{
    data.pSolver = this;
    data.pPools = &_pools;
    data.pSymbolInfo = &_symbolInfo;
    data.pSymbolValues = &_values;
    data.pStringPool = &_stringPool;
    data.pLimits = &_limits;
    data.pRndGens = &_rndGens;
    data.pStats = &_stats;
    data.pModelDesc = &_modelDesc;
    data.pErrorStr = &_errorStr;
    data.pFnLimits = &_fnLimits;
    data.pLastUsedVarsForLimits = &_lastUsedVarsForLimits;
    data.conjVars = _conjVars;
}
} // namespace SL_NS
