// The frame of the XML model reader: the document from a file or from
// text, the root element, and the order in which a model kind reads its
// sections.
#include <compile/CompileTarget.h>
#include <dense/DiagMatrix.h>
#include <expr/SolverData.h>
#include <mu/IAppSettings.h>
#include <mu/IApplication.h>
#include <mu/NumberParser.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <cmath>

namespace SL_NS
{
XmlModelReader::XmlModelReader(CompileTarget& target, unsigned depth)
    : RPNDerivParser(target)
    , _depth(depth)
{
}

template <typename TRead>
bool XmlModelReader::readDocument(const td::String& model, const char* fileFailure, TRead read)
{
    switch (sc::SourceType(_pSolverData->sourceType))
    {
    case sc::SourceType::File:
    {
        XmlFileDocument document;
        if (document.parseFile(model))
            return read(document.getRoot());
        // The parser's own message follows, at the file's line when it has one.
        const mu::ParserException& error = document.getLastError();
        fail(fileFailure);
        if (error.getLine() >= 0)
            return fail("Line no=@: @", error.getLine() + 1, error.getMessage());
        return fail(error.getMessage().c_str());
    }
    case sc::SourceType::Memory:
    {
        XmlTextDocument document;
        const mu::IAppSettings* pSettings = mu::getAppSettings();
        if (document.parseMemory(model.c_str(), pSettings ? pSettings->getLogger() : nullptr, true))
            return read(document.getRoot());
        return fail("Cannot parse xml input data");
    }
    }
    return false;
}

bool XmlModelReader::getFxAndJacEvaluators(const td::String& model, SolverData* pData, EvaluatorSparseMatrix* pJacobian)
{
    startEntry(nullptr, pData, sc::ModelLevel::Main);
    _pJacobian = pJacobian;
    return readDocument(model, "Cannot parse the file", [this](const auto& root) {
        return checkModelTypeAndDomain(root, "NR") && parseNRModelFromNode(root);
    });
}

bool XmlModelReader::getFxAndMeasJacEvaluators(const td::String& model, SolverData* pData,
                                               const MeasurementTargets& targets)
{
    startEntry(nullptr, pData, sc::ModelLevel::Main);
    _pJacobian = targets.pMeasurementJacobian;
    _pConstraints = targets.pConstraints;
    _pConstraintJacobian = targets.pConstraintJacobian;
    return readDocument(model, "Cannot parse the xml file",
                        [this, &targets](const auto& root) { return parseWLSModel(root, *targets.pWeights); });
}

bool XmlModelReader::getFxEvaluatorsForODE(const td::String& model, SolverData* pData)
{
    startDynamicEntry(nullptr, pData, sc::ModelLevel::Main, 1);
    return readDocument(model, "Cannot parse the file!", [this](const auto& root) {
        return checkModelTypeAndDomain(root, "ODE") && parseODEModel(root);
    });
}

bool XmlModelReader::getFxAndJacEvaluatorsForDAE(const td::String& model, SolverData* pData,
                                                 EvaluatorSparseMatrix* pJacobian)
{
    startDynamicEntry(nullptr, pData, sc::ModelLevel::Main, 2);
    _pJacobian = pJacobian;
    return readDocument(model, "Cannot parse the file!", [this](const auto& root) {
        return checkModelTypeAndDomain(root, "DAE") && parseDAEModel(root);
    });
}

template <typename TNode>
bool XmlModelReader::initFromNode(const TNode& model, SolverData* pData, EvaluatorSparseMatrix* pJacobian)
{
    startEntry(nullptr, pData, sc::ModelLevel::Main);
    _pJacobian = pJacobian;
    return parseNRModelFromNode(model);
}

template <typename TNode>
bool XmlModelReader::checkModelTypeAndDomain(const TNode& root, const char* type)
{
    const td::StringExt* pType = root.getAttribValueStrPtr("type");
    if (!pType)
        return fail("Undefined model type!");
    if (!isText(pType, type))
        return fail("Model type is not @", type);
    const td::StringExt* pDomain = root.getAttribValueStrPtr("domain");
#if SL_COMPLEX
    if (!pDomain)
        return fail("Numeric domain is not specified!");
    if (!isText(pDomain, "cmplx"))
        return fail("Numeric type is not 'cmplx'");
#else
    if (pDomain && !isText(pDomain, "real"))
        return fail("Numeric type is not 'real'");
#endif
    if (const td::StringExt* pDesc = root.getAttribValueStrPtr("desc"))
        *_pSolverData->pModelDesc = td::String(pDesc->c_str(), pDesc->length());
    // A precision of 0 or less could never be met: as if there were none.
    double eps = 0;
    if (root.getAttribValue("eps", eps) && eps > 0 && std::isfinite(eps))
        _pSolverData->eps = eps;
    return true;
}

template <typename TNode>
bool XmlModelReader::parseNRModelFromNode(const TNode& model)
{
    if (!parseVarsAndParams(model.getChildNode("Vars"), model.getChildNode("Params")))
        return false;
    const TNode nlEqs = model.getChildNode("NLEqs");
    if (nlEqs.isEnd())
        return fail("Missing NLEqs node!");
    const TNode eq = nlEqs.getChildNode("Eq");
    if (eq.isEnd())
        return fail("Missing Eq node in NLEqs!");
    const unsigned nEquations = eq.getCounter();
    if (!solver().isDerivTestMode() && nEquations != unsigned(_nVars))
        return fail("Detected @ variables and @ equations!", _nVars, nEquations);
    _nEquations = nEquations;
    reserveEquations('F', nEquations);
    return parseNLEquations(eq, 'F') && writeEquationPrograms() && parseGroups(model) && parseInitModels(model);
}

template <typename TNode>
bool XmlModelReader::parseWLSModel(const TNode& model, dense::DiagMatrix<double>& weights)
{
    if (!checkModelTypeAndDomain(model, "WLS") || !parseStats(model) || !parseRndGenerators(model) ||
        !parseVarsAndParams(model.getChildNode("Vars"), model.getChildNode("Params")))
        return false;
    const TNode measEqs = model.getChildNode("MeasEqs");
    if (measEqs.isEnd())
        return fail("MeasEqs node is not specified! Missing MeasEqs tag!");
    const TNode eq = measEqs.getChildNode("Eq");
    if (eq.isEnd())
        return fail("No measurement equations");
    // Only the measurements count; with conjugate variables a variable is
    // one declared unknown.
    const unsigned nMeasurements = eq.getCounter();
    if (nMeasurements < unsigned(solver()._conjVars ? _nVars / 2 : _nVars))
        return fail("Number of equations < number of variables");
    _nEquations = nMeasurements;
    weights.reserve(int(nMeasurements));
    const TNode constraint = model.getChildNode("ECs").getChildNode("Eq");
    reserveEquations('H', nMeasurements);
    reserveEquations('E', constraint.getCounter());
    return parseNLEquations(eq, 'H', &weights) && parseNLEquations(constraint, 'E') && writeEquationPrograms() &&
           parseGroups(model);
}

template <typename TNode>
bool XmlModelReader::parseGroups(const TNode& model)
{
    CompileTarget& target = solver();
    return parsePreOrPostProcData(model, "PreProc", SolutionLocation::PreProc, target._preProc) && parseLimits(model) &&
           parsePreOrPostProcData(model, "PostProc", SolutionLocation::PostProc, target._postProc);
}

template bool XmlModelReader::parseGroups(const XmlFileNode&);
template bool XmlModelReader::parseGroups(const XmlTextNode&);
template bool XmlModelReader::initFromNode(const XmlFileNode&, SolverData*, EvaluatorSparseMatrix*);
template bool XmlModelReader::initFromNode(const XmlTextNode&, SolverData*, EvaluatorSparseMatrix*);
} // namespace SL_NS
