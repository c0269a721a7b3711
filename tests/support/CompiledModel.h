#pragma once
// A model text loaded and compiled into a solver (Newton-Raphson unless
// another kind is named), for the tests of the solver road.
#include <CollectingLog.h>
#include <LoaderSupport.h>
#include <solvers/NRSolver.h>

#include <memory>
#include <string>
#include <type_traits>

namespace test
{
template <typename TSolver>
struct CompiledWith
{
    Load load;
    CollectingLog log;
    TSolver solver;
    bool ok = false;

    // The kinds with an iteration limit get 100 and the precision 1e-6.
    explicit CompiledWith(const std::string& text) requires std::is_constructible_v<TSolver, sc::ILog*, int, double>
        : solver(&log, 100, 1e-6)
    {
        reload(text);
    }
    explicit CompiledWith(const std::string& text) requires(!std::is_constructible_v<TSolver, sc::ILog*, int, double>)
        : solver(&log)
    {
        reload(text);
    }

    // A tokenized model serves one load, as in the model objects: a new one
    // over the same naming.
    bool reload(const std::string& text)
    {
        load.naming.clean();
        load.model = std::make_unique<sc::TokenizedModel>(&load.log, load.header, identity, load.naming, 0);
        load.fromString(text);
        ok = load.ok && solver.init(&load.naming, load.model.get(), true);
        return ok;
    }

    // The value of a symbol by name (variables, parameters, result values).
    SL_NS::Value value(const char* name)
    {
        SL_NS::Value v {};
        const int index = solver.getVariableIndex(name);
        if (index >= 0)
            v = solver.getSymbolValuesPtr()[index];
        return v;
    }

    bool logged(const std::string& key) const
    {
        for (const auto& e : log.entries)
            if (e.text == key)
                return true;
        return false;
    }
};

using Compiled = CompiledWith<SL_NS::NRSolver>;
} // namespace test
