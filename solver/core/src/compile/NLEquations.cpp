// One equation line into its residual evaluator and its Jacobian row: the
// residual's tree is written as a program and differentiated by every
// variable the equation uses.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/ExpressionPools.h>
#include <expr/SolverData.h>

#include <new>

namespace SL_NS
{
using ET = sc::ExpressionType;

ExpressionTree* RPNDerivParser::newTree()
{
    ExpressionTree* pTree = new (_pTreePools->trees.allocate()) ExpressionTree();
    bindTree(*pTree);
    return pTree;
}

void RPNDerivParser::bindTree(ExpressionTree& tree) { tree.init(*_pSolverData, _nVars, *_pTreePools); }

bool RPNDerivParser::lexLine(const ModelIterator& it, unsigned offset, sc::ExpressionType& type)
{
    clearTokenList();
    return createTokenList(_pModel->getExpressionTokens(), it, offset, type, it.getLine().nTokens);
}

namespace
{
// The group of an equation kind: non-linear equations, measurements, constraints.
sc::Group groupOf(char kind)
{
    return kind == 'H' ? sc::Group::WLSEs : (kind == 'E' ? sc::Group::ECs : sc::Group::NLEs);
}
} // namespace

bool RPNDerivParser::parseEquations(sc::Group group, sc::ModelLevel level, unsigned nEquations, char kind,
                                    const char* errorKey, unsigned firstRow)
{
    unsigned count = 0;
    ModelIterator it = _pModel->getGroupIterator(group, level);
    for (unsigned eq = firstRow; eq < firstRow + nEquations && it.isValid(); ++eq, ++it)
    {
        const Position at = positionOf(it);
        _pSolverData->lineNo = std::uint16_t(at.line);
        if (!parseNLEquation(it, eq, count, kind))
        {
            // A batch before this equation failed first when the writer's did.
            if (!finishWriting())
                return false;
            logAt(errorKey, at);
            _pSolverData->logLine = 0;
            return false;
        }
        if (!writeFullBatch())
            return false;
    }
    _pSolverData->logLine = 0;
    return true;
}

bool RPNDerivParser::parseNLEquation(ModelIterator& it, unsigned eq, unsigned& count, char kind)
{
    _lastUsed.clean();
    _collecting = true;
    ExpressionTree& tree = *newTree();
    sc::ExpressionType type;
    const Position line = positionOf(it);
    if (!lexLine(it, 0, type))
        return false;
    bool built = false;
    switch (type)
    {
    case ET::Plain:
        built = tree.makeExpressionTree(&getTokenList(), type);
        if (!built)
            logAt("@SC.CannotMakeExpressionTree", line);
        break;
    case ET::If: built = parseIfEquation(it, tree, groupOf(kind), 0); break;
    case ET::Switch: built = parseSwitch(it, tree, groupOf(kind)); break;
    default: logAt("@SC.UnexpectedExpressionType", line); break;
    }
    if (!built)
        return false;
    // The branches of an if moved the position on: the derivatives concern
    // the equation as a whole.
    _pSolverData->logLine = line.line;
    _pSolverData->logColumn = line.column;
    if (!createNLJacAndFx(tree, eq, count, kind))
    {
        logAt("@SC.SymbolicJacobian", line);
        return false;
    }
    return true;
}

bool RPNDerivParser::createNLJacAndFx(ExpressionTree& tree, unsigned eq, unsigned&, char kind)
{
    // A constraint goes to the constraints, every other kind to f(x).
    EvaluatorVect& residuals = kind == 'E' ? *_pConstraints : solver()._fx;
    EvaluatorSparseMatrix* pJacobian = kind == 'E' ? _pConstraintJacobian : _pJacobian;
    ExpressionPools& pools = *_pSolverData->pPools;
    Evaluator* pFx = pools.evaluators.getEntry();
    _collecting = false;
    const Position line {_pSolverData->logLine, _pSolverData->logColumn};
    if (tree._kind != ExpressionTree::Kind::Plain)
    {
        // Its Jacobian entries go in after those of the batches before it.
        if (!finishWriting())
            return false;
        if (!tree.createPostFix(pFx))
            return false;
        residuals.addEvaluator(pFx);
        Evaluator* pDeriv = pools.evaluators.getEntry();
        const bool ifThen = tree._kind == ExpressionTree::Kind::IfThenElse;
        if (ifThen ? !tree.createIfThenDerivative2(pDeriv) : !tree.createSwitchDerivative2(pDeriv, pFx))
        {
            logAt(ifThen ? "@ET.ErrDifIfThen" : "@ET.ErrDiffSwitch", line);
            return false;
        }
        if (ifThen)
            pJacobian->addIfThenEvaluator(int(eq), pDeriv);
        else
            pJacobian->addSwitchEvaluator(int(eq), pDeriv);
        return true;
    }
    // The residual now, and one derivative per variable the equation uses;
    // their programs are written once every equation is built, so that the
    // calls they share are found across equations.
    residuals.addEvaluator(pFx);
    _pending.push_back({&tree, pFx, pJacobian, int(eq), -1, line});
    const ExpressionTree::VariableDigest digest(tree, _lastUsed);
    for (auto it = _lastUsed.begin(); it != _lastUsed.end(); ++it)
    {
        ExpressionTree* pDeriv = newTree();
        if (!tree.createDerivative2(*pDeriv, *it))
        {
            logAt("@ET.ErrDifEqua", line);
            return false;
        }
        if (!pDeriv->isEmpty())
            _pending.push_back({pDeriv, nullptr, pJacobian, int(eq), *it, line});
    }
    return true;
}

void RPNDerivParser::beginEquations()
{
    _writeOnThread = _pSolverData->pWriterPools != nullptr;
    _fullBatches = 0;
}

bool RPNDerivParser::endEquations()
{
    const bool written = writePendingEquations();
    _writeOnThread = false;
    _pTreePools = _pSolverData->pPools;
    return written;
}

bool RPNDerivParser::writeFullBatch()
{
    // The programs are written in batches, so that the trees of a model of
    // any size take a bounded amount of memory.
    if (_pTreePools->nodesTaken < batchNodes)
        return true;
    return _writeOnThread && ++_fullBatches > batchesBeforeWriter ? handOverBatch() : writePendingEquations();
}

bool RPNDerivParser::writePendingEquations()
{
    if (!finishWriting())
        return false;
    Position failedAt;
    if (writeBatch(_pending, *_pTreePools, failedAt))
        return true;
    logAt("@SC.SymbolicJacobian", failedAt);
    return false;
}

bool RPNDerivParser::writeBatch(std::vector<Pending>& pending, ExpressionPools& treePools, Position& failedAt)
{
    _trees.clear();
    for (const Pending& p : pending)
        _trees.push_back(p.pTree);
    // What a time step holds constant is computed once per step, before
    // what is shared is computed once per pass.
    if (_pSolverData->modelKind == 2)
        hoistStepConstants(pending);
    shareRepeatedSubtrees(_trees.data(), unsigned(_trees.size()));
    for (std::size_t i = 0; i < pending.size(); ++i)
    {
        ExpressionTree::prefetchAhead(_trees.data(), _trees.size(), i);
        const Pending& p = pending[i];
        // The data the tree reports to: the solver's, or the writer thread's.
        SolverData& data = *p.pTree->reportsTo();
        Evaluator* e = p.pEvaluator ? p.pEvaluator : data.pPools->evaluators.getEntry();
        data.logLine = p.at.line;
        data.logColumn = p.at.column;
        if (!p.pTree->createPostFix(e))
        {
            failedAt = p.at;
            return false;
        }
        if (p.column >= 0)
            p.pJacobian->addEvaluator(p.row, p.column, e);
    }
    pending.clear();
    treePools.recycleTrees();
    return true;
}

bool RPNDerivParser::parseIfEquation(ModelIterator& it, ExpressionTree& tree, sc::Group group, unsigned nesting)
{
    const Position line = positionOf(it);
    // A branch's if is compiled, written and differentiated within its
    // parent's: the nesting is bounded, so that no text takes the call stack
    // deeper.
    if (nesting >= sc::TokenizedModel::maxBlockNesting)
    {
        logAt("@SC.IfNestedTooDeep", line);
        return false;
    }
    ExpressionTree* pCondition = newTree();
    if (!pCondition->makeExpressionTree(&getTokenList(), ET::If))
    {
        logAt("@SC.CannotMakeIFExpression", line);
        return false;
    }
    tree._kind = ExpressionTree::Kind::IfThenElse;
    tree._condET = pCondition;
    if (!it.isValid() || it._current + 1 >= it._end)
    {
        logAt("@SC.IncompleteIF", line);
        return false;
    }
    if (group != sc::Group::NLEs)
    {
        logAt("@SC.IfInUnsupportedGroup", line);
        return false;
    }
    bool inElse = false;
    while (it._current + 1 < it._end)
    {
        ++it;
        const Position branchLine = positionOf(it);
        sc::ExpressionType type;
        if (!lexLine(it, 0, type))
            return false;
        ExpressionTree*& pBranch = inElse ? tree._elseET : tree._pThenET;
        switch (type)
        {
        case ET::Else: inElse = true; continue;
        case ET::End:
            if (!inElse || !tree._pThenET || !tree._elseET)
            {
                logAt("@SC.IncompleteIfElse", branchLine);
                return false;
            }
            return true;
        case ET::Plain:
        case ET::If:
        {
            // A branch holds one expression: a second one would silently
            // replace the first.
            if (pBranch)
            {
                logAt("@SC.IfBranchTwoExprs", branchLine);
                return false;
            }
            ExpressionTree* pTree = newTree();
            const bool built = type == ET::Plain ? pTree->makeExpressionTree(&getTokenList(), type)
                                                 : parseIfEquation(it, *pTree, group, nesting + 1);
            if (!built)
            {
                if (type == ET::Plain)
                    logAt("@SC.CannotMakeExpression", branchLine);
                return false;
            }
            pBranch = pTree;
            continue;
        }
        default: logAt("@SC.UnexpectedExpressionType", branchLine); return false;
        }
    }
    logAt("@SC.IncompleteIfElse", line);
    return false;
}

bool RPNDerivParser::parseSwitch(ModelIterator& it, ExpressionTree& tree, sc::Group group)
{
    const Position line = positionOf(it);
    bool hasDefault = false;
    const unsigned nCases = _pModel->countSwitchCases(it, 0, group, hasDefault);
    if (nCases == 0)
    {
        logAt("@SC.SwitchWoCases", line);
        return false;
    }
    if (!hasDefault && group >= sc::Group::NLEs && group <= sc::Group::TFs)
    {
        logAt("@SC.SwitchWoDef", line);
        return false;
    }
    ExpressionTree* pCase = &tree;
    tree._kind = ExpressionTree::Kind::SwitchCase;
    for (unsigned c = 0; c < nCases; ++c)
    {
        if (it._current + 1 >= it._end)
        {
            logAt("@SC.CaseExprErr", line);
            return false;
        }
        ++it;
        const Position caseLine = positionOf(it);
        const sc::_TokV& head = it.getToken(0);
        const bool isDefault = head.code == sc::Token::Reserved && head.id == std::uint32_t(sc::ReservedID::Default);
        // case cond -> expression carries its expression on its own line.
        const unsigned arrow = inlineArrow(it);
        if (!isDefault)
        {
            sc::ExpressionType type;
            ExpressionTree* pCondition = newTree();
            clearTokenList();
            const bool lexed =
                createTokenList(_pModel->getExpressionTokens(), it, 1, type, arrow ? arrow : it.getLine().nTokens);
            if (!lexed || !pCondition->makeExpressionTree(&getTokenList(), ET::If))
            {
                logAt("@SC.CaseCondExpr", caseLine);
                return false;
            }
            pCase->_condET = pCondition;
        }
        if (!arrow)
            ++it;
        sc::ExpressionType type;
        ExpressionTree* pBody = newTree();
        if (!lexLine(it, arrow ? arrow + 1 : 0, type) || type != ET::Plain ||
            !pBody->makeExpressionTree(&getTokenList(), type))
        {
            logAt("@SC.CaseExprErr", it);
            return false;
        }
        pCase->_pThenET = pBody;
        if (c + 1 < nCases)
        {
            ExpressionTree* pNext = newTree();
            pNext->_kind = ExpressionTree::Kind::SwitchCase;
            pCase->_elseET = pNext;
            pCase = pNext;
        }
    }
    // The closing end line.
    if (it._current + 1 < it._end)
        ++it;
    return true;
}
} // namespace SL_NS
