// Construction, binding, node utilities, counts and used variables.
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>
#include <mu/Assert.h>
#include <sc/ILog.h>

#include <cmath>

namespace SL_NS
{
using T = Token::Type;

ExpressionTree::ExpressionTree(bool simplify)
    : _simplify(simplify)
{
}

ExpressionTree::ExpressionTree(SolverData* pSolverData, FnLimits* pFnLimits, int nVars, bool simplify)
    : _simplify(simplify)
{
    bindPools(pSolverData, pFnLimits, nVars, pSolverData ? pSolverData->pPools : nullptr);
}

ExpressionTree::ExpressionTree(ExpressionTree* pOther)
{
    bindPools(pOther->_pSolverData, pOther->_pFnLimits, pOther->_nVars, pOther->_pPools);
    _simplify = pOther->_simplify;
    _nesting = std::uint16_t(pOther->_nesting + 1);
}

void ExpressionTree::init(SolverData& solverData, int nVars) { init(solverData, nVars, *solverData.pPools); }

void ExpressionTree::init(SolverData& solverData, int nVars, ExpressionPools& treePools)
{
    bindPools(&solverData, solverData.pFnLimits, nVars, &treePools);
}

void ExpressionTree::bindPools(SolverData* pSolverData, FnLimits* pFnLimits, int nVars, ExpressionPools* pTreePools)
{
    MU_ASSERT_MSG(pSolverData && pSolverData->pPools && pTreePools, "_pMemMgr");
    _pSolverData = pSolverData;
    _pPools = pTreePools;
    _pFnLimits = pFnLimits;
    _nVars = nVars;
    _opStack.setPool(&_pPools->nodeStackEntries);
    _operandStack.setPool(&_pPools->nodeStackEntries);
    _multiParamFnStack.setPool(&_pPools->fnEntries);
    resetCounts();
}

void ExpressionTree::resetCounts() { _noOfConsts = _noOfVars = _noOfParams = _noOfTokens = 0; }

ExpTreeNode* ExpressionTree::getRoot() const { return _operandStack.isEmpty() ? nullptr : _operandStack.top(); }

void ExpressionTree::prefetch(unsigned step) const
{
    if (step == 0)
        __builtin_prefetch(&_operandStack);
    else if (_operandStack.isEmpty())
        return;
    else if (step == 1)
        __builtin_prefetch(&_operandStack.top());
    else if (const ExpTreeNode* pRoot = getRoot(); step == 2)
        prefetchNode(pRoot);
    else
        prefetchOperand(pRoot);
}

void ExpressionTree::prefetchAhead(ExpressionTree* const* pTrees, std::size_t n, std::size_t i)
{
    constexpr std::size_t apart = 4;
    for (unsigned step = 0; step < prefetchSteps; ++step)
        if (const std::size_t k = i + (prefetchSteps - step) * apart; k < n && pTrees[k])
            pTrees[k]->prefetch(step);
}

void ExpressionTree::setTreeNode(ExpTreeNode* pRoot) { _operandStack.push(pRoot); }

void ExpressionTree::bindLike(const ExpressionTree& other)
{
    bindPools(other._pSolverData, other._pFnLimits, other._nVars, other._pPools);
}

ExpressionPools& ExpressionTree::programPools() const { return *_pSolverData->pPools; }

Token* ExpressionTree::createToken() const
{
    MU_ASSERT_MSG(_pPools, "_pMemMgr");
    Token* pToken = _pPools->tokens.allocate();
    *pToken = Token();
    return pToken;
}

ExpTreeNode* ExpressionTree::createNode() const
{
    MU_ASSERT_MSG(_pPools, "_pMemMgr");
    ExpTreeNode* pNode = _pPools->nodes.allocate();
    ++_pPools->nodesTaken;
    *pNode = ExpTreeNode();
    pNode->pToken = createToken();
    return pNode;
}

ExpTreeNode* ExpressionTree::createNode(Token::Type type, int index) const
{
    ExpTreeNode* pNode = createNode();
    pNode->pToken->type = type;
    pNode->pToken->index = index;
    return pNode;
}

ExpTreeNode* ExpressionTree::createNode(double value) const { return createNode(Value(value), T::REAL); }

ExpTreeNode* ExpressionTree::createNode(const Value& value, Token::Type type) const
{
    ExpTreeNode* pNode = createNode(type, 0);
    pNode->pToken->value = value;
    return pNode;
}

ExpTreeNode* ExpressionTree::cloneNode(const ExpTreeNode* pNode) const
{
    ExpTreeNode* pCopy = createNode();
    *pCopy->pToken = *pNode->pToken;
    pCopy->leftCount = pNode->leftCount;
    pCopy->rightCount = pNode->rightCount;
    return pCopy;
}

ExpTreeNode* ExpressionTree::cloneTree(const ExpTreeNode* pNode) const
{
    // Each copy is linked under its parent's copy as the walk reaches it.
    struct Pending
    {
        const ExpTreeNode* pSource;
        ExpTreeNode** pLink;
    };
    ExpTreeNode* pCopy = nullptr;
    WalkStack<Pending> stack;
    stack.push({pNode, &pCopy});
    while (!stack.empty())
    {
        const Pending p = stack.pop();
        ExpTreeNode* pNew = cloneNode(p.pSource);
        *p.pLink = pNew;
        if (p.pSource->pRightNode)
            stack.push({p.pSource->pRightNode, &pNew->pRightNode});
        if (p.pSource->pLeftNode)
            stack.push({p.pSource->pLeftNode, &pNew->pLeftNode});
    }
    return pCopy;
}

ExpTreeNode* ExpressionTree::share(ExpTreeNode* pNode)
{
    pNode->shared = 1;
    return pNode;
}

ExpTreeNode* ExpressionTree::createFunctionTree(Token::Type function, ExpTreeNode* pNode, bool clone) const
{
    ExpTreeNode* pFn = createNode(T::FUNCTION, int(function));
    pFn->pLeftNode = clone ? share(pNode) : pNode;
    pFn->leftCount = pFn->pLeftNode->height();
    return pFn;
}

void ExpressionTree::countNode(const ExpTreeNode* pNode)
{
    const Token& t = *pNode->pToken;
    ++_noOfTokens;
    if (t.type == T::SHARED_VALUE)
        ++_noOfParams; // its slot travels in the parameter-index list
    else if (t.type == T::SYMBOL)
    {
        const bool variable = t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index < _nVars;
        ++(variable ? _noOfVars : _noOfParams);
    }
    else if (t.isNumeric())
        ++_noOfConsts;
    else if (t.type == T::FUNCTION && opInfo(t.function()).pushesOwnValue)
    {
        // The token's own value is pushed before its instruction.
        ++_noOfTokens;
        ++_noOfConsts;
    }
}

// The counts of a program, and the heights that order its writing: what the
// tree algebra or the dependency flags left in the counts is not trusted.
// Leaves (with the further leaf arguments of a function) are counted by
// their parent. False past the longest program allowed, where the walk stops.
bool ExpressionTree::calcNoOfTokensAndData(ExpTreeNode* pRoot)
{
    auto countLeaves = [this](ExpTreeNode* p) {
        for (; p; p = p->pRightNode)
        {
            countNode(p);
            p->leftCount = p->rightCount = 0;
        }
    };
    if (!pRoot || pRoot->isLeaf())
    {
        countLeaves(pRoot);
        return true;
    }
    struct Frame
    {
        ExpTreeNode* p;
        bool expanded;
    };
    WalkStack<Frame> stack;
    stack.push({pRoot, false});
    while (!stack.empty())
    {
        Frame& f = stack.top();
        ExpTreeNode* p = f.p;
        if (!f.expanded)
        {
            f.expanded = true;
            if (p->pRightNode)
                prefetchOperand(p->pRightNode);
            prefetchOperand(p->pLeftNode);
            if (p->pRightNode && !p->pRightNode->isLeaf())
                stack.push({p->pRightNode, false});
            if (!p->pLeftNode->isLeaf())
                stack.push({p->pLeftNode, false});
            continue;
        }
        stack.pop();
        countNode(p);
        if (p->pLeftNode->isLeaf())
            countLeaves(p->pLeftNode);
        if (p->pRightNode && p->pRightNode->isLeaf())
            countLeaves(p->pRightNode);
        p->leftCount = p->pLeftNode->height();
        p->rightCount = p->pRightNode ? p->pRightNode->height() : 0;
        if (_noOfTokens > maxProgramTokens)
            return false;
    }
    return true;
}

void ExpressionTree::calcNoOfTokensAndData()
{
    resetCounts();
    calcNoOfTokensAndData(getRoot());
}

void ExpressionTree::replaceBySharedValue(ExpTreeNode* pNode, Token* pSlotToken)
{
    pNode->pToken = pSlotToken;
    pNode->pLeftNode = pNode->pRightNode = nullptr;
    pNode->leftCount = pNode->rightCount = 0;
}

void ExpressionTree::replaceByNegation(ExpTreeNode* pNode, Token* pMinus, ExpTreeNode* pZero, ExpTreeNode* pRead)
{
    pNode->pToken = pMinus;
    pNode->pLeftNode = pZero;
    pNode->pRightNode = pRead;
    pNode->leftCount = pNode->rightCount = 1;
}

void ExpressionTree::populateUsedVars(cnt::FixNumSet<int>& set) const
{
    if (const ExpTreeNode* pRoot = getRoot())
        populateUsedVars(pRoot, set);
}

void ExpressionTree::populateUsedVars(const ExpTreeNode* pNode, cnt::FixNumSet<int>& set) const
{
    forEachNode(pNode, [this, &set](const ExpTreeNode* p) {
        const Token& t = *p->pToken;
        if (t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index >= 0 && t.index < _nVars)
            set.insert(t.index);
    });
}

bool ExpressionTree::isConstant(const TokenList& tokens)
{
    for (const Token& t : tokens)
        if (t.type == T::IDENTIFIER || t.type == T::SYMBOL || t.type == T::PARAMETER)
            return false;
    return true;
}

void ExpressionTree::logError(const char* key, std::uint8_t code, const char* argument, const char* second)
{
    _errorCode = code;
    sc::ILog* pLog = _pSolverData->getLogger();
    if (!pLog)
        return;
    const std::uint32_t line = _pSolverData->logLine, column = _pSolverData->buildColumn();
    if (argument)
        pLog->translateAndAdd(key, line, column, sc::ILog::Type::Error, argument, second, nullptr);
    else
        pLog->translateAndAdd(key, line, column, sc::ILog::Type::Error);
}
} // namespace SL_NS
