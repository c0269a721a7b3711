#pragma once
// Fills the process-wide vocabulary once, as the first model of a process
// does, so tests and benchmarks read model text with the default language.
#include <sc/SCLib.h>

namespace test
{
inline void fillVocabulary()
{
    static const bool filled = [] {
        sc::reserveNamings(1);
        sc::setDefaultDataForAllNamings();
        sc::setDefaultDataForNaming(0);
        return true;
    }();
    (void)filled;
}
} // namespace test
