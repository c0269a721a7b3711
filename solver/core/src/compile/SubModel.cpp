// The sub-model: a second model in the same text, compiled by a child
// solver that its parent solves as a step of its own solve.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>

namespace SL_NS
{
bool RPNDerivParser::parseSubModel(const sc::Naming* pNaming)
{
    if (_pModel->getGroupCounts(sc::Group::Vars, sc::ModelLevel::SubModel).nLines == 0)
        return true;
    const sc::_MI& info = _pModel->getModelInfo(sc::ModelLevel::SubModel);
    const double eps = info.eps != 0 ? info.eps : 1e-6;
    const sc::_CP& heading = _pModel->getGroupCounts(sc::Group::Model, sc::ModelLevel::SubModel);
    const auto& lines = _pModel->getLines(sc::ModelLevel::SubModel);
    const unsigned short line = heading.headingLine < lines.size() ? std::uint16_t(lines[heading.headingLine].line) : 0;
    CompileTarget& s = solver();
    sc::ISolver<Value>* pChild = s.createSolver(_pSolverData->getLogger(), info.type, 100, eps, line);
    if (!pChild)
    {
        translateAndAddLog("@SC.CannotCreateSolver", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    s._subModels.push_back(pChild);
    return pChild->init(pNaming, _pModel, false);
}
} // namespace SL_NS
