#pragma once
// What the solver keeps per symbol beside its name and value: three bytes.
#include <td/Types.h>

namespace sc
{
struct _SI
{
    // 0 parameter, 1 variable, 3 differential (state) variable, 4 state of
    // a transfer function; 3 and above take part in time discretisation.
    td::BYTE symbolType = 0;
    // An sc::NumericType value; real unless declared otherwise.
    td::BYTE numericType = 2;
    // 2 marks an output symbol.
    td::BYTE outType = 0;
};
static_assert(sizeof(_SI) == 3);

using SymbolInfo = _SI;
} // namespace sc
