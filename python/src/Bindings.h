#pragma once
// The registration steps of the module, called in this order by its body:
// each class and enum comes before the first signature that names it.
#include <pybind11/pybind11.h>

namespace quenda
{
// String and its conversion from a Python str.
void bindString(pybind11::module_& m);
// DoubleVector, ComplexVector, UintVector, StringVector.
void bindVectors(pybind11::module_& m);
// The enums and the interface classes a script receives but never makes.
void bindEnumsAndInterfaces(pybind11::module_& m);
// IRealStaticModel, IComplexStaticModel, IRealDynamicModel.
void bindModels(pybind11::module_& m);
// getConsoleLogger and the three create functions.
void bindFactories(pybind11::module_& m);
} // namespace quenda
