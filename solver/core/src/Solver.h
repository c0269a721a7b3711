#pragma once
// The solver base: the one value array (variables first, then parameters)
// that the lexer, the stack machine and the assignments address, the names
// of its symbols, and the stores that a model compile fills (pools,
// generators, statistics, limit groups, error text).
#include <Build.h>
#include <ErrorStr.h>
#include <Evaluator.h>
#include <FnLimits.h>
#include <ExpressionPools.h>
#include <RndGenManager.h>
#include <SolutionLimits.h>
#include <StatsManager.h>
#include <cnt/FixNumSet.h>
#include <cnt/SafeFullVector.h>
#include <sc/ILog.h>
#include <sc/ISignal.h>
#include <sc/StringPool.h>
#include <sc/SymbolInfo.h>

#include <array>
#include <cstdint>
#include <vector>

namespace SL_NS
{
struct SolverData;

class Solver : public sc::ISignal
{
public:
    explicit Solver(sc::ILog* pLog = nullptr);
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;
    virtual ~Solver() = default;

    // nVars variables followed by nParams parameters, all zero.
    void setNumberOfSymbols(int nVars, int nParams);

    // The name of a symbol (variables first, then parameters); null when empty.
    const char* getSymbolName(int index) const;

    sc::ILog* getLogger() const { return _pLog; }
    void setLogger(sc::ILog* pLog) { _pLog = pLog; }

    // Counts the signal of a selected branch and passes it to the host.
    void handle(sc::ISignal::Type t) override;
    void setSignalHandler(sc::ISignal* pHandler) { _pSignalHandler = pHandler; }
    std::uint32_t getSignalCount(sc::ISignal::Type t) const { return _signalCounts[std::size_t(t)]; }

    // Stores value into symbol symbIndex with an assignment operator; the
    // assignment type chooses a part of a complex value (the whole for Parent).
    void setSymbolValue(const Value& value, int symbIndex, Evaluator::AssignmentType type, char op);

    // Points the solver data at this solver's stores.
    void initSolverData(SolverData& data);

    std::vector<Value> _values;
    Value* _x = nullptr;       // _values.data()
    Value* _pParams = nullptr; // _x + _nVars
    int _nVars = 0;
    int _nParams = 0;
    Solver* _parentSolver = nullptr; // null for a main model
    bool _conjVars = false;          // complex build: variable k at 2k, its conjugate at 2k + 1

    sc::StringPool _stringPool;
    ExpressionPools _pools;
    cnt::SafeFullVector<sc::_SI> _symbolInfo;
    RndGenManager _rndGens;
    StatsManager _stats;
    FnLimits _fnLimits;
    cnt::FixNumSet<int> _lastUsedVarsForLimits;
    SolutionLimits _limits;
    ErrorStr _errorStr;
    td::String _modelDesc;

protected:
    sc::ILog* _pLog;

private:
    std::array<std::uint32_t, 6> _signalCounts {};
    sc::ISignal* _pSignalHandler = nullptr;
};
} // namespace SL_NS
