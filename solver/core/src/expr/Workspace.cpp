#include <expr/Workspace.h>
#include <mu/Assert.h>
#include <sc/Solution.h>

namespace SL_NS
{
namespace
{
constexpr int nEmbeddedParams = int(sc::EmbeddedParam::Last);
} // namespace

void Workspace::allocInitialValues(int nVars, int nParams)
{
    MU_ASSERT_MSG(_nVars == 0, "_nVars == 0");
    MU_ASSERT_MSG(_nParams == 0, "_nParams == 0");
    _nVars = nVars;
    _nParams = nParams;
    _initialValues.assign(std::size_t(nVars) + std::size_t(nParams) + nEmbeddedParams, Value {});
    _x = _initialValues.data();
    _pParams = _x + nVars;
}

void Workspace::setNumberOfSymbols(int nVars, int nParams)
{
    MU_ASSERT(nVars >= 0 && nParams >= 0);
    _nVars = _nParams = 0;
    allocInitialValues(nVars, nParams);
}

const char* Workspace::symbolName(int index) const
{
    MU_ASSERT_MSG(index >= 0, "index >= 0");
    MU_ASSERT_MSG(index < _nVars + _nParams, "index < _nVars + _nParams");
    const auto& names = _stringPool->getNames();
    if (std::uint32_t(index) >= names.size() || names[std::uint32_t(index)].isEmpty())
        return nullptr;
    return names[std::uint32_t(index)].c_str();
}
} // namespace SL_NS
