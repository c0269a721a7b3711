#include <expr/SolverData.h>
#include <expr/Workspace.h>

namespace SL_NS
{
void SolverData::appendError(const char* text)
{
    pErrorStr->writeIntro(lineNo, location);
    pErrorStr->append(text);
}

const char* SolverData::itemName() const
{
    switch (location)
    {
    case SolutionLocation::RndGens: return "RndGen";
    case SolutionLocation::Vars: return "Var";
    case SolutionLocation::Params: return "Par";
    default: return "Eq";
    }
}

void SolverData::setEqErrorNo(unsigned int number, SolutionLocation headLocation)
{
    if (headLocation == SolutionLocation::Current)
        headLocation = location;
    // With conjugates kept, slot 2k and 2k + 1 are both variable k.
    if (isComplexBuild && location == SolutionLocation::Vars && conjVars)
        number >>= 1;
    pErrorStr->writeIntro(lineNo, headLocation);
    pErrorStr->appendFormat("@#: @", itemName(), number);
}

void SolverData::translateAndAdd(const char* key)
{
    if (sc::ILog* pLog = getLogger())
        pLog->translateAndAdd(key, sc::ILog::Type::Error);
}

void SolverData::translateAndAdd(const char* key, std::uint32_t line, std::uint32_t column)
{
    if (sc::ILog* pLog = getLogger())
        pLog->translateAndAdd(key, line, column, sc::ILog::Type::Error);
}

// Found by a walk of the list: only a failed build asks.
std::uint32_t SolverData::buildColumn() const
{
    if (!pBuildAt || !pLexedTokens || !pTokenColumns)
        return logColumn;
    std::size_t index = 0;
    for (const TokenList::_tEntry* p = pLexedTokens->getFirstEntry(); p; p = p->pNext, ++index)
        if (p == pBuildAt)
            return index < pTokenColumns->size() && (*pTokenColumns)[index] ? (*pTokenColumns)[index] : logColumn;
    return logColumn;
}

// Only variables and parameters have names; an embedded parameter does not.
const char* SolverData::getSymbolNameForLog(int index) const { return symbolNameIn(pWorkspace, index); }

const char* SolverData::symbolNameIn(const Workspace* pOwner, int index)
{
    return pOwner && index >= 0 && index < pOwner->_nVars + pOwner->_nParams ? pOwner->symbolName(index) : "-";
}

const char* SolverData::getLeafNameForLog(const Token& t) const
{
    if (t.symbolOrigin == sc::SymbolOrigin::ThisModel)
        return getSymbolNameForLog(t.index);
    return symbolNameIn(pWorkspace ? pWorkspace->_parentSolver : nullptr, t.index);
}
} // namespace SL_NS
