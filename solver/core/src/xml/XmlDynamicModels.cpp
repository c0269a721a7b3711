// The order in which the dynamic kinds of XML model read their sections.
// An ODE model: one right-hand side per variable, no limits and no child
// models. A DAE model: the states its ODEqs name are laid out first (each
// followed by its stage variables), then every equation becomes rows of
// one time step, the ODEqs' rows before the NLEqs'.
#include <compile/CompileTarget.h>
#include <expr/SolverData.h>
#include <xml/XmlModelReader.h>

namespace SL_NS
{
template <typename TNode>
bool XmlModelReader::parseODEModel(const TNode& model)
{
    const TNode eq = model.getChildNode("ODEqs").getChildNode("Eq");
    const unsigned nEquations = eq.getCounter();
    if (!parseVarsAndParams(model.getChildNode("Vars"), model.getChildNode("Params")))
        return false;
    if (nEquations != unsigned(_nVars))
        return fail("Number of unknows and number of equations do not match");
    _nEquations = nEquations;
    CompileTarget& target = solver();
    return checkStateVariables(eq) && parseRightHandSides(eq) &&
           parsePreOrPostProcData(model, "PreProc", SolutionLocation::PreProc, target._preProc) &&
           parsePreOrPostProcData(model, "PostProc", SolutionLocation::PostProc, target._postProc);
}

template <typename TNode>
bool XmlModelReader::parseDAEModel(const TNode& model)
{
    // An absent or unknown method keeps the solver's.
    if (const td::StringExt* pMethod = model.getAttribValueStrPtr("method"))
        setIntegrationMethod(pMethod->c_str());
    _nStages = stagesOfMethod();
    if (!parseStats(model) || !parseRndGenerators(model))
        return false;
    const TNode ode = model.getChildNode("ODEqs").getChildNode("Eq");
    if (ode.isEnd())
        return fail("Missing both ODE and TF equaitons in DAE model!");
    if (!collectStateNames(ode) || !parseVarsAndParams(model.getChildNode("Vars"), model.getChildNode("Params")) ||
        !checkStateVariables(ode))
        return false;
    // Each state has the rows of its stages and its update.
    const TNode nlEq = model.getChildNode("NLEqs").getChildNode("Eq");
    const unsigned nRows = unsigned(_diffVars.size()) * unsigned(_nStages + 1) + nlEq.getCounter();
    if (nRows != unsigned(_nVars))
        return fail("Number of unknows and number of equations do not match");
    _nEquations = nRows;
    reserveEquations('F', nRows);
    unsigned row = 0;
    return discretiseEquations(ode, row) && parseNLEquations(nlEq, 'F', nullptr, row) && writeEquationPrograms() &&
           parseGroups(model) && parseInitModels(model);
}

template bool XmlModelReader::parseODEModel(const XmlFileNode&);
template bool XmlModelReader::parseODEModel(const XmlTextNode&);
template bool XmlModelReader::parseDAEModel(const XmlFileNode&);
template bool XmlModelReader::parseDAEModel(const XmlTextNode&);
} // namespace SL_NS
