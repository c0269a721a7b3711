// The Limits section of an XML model: groups of assignments that the
// solver runs after a pass, each enabled unless its enabled says otherwise;
// a branch that raises a signal starts another pass.
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/SolutionLimits.h>
#include <expr/SolverData.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

namespace SL_NS
{
template <typename TNode>
bool XmlModelReader::parseLimits(const TNode& model)
{
    const TNode limits = model.getChildNode("Limits");
    if (limits.isEnd())
        return true;
    _pSolverData->location = SolutionLocation::Limits;
    const TNode group = limits.getChildNode("Group");
    if (group.isEnd())
        return fail("Limits have to be grouped! Missing Group node in Limits section!");
    SolutionLimits& table = *_pSolverData->pLimits;
    table.reserve(group.getCounter());
    unsigned g = 0;
    for (TNode it = group; !it.isEnd(); ++it, ++g)
    {
        SolutionLimits::Group& record = table[g];
        const td::StringExt* pEnabled = it.getAttribValueStrPtr("enabled");
        record.enabled = !pEnabled || isTrue(pEnabled);
        const TNode eq = it.getChildNode("Eq");
        record.count = eq.getCounter();
        record.evaluators = _pSolverData->pPools->evaluators.getEntries(int(record.count));
        unsigned index = 0;
        for (TNode entry = eq; !entry.isEnd(); ++entry, ++index)
        {
            if (!parseAssignmentEq(entry, &record.evaluators[index], Form::Limit, 0))
                return fail("Group#: @; @#: @", g, _pSolverData->itemName(), index);
        }
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

template bool XmlModelReader::parseLimits(const XmlFileNode&);
template bool XmlModelReader::parseLimits(const XmlTextNode&);
} // namespace SL_NS
