// The enums and the classes that stand for native interfaces or records: a
// script receives them from the module's operations and never makes one.
#include "Bindings.h"
#include "SolverView.h"

#include <sc/ILog.h>
#include <sc/IModel.h>
#include <sc/ISolver.h>

#include <memory>

namespace py = pybind11;

namespace
{
// Objects that the module hands out but whose life is not Python's.
template <typename T>
using Borrowed = py::class_<T, std::unique_ptr<T, py::nodelete>>;

void bindSolution(py::module_& m)
{
    // Every status a solver returns has its member.
    py::enum_<sc::Solution>(m, "Solution")
        .value("OK", sc::Solution::OK)
        .value("BaseOK", sc::Solution::BaseOK)
        .value("Iterating", sc::Solution::Iterating)
        .value("LimitFix", sc::Solution::LimitFix)
        .value("NewPass", sc::Solution::NewPass)
        .value("EmptyMatrix", sc::Solution::EmptyMatrix)
        .value("FactorizationError", sc::Solution::FactorizationError)
        .value("SolutionError", sc::Solution::SolutionError)
        .value("Oscillation", sc::Solution::Oscillation)
        .value("NoImprovement", sc::Solution::NoImprovement)
        .value("MaximumIteration", sc::Solution::MaximumIteration)
        .value("SubmodelFailed", sc::Solution::SubmodelFailed);
}

void bindStatic(py::module_& m)
{
    py::enum_<sc::IStatic::Problem>(m, "StaticProblem")
        .value("NLE", sc::IStatic::Problem::NLE)
        .value("WLS", sc::IStatic::Problem::WLS);
    using View = quenda::SolverView<sc::IStatic>;
    Borrowed<View>(m, "IStatic")
        .def(
            "solve", [](const View& v) { return v.side().solve(); }, "Solves the static model");
}

void bindDynamic(py::module_& m)
{
    py::enum_<sc::IDynamic::Problem>(m, "DynamicProblem")
        .value("ODE", sc::IDynamic::Problem::ODE)
        .value("DAE", sc::IDynamic::Problem::DAE);
    using View = quenda::SolverView<sc::IDynamic>;
    Borrowed<View>(m, "IDynamic")
        .def(
            "reset", [](const View& v, double t0) { return v.side().reset(t0); }, py::arg("t0") = 0.0,
            "Resets internal variables and time and solves initial value. User is responsible to set other "
            "parameters before calling this method")
        .def(
            "step", [](const View& v, int nSteps) { return v.side().step(nSteps); }, py::arg("nSteps") = 1,
            "Solves ODE/DAE equaitons nSteps times")
        .def(
            "getStepSize", [](const View& v) { return v.side().getStepSize(); }, "Returns integraion step size")
        .def(
            "setStepSize", [](const View& v, double dT) { v.side().setStepSize(dT); }, "Sets integration step size");
}

void bindModelType(py::module_& m)
{
    using Type = sc::IModel<double, sc::IStatic>::Type;
    py::enum_<Type>(m, "ModelType")
        .value("StaticReal", Type::StaticReal)
        .value("StaticComplex", Type::StaticComplex)
        .value("DynamicReal", Type::DynamicReal);
}
} // namespace

namespace quenda
{
void bindEnumsAndInterfaces(py::module_& m)
{
    bindSolution(m);
    Borrowed<sc::ILog>(m, "ILog");
    bindStatic(m);
    bindDynamic(m);
    py::class_<sc::so>(m, "SolutionOptions");
    bindModelType(m);
}
} // namespace quenda
