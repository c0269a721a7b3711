// The Stats section of an XML model: the names of its statistics, one in
// name or a comma-separated list in names; and the feeds of the processing
// groups, "name << expression << ...", whose values a statistic takes in.
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/SolverData.h>
#include <compile/CompileTarget.h>
#include <expr/StatsManager.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <algorithm>
#include <string_view>

namespace SL_NS
{
template <typename TNode>
bool XmlModelReader::parseStats(const TNode& model)
{
    const TNode section = model.getChildNode("Stats");
    if (section.isEnd())
        return true;
    _pSolverData->location = SolutionLocation::Stats;
    StatsManager& stats = *_pSolverData->pStats;
    if (const td::StringExt* pName = section.getAttribValueStrPtr("name"))
    {
        stats.reserve(1);
        if (!stats.setName(0, td::String(pName->c_str(), pName->length())))
            return fail("Stats unexpected error!");
    }
    else if (const td::StringExt* pNames = section.getAttribValueStrPtr("names"))
    {
        std::string_view names(pNames->c_str(), pNames->length());
        stats.reserve(std::size_t(std::count(names.begin(), names.end(), ',')) + 1);
        for (unsigned i = 0;; ++i)
        {
            const std::size_t comma = names.find(',');
            const std::string_view piece = trimmed(names.substr(0, comma));
            const td::String name(piece.data(), piece.size());
            if (!stats.setName(i, name))
                return fail("Stats name @ entered two times! Second time on pos @!", name, i);
            if (comma == std::string_view::npos)
                break;
            names.remove_prefix(comma + 1);
        }
    }
    else
        return fail("Stats needs attribute name or names!");
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

int XmlModelReader::parseStatsAssignment(const char* name, const char* rest)
{
    StatsManager& stats = *_pSolverData->pStats;
    const int stat = stats.find(name);
    if (stat < 0)
    {
        fail("Cannot find stats object with name=@", name);
        return -1;
    }
    // Two or more < must pair as the << between the fed expressions.
    const std::string_view all = trimmed(rest);
    const std::size_t nLess = std::size_t(std::count(all.begin(), all.end(), '<'));
    const bool several = nLess >= 2;
    const std::string text(all);
    if (several && nLess % 2 != 0)
    {
        fail("Badly formatted stats assignement part '@'", text.c_str());
        return -1;
    }
    EvaluatorVect& inputs = stats.getInputs(std::size_t(stat));
    inputs.reserve(several ? nLess / 2 + 1 : 1);
    inputs.setSolver(&solver());
    std::string_view remaining = all;
    for (;;)
    {
        const std::size_t less = several ? remaining.find('<') : std::string_view::npos;
        if (less != std::string_view::npos && (less + 1 >= remaining.size() || remaining[less + 1] != '<'))
        {
            fail("Badly formatted stats assignement part '@'", text.c_str());
            return -1;
        }
        _text.assign(remaining.substr(0, less));
        _lastUsed.clean();
        Evaluator* e = _pSolverData->pPools->evaluators.getEntry();
        switch (compileText(_text.c_str(), e))
        {
        case 1: fail("Error in Stats assignment part: @", _text.c_str()); return -1;
        case 2: fail("Cannot make expression for stats assignment part: @", _text.c_str()); return -1;
        case 3: fail("Cannot create evaluator for stats assignment part: @", _text.c_str()); return -1;
        default: break;
        }
        inputs.addEvaluator(e);
        if (less == std::string_view::npos)
            return stat;
        remaining = remaining.substr(less + 2);
    }
}

template bool XmlModelReader::parseStats(const XmlFileNode&);
template bool XmlModelReader::parseStats(const XmlTextNode&);
} // namespace SL_NS
