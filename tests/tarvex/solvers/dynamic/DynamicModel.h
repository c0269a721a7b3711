#pragma once
// Model texts of dynamic models, compiled into the implicit (DAE) or the
// explicit (ODE) integrator, and a consumer that records a run's points.
#include <CompiledModel.h>
#include <solvers/DAESolver.h>
#include <solvers/ODESolver.h>
#include <sc/ISolutionBuffer.h>

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

// Records the time of every point a run reports and the end code; stops
// the run at the given number of points when asked to.
struct Recorder : sc::ISolutionBuffer
{
    sc::ISolver<SL_NS::Value>* pSolver = nullptr;
    std::vector<double> times;
    std::vector<double> values; // of the first variable
    std::vector<int> ends;
    unsigned stopAt = 0;

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
