// Equations of an XML model: an Eq with fx (lhs = rhs, compiled as the
// residual lhs - (rhs)) or with cond and its Then and Else branches, each
// into f(x) and its Jacobian row as the equations of model text.
#include <compile/CompileTarget.h>
#include <dense/DiagMatrix.h>
#include <expr/EvaluatorSparseMatrix.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/SolverData.h>
#include <mu/NumberParser.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <cmath>
#include <string>
#include <string_view>

namespace SL_NS
{
namespace
{
// The position of the equation's sign: an = that is not part of ==, !=,
// <= or >=; npos when there is none.
std::size_t equationSign(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '=')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '=')
        {
            ++i;
            continue;
        }
        if (i > 0 && (text[i - 1] == '!' || text[i - 1] == '<' || text[i - 1] == '>'))
            continue;
        return i;
    }
    return std::string_view::npos;
}

// lhs = rhs as lhs-(rhs); an unsigned number on the right is subtracted as
// it stands, and 0 leaves lhs alone. A signed one keeps its brackets:
// x - y--1 would not parse.
void writeResidual(std::string_view text, std::string& out)
{
    const std::size_t sign = equationSign(text);
    if (sign == std::string_view::npos)
    {
        out.assign(text);
        return;
    }
    const std::string_view lhs = text.substr(0, sign);
    const std::string_view rhs = trimmed(text.substr(sign + 1));
    out.assign(lhs);
    if (isNumber(rhs, false))
    {
        const std::string number(rhs);
        if (mu::toDouble(number.c_str()) != 0)
            out.append("-").append(rhs);
        return;
    }
    out.append("-(").append(rhs).append(")");
}
} // namespace

bool XmlModelReader::parseEquation(const char* text, ExpressionTree& tree)
{
    writeResidual(text, _text);
    if (parse(_text.c_str()) != int(Token::Type::END_OF_LINE))
        return fail("Syntax error in equation: @", text);
    if (!tree.makeExpressionTree(&getTokenList(), sc::ExpressionType::Plain))
        return fail("Cannot make expression for: @", text);
    return true;
}

void XmlModelReader::reserveEquations(char kind, unsigned n)
{
    CompileTarget& target = solver();
    // Constraints have stores of their own; every other kind goes to f(x).
    EvaluatorVect& residuals = kind == 'E' ? *_pConstraints : target._fx;
    EvaluatorSparseMatrix& jacobian = kind == 'E' ? *_pConstraintJacobian : *_pJacobian;
    residuals.reserve(n);
    residuals.setSolver(&target);
    jacobian.reserve(std::size_t(n) * 5);
    jacobian.setSolver(&target);
}

template <typename TNode>
bool XmlModelReader::parseNLEquations(const TNode& eq, char kind, dense::DiagMatrix<double>* pWeights,
                                      unsigned firstRow)
{
    _pSolverData->location = kind == 'H'   ? SolutionLocation::MeasEqs
                             : kind == 'E' ? SolutionLocation::ECs
                                           : SolutionLocation::NLEqs;
    unsigned index = 0;
    for (TNode it = eq; !it.isEnd(); ++it, ++index)
    {
        if ((pWeights && !readWeight(it, pWeights->getManipulator()[int(index)])) ||
            !parseNLEquation(it, firstRow + index, kind))
        {
            _pSolverData->setEqErrorNo(index);
            _pSolverData->location = SolutionLocation::Other;
            return false;
        }
        // The programs are written in batches, as for model text.
        if (_pSolverData->pPools->nodesTaken >= batchNodes && !writeEquationPrograms())
            return false;
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

bool XmlModelReader::writeEquationPrograms()
{
    return writePendingEquations() || fail("Cannot write the programs of the equations!");
}

template <typename TNode>
bool XmlModelReader::readWeight(const TNode& eq, double& weight)
{
    weight = 1.0;
    const td::StringExt* pWeight = eq.getAttribValueStrPtr("w");
    if (!pWeight)
        return true;
    const std::string text(trimmed(std::string_view(pWeight->c_str(), pWeight->length())));
    if (isNumber(text))
    {
        // A negative weight makes the normal matrix indefinite, and the
        // estimate a saddle point of the misfit. 0 leaves the measurement out.
        weight = mu::toDouble(text.c_str());
        return weight >= 0 || fail("Weight of a measurement equation cannot be negative! w=@", text.c_str());
    }
    const int symbol = findSymbol(text.c_str());
    if (symbol < 0 || symbol >= _nVars + _nParams)
        return fail("Variable was not declared:@", text.c_str());
    weight = std::abs(solver()._x[symbol]);
    return true;
}

template <typename TNode>
bool XmlModelReader::parseNLEquation(const TNode& eq, unsigned index, char kind)
{
    _lastUsed.clean();
    _collecting = true;
    ExpressionTree& tree = *newTree();
    unsigned count = 0;
    if (const td::StringExt* pFx = eq.getAttribValueStrPtr("fx"))
    {
        if (!parseEquation(pFx->c_str(), tree))
            return fail("Cannot parse equation: @", *pFx);
        if (!createNLJacAndFx(tree, index, count, kind))
            return fail("Cannot create Jacobian entry for equation: @", *pFx);
        return true;
    }
    if (const td::StringExt* pCond = eq.getAttribValueStrPtr("cond"))
    {
        if (!parseIfEquation(eq, tree, 0))
            return fail("Cannot parse if-then-else equation with condition: @", *pCond);
        if (!createNLJacAndFx(tree, index, count, kind))
            return fail("Cannot create Jacobian entry for if-then-else equation with condition: @", *pCond);
        return true;
    }
    return fail("Equation is neither condition (missing cond) nor normal (missing fx)");
}

template <typename TNode>
bool XmlModelReader::parseIfEquation(const TNode& eq, ExpressionTree& tree, unsigned depth)
{
    const char* condition = eq.getAttribValueStrPtr("cond")->c_str();
    if (depth >= ExpressionTree::maxNesting)
        return fail("Conditions nested deeper than @ levels: @", unsigned(ExpressionTree::maxNesting), condition);
    ExpressionTree* pCondition = newTree();
    if (parse(condition) != int(Token::Type::END_OF_LINE) ||
        !pCondition->makeExpressionTree(&getTokenList(), sc::ExpressionType::If))
        return fail("Syntax error in conditition statement: @", condition);
    tree._kind = ExpressionTree::Kind::IfThenElse;
    tree._condET = pCondition;
    const TNode thenBranch = eq.getChildNode("Then");
    if (thenBranch.isEnd())
        return fail("Missing Then statement in conditional equation!");
    const TNode elseBranch = eq.getChildNode("Else");
    if (elseBranch.isEnd())
        return fail("Missing Else statement in conditional equation!");
    tree._pThenET = parseBranchEquation(thenBranch, true, condition, depth);
    if (!tree._pThenET)
        return false;
    tree._elseET = parseBranchEquation(elseBranch, false, condition, depth);
    return tree._elseET != nullptr;
}

// A branch holds one equation: its fx, or one Eq (itself with fx, or with
// cond and branches of its own).
template <typename TNode>
ExpressionTree* XmlModelReader::parseBranchEquation(const TNode& branch, bool isThen, const char* condition,
                                                    unsigned depth)
{
    const char* name = isThen ? "Then" : "Else";
    const td::StringExt* pFx = branch.getAttribValueStrPtr("fx");
    const TNode eq = branch.getChildNode("Eq");
    if (pFx && !eq.isEnd())
    {
        fail("If-then equation for condition: @ has specified fx in @ and Eq as child of @!!", condition, name, name);
        return nullptr;
    }
    if (!pFx && eq.isEnd())
    {
        fail(isThen ? "Missing Then Equation for condition!" : "Missing Else Equation for condition!");
        return nullptr;
    }
    if (!pFx && eq.getCounter() > 1)
    {
        fail("More than one Eq in @ statement for condition: @", name, condition);
        return nullptr;
    }
    if (!pFx)
        pFx = eq.getAttribValueStrPtr("fx");
    ExpressionTree* pTree = newTree();
    if (pFx)
    {
        if (!parseEquation(pFx->c_str(), *pTree))
        {
            fail(isThen ? "Syntax error in Then statement:@" : "Syntax error in Else statement:@", *pFx);
            return nullptr;
        }
        return pTree;
    }
    if (!eq.getAttribValueStrPtr("cond"))
    {
        fail(isThen ? "Missing Then Equation for condition!" : "Missing Else Equation for condition!");
        return nullptr;
    }
    return parseIfEquation(eq, *pTree, depth + 1) ? pTree : nullptr;
}

template bool XmlModelReader::parseNLEquations(const XmlFileNode&, char, dense::DiagMatrix<double>*, unsigned);
template bool XmlModelReader::parseNLEquations(const XmlTextNode&, char, dense::DiagMatrix<double>*, unsigned);
} // namespace SL_NS
