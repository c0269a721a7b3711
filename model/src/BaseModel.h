#pragma once
// What the three model kinds share: one owned solver, the names of the model
// it read, loading, and values read and written by index and by name. The
// kinds add their solver side (StaticSolver, DynamicSolver).
#include <sc/IModel.h>
#include <sc/ISolver.h>
#include <sc/Naming.h>

namespace sc
{
class TokenizedModel;
}

// The solvers keep their iteration limit in 16 bits; larger limits are
// refused instead of wrapping.
constexpr unsigned maxIterationLimit = 0xFFFF;
constexpr const char* tooLargeIterationLimit = "Too large value for maxIter! The largest is 65535.";
// The iteration limit where neither the text nor the factory gives one.
constexpr unsigned defaultIterationLimit = 200;

template <typename T, typename X>
class BaseModel : public sc::IModel<T, X>
{
public:
    using Solver = sc::ISolver<T>;
    using typename sc::IModel<T, X>::Values;
    using typename sc::IModel<T, X>::Indices;
    using typename sc::IModel<T, X>::Names;
    // Makes a solver of the model's kind, at creation and before a load
    // that follows another.
    using SolverMaker = Solver* (*)(sc::ILog* pLog, unsigned maxIter);

    // maxIter: the factory's iteration limit, which every new solver starts from.
    BaseModel(SolverMaker makeSolver, Solver* pSolver, unsigned maxIter);
    BaseModel(const BaseModel&) = delete;
    BaseModel& operator=(const BaseModel&) = delete;

    void setSolutionOptions(const sc::so& options) override { _pSolver->setOptions(options); }
    void setLogger(sc::ILog* pLog) override { _pSolver->setLogger(pLog); }
    bool initFromFile(const td::String& path) override { return load(path, true); }
    bool initFromString(const td::String& text) override { return load(text, false); }
    std::size_t getNumberOfVariables() const override;
    std::size_t getNumberOfParameters() const override;
    long getVariableIndex(const td::String& name) const override;
    long getParameterIndex(const td::String& name) const override;
    Names getVariableNames() const override;
    Names getParameterNames() const override;
    Indices getOutputSymbolIndices() const override;
    Names getOutputSymbolNames(const Indices& indices) const override;
    void getParameterValues(Values& values) const override;
    bool getParameterValues(const Indices& indices, Values& values) const override;
    void getVariableValues(Values& values) const override;
    bool getOutputSymbolValues(const Indices& indices, Values& values) const override;
    bool setVariableValues(const Values& values) override;
    bool setParameterValues(const Indices& indices, const Values& values) override;
    void release() override { delete this; }

protected:
    virtual ~BaseModel();

    Solver& solver() const { return *_pSolver; }
    void logError(const char* text) const;

private:
    bool load(const td::String& source, bool isFile);
    bool init(const sc::TokenizedModel& model);
    // The maxIter that the header states as the new limit; 0 keeps the
    // solver's limit (the Model line's or the factory's). False for a limit
    // the solver cannot hold.
    bool readIterationLimit(const sc::TokenizedModel& model, int& limit) const;
    void renewSolver();
    // text, when given, fills the "@" of the key's translation.
    void logKey(const char* key, const char* text = nullptr) const;
    void log(const char* text, sc::ILog::Type type) const;

    Solver* _pSolver;
    sc::Naming _naming;
    SolverMaker _makeSolver;
    unsigned _maxIter;
    // The solver has read (or tried to read) a model: a later load needs a
    // fresh one, since a solver is not made to read twice.
    bool _solverUsed = false;
};
