// The module entry: pybind11 refuses an interpreter of another minor version
// than the one the module was built for, then the body registers everything.
#include "Bindings.h"

PYBIND11_MODULE(Quenda, m)
{
    m.doc() = "Python bindings for Quenda library (https://example.org/quenda)";
    quenda::bindString(m);
    quenda::bindVectors(m);
    quenda::bindEnumsAndInterfaces(m);
    quenda::bindModels(m);
    quenda::bindFactories(m);
}
