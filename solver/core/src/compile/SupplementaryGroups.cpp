// The assignment groups a solver runs at fixed moments (ReInit, PreProc,
// IterPostP, BasePostP, PostProc, Repeats): every line becomes an evaluator
// that stores an expression into a variable, a parameter or a symbol of the
// parent model, or an if or switch over such lines, or a statistics feed.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/ExpressionPools.h>
#include <expr/SolverData.h>
#include <sc/SCLib.h>

namespace SL_NS
{
namespace
{
using ET = sc::ExpressionType;
using C = sc::Token;

bool isReserved(const sc::_TokV& tok, sc::ReservedID id)
{
    return tok.code == C::Reserved && tok.id == std::uint32_t(id);
}

bool isOperatorCode(C code) { return code >= C::Plus && code <= C::NotEqual; }
} // namespace

bool RPNDerivParser::readSignal(const ModelIterator& it, sc::ISignal::Type& signal) const
{
    signal = sc::ISignal::Type::None;
    const td::StringExt* pName = it.getAttribValueStrPtr(sc::AttribID::signal);
    if (!pName)
        return true;
    signal = sc::getSignalType(pName);
    return signal != sc::ISignal::Type::None;
}

bool RPNDerivParser::parseSupplementaryGroup(sc::SupplementaryGroup g, sc::ModelLevel level)
{
    const sc::Group group = sc::SupplementaryGroup2Group[std::size_t(g)];
    const unsigned nLines = _pModel->getNumberOfExpressions(group, level);
    if (nLines == 0)
        return true;
    CompileTarget& s = solver();
    EvaluatorVect* groups[] = {&s._reInit,   &s._preProc, &s._iterPostP, &s._basePostP,
                               &s._postProc, nullptr,     &s._repeats};
    EvaluatorVect& target = *groups[std::size_t(g)];
    ModelIterator it = _pModel->getGroupIterator(group, level);
    if (g == sc::SupplementaryGroup::IterPostP || g == sc::SupplementaryGroup::BasePostP)
    {
        ModelIterator heading = it;
        --heading._current;
        double alwaysOn = 0;
        if (heading.getAttribValue(sc::AttribID::alwaysOn, alwaysOn) && alwaysOn != 0)
            (g == sc::SupplementaryGroup::IterPostP ? _pSolverData->iterPostPAlwaysOn
                                                    : _pSolverData->basePostPAlwaysOn) = 1;
    }
    target.reserve(nLines);
    target.setSolver(&s);
    for (unsigned k = 0; k < nLines; ++k, ++it)
    {
        if (!it.isValid())
        {
            translateAndAddLog("@SC.PrematureEnd", 0, 0, sc::ILog::Type::Error);
            return false;
        }
        Evaluator* e = _pSolverData->pPools->evaluators.getEntry();
        const ET result = parseAssignmentEq(it, 0, e, group, 0);
        if (result == ET::None)
            return false;
        target.addEvaluator(result == ET::Repeat ? nullptr : e);
    }
    return true;
}

unsigned RPNDerivParser::inlineArrow(const ModelIterator& it)
{
    for (unsigned k = 1; k < it.getLine().nTokens; ++k)
        if (it.getToken(k).code == C::RightArrow)
            return k;
    return 0;
}

char RPNDerivParser::getAssignmentType(const ModelIterator& it, unsigned first, unsigned& pos) const
{
    const sc::_tl& line = it.getLine();
    if (line.nTokens == first + 1 && isReserved(it.getToken(first), sc::ReservedID::Repeat))
        return '#';
    for (unsigned k = first; k < line.nTokens; ++k)
    {
        const C code = it.getToken(k).code;
        if (!isOperatorCode(code))
            continue;
        pos = k + 1;
        switch (code)
        {
        case C::MultAssign: return '*';
        case C::DivAssign: return '/';
        case C::PlusAssign: return '+';
        case C::MinusAssign: return '-';
        case C::PowerAssign: return '^';
        case C::ShiftLeft: return '<';
        case C::RightArrow: return 'r';
        case C::Assign: return '=';
        default: return 0;
        }
    }
    return 0;
}

int RPNDerivParser::parseAssignmentVariable(const ModelIterator& it, unsigned first, unsigned char& fromParent)
{
    const sc::_TokV& tok = it.getToken(first);
    fromParent = tok.isFromMainModel();
    if (tok.code != C::Var && tok.code != C::Param)
        return -1;
    if (!fromParent)
        return tok.code == C::Var ? variableIndexOf(int(tok.id)) : _nVars + int(tok.id);
    const Workspace* pParent = solver()._parentSolver;
    if (!pParent)
    {
        translateAndAddLog("@SC.NoParentSolver", it.getLine().line, tok.column, sc::ILog::Type::Error);
        return -2;
    }
    // A parent variable or parameter: its index in the parent's array.
    if (tok.code == C::Param)
        return pParent->_nVars + int(tok.id);
    return pParent->_conjVars ? 2 * int(tok.id) : int(tok.id);
}

bool RPNDerivParser::compileExpression(const ModelIterator& it, unsigned first, unsigned end, Evaluator* e)
{
    clearTokenList();
    sc::ExpressionType type;
    if (!createTokenList(_pModel->getExpressionTokens(), it, first, type, end))
        return false;
    ExpressionTree tree;
    bindTree(tree);
    return tree.makeExpressionTree(&getTokenList(), ET::Plain) && tree.createPostFix(e);
}

bool RPNDerivParser::compileChildren(ModelIterator& it, unsigned n, Evaluator* pRun, sc::Group group, unsigned nesting)
{
    for (unsigned k = 0; k < n; ++k)
    {
        if (it._current + 1 >= it._end)
            return false;
        ++it;
        const ET result = parseAssignmentEq(it, 0, &pRun[k], group, nesting);
        if (result == ET::None)
            return false;
        if (result == ET::Repeat)
            pRun[k].setVariableIndex(-1, Evaluator::AssignmentType::None);
    }
    return true;
}

sc::ExpressionType RPNDerivParser::parseAssignmentEq(ModelIterator& it, unsigned firstToken, Evaluator* e,
                                                     sc::Group group, unsigned nesting)
{
    const sc::_tl& line = it.getLine();
    if (line.nTokens <= firstToken)
    {
        logAt("@SC.WrongAssignmentEq", it);
        return ET::None;
    }
    const unsigned nTokens = line.nTokens - firstToken;
    const sc::_TokV& first = it.getToken(firstToken);
    const bool block = isReserved(first, sc::ReservedID::Switch) || isReserved(first, sc::ReservedID::If);
    if (block && nesting >= sc::TokenizedModel::maxBlockNesting)
    {
        logAt("@SC.IfNestedTooDeep", it, firstToken);
        return ET::None;
    }
    if (nTokens <= 2 && isReserved(first, sc::ReservedID::Switch))
        return parseAssignmentSwitch(it, e, group, nesting);
    const bool bareRepeat = group == sc::Group::Repeats && nTokens == 1 && isReserved(first, sc::ReservedID::Repeat);
    if (nTokens <= 2 && !bareRepeat)
    {
        translateAndAddLog("@SC.WrongAssignmentEq", line.line, first.column, sc::ILog::Type::Error);
        return ET::None;
    }
    if (isReserved(first, sc::ReservedID::If))
        return parseAssignmentIf(it, e, group, nesting);

    unsigned pos = 0;
    const char op = getAssignmentType(it, firstToken, pos);
    if (op == '#')
        return ET::Repeat;
    if (op == 0 || op == 'r')
    {
        logAt("@SC.WrongAssignmentType", it, firstToken);
        return ET::None;
    }
    if (pos >= line.nTokens)
    {
        logAt("@SC.IncAssignmentEq", it, pos - 1);
        return ET::None;
    }
    if (op == '<')
    {
        const int stat = parseStatsAssignment(it, firstToken);
        if (stat < 0)
            return ET::None;
        e->setStatistics(stat);
        return ET::Plain;
    }
    unsigned char fromParent = 0;
    const int target = parseAssignmentVariable(it, firstToken, fromParent);
    if (target < 0)
    {
        if (target == -1)
            logAt("@SC.UnknownSymbol", it, firstToken);
        return ET::None;
    }
    unsigned char part = 0;
#if SL_COMPLEX
    // name.real or name.imag: the assignment changes only that part.
    if (pos >= firstToken + 4)
    {
        if (it.getToken(firstToken + 1).code != C::Dot)
        {
            logAt("@SC.MissingDotInAssignment", it, firstToken + 1);
            return ET::None;
        }
        const sc::_TokV& which = it.getToken(firstToken + 2);
        const int fn = int(Token::firstFunction) + int(which.id);
        part = which.code != C::Function           ? 0
               : fn == int(Token::Type::REAL_PART) ? 1
               : fn == int(Token::Type::IMAG_PART) ? 2
                                                   : 0;
        if (part == 0)
        {
            logAt("@SC.NoImagRealPartInAssignment", it, firstToken + 2);
            return ET::None;
        }
    }
#endif
    _lastUsed.clean();
    _collecting = true;
    if (!compileExpression(it, pos, line.nTokens, e))
    {
        logAt("@SC.CannotMakeExpression", it, firstToken);
        return ET::None;
    }
    setAssignmentTarget(e, target, fromParent, part, op);
    return ET::Plain;
}

void RPNDerivParser::setAssignmentTarget(Evaluator* e, int target, unsigned char fromParent, unsigned char part,
                                         char op) const
{
    const bool variable = !fromParent && target < _nVars;
#if SL_COMPLEX
    e->setVariableIndex(variable || fromParent ? target : target - _nVars, variable, part, fromParent, op);
#else
    (void)part;
    using A = Evaluator::AssignmentType;
    e->setVariableIndex(fromParent ? target : (variable ? target : target - _nVars),
                        fromParent ? A::Parent : (variable ? A::Variable : A::Parameter), op);
#endif
}

sc::ExpressionType RPNDerivParser::parseAssignmentIf(ModelIterator& it, Evaluator* e, sc::Group group, unsigned nesting)
{
    const Position line = positionOf(it);
    Evaluator* pCondition = _pSolverData->pPools->evaluators.getEntry();
    _collecting = false;
    if (!compileExpression(it, 0, it.getLine().nTokens, pCondition))
    {
        logAt("@SC.WrongIfCondition", line);
        return ET::None;
    }
    sc::ISignal::Type signal;
    if (group == sc::Group::Limits && !readSignal(it, signal))
    {
        logAt("@SC.WrongSignalInIf", line);
        return ET::None;
    }
    const bool limits = group == sc::Group::Limits;
    if (!limits)
        signal = sc::ISignal::Type::None;
    const unsigned nThen = _pModel->countChildren(it, 0, group, ET::If);
    if (nThen == 0)
    {
        logAt("@SC.EmptyIf", line);
        return ET::None;
    }
    Evaluator* pThen = _pSolverData->pPools->evaluators.getEntries(int(nThen));
    if (!compileChildren(it, nThen, pThen, group, nesting + 1))
        return ET::None;
    if (signal != sc::ISignal::Type::None)
        pThen[0].setSignal(signal);
    if (it._current + 1 >= it._end)
    {
        logAt("@SC.IncompleteIf", line);
        return ET::None;
    }
    ++it;
    const sc::_TokV& next = it.getToken(0);
    if (isReserved(next, sc::ReservedID::End))
    {
        e->setIfThenElse(pCondition, pThen, nThen, nullptr, 0);
        return ET::End;
    }
    if (!isReserved(next, sc::ReservedID::Else))
    {
        logAt("@SC.ElseExpected", it);
        return ET::None;
    }
    if (limits && !readSignal(it, signal))
    {
        logAt("@SC.WrongSignalInElse", it);
        return ET::None;
    }
    const unsigned nElse = _pModel->countChildren(it, 0, group, ET::Else);
    if (nElse == 0)
    {
        logAt("@SC.NoExprInElse", it);
        return ET::None;
    }
    Evaluator* pElse = _pSolverData->pPools->evaluators.getEntries(int(nElse));
    if (!compileChildren(it, nElse, pElse, group, nesting + 1))
        return ET::None;
    if (limits && signal != sc::ISignal::Type::None)
        pElse[0].setSignal(signal);
    if (it._current + 1 >= it._end || !isReserved((++it).getToken(0), sc::ReservedID::End))
    {
        logAt("@SC.ElseMissingEnd", line);
        return ET::None;
    }
    e->setIfThenElse(pCondition, pThen, nThen, pElse, nElse);
    return ET::Plain;
}

sc::ExpressionType RPNDerivParser::parseAssignmentSwitch(ModelIterator& it, Evaluator* e, sc::Group group,
                                                         unsigned nesting)
{
    const Position line = positionOf(it);
    bool hasDefault = false;
    const unsigned nCases = _pModel->countSwitchCases(it, 0, group, hasDefault);
    if (nCases == 0)
    {
        logAt("@SC.SwitchWoCases", line);
        return ET::None;
    }
    ExpressionPools& pools = *_pSolverData->pPools;
    Evaluator* pCase = e;
    for (unsigned c = 0; c < nCases; ++c)
    {
        if (it._current + 1 >= it._end)
            return ET::None;
        ++it;
        const Position caseLine = positionOf(it);
        sc::ISignal::Type signal = sc::ISignal::Type::None;
        if (group == sc::Group::Limits && !readSignal(it, signal))
        {
            logAt("@SC.WrongCaseSignal", caseLine);
            return ET::None;
        }
        // case cond -> assignment carries its body on its own line.
        const unsigned arrow = inlineArrow(it);
        Evaluator* pCondition = nullptr;
        if (isReserved(it.getToken(0), sc::ReservedID::Case))
        {
            pCondition = pools.evaluators.getEntry();
            _collecting = false;
            if (!compileExpression(it, 1, arrow ? arrow : it.getLine().nTokens, pCondition))
            {
                logAt("@SC.CaseCondExpr", caseLine);
                return ET::None;
            }
        }
        unsigned nChildren = 0;
        Evaluator* pRun = nullptr;
        if (arrow)
        {
            nChildren = 1;
            pRun = pools.evaluators.getEntry();
            const ET result = parseAssignmentEq(it, arrow + 1, pRun, group, nesting + 1);
            if (result == ET::None)
                return ET::None;
            if (result == ET::Repeat)
                pRun->setVariableIndex(-1, Evaluator::AssignmentType::None);
        }
        else
        {
            nChildren = _pModel->countChildren(it, 0, group, ET::Switch);
            pRun = pools.evaluators.getEntries(int(nChildren));
            if (!compileChildren(it, nChildren, pRun, group, nesting + 1))
                return ET::None;
        }
        pCase->setSwitchCase(pCondition, pRun, nChildren);
        pCase->setSignal(signal);
        if (c + 1 < nCases)
        {
            Evaluator* pNext = pools.evaluators.getEntry();
            pCase->setNextCaseEvaluator(pNext);
            pCase = pNext;
        }
    }
    // The closing end line.
    if (it._current + 1 < it._end)
        ++it;
    return ET::Switch;
}
} // namespace SL_NS
