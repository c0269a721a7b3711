#pragma once
// What compiled programs read and write while they run: the one value array
// (variables, then parameters, then the ten result parameters) with the
// names of its symbols, the parent model's workspace, the shared values,
// the statistics, the random generators and the function limits. A solver
// is a workspace; the stack machine copies the plain pointers it reads when
// it is made, so a program reaches its values as directly as before.
#include <expr/Build.h>
#include <expr/Evaluator.h>
#include <expr/FnLimits.h>
#include <expr/RndGenManager.h>
#include <expr/StatsManager.h>
#include <math/WorkerPool.h>
#include <sc/StringPool.h>

#include <memory>
#include <vector>

namespace SL_NS
{
class Workspace
{
public:
    Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    ~Workspace() = default;

    // Room for nVars variables, nParams parameters and the ten result
    // parameters, all zero.
    void allocInitialValues(int nVars, int nParams);
    // Sizes the value array without a model (tests, hosts that build their
    // programs by hand).
    void setNumberOfSymbols(int nVars, int nParams);
    // The name of a variable or parameter; null for one without a name.
    const char* symbolName(int index) const;
    // Stores value into symbol symbIndex with an assignment operator; the
    // assignment type chooses a part of a complex value (the whole for Parent).
    void setSymbolValue(const Value& value, int symbIndex, Evaluator::AssignmentType type, char op);

    std::unique_ptr<sc::StringPool> _stringPool = std::make_unique<sc::StringPool>();
    std::vector<Value> _initialValues;
    Value* _x = nullptr;       // the variables, _initialValues.data()
    Value* _pParams = nullptr; // _x + _nVars
    int _nVars = 0;
    int _nParams = 0;
    Workspace* _parentSolver = nullptr; // the parent model's solver; null for a main model
    bool _conjVars = false;             // complex build: variable k at 2k, its conjugate at 2k + 1
    // Values that several programs of an equation read (a sine of an angle
    // difference, say), computed once per evaluation pass.
    std::vector<Value> _sharedValues;
    RndGenManager _rndGens;
    StatsManager _stats;
    FnLimits _fnLimits;
    // The threads of large evaluation passes; null while every pass runs on
    // the calling thread.
    std::unique_ptr<math::WorkerPool> _workers;
};
} // namespace SL_NS
