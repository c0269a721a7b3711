#pragma once
// The one interface through which model objects and parent models drive a
// solver, for T = double or std::complex<double>. Objects come from the
// factories of <sc/SolverFactory.h> and are destroyed by release() only.
#include <cnt/SafeFullVector.h>
#include <sc/ILog.h>
#include <sc/ISignal.h>
#include <sc/ISolutionBuffer.h>
#include <sc/Solution.h>
#include <sc/SymbolInfo.h>
#include <td/String.h>

#include <cstddef>
#include <cstdint>

namespace math
{
template <typename T>
class StatsManager;

// Integration methods of the time solvers.
enum class IntMethod : std::uint8_t
{
    Euler = 0,
    Trapezoid,
    GaussLegendre2,
    GaussLegendre3
};
} // namespace math

namespace sc
{
class Naming;
class TokenizedModel;

// Solution options; no solver reads them.
struct so
{
    std::uint32_t reserved = 0;
};

// The second interface of the time solvers.
class ITime
{
public:
    virtual void setTimeMethod(math::IntMethod method) = 0;
    virtual void setTimes(double t, double dT) = 0;

protected:
    ~ITime() = default;
};

// What a solver tells its reader about the model it read, one byte each.
struct SolverAttribs
{
    std::uint8_t subModelInit = 0; // 0 main model, 1 sub-model from the main model, 2 with initMain off
    SolverType type = SolverType::None;
    std::uint8_t alwaysOn = 0;
    std::uint8_t pivot = 0;
    std::uint8_t valuesChanged = 0;
    std::uint8_t subModelsPending = 1;
};

template <typename T>
class ISolver
{
public:
    // The results record, owned by the caller: the solver writes its state
    // into it while it runs.
    struct _ri
    {
        T* pValues = nullptr;
        const cnt::SafeFullVector<_SI>* pSymbolInfo = nullptr;
        cnt::SafeFullVector<unsigned int> outSymbols;
        double precision = 0;
        double norm = 0;
        double time = 0;
        const td::String* pLimitGroup = nullptr;
        unsigned int nVars = 0;
        unsigned int repetition = 0;
        unsigned int totalIterations = 0;
        unsigned short pass = 0;
        unsigned short iteration = 0;
        SolverType solverType = SolverType::None;
        Solution status = Solution::OK;
        ReportRate reportRate = ReportRate::None;
    };

    virtual void setResultsInfo(_ri* pInfo) = 0;
    virtual int getNumberVariables() = 0;
    virtual int getNumberParameters() = 0;
    virtual void getResults(T* out) = 0;
    virtual void getParams(T* out) = 0;
    virtual T* getSymbolValuesPtr() = 0;
    virtual T* getVariablesPtr() = 0;
    virtual T* getParamsPtr() = 0;
    virtual const char* getSymbolName(int index) = 0;
    virtual const char* getParameterName(int index) = 0;
    virtual const char* getVariableName(int index) = 0;
    virtual int getVariableIndex(const char* name) = 0;
    virtual bool setVariableValue(int index, T value) = 0;
    virtual bool setVariableValue(const char* name, T value) = 0;
    virtual bool getVariableValue(int index, T& value) = 0;
    virtual bool getVariableValue(const char* name, T& value) = 0;
    virtual int getParamIndex(const char* name) = 0;
    virtual bool setParamValue(int index, T value) = 0;
    virtual bool setParamValue(const char* name, T value) = 0;
    virtual bool getSymbolValue(int index, T& value) const = 0;
    virtual bool getParamValue(int index, T& value) = 0;
    virtual bool getParamValue(const char* name, T& value) = 0;
    virtual bool init(const Naming* pNaming, const TokenizedModel* pModel, bool isMainModel) = 0;
    virtual bool init(const td::String& model, SourceType sourceType) = 0;
    virtual Solution solve() = 0;
    virtual Solution getSolutionStatus() const = 0;
    virtual const char* getSolutionStatusStr() const = 0;
    virtual bool solve(double t0, double dT, double t1, ISolutionBuffer* pConsumer, int n) = 0;
    virtual double getIntegrationStepSize() const = 0;
    virtual void setIntegrationStepSize(double dT) = 0;
    virtual void stop() = 0;
    virtual bool reset(double t0) = 0;
    virtual Solution step(unsigned n) = 0;
    virtual void setPrecision(double precision) = 0;
    virtual double getSolvedPrecision() = 0;
    virtual int getIterationsNo() = 0;
    virtual void setMaxIterations(int maxIter) = 0;
    virtual void setOptions(const so& options) = 0;
    virtual int getMaxIterations() = 0;
    virtual const char* getDerivationStr(int index, int& eq, int& var) = 0;
    virtual int getNumberOfDerivations() = 0;
    virtual int getDerDescription(char* buffer, std::size_t size, int eq, int var) = 0;
    virtual td::String getLastErrorStr() const = 0;
    virtual int getNumberOfModels() const = 0;
    virtual const td::StringExt& getModelName(unsigned index) const = 0;
    virtual void setSignalHandler(ISignal* pHandler) = 0;
    virtual void setDerivTestMode() = 0;
    virtual void setConsumer(ISolutionBuffer* pConsumer) = 0;
    virtual void setReportResultsPerNRIteration(ReportRate rate) = 0;
    virtual ReportRate getReportResultsPerNRIteration() = 0;
    virtual bool requiresConjugateVars() const = 0;
    virtual void setLogInfo(bool info, bool details, bool third) = 0;
    virtual ITime* getITime() = 0;
    virtual int getNoOfOutSymbols() const = 0;
    virtual bool getOutSymbols(cnt::SafeFullVector<unsigned int>& indices) const = 0;
    virtual const math::StatsManager<double>* getStatsManager() const = 0;
    virtual cnt::SafeFullVector<td::String> getFunctionNames() const = 0;
    virtual cnt::SafeFullVector<td::String> getLogicOperators() const = 0;
    virtual const cnt::SafeFullVector<_SI>& getSymbolInfo() const = 0;
    virtual const cnt::SafeFullVector<_SI>* getSymbolInfoPtr() const = 0;
    virtual ILog* getLogger() = 0;
    virtual void setLogger(ILog* pLog) = 0;
    virtual void addLog(const ILog::LE& entry, ILog::Type type) = 0;
    virtual SolverType getType() const = 0;
    virtual const SolverAttribs* getAttribs() const = 0;
    virtual void setMaxRepetitions(int maxRepetitions) = 0;
    // The threads that share a large evaluation pass, at most the cores
    // the process may run on (1: every pass on the calling thread); before
    // the model is read or after.
    virtual void setMaxThreads(unsigned nThreads) = 0;
    virtual unsigned getThreadCount() const = 0;
    virtual void setOutFilter(OutFilter filter) = 0;
    virtual void release() = 0;

protected:
    ~ISolver() = default;
};
} // namespace sc
