// The order in which the dynamic kinds of XML model read their sections.
// An ODE model: one right-hand side per variable, no limits and no child
// models. A DAE model: the forms of its transfer functions and the states
// its ODEqs name come first, since they size the symbols (a state is
// followed by its stage variables, the transfer functions' states follow
// the declared variables); then every equation becomes rows of one time
// step: the TFs' rows, the ODEqs', the NLEqs'.
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
    const TNode tf = model.getChildNode("TFs").getChildNode("Eq");
    if (ode.isEnd() && tf.isEnd())
        return fail("Missing both ODE and TF equaitons in DAE model!");
    if (!readTransferFunctionForms(tf) || !collectStateNames(ode) ||
        !parseVarsAndParams(model.getChildNode("Vars"), model.getChildNode("Params")) || !checkStateVariables(ode))
        return false;
    // Each state has the rows of its stages and its update; a transfer
    // function its output's row (and the row of its polynomial part).
    unsigned states = unsigned(_diffVars.size());
    unsigned algebraic = model.getChildNode("NLEqs").getChildNode("Eq").getCounter();
    for (const sTF& t : _tfs)
    {
        states += t.states();
        algebraic += t.algebraicRows();
    }
    const unsigned nRows = states * unsigned(_nStages + 1) + algebraic;
    if (nRows != unsigned(_nVars))
        return fail("Number of unknows and number of equations do not match");
    _nEquations = nRows;
    reserveEquations('F', nRows);
    unsigned row = 0;
    return writeTransferFunctions(row) && discretiseEquations(ode, row) &&
           parseNLEquations(model.getChildNode("NLEqs").getChildNode("Eq"), 'F', nullptr, row) &&
           writeEquationPrograms() && parseGroups(model) && parseInitModels(model);
}

template bool XmlModelReader::parseODEModel(const XmlFileNode&);
template bool XmlModelReader::parseODEModel(const XmlTextNode&);
template bool XmlModelReader::parseDAEModel(const XmlFileNode&);
template bool XmlModelReader::parseDAEModel(const XmlTextNode&);
} // namespace SL_NS
