#pragma once
// The hub through which the model compiler, the expression parser, the trees
// and the evaluators reach a solver's pools, symbols, limits, statistics and
// error text without knowing the solver class. It owns nothing: every
// pointer refers into the solver (or the parser), which outlives it.
#include <expr/Build.h>
#include <expr/Discretisation.h>
#include <expr/ErrorStr.h>
#include <expr/Token.h>
#include <cnt/FixNumSet.h>
#include <cnt/SafeFullVector.h>
#include <sc/ILog.h>
#include <sc/SymbolInfo.h>

#include <cstdint>
#include <vector>

namespace sc
{
class StringPool;
}

namespace SL_NS
{
class Workspace;
class SolutionLimits;
class FnLimits;
class RndGenManager;
class StatsManager;
struct ExpressionPools;

struct SolverData
{
    // Both may be null when a parser is used on its own.
    Workspace* pWorkspace = nullptr; // the symbols' names and the parent model
    sc::ILog* pLog = nullptr;
    ExpressionPools* pPools = nullptr;
    // A second set the solver keeps for the compile's writer thread (its
    // programs, and every other batch's trees); null when the compile may
    // use no second thread.
    ExpressionPools* pWriterPools = nullptr;
    cnt::SafeFullVector<sc::_SI>* pSymbolInfo = nullptr;
    std::vector<Value>* pSymbolValues = nullptr;
    sc::StringPool* pStringPool = nullptr;
    SolutionLimits* pLimits = nullptr;
    FnLimits* pFnLimits = nullptr;
    RndGenManager* pRndGens = nullptr;
    StatsManager* pStats = nullptr;
    td::String* pModelDesc = nullptr;
    ErrorStr* pErrorStr = nullptr;
    // The variables of the equation being compiled (the model compiler's
    // set), and the set a limited expression collects its variables in.
    cnt::FixNumSet<int>* pLastUsedVars = nullptr;
    cnt::FixNumSet<int>* pLastUsedVarsForLimits = nullptr;
    // Dynamic models: the variable of each right-hand side (explicit
    // integrator), the symbols of each variable (implicit one).
    cnt::SafeFullVector<int>* pODEVarMap = nullptr;
    DAEVarMap* pDAEVarMap = nullptr;

    double eps = 0; // the model's precision; 0: the solver keeps its own
    int indexOfTParam = -1;
    int indexOfDeltaTParam = -1;
    // The position that translation keys carry: the expression's line and
    // its first token's column. A message of the tree builder names the
    // column of the token it stopped at instead: the entry it reads of the
    // lexer's token list, whose columns stand in a parallel array.
    std::uint32_t logLine = 0;
    std::uint32_t logColumn = 0;
    const TokenList* pLexedTokens = nullptr;
    const std::vector<std::uint16_t>* pTokenColumns = nullptr;
    const TokenList::_tEntry* pBuildAt = nullptr;
    std::uint16_t lineNo = 0; // the model line the next error entry names
    std::uint16_t modelLevel = 0;
    std::uint8_t simplify = 1;
    std::uint8_t sourceType = 0;
    std::uint8_t pivoting = 0;
    std::uint8_t logInfo = 0;
    std::uint8_t logInfoDetails = 0;
    std::uint8_t modelKind = 0; // 0 static, 1 ODE, 2 DAE
    std::uint8_t conjVars = 0;  // complex build: variable k at 2k, its conjugate at 2k + 1
    std::uint8_t intMethod = 0; // a math::IntMethod: the solver's, unless the model names another
    SolutionLocation location = SolutionLocation::Other;
    std::uint8_t iterPostPAlwaysOn = 0;
    std::uint8_t basePostPAlwaysOn = 0;

    // An entry of the error text: head, then the text unchanged or the
    // format with its "@" filled.
    void appendError(const char* text);
    template <typename... Args>
    void appendError(const char* fmt, const Args&... args)
    {
        pErrorStr->writeIntro(lineNo, location);
        pErrorStr->appendFormat(fmt, args...);
    }

    // An entry naming the failing item of the current section by number,
    // e.g. "(40,NLEqs):Eq#: 3".
    void setEqErrorNo(unsigned int number, SolutionLocation location = SolutionLocation::Current);
    // What the items of the current section are called in such an entry.
    const char* itemName() const;

    // Sends a key to the solver's logger as an error; nothing without one.
    void translateAndAdd(const char* key);
    void translateAndAdd(const char* key, std::uint32_t line, std::uint32_t column);

    // The column of the token the tree builder stands at, else logColumn.
    std::uint32_t buildColumn() const;

    const char* getSymbolNameForLog(int index) const;
    // The name of a symbol of this or the parent model; "-" when it has none.
    const char* getLeafNameForLog(const Token& t) const;
    static const char* symbolNameIn(const Workspace* pOwner, int index);
    sc::ILog* getLogger() const { return pLog; }
};
} // namespace SL_NS
