#pragma once
// The solver base: implements every operation of the solver interface that
// is the same for all solver kinds. As a compile target it holds the
// workspace that programs run on (the value array the lexer, the stack
// machine and the assignments address, the names of the symbols) and what a
// model compile produces (evaluator groups, sub-model solvers); it also owns
// the pools, limit groups and error text of the compile.
#include <compile/CompileTarget.h>
#include <expr/Build.h>
#include <expr/ErrorStr.h>
#include <expr/ExpressionPools.h>
#include <expr/ProgramBatches.h>
#include <expr/SolutionLimits.h>
#include <cnt/FixNumSet.h>
#include <cnt/SafeFullVector.h>
#include <sc/ILog.h>
#include <sc/ISignal.h>
#include <sc/ISolver.h>
#include <sc/ModelLevel.h>
#include <sc/StringPool.h>
#include <sc/SymbolInfo.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace SL_NS
{
struct SolverData;
class RPNDerivParser;
class XmlModelReader;

class Solver : public sc::ISolver<Value>, public sc::ISignal, public CompileTarget
{
public:
    using Interface = sc::ISolver<Value>;
    // The repetitions of a model that sets no limit: a Repeats condition that
    // never fails must not keep the solve running for ever. Far more than a
    // sweep written as repetitions needs, and still a short run for a small
    // model.
    static constexpr unsigned defaultRepetitionLimit = 10000;
    // The threads of a solver whose model sets none.
    static unsigned defaultThreads();

    explicit Solver(sc::ILog* pLog = nullptr);
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;
    virtual ~Solver();

    // The interface operations that are the same for every kind.
    void setResultsInfo(_ri* pInfo) override;
    int getNumberVariables() override { return _nVars; }
    int getNumberParameters() override { return _nParams; }
    void getResults(Value* out) override;
    void getParams(Value* out) override;
    Value* getSymbolValuesPtr() override { return _x; }
    Value* getVariablesPtr() override { return _x; }
    Value* getParamsPtr() override { return _pParams; }
    const char* getSymbolName(int index) override { return symbolName(index); }
    const char* getParameterName(int index) override;
    const char* getVariableName(int index) override;
    int getVariableIndex(const char* name) override { return getSymbolIndex(name); }
    bool setVariableValue(int index, Value value) override;
    bool setVariableValue(const char* name, Value value) override;
    bool getVariableValue(int index, Value& value) override;
    bool getVariableValue(const char* name, Value& value) override;
    int getParamIndex(const char* name) override { return getSymbolIndex(name) - _nVars; }
    bool setParamValue(int index, Value value) override;
    bool setParamValue(const char* name, Value value) override;
    bool getSymbolValue(int index, Value& value) const override;
    bool getParamValue(int index, Value& value) override;
    bool getParamValue(const char* name, Value& value) override;
    sc::Solution getSolutionStatus() const override { return _status; }
    const char* getSolutionStatusStr() const override { return sc::getSolutionStatusText(_status); }
    double getIntegrationStepSize() const override { return 0.0; }
    void setIntegrationStepSize(double) override {}
    void setOptions(const sc::so&) override {}
    const char* getDerivationStr(int, int&, int&) override { return nullptr; }
    int getNumberOfDerivations() override { return 0; }
    td::String getLastErrorStr() const override;
    int getNumberOfModels() const override { return 1; }
    const td::StringExt& getModelName(unsigned) const override { return _modelName; }
    void setSignalHandler(sc::ISignal* pHandler) override { _pSignalHandler = pHandler; }
    void setDerivTestMode() override { _derivTestMode = true; }
    void setConsumer(sc::ISolutionBuffer* pConsumer) override { _pConsumer = pConsumer; }
    void setReportResultsPerNRIteration(sc::ReportRate rate) override { _reportRate = rate; }
    sc::ReportRate getReportResultsPerNRIteration() override { return _reportRate; }
    bool requiresConjugateVars() const override { return _conjVars; }
    void setLogInfo(bool info, bool details, bool third) override;
    sc::ITime* getITime() override { return nullptr; }
    int getNoOfOutSymbols() const override;
    bool getOutSymbols(cnt::SafeFullVector<unsigned int>& indices) const override;
    const math::StatsManager<double>* getStatsManager() const override { return &_stats; }
    cnt::SafeFullVector<td::String> getFunctionNames() const override;
    cnt::SafeFullVector<td::String> getLogicOperators() const override;
    const cnt::SafeFullVector<sc::_SI>& getSymbolInfo() const override { return _symbolInfo; }
    const cnt::SafeFullVector<sc::_SI>* getSymbolInfoPtr() const override { return &_symbolInfo; }
    sc::ILog* getLogger() override { return _pLog; }
    void setLogger(sc::ILog* pLog) override { _pLog = pLog; }
    void addLog(const sc::ILog::LE& entry, sc::ILog::Type type) override;
    sc::SolverType getType() const override { return _attribs.type; }
    const sc::SolverAttribs* getAttribs() const override { return &_attribs; }
    // Negative: no limit of the caller's, the default limit holds.
    void setMaxRepetitions(int maxRepetitions) override;
    void setMaxThreads(unsigned nThreads) override;
    unsigned getThreadCount() const override { return _threads; }
    void setOutFilter(sc::OutFilter filter) override { _outFilter = filter; }
    void release() override { delete this; }

    virtual int getNumberOfStateSpaceVariables() const { return 0; }
    // Counts the signal of a selected branch and passes it to the host.
    void handle(sc::ISignal::Type t) override;

    sc::ILog* getLogger() const { return _pLog; }
    int getSymbolIndex(const char* name) const;
    std::uint32_t getSignalCount(sc::ISignal::Type t) const { return _signalCounts[std::size_t(t)]; }
    void translateAndAddLog(const char* key, sc::ILog::Type type = sc::ILog::Type::Error) const;
    // Computes the shared values at the present point; before the programs
    // that read them.
    void evaluateShared();
    // Batched evaluation of the model's lists (on by default), or every
    // program on the per-token machine: the values agree either way.
    virtual void setBatchedEvaluation(bool on);
    // Points the solver data at this solver's stores.
    void initSolverData(SolverData& data);
    void setEmbeddedParam(sc::EmbeddedParam which, double value);
    Interface* createSolver(sc::ILog* pLog, std::uint8_t modelType, unsigned maxIter, double precision,
                            unsigned short line) override;
    bool compileChild(Interface* pChild, const ChildCompile& compile) override;

    std::unique_ptr<ExpressionPools> _pools;
    // The compile's writer thread writes its programs here; made for a
    // compile that may use that thread.
    std::unique_ptr<ExpressionPools> _writerPools;
    cnt::SafeFullVector<sc::_SI> _symbolInfo;
    SolutionLimits _limits;
    cnt::FixNumSet<int> _lastUsedVarsForLimits;
    ErrorStr _errorStr;
    td::String _modelDesc;
    td::StringExt _modelName;

    int _indexOfTParam = -1;
    int _indexOfDeltaTParam = -1;
    unsigned short _modelLine = 0;

protected:
    // Drops every product of an earlier model read, so a solver can read again.
    virtual void clearModel();
    // Compiles one level of a model text into this solver, with the
    // attributes around it; a solver may read a model again.
    bool readModel(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, sc::ModelLevel level);
    // The compiler's entry for this kind of model.
    virtual bool compile(RPNDerivParser& parser, const sc::Naming* pNaming, const sc::TokenizedModel* pModel,
                         SolverData& data, sc::ModelLevel level) = 0;
    // An XML model, from the file or the text that the source type says.
    bool readModel(const td::String& model);
    // The XML reader's entry for this kind of model.
    virtual bool compileXml(XmlModelReader& parser, const td::String& model, SolverData& data) = 0;
    // What the compile left in its data: the time indices and the model's
    // precision.
    virtual void takeCompiledModel(const SolverData& data);
    // Splits the large passes among the threads of the setting and keeps a
    // pool of them while some pass is split.
    void splitPasses();
    // Splits each batched list of the solver among nThreads threads; true
    // when some list is large enough to be split.
    virtual bool splitLists(unsigned nThreads);
    // A child model of an XML Init section read into this solver, made by its
    // parent; false for a kind that reads no such model.
    virtual bool compileModel(const ChildCompile&) { return false; }
    // simplify and pivot of the model line into the compiler's data.
    void readModelFlags(SolverData& data, const sc::TokenizedModel* pModel, sc::ModelLevel level);
    bool loadModelAttribs(const sc::TokenizedModel* pModel, sc::ModelLevel level);
    void readCommonModelAttribs(const sc::TokenizedModel* pModel, sc::ModelLevel level);
    void evaluatePreProcEquations() { runGroup(_preProc); }
    void evaluatePostProcEquations() { runGroup(_postProc); }
    void evalIterationProcGroup() { runGroup(_iterPostP); }
    void evalBaseCaseProcGroup() { runGroup(_basePostP); }
    bool evaluateReInitAssignments() { return !_reInit.size() ? false : !_reInit.evaluateAssignments(this); }
    bool evalueateRepeats() { return !_repeats.size() ? false : !_repeats.evaluateAssignments(this); }
    void copyInitialBackupedValues();
    void backupInitialValues();
    void clearSignalCounters() { _signalCounts.fill(0); }
    bool anySignal() const;
    // Runs the enabled limit groups with this solver as the branch observer;
    // true when one of them raised a signal (a variable was moved).
    bool limitGroupsSignal();
    void runGroup(EvaluatorVect& group);
    void writeResultParams();
    // Whether repetition r (the first solve is 0) may follow once the
    // Repeats group asked for it: within the limit of setMaxRepetitions, or
    // without one within the default limit, which warns when it ends them.
    bool repetitionAllowed(unsigned r) const;

    sc::ILog* _pLog;
    _ri* _pResults = nullptr;
    sc::ISolutionBuffer* _pConsumer = nullptr;
    sc::ISignal* _pSignalHandler = nullptr;
    cnt::SafeFullVector<Value> _backup;
    double _precision = 1e-6;
    double _obtainedPrecision;
    std::array<std::uint32_t, 6> _signalCounts {};
    unsigned _successfulRepetitions = 0;
    unsigned _totalIterations = 0;
    unsigned _passIterations = 0;
    int _maxRepetitions = -1;
    unsigned short _maxIterations = 100;
    sc::SourceType _sourceType = sc::SourceType::File;
    sc::SolverAttribs _attribs;
    bool _logInfo[3] = {false, false, false};
    bool _reInitOn = false;
    sc::Solution _status = sc::Solution::OK;
    sc::OutFilter _outFilter = sc::OutFilter::Off;
    sc::ReportRate _reportRate = sc::ReportRate::None;
    bool _iterPostPAlwaysOn = false;
    bool _basePostPAlwaysOn = false;
    bool _modelRead = false; // a model was read successfully
    bool _batchedEvaluation = true;
    // The count in force: the model text's, else the host's (or the default).
    unsigned _threads = defaultThreads();
    unsigned _hostThreads = _threads;
    BatchedPrograms _sharedBatches;
};
} // namespace SL_NS
