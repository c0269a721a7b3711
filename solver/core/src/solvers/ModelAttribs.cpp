// The attributes of a model's Model (or SubModel) line that the solver
// base reads around a compile.
#include <expr/SolverData.h>
#include <solvers/Solver.h>
#include <sc/TokenizedModel.h>

#include <cmath>
#include <cstring>

namespace SL_NS
{
namespace
{
// The model line of a level, as an iterator that reads its attributes;
// invalid when the level has no model line.
sc::TokenizedModel::iterator modelLine(const sc::TokenizedModel* pModel, sc::ModelLevel level)
{
    const sc::Group group = level == sc::ModelLevel::Main ? sc::Group::Model : sc::Group::SubModel;
    const sc::_CP& cp = pModel->getGroupCounts(group, level);
    sc::TokenizedModel::iterator it = pModel->getGroupIterator(group, level);
    const auto& lines = pModel->getLines(level);
    if (cp.headingLine < lines.size())
    {
        it._pLines = &lines;
        it._current = cp.headingLine;
        it._end = cp.headingLine + 1;
    }
    return it;
}

// A number attribute (true 1, false 0) as a double; false when absent or of
// another kind.
bool numberAttrib(const sc::TokenizedModel::iterator& it, sc::AttribID id, double& value)
{
    return it.isValid() && it.getAttribValue(id, value);
}

// The low 16 bits of a number truncated toward zero; NaN and values beyond
// 64 bits count as 0.
unsigned short low16Bits(double v)
{
    if (!(std::fabs(v) < 9.2e18))
        return 0;
    return static_cast<unsigned short>(static_cast<unsigned long long>(static_cast<long long>(v)) & 0xFFFF);
}
} // namespace

void Solver::readModelFlags(SolverData& data, const sc::TokenizedModel* pModel, sc::ModelLevel level)
{
    data.simplify = 1;
    data.pivoting = 0;
    const sc::TokenizedModel::iterator it = modelLine(pModel, level);
    if (!it.isValid())
        return;
    double simplify = 1;
    if (it.getAttribValue(sc::AttribID::simplify, simplify))
        data.simplify = simplify != 0;
    const td::StringExt* pPivot = it.getAttribValueStrPtr(sc::AttribID::pivot);
    data.pivoting = pPivot && std::strcmp(pPivot->c_str(), "Diagonal") != 0;
}

bool Solver::loadModelAttribs(const sc::TokenizedModel* pModel, sc::ModelLevel level)
{
    double reInit = 0;
    _reInitOn = numberAttrib(modelLine(pModel, level), sc::AttribID::reInit, reInit) && reInit != 0;
    return true;
}

void Solver::readCommonModelAttribs(const sc::TokenizedModel* pModel, sc::ModelLevel level)
{
    const sc::TokenizedModel::iterator it = modelLine(pModel, level);
    double value = 0;
    if (numberAttrib(it, sc::AttribID::eps, value))
        _precision = value;
    if (!(_precision > 0))
        _precision = 1e-6;
    if (numberAttrib(it, sc::AttribID::maxIter, value))
        _maxIterations = low16Bits(value);
    if (_maxIterations == 0)
        _maxIterations = 100;
    if (numberAttrib(it, sc::AttribID::alwaysOn, value))
        _attribs.alwaysOn = value != 0;
    if (level == sc::ModelLevel::SubModel)
    {
        _attribs.subModelInit = 1;
        if (numberAttrib(it, sc::AttribID::initMain, value) && value == 0)
            _attribs.subModelInit = 2;
    }
}
} // namespace SL_NS
