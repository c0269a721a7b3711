// The sub-model: a second model in the same text, compiled by a child
// solver that its parent solves as a step of its own solve.
#include <NRSolver.h>
#include <RPNDerivParser.h>
#include <SolverData.h>

namespace SL_NS
{
Solver::Interface* Solver::createSolver(sc::ILog* pLog, std::uint8_t modelType, unsigned maxIter, double precision,
                                        unsigned short line)
{
    Solver* pChild = nullptr;
    // The model type of the sub-model line: 0 NL; the other kinds follow
    // with their solvers.
    if (modelType == 0)
        pChild = new NRSolver(pLog, int(maxIter), precision);
    if (!pChild)
        return nullptr;
    pChild->_modelLine = line;
    pChild->_parentSolver = this;
    return pChild;
}

bool RPNDerivParser::parseSubModel(const sc::Naming* pNaming)
{
    if (_pModel->getGroupCounts(sc::Group::Vars, sc::ModelLevel::SubModel).nLines == 0)
        return true;
    const sc::_MI& info = _pModel->getModelInfo(sc::ModelLevel::SubModel);
    const double eps = info.eps != 0 ? info.eps : 1e-6;
    const sc::_CP& heading = _pModel->getGroupCounts(sc::Group::Model, sc::ModelLevel::SubModel);
    const auto& lines = _pModel->getLines(sc::ModelLevel::SubModel);
    const unsigned short line = heading.headingLine < lines.size() ? std::uint16_t(lines[heading.headingLine].line) : 0;
    Solver& s = solver();
    Solver::Interface* pChild = s.createSolver(s.getLogger(), info.type, 100, eps, line);
    if (!pChild)
    {
        translateAndAddLog("@SC.CannotCreateSolver", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    s._subModels.push_back(pChild);
    return pChild->init(pNaming, _pModel, false);
}
} // namespace SL_NS
