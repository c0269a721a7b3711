// The Init section of an XML model: child models, each read into a child
// solver that its parent solves first on every solve. A child shares its
// parent's parameters (copied on each solve) and writes the parent's
// symbols through names beginning with "base.".
#include <compile/CompileTarget.h>
#include <expr/SolverData.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

namespace SL_NS
{
namespace
{
// The model type of a child's type text (0 non-linear, 1 least squares,
// 2 ODE, 3 DAE); -1 for a kind without a solver.
int childModelType(const td::StringExt& type)
{
    if (isText(&type, "NR") || isText(&type, "NL"))
        return 0;
    if (isText(&type, "WLS"))
        return 1;
    if (isText(&type, "ODE"))
        return 2;
    if (isText(&type, "DAE"))
        return 3;
    return -1;
}
} // namespace

template <typename TNode>
bool XmlModelReader::parseInitModels(const TNode& model)
{
    const TNode child = model.getChildNode("Init").getChildNode("Model");
    if (child.isEnd())
        return true;
    _pSolverData->location = SolutionLocation::Init;
    if (_depth >= maxInitNesting)
        return fail("Init (child) models nested deeper than @ levels!", maxInitNesting);
    solver()._subModels.reserve(solver()._subModels.size() + child.getCounter());
    unsigned k = 0;
    for (TNode it = child; !it.isEnd(); ++it, ++k)
    {
        if (!initChildModel(it, k))
        {
            _pSolverData->setEqErrorNo(k);
            _pSolverData->location = SolutionLocation::Other;
            return false;
        }
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

template <typename TNode>
bool XmlModelReader::initChildModel(const TNode& model, unsigned k)
{
    const td::StringExt* pName = model.getAttribValueStrPtr("name");
    if (!pName)
        return fail("Init (child) model without name");
    const td::StringExt* pType = model.getAttribValueStrPtr("type");
    if (!pType)
        return fail("Missing type for init (child) model with name= '@'", *pName);
    if (!model.getAttribValueStrPtr("domain"))
        return fail("Missing domain for init (child) model with type='@' and name= '@'", *pType, *pName);
    const int modelType = childModelType(*pType);
    if (modelType < 0)
        return fail("Cannot create solver of type='@' for model name= '@'", *pType, *pName);
    // Only a Newton-Raphson model can be read as a child.
    if (modelType != 0)
        return fail("Cannot initialize child solver of type='@' for model name= '@'", *pType, *pName);
    CompileTarget& parent = solver();
    const auto number = static_cast<unsigned short>(_pSolverData->lineNo + 1 + k);
    sc::ISolver<Value>* pChild = parent.createSolver(_pSolverData->pLog, std::uint8_t(modelType), 100, 1e-6, number);
    if (!pChild)
        return fail("Cannot create solver of type='@' for model name= '@'", *pType, *pName);
    parent._subModels.push_back(pChild);
    // Not the history values of a time-discretised parent.
    const unsigned nParentParams = unsigned(_nDeclaredParams);
    const auto compile = [&model, nParentParams, this](CompileTarget& target, SolverData& data,
                                                       EvaluatorSparseMatrix& jacobian) {
        target.shareParentParams(nParentParams);
        XmlModelReader reader(target, _depth + 1);
        const bool ok = reader.initFromNode(model, &data, &jacobian);
        reader.releaseRes();
        return ok;
    };
    if (!parent.compileChild(pChild, compile))
        return fail("Cannot initialize child solver of type='@' for model name= '@'", *pType, *pName);
    return true;
}

template bool XmlModelReader::parseInitModels(const XmlFileNode&);
template bool XmlModelReader::parseInitModels(const XmlTextNode&);
} // namespace SL_NS
