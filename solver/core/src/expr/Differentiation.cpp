// Symbolic first derivatives. A dependency pass flags, per node, which side
// depends on the variable; the rules then build the derivative from the
// same pools through the tree algebra, so constant factors fold while it is
// made. A subtree that does not depend on the variable yields no tree.
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/FnLimits.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>
#include <mu/Assert.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using Op = ExpressionTree::BasicOperation;

double realPart(const Value& v)
{
#if SL_COMPLEX
    return v.real();
#else
    return v;
#endif
}

bool isValue(const ExpTreeNode* pNode, double v) { return pNode->isNumeric() && pNode->pToken->value == Value(v); }

// The digest bit of a variable; the index is scattered over the 16 bits so
// that the neighbouring indices of one equation land on different bits.
std::uint16_t digestBit(unsigned var) { return std::uint16_t(1u << ((var * 0x9E3779B1u) >> 28)); }

// What a leaf may depend on: its variable, or any variable for a lim (the
// limit's derivative list decides).
std::uint16_t leafDigest(const Token& t)
{
    if (t.isFunctionOf(T::LIMIT))
        return 0xFFFF;
    const bool variable = t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel;
    return variable ? digestBit(unsigned(t.index)) : 0;
}
} // namespace

// The rules for one variable. A derivative refers to the subtrees of its
// expression that it reuses (marked shared, so that no rewrite changes them)
// instead of copying them: its size grows with the expression's, not with
// the expression's size times its depth. Both walks keep their own stack:
// an expression may nest deeper than the call stack allows.
struct ExpressionTree::Derivation
{
    const ExpressionTree& tree;
    unsigned var;

    // Flags each node's sides with their dependency on the variable (a lim
    // leaf with its position in the limit's derivative list); 1 when the
    // tree depends on it. Leaves are flagged by their parent.
    int color(ExpTreeNode* pRoot) const
    {
        struct Frame
        {
            ExpTreeNode* p;
            unsigned var;
            bool expanded;
        };
        const VariableDigest* pDigest = tree.digestOf(pRoot);
        if (const std::uint16_t bit = exactBitOf(pDigest))
            return (pRoot->varDigest & bit) != 0;
        // a variable outside an exact digest is looked for by a whole walk
        const std::uint16_t digested = pDigest && !pDigest->exact() ? tree.diffDigestBits() : 0;
        WalkStack<Frame> stack;
        if (walks(pRoot, digested))
            stack.push({pRoot, var, false});
        while (!stack.empty())
        {
            Frame& f = stack.top();
            ExpTreeNode* p = f.p;
            const Derivation here {tree, f.var};
            const Derivation below = here.forArgumentOf(p);
            if (!f.expanded)
            {
                f.expanded = true;
                if (p->pRightNode && walks(p->pRightNode, digested))
                    stack.push({p->pRightNode, here.var, false});
                if (walks(p->pLeftNode, digested))
                    stack.push({p->pLeftNode, below.var, false});
                continue;
            }
            stack.pop();
            p->leftCount = below.colorOf(p->pLeftNode, digested);
            if (p->pRightNode)
                p->rightCount = here.colorOf(p->pRightNode, digested);
        }
        return colorOf(pRoot, digested);
    }

    // The derivative of a colored tree, children before parents; null when
    // it does not depend on the variable. Leaves are derived by their parent.
    ExpTreeNode* derive(ExpTreeNode* pRoot) const
    {
        struct Frame
        {
            ExpTreeNode* p;
            unsigned var;
            bool expanded;
        };
        if (pRoot->isLeaf())
            return leaf(pRoot);
        // An exact digest tells the dependency of each side (no conj then:
        // the variable is the same throughout); else the colors do.
        const std::uint16_t bit = exactBitOf(tree.digestOf(pRoot));
        auto depends = [bit](const ExpTreeNode* pSide, int color) {
            return bit ? (pSide->varDigest & bit) != 0 : color != 0;
        };
        WalkStack<Frame> stack;
        WalkStack<ExpTreeNode*> results;
        stack.push({pRoot, var, false});
        while (!stack.empty())
        {
            Frame& f = stack.top();
            ExpTreeNode* p = f.p;
            const Derivation here {tree, f.var};
            const Derivation below = here.forArgumentOf(p);
            const bool left = depends(p->pLeftNode, p->leftCount),
                       right = p->pRightNode && depends(p->pRightNode, p->rightCount);
            if (!left && !right)
            {
                stack.pop();
                results.push(nullptr);
            }
            else if (!f.expanded)
            {
                // What has no rule is refused before its operands are derived;
                // a constant rule needs none.
                if (!here.needsOperands(p))
                {
                    stack.pop();
                    results.push(here.number(0));
                    continue;
                }
                f.expanded = true;
                if (right && !p->pRightNode->isLeaf())
                    stack.push({p->pRightNode, here.var, false});
                if (left && !p->pLeftNode->isLeaf())
                    stack.push({p->pLeftNode, below.var, false});
            }
            else
            {
                stack.pop();
                ExpTreeNode* db = nullptr;
                ExpTreeNode* da = nullptr;
                if (right)
                    db = p->pRightNode->isLeaf() ? here.leaf(p->pRightNode) : results.pop();
                if (left)
                    da = p->pLeftNode->isLeaf() ? below.leaf(p->pLeftNode) : results.pop();
                results.push(here.apply(p, left, right, da, db));
            }
        }
        return results.pop();
    }

    // The dependency of a colored node; a leaf is colored now, and a node
    // whose digest lacks the variable was left uncolored.
    int colorOf(ExpTreeNode* p, std::uint16_t digested) const
    {
        if (p->isLeaf())
            return colorLeaf(p);
        if (!mayDepend(p, digested))
            return 0;
        return p->leftCount | (p->pRightNode ? p->rightCount : 0);
    }

    ExpTreeNode* number(const Value& v) const { return tree.createConstant(v); }

private:
    // The variable's bit in an exact digest; 0 without one.
    std::uint16_t exactBitOf(const VariableDigest* pDigest) const
    {
        return pDigest && pDigest->exact() ? pDigest->exactBit(var) : 0;
    }
    // digested: the digest bits of the variable and its conjugate partner
    // (below a conj the pass looks for the partner), 0 without a digest.
    static bool mayDepend(const ExpTreeNode* p, std::uint16_t digested)
    {
        return !digested || (p->varDigest & digested) != 0;
    }
    // The dependency pass descends into a node: leaves are colored by their parent.
    static bool walks(const ExpTreeNode* p, std::uint16_t digested) { return !p->isLeaf() && mayDepend(p, digested); }

    ExpTreeNode* merge(ExpTreeNode* l, ExpTreeNode* r, Op op, bool cloneL = false, bool cloneR = false) const
    {
        return tree.mergeUsingBasicOperation(l, r, cloneL, cloneR, op);
    }
    // A function or power of u.
    ExpTreeNode* of(T function, ExpTreeNode* u) const { return tree.createFunctionTree(function, u, true); }
    ExpTreeNode* squareOf(ExpTreeNode* u) const { return tree.createPower(u, 2, true); }
    ExpTreeNode* reciprocal(ExpTreeNode* pOwned) const { return merge(number(1), pOwned, Op::Divide); }
    ExpTreeNode* reciprocalSqrt(ExpTreeNode* pOwned) const
    {
        return reciprocal(tree.createFunctionTree(T::SQRT, pOwned, false));
    }

    bool isVariable(const Token& t) const
    {
        return t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index == int(var);
    }

    // The 1-based position of the variable in the limit's derivative list; 0 when absent.
    unsigned limitPosition(const Token& t) const
    {
        const LimitArg arg = LimitArg::unpack(realPart(t.value));
        MU_ASSERT_MSG(arg.limitID > 0, "limitID > 0");
        const auto& derivs = (*tree._pFnLimits)[arg.limitID]._derivEvaluators;
        for (std::size_t i = 0; i < derivs.size(); ++i)
            if (derivs[i].var == int(var))
                return unsigned(i + 1);
        return 0;
    }

    // Below a conj the derivative is taken for the conjugate partner:
    // d conj(u)/dz = conj(du/d conj(z)).
    Derivation forArgumentOf([[maybe_unused]] const ExpTreeNode* pNode) const
    {
#if SL_COMPLEX
        if (pNode->isFunction(T::CONJ) && tree._pSolverData->conjVars)
            return {tree, var == tree._currentDiffVar ? tree._currentDiffPartner : tree._currentDiffVar};
#endif
        return *this;
    }

    int colorLeaf(ExpTreeNode* pNode) const
    {
        const Token& t = *pNode->pToken;
        if (!t.isFunctionOf(T::LIMIT))
            return isVariable(t);
        pNode->leftCount = int(limitPosition(t));
        return pNode->leftCount > 0;
    }

    // Refuses an operation without a rule; false for the rule whose
    // derivative is 0 whatever its operand.
    bool needsOperands(const ExpTreeNode* pNode) const
    {
        const Token& t = *pNode->pToken;
        if (t.type != T::FUNCTION)
        {
            if (opInfo(t.type).diff == DiffRule::None)
                refuse("Differentiation is not defined for operator '@'", opInfo(t.type).text,
                       "Unsupported operator for diff");
            return true;
        }
        const T fn = t.function();
        switch (opInfo(fn).diff)
        {
        case DiffRule::Chain: return true;
        case DiffRule::Zero: return false;
        case DiffRule::Atg2:
            if (!pNode->pRightNode)
                refuse(T::ATG2);
            return true;
        case DiffRule::Conj:
            if (!tree._pSolverData->conjVars)
                refuse(fn); // without conjugate variables conj is not holomorphic
            return true;
        default: refuse(fn);
        }
    }

    // The rule of a node, from the derivatives of its operands (null for
    // one that does not depend on the variable).
    ExpTreeNode* apply(ExpTreeNode* pNode, bool left, bool right, ExpTreeNode* da, ExpTreeNode* db) const
    {
        const Token& t = *pNode->pToken;
        if (t.type == T::FUNCTION)
            return function(pNode, da, db);
        switch (opInfo(t.type).diff)
        {
        case DiffRule::Product: return product(pNode, left, right, da, db);
        case DiffRule::Sum: return da && db ? merge(da, db, Op::Add) : (da ? da : db);
        case DiffRule::Difference:
            return da && db ? merge(da, db, Op::Subtract) : (da ? da : merge(number(0), db, Op::Subtract));
        case DiffRule::Quotient: return quotient(pNode, da, db);
        default: return power(pNode, da, db);
        }
    }

    // The derivative of the variable, one node for every place it stands.
    ExpTreeNode* one() const
    {
        if (!tree._pOne)
            tree._pOne = share(number(1));
        return tree._pOne;
    }

    ExpTreeNode* leaf(const ExpTreeNode* pNode) const
    {
        const Token& t = *pNode->pToken;
        if (isVariable(t))
            return one();
        if (!t.isFunctionOf(T::LIMIT) || pNode->leftCount == 0)
            return number(0);
        // The limit's stored derivative for this variable.
        ExpTreeNode* pCopy = tree.cloneNode(pNode);
        LimitArg arg = LimitArg::unpack(realPart(t.value));
        arg.derivPos = std::uint32_t(pNode->leftCount);
        pCopy->pToken->value = Value(arg.pack());
        return pCopy;
    }

    [[noreturn]] void refuse(const char* format, const char* name, const char* reason) const
    {
        tree._pSolverData->appendError(format, name);
        throw std::invalid_argument(reason);
    }

    [[noreturn]] void refuse(T function) const
    {
        refuse("Function @ cannot be differentiated and thus cannot be used as part of NLEqs!",
               functionDisplayName(function), "Unsupported function for diff");
    }

    ExpTreeNode* function(ExpTreeNode* pNode, ExpTreeNode* du, ExpTreeNode* db) const
    {
        const T fn = pNode->pToken->function();
        switch (opInfo(fn).diff)
        {
        case DiffRule::Chain: return times(pNode->pLeftNode, du, chainFactor(fn, pNode));
        case DiffRule::Atg2: return atg2(pNode, du, db);
        default: return tree.createFunctionTree(fn, du, false); // conj
        }
    }

    // f'(u) for f(u) = pFn.
    ExpTreeNode* chainFactor(T fn, ExpTreeNode* pFn) const
    {
        ExpTreeNode* u = pFn->pLeftNode;
        switch (fn)
        {
        case T::ABS: return of(T::SIGN, u);
        case T::ACOS: return merge(number(-1), tree.createFunctionTree(T::SQRT, oneMinusSquare(u), false), Op::Divide);
        case T::ASIN: return reciprocalSqrt(oneMinusSquare(u));
        case T::ATG: return reciprocal(merge(number(1), squareOf(u), Op::Add));
        case T::COS: return merge(number(0), of(T::SIN, u), Op::Subtract);
        case T::EXP: return share(pFn);
        case T::SQRT: return merge(tree.createNode(0.5), tree.createPowerReal(u, -0.5, true), Op::Multiply);
        case T::LN: return merge(number(1), u, Op::Divide, false, true);
        case T::LOG: return merge(number(std::numbers::log10e), u, Op::Divide, false, true);
        case T::SIN: return of(T::COS, u);
        case T::TG: return reciprocal(tree.createPower(of(T::COS, u), 2, false));
        case T::SQR: return merge(number(2), u, Op::Multiply, false, true);
        case T::SINH: return of(T::COSH, u);
        case T::COSH: return of(T::SINH, u);
        case T::TGH: return merge(number(1), tree.createPower(of(T::TGH, u), 2, false), Op::Subtract);
        case T::ASNH: return reciprocalSqrt(merge(number(1), squareOf(u), Op::Add));
        case T::ACSH:
            // sqrt(u - 1) sqrt(u + 1), not sqrt(u^2 - 1): the two differ in
            // sign for complex u left of the imaginary axis.
            return reciprocal(merge(tree.createFunctionTree(T::SQRT, tree.minusOne(u), false),
                                    of(T::SQRT, merge(u, number(1), Op::Add, true, false)), Op::Multiply));
        case T::ATGH: return reciprocal(oneMinusSquare(u));
        default: MU_ASSERT_MSG(false, "a chain rule without its factor"); return nullptr;
        }
    }

    ExpTreeNode* oneMinusSquare(ExpTreeNode* u) const { return merge(number(1), squareOf(u), Op::Subtract); }

    static ExpTreeNode* share(ExpTreeNode* p) { return ExpressionTree::share(p); }

    // d(u) * factor, factor handed over; the variable itself contributes the
    // factor alone.
    ExpTreeNode* times(const ExpTreeNode* u, ExpTreeNode* du, ExpTreeNode* factor) const
    {
        if (u->isLeaf() && isVariable(*u->pToken))
            return factor;
        return merge(du, factor, Op::Multiply);
    }

    // d(a*b) = d(a)*b + d(b)*a.
    ExpTreeNode* product(ExpTreeNode* pNode, bool left, bool right, ExpTreeNode* da, ExpTreeNode* db) const
    {
        ExpTreeNode *a = pNode->pLeftNode, *b = pNode->pRightNode;
        ExpTreeNode* pa = left ? times(a, da, share(b)) : nullptr;
        ExpTreeNode* pb = right ? times(b, db, share(a)) : nullptr;
        return pa && pb ? merge(pa, pb, Op::Add) : (pa ? pa : pb);
    }

    // d(a/b) = d(a)/b, or (d(a)*b - a*d(b)) / b^2 when b depends on the variable.
    ExpTreeNode* quotient(ExpTreeNode* pNode, ExpTreeNode* da, ExpTreeNode* db) const
    {
        ExpTreeNode *a = pNode->pLeftNode, *b = pNode->pRightNode;
        if (!db)
            return merge(da, b, Op::Divide, false, true);
        ExpTreeNode* numerator = merge(a, db, Op::Multiply, true, false);
        numerator = merge(da ? merge(da, b, Op::Multiply, false, true) : number(0), numerator, Op::Subtract);
        return merge(numerator, squareOf(b), Op::Divide);
    }

    // d(a^b): b*a^(b-1)*d(a) for a constant exponent, ln(a)*a^b*d(b) for a
    // constant base, (d(b)*ln(a) + b*d(a)/a)*a^b when both vary.
    ExpTreeNode* power(ExpTreeNode* pNode, ExpTreeNode* da, ExpTreeNode* db) const
    {
        ExpTreeNode *a = pNode->pLeftNode, *b = pNode->pRightNode;
        if (!db)
        {
            ExpTreeNode* exponent = tree.minusOne(b);
            ExpTreeNode* base = isValue(exponent, 0)   ? number(1)
                                : isValue(exponent, 1) ? share(a)
                                                       : tree.createOperatorNode(T::POW, share(a), exponent);
            return merge(merge(b, base, Op::Multiply, true, false), da, Op::Multiply);
        }
        if (!da)
        {
            if (isValue(a, 0) || isValue(a, 1))
                return number(0);
            // ln e = 1; any other number gives its logarithm as a constant.
            ExpTreeNode* factor = db;
            if (a->type() != T::CONST_E)
                factor = merge(a->isNumeric() ? number(std::log(a->pToken->value)) : of(T::LN, a), db, Op::Multiply);
            return merge(factor, pNode, Op::Multiply, false, true);
        }
        ExpTreeNode* second;
        if (tree.areNodesIdentical(a, b))
            second = da;
        else if (tree.areNodesIdentical(da, a))
            second = share(b);
        else
            second = merge(merge(b, da, Op::Multiply, true, false), a, Op::Divide, false, true);
        ExpTreeNode* bracket = merge(merge(db, of(T::LN, a), Op::Multiply), second, Op::Add);
        return merge(bracket, pNode, Op::Multiply, false, true);
    }

    // atg2(a, b) is atan2(b, a): d = (a*d(b) - b*d(a)) / (a^2 + b^2), which
    // stays finite at a = 0.
    ExpTreeNode* atg2(ExpTreeNode* pNode, ExpTreeNode* da, ExpTreeNode* db) const
    {
        ExpTreeNode *a = pNode->pLeftNode, *b = pNode->pRightNode;
        ExpTreeNode* numerator = db ? merge(a, db, Op::Multiply, true, false) : number(0);
        if (da)
            numerator = merge(numerator, merge(b, da, Op::Multiply, true, false), Op::Subtract);
        return merge(numerator, merge(squareOf(a), squareOf(b), Op::Add), Op::Divide);
    }
};

// The derivative programs of one branch: one per variable it depends on.
struct ExpressionTree::Run
{
    Evaluator* pFirst = nullptr;
    unsigned n = 0;
};

void ExpressionTree::setCurrentDiffVariable(unsigned var)
{
    _currentDiffVar = var;
#if SL_COMPLEX
    _currentDiffPartner = unsigned(conjugatePartner(int(var)));
#endif
}

ExpressionTree::VariableDigest::VariableDigest(ExpressionTree& tree, [[maybe_unused]] const cnt::FixNumSet<int>& vars)
    : _tree(tree)
    , _pRoot(tree.getRoot())
{
    if (!_pRoot)
        return;
#if !SL_COMPLEX
    // a conj below would look for the partner, a lim for what its list holds
    bool fits = true;
    for (const int v : vars)
    {
        fits = _nExact < std::size(_exactVars);
        if (!fits)
            break;
        _exactVars[_nExact++] = v;
    }
    if (!fits)
        _nExact = 0;
#endif
    // The derivatives are taken for the variables of vars alone: a symbol
    // outside them (a parameter) is none of them.
    auto exactLeaf = [this](const Token& t, std::uint16_t& digest) {
        if (t.isFunctionOf(T::LIMIT))
            return false;
        const bool symbol = t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel;
        digest = symbol ? exactBit(unsigned(t.index)) : 0;
        return true;
    };
    auto hashedLeaf = [](const Token& t, std::uint16_t& digest) {
        digest = leafDigest(t);
        return true;
    };
    if (!exact() || !digest(exactLeaf))
    {
        _nExact = 0;
        digest(hashedLeaf);
    }
    tree._pDigest = this;
}

std::uint16_t ExpressionTree::VariableDigest::exactBit(unsigned var) const
{
    const int* pEnd = _exactVars + _nExact;
    const int* p = std::lower_bound(_exactVars, pEnd, int(var));
    return p != pEnd && *p == int(var) ? std::uint16_t(1u << (p - _exactVars)) : 0;
}

// Every node's digest, children before parents; false (the walk stopped)
// when a leaf has no digest of the kind.
template <typename LeafDigest>
bool ExpressionTree::VariableDigest::digest(LeafDigest digestOfLeaf)
{
    struct Frame
    {
        ExpTreeNode* p;
        bool expanded;
    };
    WalkStack<Frame> stack;
    stack.push({_pRoot, false});
    while (!stack.empty())
    {
        Frame& f = stack.top();
        ExpTreeNode* p = f.p;
        if (p->isLeaf())
        {
            stack.pop();
            if (!digestOfLeaf(*p->pToken, p->varDigest))
                return false;
            continue;
        }
        if (!f.expanded)
        {
            f.expanded = true;
            if (p->pRightNode)
                stack.push({p->pRightNode, false});
            stack.push({p->pLeftNode, false});
            continue;
        }
        stack.pop();
        p->varDigest = p->pLeftNode->varDigest | (p->pRightNode ? p->pRightNode->varDigest : 0);
    }
    return true;
}

const ExpressionTree::VariableDigest* ExpressionTree::digestOf(const ExpTreeNode* pRoot) const
{
    return _pDigest && _pDigest->root() == pRoot ? _pDigest : nullptr;
}

std::uint16_t ExpressionTree::diffDigestBits() const
{
#if SL_COMPLEX
    return digestBit(_currentDiffVar) | digestBit(_currentDiffPartner);
#else
    return digestBit(_currentDiffVar);
#endif
}

int ExpressionTree::colorTreeWithVariableDependencies(ExpTreeNode* pNode) const
{
    return Derivation {*this, _currentDiffVar}.color(pNode);
}

bool ExpressionTree::isVariableUsed(int var)
{
    ExpTreeNode* pRoot = getRoot();
    if (_kind == Kind::IfThenElse || !pRoot)
        return false;
    setCurrentDiffVariable(unsigned(var));
    return colorTreeWithVariableDependencies(pRoot) == 1;
}

ExpTreeNode* ExpressionTree::makeDifferentiate2(ExpTreeNode* pNode) const
{
    return Derivation {*this, _currentDiffVar}.derive(pNode);
}

bool ExpressionTree::createDerivative2(ExpressionTree& deriv, int var)
{
    ExpTreeNode* pRoot = getRoot();
    if (!pRoot)
        return true;
    setCurrentDiffVariable(unsigned(var));
    if (colorTreeWithVariableDependencies(pRoot) != 1)
        return true;
    try
    {
        deriv.setTreeNode(makeDifferentiate2(pRoot));
        return true;
    }
    catch (const std::invalid_argument&)
    {
        // The error text already names the function or operator.
        logError("@ET.CantDiff", _errorCode);
        return false;
    }
}

bool ExpressionTree::createIfThenDerivative2(Evaluator* pDeriv)
{
    MU_ASSERT_MSG(_kind == Kind::IfThenElse || _kind == Kind::SwitchCase,
                  "_type == Type::IfThenElse || _type == Type::SwitchCase");
    MU_ASSERT_MSG(_pThenET, "_pThenET");
    Evaluator* pCondition;
    Run thenRun, elseRun;
    if (!writeBranch(_condET, pCondition) || !deriveBranch(_pThenET, thenRun, "@ET.ZeroThenExps", "@ET.ThenCantDiff") ||
        (_elseET && !deriveBranch(_elseET, elseRun, "@ET.ZeroElseExps", "@ET.ElseCantDiff")))
        return false;
    pDeriv->setIfThenElse(pCondition, thenRun.pFirst, thenRun.n, elseRun.pFirst, elseRun.n);
    return true;
}

bool ExpressionTree::createSwitchDerivative2(Evaluator* pDeriv, Evaluator* pSwitchEvaluator)
{
    MU_ASSERT_MSG(_kind == Kind::SwitchCase, "_type == Type::SwitchCase");
    unsigned largest = 0;
    Evaluator* pCase = pDeriv;
    for (ExpressionTree* pTree = this; pTree; pTree = pTree->_elseET)
    {
        MU_ASSERT_MSG(pSwitchEvaluator, "pSwitchEvaluator");
        Run run;
        if (!deriveForUsedVars(pTree->_pThenET, run, "@ET.CaseNoDiffVars", "@ET.CaseDiffError"))
            return false;
        pCase->setSwitchCase(pSwitchEvaluator->getCondition(), run.pFirst, run.n);
        largest = std::max(largest, run.n);
        if (pTree->_elseET)
        {
            Evaluator* pNext = programPools().evaluators.getEntry();
            pCase->setNextCaseEvaluator(pNext);
            pCase = pNext;
            pSwitchEvaluator = pSwitchEvaluator->getNextCase();
        }
    }
    // What one fill of the Jacobian can put: the largest case.
    pDeriv->setNoOfNonZeros(largest);
    return true;
}

// A nested if-then-else branch gets a conditional derivative of its own.
bool ExpressionTree::deriveBranch(ExpressionTree* pBranch, Run& run, const char* noVarsKey, const char* failKey)
{
    if (pBranch->_kind != Kind::IfThenElse)
        return deriveForUsedVars(pBranch, run, noVarsKey, failKey);
    run = {programPools().evaluators.getEntry(), 1};
    if (pBranch->createIfThenDerivative2(run.pFirst))
        return true;
    logError(failKey, _errorCode);
    return false;
}

// One derivative program per variable of the equation that pBranch depends
// on, each tagged with its variable (the Jacobian column).
bool ExpressionTree::deriveForUsedVars(ExpressionTree* pBranch, Run& run, const char* noVarsKey, const char* failKey)
{
    MU_ASSERT_MSG(_pSolverData->pLastUsedVars, "pLastUsedVars");
    const cnt::FixNumSet<int>& vars = *_pSolverData->pLastUsedVars;
    std::optional<VariableDigest> digest;
    if (pBranch)
        digest.emplace(*pBranch, vars);
    unsigned n = 0;
    if (pBranch)
        for (const int v : vars)
            n += pBranch->isVariableUsed(v);
    if (n == 0)
    {
        logError(noVarsKey, _errorCode);
        return false;
    }
    run = {programPools().evaluators.getEntries(int(n)), 0};
    for (const int v : vars)
    {
        ExpressionTree deriv(_simplify);
        deriv.bindLike(*this);
        if (!pBranch->createDerivative2(deriv, v))
        {
            logError(failKey, _errorCode);
            return false;
        }
        if (deriv.isEmpty())
            continue;
        Evaluator& e = run.pFirst[run.n++];
        if (!deriv.createPostFix(&e))
            return false;
        e.setVariableIndex(v, Evaluator::AssignmentType::Parameter, '=');
    }
    return true;
}
} // namespace SL_NS
