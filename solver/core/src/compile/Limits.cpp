// The Limits section: named groups of assignments that hold variables at
// their bounds and signal when they move one, so the solver starts another
// pass from there.
#include <compile/RPNDerivParser.h>
#include <expr/ExpressionPools.h>
#include <expr/SolutionLimits.h>
#include <expr/SolverData.h>

namespace SL_NS
{
bool RPNDerivParser::parseLimits(sc::ModelLevel level)
{
    const unsigned nGroups = _pModel->getNumberOfExpressions(sc::Group::Limits, level);
    if (nGroups == 0)
        return true;
    SolutionLimits& limits = *_pSolverData->pLimits;
    limits.reserve(nGroups);
    _pSolverData->location = SolutionLocation::Limits;
    ModelIterator it = _pModel->getGroupIterator(sc::Group::Limits, level);
    for (unsigned g = 0; g < nGroups; ++g, ++it)
    {
        if (!it.isValid() || it.getLine().nTokens == 0)
            return false;
        const sc::_TokV& first = it.getToken(0);
        // Only group ... end blocks stand at the top: any other line would
        // never run.
        if (first.code != sc::Token::Reserved || first.id != std::uint32_t(sc::ReservedID::Group))
        {
            logAt("@SC.LinitsMustBeGrouped", it);
            return false;
        }
        SolutionLimits::Group& group = limits[g];
        double enabled = 1;
        it.getAttribValue(sc::AttribID::enabled, enabled);
        group.enabled = enabled != 0;
        if (const td::StringExt* pName = it.getAttribValueStrPtr(sc::AttribID::name))
            group.name = td::String(pName->c_str(), pName->length());
        const unsigned n = _pModel->countChildren(it, 0, sc::Group::Limits, sc::ExpressionType::Group);
        group.evaluators = _pSolverData->pPools->evaluators.getEntries(int(n));
        group.count = n;
        // The group is the first block around its lines.
        if (!compileChildren(it, n, group.evaluators, sc::Group::Limits, 1))
        {
            logAt("@SC.ErrorInLimits1", it);
            return false;
        }
        if (it._current + 1 >= it._end || (++it).getToken(0).code != sc::Token::Reserved ||
            it.getToken(0).id != std::uint32_t(sc::ReservedID::End))
        {
            logAt("@SC.LimitGroupEndMismatch", it);
            return false;
        }
    }
    return true;
}
} // namespace SL_NS
