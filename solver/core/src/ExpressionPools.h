#pragma once
// The pools that compiled expressions live in. A solver owns one set: tokens,
// token lists and trees are taken from it while the model is compiled, and
// everything goes at once with the solver.
#include <Token.h>
#include <cnt/ListSL.h>
#include <mem/priv/Manager.h>

namespace SL_NS
{
using TokenList = cnt::ListSL<Token, true>;

struct ExpressionPools
{
    mem::Manager<TokenList::_tEntry, 65536> listEntries;
    mem::Manager<Token, 65536> tokens;
};
} // namespace SL_NS
