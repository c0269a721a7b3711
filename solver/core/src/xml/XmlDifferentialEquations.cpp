// The ODEqs of an XML model: the fx of an Eq is x' = f (the derivative of
// x) or x = E(int(f)) (x as an expression of one integral), compiled as the
// ODEs lines of model text: into the explicit integrator's right-hand sides
// or into the rows of one implicit time step.
#include <compile/CompileTarget.h>
#include <expr/Discretisation.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/SolverData.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <algorithm>
#include <string>

namespace SL_NS
{
namespace
{
constexpr std::size_t maxNameLength = 32;
} // namespace

bool XmlModelReader::holdsAssignment(const TokenList& tokens)
{
    for (const Token& t : tokens)
        if (t.type == Token::Type::ASSIGN)
            return true;
    return false;
}

bool XmlModelReader::getDiffEqVariableName(const td::StringExt* pFx, DiffEquation& eq)
{
    if (!pFx)
        return fail("Missing fx in ODE equation!");
    const std::string_view text(pFx->c_str(), pFx->length());
    const std::size_t sign = text.find('=');
    if (sign == std::string_view::npos || sign == 0)
        return fail("Missing equation sign in ODE equation: @", *pFx);
    std::string_view name = trimmed(text.substr(0, sign));
    if (name.size() > maxNameLength + 1)
        return fail("Variable name in ODE equation too long. Eq=@", *pFx);
    eq.integral = name.empty() || name.back() != '\'';
    if (!eq.integral)
        name = trimmed(name.substr(0, name.size() - 1));
    if (name.empty())
        return fail("Missing state variable name in ODE equation: @", *pFx);
    eq.pFx = pFx;
    eq.name = name;
    eq.rhs = pFx->c_str() + sign + 1;
    return true;
}

int XmlModelReader::getDiffEqVariableIndexAndFx(DiffEquation& eq)
{
    const std::string name(eq.name);
    const int index = findSymbol(name.c_str());
    // In a DAE model only a state has a differential equation; a stage
    // variable (x#k1) is none.
    const bool state =
        index >= 0 && index < _nVars &&
        (_pSolverData->modelKind != 2 || (*_pSolverData->pSymbolInfo)[std::size_t(index)].symbolType == 3);
    if (index >= _nVars)
    {
        fail("State variable cannot be declared as a parameter! Variable name=@ in ODEeq=@", name.c_str(), *eq.pFx);
        return -1;
    }
    if (!state)
    {
        fail("Undeclared state variable:@, found in ODE equation:@", name.c_str(), *eq.pFx);
        return -1;
    }
    const std::string_view rhs = trimmed(eq.rhs);
    if (rhs.empty())
    {
        fail("Right hand side of ODE equation @ is empty", *eq.pFx);
        return -1;
    }
    eq.rhs = rhs.data();
    return index;
}

int XmlModelReader::parseDifferentialEquation(const td::StringExt* pFx, ExpressionTree& tree, ExpTreeNode*& pIntNode,
                                              bool removeInt)
{
    _lastUsed.clean();
    _collecting = true;
    pIntNode = nullptr;
    DiffEquation eq;
    if (!getDiffEqVariableName(pFx, eq))
        return -1;
    const int var = getDiffEqVariableIndexAndFx(eq);
    if (var < 0)
        return -1;
    if (parse(eq.rhs) != int(Token::Type::END_OF_LINE) || holdsAssignment(getTokenList()))
    {
        fail("Someting wrong in equation: @", *pFx);
        return -1;
    }
    const unsigned nInts = Discretisation::countFunctions(getTokenList(), Token::Type::INT);
    const char* message = nullptr;
    if (!eq.integral && nInts > 0)
        message = "Cannot combine integrate with differentiate in a single ODE. Error in ODE eq:@";
    else if (eq.integral && nInts == 0)
        message = "Missing ' or 'int' in ODE equation:@";
    else if (nInts > 1)
        message = "More than one 'int' specified in ODE equation:@";
    else if (!tree.makeExpressionTree(&getTokenList(), sc::ExpressionType::Plain))
        message = "Cannot make expression for eq: @";
    else if (!eq.integral)
        return var;
    else
        switch (readIntegralForm(tree, pIntNode, removeInt))
        {
        case IntegralForm::Valid: return var;
        case IntegralForm::NotAFactor:
            message = "The integration (int) function can only be multiplied or divided by time-invariant variables. "
                      "Error in eq:@";
            break;
        case IntegralForm::ReadsStates:
            message = "Detected int (integrate) with time or state variables outside of 'int' function in ODE "
                      "equation:@";
            break;
        }
    fail(message, *pFx);
    return -1;
}

template <typename TNode>
bool XmlModelReader::collectStateNames(TNode eq)
{
    _stateNames.clear();
    _pSolverData->location = SolutionLocation::ODEqs;
    for (unsigned i = 0; !eq.isEnd(); ++eq, ++i)
    {
        DiffEquation d;
        if (!getDiffEqVariableName(eq.getAttribValueStrPtr("fx"), d))
            return failEquation(i);
        _stateNames.emplace_back(d.name);
    }
    std::sort(_stateNames.begin(), _stateNames.end());
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

bool XmlModelReader::isStateName(std::string_view name) const
{
    return std::binary_search(_stateNames.begin(), _stateNames.end(), name,
                              [](std::string_view a, std::string_view b) { return a < b; });
}

template <typename TNode>
bool XmlModelReader::checkStateVariables(TNode eq)
{
    _pSolverData->location = SolutionLocation::ODEqs;
    std::vector<bool> used(std::size_t(_nVars), false);
    for (unsigned i = 0; !eq.isEnd(); ++eq, ++i)
    {
        DiffEquation d;
        if (!getDiffEqVariableName(eq.getAttribValueStrPtr("fx"), d))
            return failEquation(i);
        const int var = getDiffEqVariableIndexAndFx(d);
        if (var < 0)
            return failEquation(i);
        // A second equation for a state would leave another without one.
        if (used[std::size_t(var)])
        {
            fail("State variable already used!");
            return failEquation(i);
        }
        used[std::size_t(var)] = true;
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

template <typename TNode>
bool XmlModelReader::parseRightHandSides(TNode eq)
{
    reserveRightHandSides();
    _pSolverData->location = SolutionLocation::ODEqs;
    for (unsigned i = 0; !eq.isEnd(); ++eq, ++i)
    {
        const td::StringExt* pFx = eq.getAttribValueStrPtr("fx");
        ExpressionTree& tree = *newTree();
        ExpTreeNode* pIntNode = nullptr;
        const int var = parseDifferentialEquation(pFx, tree, pIntNode, true);
        if (var < 0)
            return failEquation(i);
        if (!addRightHandSide(tree, i, var))
        {
            fail("Cannot create evaluator for ODE equation: @", *pFx);
            return failEquation(i);
        }
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

template <typename TNode>
bool XmlModelReader::discretiseEquations(TNode eq, unsigned& row)
{
    matrix::Butcher<3> tableau;
    if (_nStages > 0)
        initButcher(tableau);
    _pSolverData->location = SolutionLocation::ODEqs;
    for (unsigned i = 0; !eq.isEnd(); ++eq, ++i)
    {
        const td::StringExt* pFx = eq.getAttribValueStrPtr("fx");
        ExpressionTree& tree = *newTree();
        ExpTreeNode* pIntNode = nullptr;
        const int var = parseDifferentialEquation(pFx, tree, pIntNode, false);
        if (var < 0)
            return failEquation(i);
        if (!discretiseEquation(tree, pIntNode, var, tableau, row))
        {
            fail("Cannot create Jacobian entry for ODE equation: @", *pFx);
            return failEquation(i);
        }
        if (_pSolverData->pPools->nodesTaken >= batchNodes && !writeEquationPrograms())
            return false;
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

bool XmlModelReader::failEquation(unsigned index)
{
    _pSolverData->setEqErrorNo(index);
    _pSolverData->location = SolutionLocation::Other;
    return false;
}

template bool XmlModelReader::collectStateNames(XmlFileNode);
template bool XmlModelReader::collectStateNames(XmlTextNode);
template bool XmlModelReader::checkStateVariables(XmlFileNode);
template bool XmlModelReader::checkStateVariables(XmlTextNode);
template bool XmlModelReader::parseRightHandSides(XmlFileNode);
template bool XmlModelReader::parseRightHandSides(XmlTextNode);
template bool XmlModelReader::discretiseEquations(XmlFileNode, unsigned&);
template bool XmlModelReader::discretiseEquations(XmlTextNode, unsigned&);
} // namespace SL_NS
