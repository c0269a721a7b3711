#pragma once
// Objects of the module's classes arrive by pointer so that None, which
// pybind11 would turn into a "no matching signature" TypeError, is refused
// with a RuntimeError that names the argument.
#include <stdexcept>
#include <string>

namespace quenda
{
template <typename T>
const T& required(const T* pValue, const char* name)
{
    if (!pValue)
        throw std::runtime_error(std::string(name) + " must not be None");
    return *pValue;
}
} // namespace quenda
