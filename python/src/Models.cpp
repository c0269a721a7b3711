// The three model classes, from one registration template over the value
// type T and the solver side X.
#include "Arguments.h"
#include "Bindings.h"
#include "OwnedModel.h"

#include <pybind11/complex.h>

#include <complex>

namespace py = pybind11;

namespace
{
using quenda::required;

template <typename T, typename X>
void bind_model(py::module_& m, const char* name)
{
    using M = quenda::OwnedModel<T, X>;
    using Values = cnt::SafeFullVector<T>;
    using Indices = cnt::SafeFullVector<unsigned int>;
    py::class_<M>(m, name)
        .def(
            "setSolutionOptions",
            [](const M& self, const sc::so* pOptions) {
                self.model().setSolutionOptions(required(pOptions, "options"));
            },
            py::arg("options"), "Sets various solution options")
        .def(
            "setLogger", [](const M& self, sc::ILog* pLog) { self.model().setLogger(pLog); }, py::arg("pLog"),
            "Sets the logger. If null there will be no logging.")
        .def(
            "initFromFile",
            [](const M& self, const td::String* pFileName) {
                return self.model().initFromFile(required(pFileName, "fileName"));
            },
            py::arg("fileName"),
            "Loads model from file and creates all nrequired expression trees for Jacobians, implicit DAE solvers, etc")
        .def(
            "initFromString",
            [](const M& self, const td::String* pContent) {
                return self.model().initFromString(required(pContent, "content"));
            },
            py::arg("content"),
            "Loads model from string variable and creates all nrequired expression trees for Jacobians, implicit DAE "
            "solvers, etc")
        .def(
            "getNumberOfVariables", [](const M& self) { return self.model().getNumberOfVariables(); },
            "Returns number of variables in the main model.")
        .def(
            "getNumberOfParameters", [](const M& self) { return self.model().getNumberOfParameters(); },
            "Returns number of parameters in the main model.")
        .def(
            "getVariableIndex",
            [](const M& self, const td::String* pName) {
                return self.model().getVariableIndex(required(pName, "varName"));
            },
            py::arg("varName"), "Returns variable index for a given variable name.")
        .def(
            "getParameterIndex",
            [](const M& self, const td::String* pName) {
                return self.model().getParameterIndex(required(pName, "paramName"));
            },
            py::arg("paramName"), "Returns parameter index for a given parameter name.")
        .def(
            "getVariableNames", [](const M& self) { return self.model().getVariableNames(); },
            "Returns a vector with all variable names.")
        .def(
            "getParameterNames", [](const M& self) { return self.model().getParameterNames(); },
            "Returns a vector with all parameter names.")
        .def(
            "getOutputSymbolIndices", [](const M& self) { return self.model().getOutputSymbolIndices(); },
            "Returns a vector with all output symbol indices.")
        .def(
            "getOutputSymbolNames",
            [](const M& self, const Indices* pIndices) {
                return self.model().getOutputSymbolNames(required(pIndices, "symbIndices"));
            },
            py::arg("symbIndices"), "Returns a vector with all output symbol names.")
        .def("getAllParameterValues",
             [](const M& self) {
                 Values values;
                 self.model().getParameterValues(values);
                 return values;
             })
        .def(
            "getParameterValues",
            [](const M& self, const Indices* pIndices) {
                Values values;
                if (!self.model().getParameterValues(required(pIndices, "indices"), values))
                    throw py::value_error("Failed to get parameter values");
                return values;
            },
            py::arg("indices"))
        .def("getVariableValues",
             [](const M& self) {
                 Values values;
                 self.model().getVariableValues(values);
                 return values;
             })
        .def(
            "getOutputSymbolValues",
            [](const M& self, const Indices* pIndices) {
                Values values;
                if (!self.model().getOutputSymbolValues(required(pIndices, "symbIndices"), values))
                    throw py::value_error("Failed to get output symbol values");
                return values;
            },
            py::arg("symbIndices"))
        .def(
            "setVariableValues",
            [](const M& self, const Values* pValues) {
                return self.model().setVariableValues(required(pValues, "values"));
            },
            py::arg("values"), "Sets variable values")
        .def(
            "setParameterValues",
            [](const M& self, const Indices* pIndices, const Values* pValues) {
                return self.model().setParameterValues(required(pIndices, "indices"), required(pValues, "values"));
            },
            py::arg("indices"), py::arg("values"), "Set parameter values for selected indices.")
        .def("getSolverInterface", &M::solverInterface, py::return_value_policy::reference_internal,
             "Returns solver interface (static or dynamic depending on the model type)")
        .def("release", &M::release, "(Optional) Manually release the model and free the memory.");
}
} // namespace

namespace quenda
{
void bindModels(py::module_& m)
{
    bind_model<double, sc::IStatic>(m, "IRealStaticModel");
    bind_model<std::complex<double>, sc::IStatic>(m, "IComplexStaticModel");
    bind_model<double, sc::IDynamic>(m, "IRealDynamicModel");
}
} // namespace quenda
