#pragma once
// Fills the process-wide vocabulary once, as the first model of a process
// does, so tests and benchmarks read model text with the default language.
#include <sc/SCLib.h>

namespace test
{
enum class Words
{
    Default, // what the model library registers: no plot syntax
    Full     // the Plots group, the plot attributes and the plot words as well
};

// The first call decides for the whole process. Full is what a host that
// draws plots registers for its naming: the range setters with upper bounds
// past the default ones.
inline void fillVocabulary(Words words = Words::Default)
{
    static const bool filled = [words] {
        sc::reserveNamings(1);
        sc::setDefaultDataForAllNamings();
        if (words == Words::Default)
        {
            sc::setDefaultDataForNaming(0);
            return true;
        }
        sc::setCommonFunctions(sc::FunctionSet::Real, 0, sc::RealFunctionNames, sc::NumberOfRealFunctions);
        sc::setCommonComplexFunctions(0, sc::RealFunctionNames, sc::NumberOfRealFunctions, sc::ComplexFunctionNames,
                                      sc::NumberOfComplexFunctions);
        sc::setCommonGroupNames(0, sc::Group::Model, sc::Group(sc::NumberOfGroups));
        sc::setCommonAttribNames(0, sc::AttribID::domain, sc::AttribID(sc::NumberOfAttributes));
        sc::setComplexDomainAttribEnumPos(0, 1);
        sc::setCommonReservedNames(0, sc::ReservedID::Main, sc::ReservedID(sc::NumberOfReservedWords));
        return true;
    }();
    (void)filled;
}
} // namespace test
