// The module functions that create models and hand out the console logger.
#include "Arguments.h"
#include "Bindings.h"
#include "OwnedModel.h"

#include <sc/ConsoleLogger.h>
#include <sc/ModelFactory.h>

#include <complex>
#include <memory>
#include <stdexcept>

namespace py = pybind11;

namespace
{
using quenda::OwnedModel;
using quenda::required;

// A factory gives null for a kind without a solver or a limit the solvers
// cannot hold, after telling the logger why.
template <typename T, typename X>
std::unique_ptr<OwnedModel<T, X>> own(sc::IModel<T, X>* pNative)
{
    typename OwnedModel<T, X>::Native native(pNative);
    if (!native)
        throw std::runtime_error("Failed to create the model");
    return std::make_unique<OwnedModel<T, X>>(std::move(native));
}

// The arguments after problemType, the same for every create function.
auto loggerArg() { return py::arg("pLog") = static_cast<sc::ILog*>(nullptr); }
auto maxIterArg() { return py::arg("maxIter") = 1000u; }
} // namespace

namespace quenda
{
void bindFactories(py::module_& m)
{
    m.def("getConsoleLogger", &sc::getConsoleLogger, py::return_value_policy::reference);
    m.def(
        "createRealStaticModel",
        [](const sc::IStatic::Problem* pProblem, sc::ILog* pLog, unsigned maxIter) {
            return own(sc::createRealStaticModel(required(pProblem, "problemType"), pLog, maxIter));
        },
        py::arg("problemType"), loggerArg(), maxIterArg(), "Creates real valued static model.");
    m.def(
        "createComplexStaticModel",
        [](const sc::IStatic::Problem* pProblem, sc::ILog* pLog, unsigned maxIter) {
            return own(sc::createCmplxStaticModel(required(pProblem, "problemType"), pLog, maxIter));
        },
        py::arg("problemType"), loggerArg(), maxIterArg(), "Creates complex valued static model.");
    m.def(
        "createRealDynamicModel",
        [](const sc::IDynamic::Problem* pProblem, sc::ILog* pLog, unsigned maxIter) {
            return own(sc::createRealDynamicModel(required(pProblem, "problemType"), pLog, maxIter));
        },
        py::arg("problemType"), loggerArg(), maxIterArg(), "Creates real valued dynamid model.");
}
} // namespace quenda
