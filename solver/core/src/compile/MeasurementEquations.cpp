// The measurement model's entry: the measurements h(x) = z, each with its
// weight, and the equality constraints c(x) = 0, compiled as equations with
// their Jacobians into stores of their own.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <dense/DiagMatrix.h>
#include <expr/SolverData.h>

#include <cmath>

namespace SL_NS
{
bool RPNDerivParser::getWLSEvaluators(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData* pData,
                                      const MeasurementTargets& targets, sc::ModelLevel level)
{
    startEntry(pModel, pData, level);
    _pJacobian = targets.pMeasurementJacobian;
    _pConstraints = targets.pConstraints;
    _pConstraintJacobian = targets.pConstraintJacobian;
    if (!parseVarsAndParams(pNaming, level))
        return false;
    const unsigned nMeasurements = pModel->getNumberOfExpressions(sc::Group::WLSEs, level);
    if (nMeasurements == 0)
    {
        translateAndAddLog("@SC.WLSNoWLSEs", 0, 0, sc::ILog::Type::Error);
        return false;
    }
    if (!loadDistributions(pNaming, level))
        return false;
    loadStats(pNaming, level);
    const unsigned nConstraints = pModel->getNumberOfExpressions(sc::Group::ECs, level);
    // With conjugate variables a variable is two unknowns and an equation
    // two equations (itself and its conjugate): the declared ones count.
    unsigned nUnknowns = unsigned(_nVars);
#if SL_COMPLEX
    if (_conjVars)
        nUnknowns /= 2;
#endif
    if (!solver().isDerivTestMode() && nMeasurements + nConstraints < nUnknowns)
    {
        translateAndAddLog("@SC.WLSNotEnoughEQs", 0, 0, sc::ILog::Type::Error);
        return false;
    }

    targets.pWeights->reserve(int(nMeasurements));
    EvaluatorVect& h = solver()._fx;
    h.reserve(nMeasurements);
    h.setSolver(&solver());
    _pJacobian->reserve(std::size_t(nMeasurements) * 5);
    _pJacobian->setSolver(&solver());
    _pConstraints->reserve(nConstraints);
    _pConstraints->setSolver(&solver());
    _pConstraintJacobian->reserve(std::size_t(nConstraints) * 5);
    _pConstraintJacobian->setSolver(&solver());

    pData->location = SolutionLocation::MeasEqs;
    ModelIterator it = pModel->getGroupIterator(sc::Group::WLSEs, level);
    for (unsigned i = 0; i < nMeasurements && it.isValid(); ++i, ++it)
        if (!readWeight(it, targets.pWeights->getManipulator()[int(i)]))
        {
            logAt("@CS.WLSEsError", it);
            return false;
        }
    beginEquations();
    if (!parseEquations(sc::Group::WLSEs, level, nMeasurements, 'H', "@CS.WLSEsError"))
        return false;
    pData->location = SolutionLocation::ECs;
    if (!parseEquations(sc::Group::ECs, level, nConstraints, 'E', "@CS.WLSECError") || !endEquations())
        return false;
    _nEquations = nMeasurements;
    return parseSupplementaryGroups(pNaming, level);
}

bool RPNDerivParser::readWeight(const ModelIterator& it, double& weight) const
{
    weight = 1.0;
    const sc::_TokV* pValue = it.findAttrib(sc::AttribID::w);
    if (!pValue)
        return true;
    // A name (the loader hands it over as a word) is a variable's or a
    // parameter's: it weighs by the magnitude of its initial value. The
    // result parameters (solState# and the like) have no initial value.
    if (pValue->code == sc::Token::Identifier)
    {
        const int index = pValue->pStr ? findSymbol(pValue->pStr->c_str()) : -1;
        if (index < 0 || index >= _nVars + _nParams)
            return false;
        weight = std::abs(solver()._x[index]);
        return true;
    }
    // A weight is a real number, and not a negative one: that would make the
    // normal matrix indefinite, and the "estimate" a saddle point of the
    // misfit. A weight of 0 leaves the measurement out.
    return pValue->code != sc::Token::Imaginary && pValue->getValue(weight) && weight >= 0;
}
} // namespace SL_NS
