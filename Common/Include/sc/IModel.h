#pragma once
// A model and its solver behind one interface: load a model text, read and
// set values by index and by name, reach the solver side (X = IStatic or
// IDynamic). Objects come from the factories of <sc/ModelFactory.h> and
// are destroyed by release() only.
#include <cnt/SafeFullVector.h>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <sc/IDynamic.h>
#include <sc/ILog.h>
#include <sc/ISolver.h>
#include <sc/IStatic.h>
#include <td/String.h>

namespace sc
{
template <typename T, typename X>
class IModel
{
public:
    enum class Type : std::uint8_t
    {
        StaticReal = 0,
        StaticComplex = 1,
        DynamicReal = 2
    };

    using Values = cnt::SafeFullVector<T>;
    using Indices = cnt::SafeFullVector<unsigned int>;
    using Names = cnt::SafeFullVector<td::String>;

    virtual void setSolutionOptions(const so& options) = 0;
    virtual void setLogger(ILog* pLog) = 0;
    // Each load replaces the model read before; false after logging why.
    virtual bool initFromFile(const td::String& path) = 0;
    virtual bool initFromString(const td::String& text) = 0;
    virtual std::size_t getNumberOfVariables() const = 0;
    virtual std::size_t getNumberOfParameters() const = 0;
    // -1 for an empty or unknown name and for a name of the other kind.
    virtual long getVariableIndex(const td::String& name) const = 0;
    virtual long getParameterIndex(const td::String& name) const = 0;
    virtual Names getVariableNames() const = 0;
    virtual Names getParameterNames() const = 0;
    // Symbol indices (variables first, then parameters) of the output
    // symbols, ascending.
    virtual Indices getOutputSymbolIndices() const = 0;
    virtual Names getOutputSymbolNames(const Indices& indices) const = 0;
    virtual void getParameterValues(Values& values) const = 0;
    virtual bool getParameterValues(const Indices& indices, Values& values) const = 0;
    virtual void getVariableValues(Values& values) const = 0;
    virtual bool getOutputSymbolValues(const Indices& indices, Values& values) const = 0;
    virtual bool setVariableValues(const Values& values) = 0;
    virtual bool setParameterValues(const Indices& indices, const Values& values) = 0;
    virtual X* getSolverInterface() = 0;
    virtual void release() = 0;

protected:
    ~IModel() = default;
};

using IRealStaticModel = IModel<double, IStatic>;
using ICmplxStaticModel = IModel<std::complex<double>, IStatic>;
using IRealDynamicModel = IModel<double, IDynamic>;
} // namespace sc
