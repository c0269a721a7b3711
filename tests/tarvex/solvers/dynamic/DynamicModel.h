#pragma once
// Model texts of dynamic models, compiled into the implicit (DAE) or the
// explicit (ODE) integrator, the check of models each refuses, and a
// consumer that records a run's points.
#include <CompiledModel.h>
#include <solvers/DAESolver.h>
#include <solvers/ODESolver.h>
#include <sc/ISolutionBuffer.h>
#include <gtest/gtest.h>

#include <complex>
#include <string>
#include <vector>

namespace test
{
using DAE = CompiledWith<SL_NS::DAESolver>;
using ODE = CompiledWith<SL_NS::ODESolver>;

struct Groups
{
    std::string vars {};
    std::string params {};
    std::string odes {};
    std::string nles {};
    std::string more {}; // other groups, as written
};

// type "DAE" or "ODE"; attribs follow the type on the model line.
inline std::string dynamicModel(const std::string& type, const std::string& attribs, const Groups& g)
{
    std::string text = "Header:\nend\nModel [type = " + type + attribs + "]\nVars\n" + g.vars + "\n";
    if (!g.params.empty())
        text += "Params\n" + g.params + "\n";
    text += "ODEs\n" + g.odes + "\n";
    if (!g.nles.empty())
        text += "NLEs\n" + g.nles + "\n";
    return text + g.more + (g.more.empty() ? "" : "\n") + "end\n";
}

inline double re(const SL_NS::Value& v) { return std::real(v); }

struct ModelError
{
    Groups groups;
    const char* key;
};

// Each model of the type fails to load, logging its fault's key and the
// integrator's own error.
template <typename Compiled>
void expectRefused(const std::string& type, const std::vector<ModelError>& cases, const char* integratorKey)
{
    for (const ModelError& k : cases)
    {
        Compiled c(dynamicModel(type, "", k.groups));
        EXPECT_FALSE(c.ok) << k.key;
        EXPECT_TRUE(c.logged(k.key)) << k.key << c.load.log << c.log;
        EXPECT_TRUE(c.logged(integratorKey)) << k.key;
    }
}

// Records the time of every point a run reports and the end code; stops
// the run at the given number of points when asked to.
struct Recorder : sc::ISolutionBuffer
{
    explicit Recorder(sc::ISolver<SL_NS::Value>* pSolver, unsigned stopAt = 0)
        : pSolver(pSolver)
        , stopAt(stopAt)
    {
    }

    sc::ISolver<SL_NS::Value>* pSolver;
    std::vector<double> times;
    std::vector<double> values; // of the first variable
    std::vector<int> ends;
    unsigned stopAt;

    void put() override
    {
        SL_NS::Value t {};
        pSolver->getParamValue("t", t);
        times.push_back(re(t));
        values.push_back(re(pSolver->getVariablesPtr()[0]));
        if (stopAt && times.size() == stopAt)
            pSolver->stop();
    }
    void end(int code) override { ends.push_back(code); }
};
} // namespace test
