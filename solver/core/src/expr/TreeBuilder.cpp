// The tree builder: an operator-precedence parser over the lexer's token
// list with a second stack for open functions and brackets. Every misuse of
// operators, brackets and arguments is reported with the expression's line
// and the column of the token at fault; nothing a model text says can reach
// an assertion.
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>
#include <expr/TokenMaps.h>
#include <mu/Assert.h>
#include <mu/Utils.h>

#include <cstdio>
#include <string>

namespace SL_NS
{
namespace
{
using T = Token::Type;

bool isOpenBracket(const ExpTreeNode* p) { return p->type() == T::OPEN_PARENTHESIS; }

std::uint8_t argClassOf(ArgForm form)
{
    switch (form)
    {
    case ArgForm::SecondExpression:
    case ArgForm::SecondLeaf: return 1;
    case ArgForm::ThirdLeaf: return 2;
    default: return 0;
    }
}

// The number of arguments a function takes.
std::uint8_t argumentsOf(T fn)
{
    // The complex machine's atg2 gives the phase angle of one value.
    if (isComplexBuild && fn == T::ATG2)
        return 1;
    return std::uint8_t(1 + argClassOf(opInfo(fn).args));
}
} // namespace

// One run of the builder over a token list, from an iterator to the end of
// the list or to the bracket that closes a sub-expression.
struct ExpressionTree::Builder
{
    ExpressionTree& tree;
    TokenList& list;
    TokenList::iterator& it;
    T endType;
    State state = State::Start;
    bool notPending = false;
    bool skipUnaryPlus = true;
    bool mustClose = false;

    bool fail(const char* key, std::uint8_t code, const char* argument = nullptr)
    {
        tree.logError(key, code, argument);
        return false;
    }
    // A message about a function names the function's own token.
    bool failAt(const TokenList::_tEntry* pSource, const char* key, std::uint8_t code, const char* argument = nullptr)
    {
        if (pSource)
            tree._pSolverData->pBuildAt = pSource;
        return fail(key, code, argument);
    }
    void standAtCurrent() { tree._pSolverData->pBuildAt = it.getEntry(); }

    ExpTreeNode* nodeOf(const Token& token) const
    {
        ExpTreeNode* pNode = tree.createNode();
        *pNode->pToken = token;
        return pNode;
    }

    static const char* nameOf(const Token& fn) { return functionDisplayName(fn.function()); }

    bool isVariable(const Token& t) const
    {
        return t.type == T::SYMBOL && t.symbolOrigin == sc::SymbolOrigin::ThisModel && t.index < tree._nVars;
    }

    void countLeaf(const Token& t)
    {
        ++tree._noOfTokens;
        if (t.type == T::SYMBOL || t.type == T::PARAMETER || t.type == T::LAPLACE)
            ++(isVariable(t) ? tree._noOfVars : tree._noOfParams);
        else
            ++tree._noOfConsts;
    }

    // An operand is complete: it goes on the operand stack, and a not that
    // waits on top of the operator stack takes it.
    bool pushOperand(ExpTreeNode* pNode)
    {
        tree._operandStack.push(pNode);
        notPending = false;
        skipUnaryPlus = false;
        state = State::AfterOperand;
        return tree.bindNots();
    }

    bool onLeaf(const Token& t)
    {
        if (state == State::AfterOperand)
        {
            if (t.type == T::LAPLACE)
                return fail("@ET.sAfterOprnd", 2);
            if (t.isNumeric())
                return fail("@ET.ConstAfterOperand", 2, constantText(t).c_str());
            const char* name = tree._pSolverData->getLeafNameForLog(t);
            return fail("@ET.LabelAfterOperand", 2, name ? name : "");
        }
        countLeaf(t);
        return pushOperand(nodeOf(t));
    }

    // "%g" of a real value, "(%g,%g)" of a complex one.
    static std::string constantText(const Token& t)
    {
        mu::Utils text;
        return text.c_str(t.value);
    }

    bool onOpenBracket()
    {
        if (state == State::AfterOperand)
            return fail("@ET.(_AfterOperand", 2);
        tree._opStack.push(tree.createNode(T::OPEN_PARENTHESIS, 0));
        tree._multiParamFnStack.push(_fnEntry {});
        notPending = false;
        state = State::Start;
        skipUnaryPlus = true;
        return true;
    }

    bool onCloseBracket(bool& ended)
    {
        if (state != State::AfterOperand)
            return fail("@ET.)_AfterOper", 2);
        if (tree._multiParamFnStack.isEmpty())
        {
            if (endType != T::CLOSE_PARENTHESIS)
                return fail("@ET.FnNeeds_)", 10);
            ended = true;
            return tree.srediStack(tree.createNode(T::CLOSE_PARENTHESIS, 0));
        }
        const _fnEntry entry = tree._multiParamFnStack.top();
        if (entry.pNode && entry.nArgs != argumentsOf(entry.pNode->pToken->function()))
            return failAt(entry.pSource, "@ET.FnParamMising", 10, nameOf(*entry.pNode->pToken));
        if (!tree.srediStack(tree.createNode(T::CLOSE_PARENTHESIS, 0)))
            return false;
        tree._multiParamFnStack.pop();
        mustClose = false;
        state = State::AfterOperand;
        skipUnaryPlus = false;
        return tree.bindNots();
    }

    bool onOperator(const Token& t)
    {
        if (t.type == T::PLUS && skipUnaryPlus)
            return true;
        const char* text = opInfo(t.type).text;
        if (!opInfo(t.type).hasInstruction())
            return fail("@ET.UnexpTokenID", 2, text);
        if (notPending)
            return fail("@ET.OperAfterUnOp", 100, text);
        if (state != State::AfterOperand)
        {
            if (t.type != T::NOT)
                return fail("@ET.OperAfterOper", 2, text);
            tree._opStack.push(nodeOf(t));
            ++tree._noOfTokens;
            notPending = true;
            state = State::AfterOperator;
            skipUnaryPlus = true;
            return true;
        }
        ++tree._noOfTokens;
        state = State::AfterOperator;
        skipUnaryPlus = false;
        return tree.srediStack(nodeOf(t));
    }

    // The next token of the list, or null at its end.
    const Token* next()
    {
        if (!it.hasNext())
            return nullptr;
        ++it;
        standAtCurrent();
        return &*it;
    }

    // smin(s) ... dev(s), rnd(g): the argument names a statistic or generator.
    bool onNamedFunction(const Token& fn)
    {
        const T nameType = fn.function() == T::RND ? T::RND_GEN : T::STAT;
        const Token* p = next();
        if (!p)
            return fail("@ET.FnNotPrpFormatted", 3, nameOf(fn));
        if (p->type != T::OPEN_PARENTHESIS)
            return fail("@ET.FnNeeds_(", 3, nameOf(fn));
        const Token* name = next();
        if (!name || name->type != nameType)
            return fail("@ET.FnNotPrpFmt", 3, nameOf(fn));
        const Token* close = next();
        if (!close || close->type != T::CLOSE_PARENTHESIS)
            return fail("@ET.FnNeeds_)", 3, nameOf(fn));
        ExpTreeNode* pNode = nodeOf(fn);
        pNode->pToken->value = double(name->index);
        tree._noOfTokens += 2;
        ++tree._noOfConsts;
        return pushOperand(pNode);
    }

    bool onFunction(const Token& fn)
    {
        if (state == State::AfterOperand)
            return fail("@ET.FnAfterOperand", 2);
        const T type = fn.function();
        const OpInfo& info = opInfo(type);
        if (info.args == ArgForm::Name)
            return onNamedFunction(fn);
        if (type == T::LIMIT)
            return onLimit(fn);
        // int and disn are taken apart by the model compiler before a program
        // is written; every other function needs an instruction.
        if (!info.hasInstruction() && type != T::INT && type != T::DISN)
            return fail("@ET.UnexpTokenID", 3, nameOf(fn));
        const TokenList::_tEntry* pSource = it.getEntry();
        const Token* p = next();
        if (!p)
            return fail("@ET.FnNotPrpFormatted", 3, nameOf(fn));
        if (p->type != T::OPEN_PARENTHESIS)
            return fail("@ET.FnNeeds_(", 4, nameOf(fn));
        ExpTreeNode* pNode = nodeOf(fn);
        tree._opStack.push(pNode);
        tree._multiParamFnStack.push(
            _fnEntry {pNode, argClassOf(info.args), info.args == ArgForm::SecondExpression, 1, pSource});
        tree._opStack.push(tree.createNode(T::OPEN_PARENTHESIS, 0));
        ++tree._noOfTokens;
        notPending = false;
        state = State::AfterFunctionOpen;
        skipUnaryPlus = true;
        return true;
    }

    // A symbol or number leaf as a further argument; a variable is refused.
    ExpTreeNode* leafArgument(const Token* p, const Token& fn, const char* noVarKey)
    {
        const bool operand = p->type == T::SYMBOL || p->type == T::PARAMETER || p->isNumeric();
        if (!operand)
        {
            fail("@ET.MFnExpOprnd", 13, nameOf(fn));
            return nullptr;
        }
        if (isVariable(*p))
        {
            fail(noVarKey, 200, nameOf(fn));
            return nullptr;
        }
        countLeaf(*p);
        return nodeOf(*p);
    }

    bool onComma(bool& ended)
    {
        if (notPending)
            return fail("@ET.,NeedsOperator", 101);
        if (state != State::AfterOperand)
            return fail("@ET.OperAfterOper", 2, ",");
        if (tree._multiParamFnStack.isEmpty())
        {
            if (endType == T::COMMA)
            {
                ended = true;
                return true;
            }
            return fail("@ET.,OutsideFn", 10);
        }
        if (!tree._multiParamFnStack.top().pNode)
        {
            // Only the bracket that opens a lim's arguments stands between the
            // comma and its function: both entries end here, so the closing
            // bracket ends the lim's inner tree.
            if (endType != T::CLOSE_PARENTHESIS)
                return fail("@ET.FnParamMising", 10);
            tree._multiParamFnStack.pop();
            if (tree._multiParamFnStack.isEmpty() || !tree._multiParamFnStack.top().pNode)
                return fail("@ET.FnParamMising", 10);
            _fnEntry entry = tree._multiParamFnStack.top();
            tree._multiParamFnStack.pop();
            return checkArgumentCount(entry) && leafArguments(entry);
        }
        _fnEntry& entry = tree._multiParamFnStack.top();
        if (!checkArgumentCount(entry))
            return false;
        if (entry.exprArg)
            return secondExpression(entry);
        return leafArguments(entry);
    }

    // A comma needs a function that takes one more argument.
    bool checkArgumentCount(const _fnEntry& entry)
    {
        const Token& fn = *entry.pNode->pToken;
        if (entry.argClass == 0 || entry.nArgs >= argumentsOf(fn.function()))
            return fail("@ET.FnParam#Commas", 11, nameOf(fn));
        return true;
    }

    // atg2, min, max: the second argument is a whole expression, built by an
    // inner tree up to the bracket that closes the function.
    bool secondExpression(_fnEntry& entry)
    {
        const Token& fn = *entry.pNode->pToken;
        if (!it.hasNext())
            return failAt(entry.pSource, "@ET.FnParam2Err", 12, nameOf(fn));
        if (tree._nesting >= maxNesting)
            return failAt(entry.pSource, "@ET.FnNestedTooDeep", 12, nameOf(fn));
        ++it;
        ExpressionTree inner(&tree);
        if (!inner.makeExpressionTree(&list, it, T::CLOSE_PARENTHESIS) || !inner.getRoot())
            return failAt(entry.pSource, "@ET.FnParam2Err", 12, nameOf(fn));
        entry.pNode->pRightNode = inner.getRoot();
        tree.addCounts(inner);
        entry.nArgs = 2;
        // The inner tree took the closing bracket: close the first argument
        // and the function as that bracket would.
        bool unused = false;
        return onCloseBracket(unused);
    }

    // diff, round, lim, disn, disc: the further arguments are leaves.
    bool leafArguments(_fnEntry& entry)
    {
        const Token& fn = *entry.pNode->pToken;
        const Token* p = next();
        if (!p)
            return fail("@ET.MFnPremEnd", 12, nameOf(fn));
        ExpTreeNode* pSecond = leafArgument(p, fn, "@ET.MFnNoVar2");
        if (!pSecond)
            return false;
        entry.pNode->pRightNode = pSecond;
        entry.nArgs = 2;
        if (entry.argClass == 2)
        {
            const Token* comma = next();
            if (!comma)
                return fail("@ET.ExpPremEnd", 12, nameOf(fn));
            if (comma->type != T::COMMA)
                return fail("@ET.Exp,InMFn", 12, nameOf(fn));
            const Token* third = next();
            if (!third)
                return fail("@ET.ExpPremEndFn", 12, nameOf(fn));
            ExpTreeNode* pThird = leafArgument(third, fn, "@ET.MFnNoVar3");
            if (!pThird)
                return false;
            pSecond->pRightNode = pThird;
            pSecond->rightCount = 1;
            entry.nArgs = 3;
        }
        mustClose = true;
        return true;
    }

    bool onLimit(const Token& fn)
    {
        const TokenList::_tEntry* pSource = it.getEntry();
        const Token* p = next();
        if (!p)
            return fail("@ET.LimitFnFormatNotOk", 3);
        if (p->type != T::OPEN_PARENTHESIS)
            return fail("@ET.LimiFnWo_(", 4);
        if (!tree._pFnLimits)
            return fail("@ET.UnexpTokenID", 3, nameOf(fn));
        if (tree._nesting >= maxNesting)
            return failAt(pSource, "@ET.FnNestedTooDeep", 12, nameOf(fn));
        ExpTreeNode* pLim = nodeOf(fn);
        // The inner tree starts at the bracket, with the lim's entry below it:
        // the commas hang the bounds on the lim node.
        ExpressionTree inner(&tree);
        inner._multiParamFnStack.push(_fnEntry {pLim, 2, 0, 1, pSource});
        if (!inner.makeExpressionTree(&list, it, T::CLOSE_PARENTHESIS) || !inner.getRoot())
            return failAt(pSource, "@ET.LimitFnNeeds_)", 1);
        const ExpTreeNode* pMin = pLim->pRightNode;
        if (!pMin || !pMin->pRightNode || !it.isValid() || it->type != T::CLOSE_PARENTHESIS)
            return failAt(pSource, "@ET.FnParamMising", 10, nameOf(fn));
        return tree.registerLimit(pLim, inner) && pushOperand(pLim);
    }

    bool onToken(const Token& t, bool& ended)
    {
        if (mustClose && t.type != T::CLOSE_PARENTHESIS)
            return fail("@ET.Expected_)", 1);
        switch (t.type)
        {
        case T::SYMBOL:
        case T::LAPLACE: return onLeaf(t);
        case T::OPEN_PARENTHESIS: return onOpenBracket();
        case T::CLOSE_PARENTHESIS: return onCloseBracket(ended);
        case T::COMMA: return onComma(ended);
        case T::FUNCTION: return onFunction(t);
        default: break;
        }
        if (t.isNumeric())
            return onLeaf(t);
        if (Token::isOperator(t.type))
            return onOperator(t);
        char code[64];
        std::snprintf(code, sizeof(code), "%d", int(t.type));
        tree.logError("@ET.UnexpTokenID", 2, code, getSpecialTokenName(t.type));
        return false;
    }

    bool run()
    {
        if (endType == T::CLOSE_PARENTHESIS)
            tree._opStack.push(tree.createNode(T::OPEN_PARENTHESIS, 0));
        for (; it.isValid(); ++it)
        {
            standAtCurrent();
            bool ended = false;
            if (!onToken(*it, ended))
                return false;
            if (ended)
                return true;
            if (!it.hasNext())
                break;
        }
        if (mustClose)
            return fail("@ET.Expected_)", 1);
        return true;
    }
};

bool ExpressionTree::makeExpressionTree(TokenList* pList, TokenList::iterator& it, Token::Type endType)
{
    resetCounts();
    _errorCode = 0;
    Builder builder {*this, *pList, it, endType};
    return builder.run();
}

bool ExpressionTree::makeExpressionTree(TokenList* pList, sc::ExpressionType)
{
    // The messages of the build name the token it stands at; later ones
    // (derivatives, programs) the expression's first token.
    struct Standing
    {
        SolverData& data;
        ~Standing() { data.pBuildAt = nullptr; }
    } standing {*_pSolverData};
    standing.data.pBuildAt = nullptr;
    if (pList->isEmpty())
    {
        logError("@ET.EmptyExpression", 2);
        return false;
    }
    while (!_opStack.isEmpty())
        _opStack.pop();
    TokenList::iterator it = pList->begin();
    if (!makeExpressionTree(pList, it, T::END_OF_LINE))
        return false;
    if (!_multiParamFnStack.isEmpty())
    {
        logError("@ET.FnParamOr()MM", 10);
        return false;
    }
    return emptyStack();
}

bool ExpressionTree::makeExpressionTree(sc::TokenizedModel::iterator&, unsigned, sc::Token, sc::Token)
{
    while (!_opStack.isEmpty())
        _opStack.pop();
    if (!_multiParamFnStack.isEmpty())
    {
        logError("@ET.MultiParmFnNok", 10);
        return false;
    }
    return emptyStack();
}

void ExpressionTree::addCounts(const ExpressionTree& other)
{
    _noOfConsts += other._noOfConsts;
    _noOfVars += other._noOfVars;
    _noOfParams += other._noOfParams;
    _noOfTokens += other._noOfTokens;
}

// T takes the top two operands and moves to the operand stack.
bool ExpressionTree::reduce()
{
    ExpTreeNode* pOp = _opStack.top();
    if (isOpenBracket(pOp) || pOp->type() == T::FUNCTION || pOp->type() == T::NOT)
        return bindOperandToTop() ? true : false;
    if (_operandStack.isEmpty())
        return false;
    ExpTreeNode* pRight = _operandStack.top();
    _operandStack.pop();
    if (_operandStack.isEmpty())
    {
        _operandStack.push(pRight);
        return false;
    }
    ExpTreeNode* pLeft = _operandStack.top();
    _operandStack.pop();
    pOp->pRightNode = pRight;
    pOp->rightCount = pRight->height();
    pOp->pLeftNode = pLeft;
    pOp->leftCount = pLeft->height();
    _opStack.pop();
    _operandStack.push(pOp);
    return true;
}

// The function or not on top of the operator stack takes the top operand as
// its argument and becomes an operand.
bool ExpressionTree::bindOperandToTop()
{
    ExpTreeNode* pTop = _opStack.top();
    if (isOpenBracket(pTop) || _operandStack.isEmpty())
        return false;
    pTop->pLeftNode = _operandStack.top();
    pTop->leftCount = pTop->pLeftNode->height();
    pTop->rightCount = 0;
    _operandStack.pop();
    _opStack.pop();
    _operandStack.push(pTop);
    return true;
}

bool ExpressionTree::bindNots()
{
    while (!_opStack.isEmpty() && _opStack.top()->type() == T::NOT)
        if (!bindOperandToTop())
            return false;
    return true;
}

bool ExpressionTree::srediStack(ExpTreeNode* newNode)
{
    const T type = newNode->type();
    if (_opStack.isEmpty())
    {
        _opStack.push(newNode);
        return true;
    }
    if (type == T::FUNCTION)
    {
        logError("@ET.UnexpRn", 2);
        return false;
    }
    if (type == T::NOT)
    {
        logError("@ET.UnexpUnaryOp", 2);
        return false;
    }
    if (type == T::CLOSE_PARENTHESIS || type == T::COMMA)
        return closeGroup();
    if (Token::isOperator(type))
    {
        const int priority = opInfo(type).priority;
        while (!_opStack.isEmpty())
        {
            ExpTreeNode* pTop = _opStack.top();
            const bool opensGroup = isOpenBracket(pTop) || pTop->type() == T::FUNCTION;
            if (opensGroup || opInfo(pTop->type()).priority < priority)
                break;
            if (!reduce())
                return missingOperand();
        }
        _opStack.push(newNode);
        return true;
    }
    // An operand: a not on top takes it.
    return bindNots();
}

// Reduces up to the matching bracket and closes it; a function or not
// before the bracket then takes the group as its argument.
bool ExpressionTree::closeGroup()
{
    while (!_opStack.isEmpty() && !isOpenBracket(_opStack.top()))
        if (!reduce())
            return missingOperand();
    if (_opStack.isEmpty())
    {
        logError("@ET.FnParamOr()MM", 10);
        return false;
    }
    _opStack.pop();
    if (_opStack.isEmpty())
        return true;
    ExpTreeNode* pTop = _opStack.top();
    if (pTop->type() != T::FUNCTION)
        return bindNots();
    const bool ownsArgs = opInfo(pTop->pToken->function()).args != ArgForm::Single;
    ExpTreeNode* pKeepRight = pTop->pRightNode;
    if (ownsArgs)
        MU_ASSERT_MSG(!_multiParamFnStack.isEmpty() && _multiParamFnStack.top().pNode == pTop, "pMFnNode == stackNode");
    if (!bindOperandToTop())
        return missingOperand();
    pTop->pRightNode = ownsArgs ? pKeepRight : nullptr;
    return bindNots();
}

bool ExpressionTree::missingOperand()
{
    logError("@ET.OperatorWoOprnd", 2);
    return false;
}

bool ExpressionTree::emptyStack()
{
    while (!_opStack.isEmpty())
    {
        ExpTreeNode* pTop = _opStack.top();
        if (isOpenBracket(pTop) || pTop->type() == T::FUNCTION || !reduce())
        {
            while (!_opStack.isEmpty())
                _opStack.pop();
            return missingOperand();
        }
    }
    return true;
}
} // namespace SL_NS
