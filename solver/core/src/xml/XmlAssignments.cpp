// Assignments of an XML model, in the PreProc and PostProc groups and in
// the limit groups: "target op expression" (op one of =, +=, -=, *=, /=,
// ^=), a statistics feed "name << expression << ...", or a condition with
// a Then and an optional Else branch, each an fx or a run of Eq elements.
// Each becomes one evaluator, as the assignments of model text.
#include <compile/CompileTarget.h>
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/SolverData.h>
#include <sc/SCLib.h>
#include <sc/StringPool.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <cstring>
#include <string_view>

namespace SL_NS
{
struct XmlModelReader::FormTexts
{
    const char* unknownTarget; // name, fx
    const char* badExpression; // expression, fx
    const char* noTree;        // expression, fx
    const char* noProgram;     // expression, fx
    const char* badCondition;  // condition
    const char* missingThen;   // condition
    const char* emptyThen;     // condition
    const char* emptyElse;     // condition
    const char* empty;
};

const XmlModelReader::FormTexts& XmlModelReader::textsOf(Form form)
{
    static const FormTexts processing {"Variable was not declared:@",
                                       "Error in assignment part: @",
                                       "Cannot make expression for assignment part: @",
                                       "Cannot make expression for assignment part: @",
                                       "Syntax error in conditition statement: @",
                                       "Missing Then statement in conditional equation!",
                                       "Missing Then Equation for condition!",
                                       "Missing Else Equation for condition!",
                                       "Empty Equation (missing fx and cond)! Assignment equation requires either "
                                       "fx or cond attribute!"};
    static const FormTexts limit {"Assignment parameter name wasn't declared:@, fx=@",
                                  "Assignment equation wrong:@, fx=@",
                                  "Assignment equation wrong:@, fx=@",
                                  "Cannot init assignment evaluator for fx=@",
                                  "Cannot create evaluator for condition eq: @",
                                  "Missing Then in condition eq: @",
                                  "Missing Then equations for condition: @",
                                  "Missing Else equations for condition: @",
                                  "Empty Equation (fx) in assignment part"};
    return form == Form::Limit ? limit : processing;
}

int XmlModelReader::compileText(const char* text, Evaluator* e)
{
    if (parse(text) != int(Token::Type::END_OF_LINE))
        return 1;
    ExpressionTree tree;
    bindTree(tree);
    if (!tree.makeExpressionTree(&getTokenList(), sc::ExpressionType::Plain))
        return 2;
    return tree.createPostFix(e) ? 0 : 3;
}

const char* XmlModelReader::getSymbolNameInAssignmentEq(const char* text, std::size_t& exprStart, char& type)
{
    const std::string_view all(text);
    const std::size_t equals = all.find('=');
    const std::size_t shift = all.find("<<");
    std::size_t nameEnd = 0;
    // A feed's expressions may compare: its << comes before any =.
    if (shift != std::string_view::npos && shift > 0 && shift < equals)
    {
        type = '<';
        exprStart = shift + 2;
        nameEnd = shift;
    }
    else if (equals != std::string_view::npos && equals > 0)
    {
        exprStart = equals + 1;
        const char before = all[equals - 1];
        const bool compound = std::strchr("*+-/^", before) != nullptr;
        type = compound ? before : '=';
        nameEnd = compound ? equals - 1 : equals;
    }
    else
    {
        fail("Missing missing '=' for numeric assignment eq or '<<' for stats assignment equation. Eq:@", text);
        return nullptr;
    }
    _name.assign(trimmed(all.substr(0, nameEnd)));
    return _name.c_str();
}

int XmlModelReader::parseAssignmentVariable(const char* name, unsigned char& fromParent, unsigned char& part)
{
    part = 0;
    const Workspace* pParent = solver()._parentSolver;
    fromParent = pParent && std::strncmp(name, "base.", 5) == 0;
    const Workspace& owner = fromParent ? *pParent : solver();
    std::string_view symbol(fromParent ? name + 5 : name);
#if SL_COMPLEX
    // name.real and name.imag change one part of a complex value.
    if (const std::size_t dot = symbol.find('.'); dot != std::string_view::npos)
    {
        const std::string_view suffix = symbol.substr(dot + 1);
        part = suffix == "real" ? 1 : suffix == "imag" ? 2 : 0;
        if (part == 0)
        {
            const std::string which(suffix);
            fail("Unknown complex assignmet part @ (can be real or imag) in @", which.c_str(), name);
            return -2;
        }
        symbol = symbol.substr(0, dot);
    }
#endif
    const std::string key(symbol);
    const std::uint32_t index = owner._stringPool->getIndex(key.c_str());
    if (index == sc::HashMap::NotFound || int(index) >= owner._nVars + owner._nParams)
        return -1;
    return int(index);
}

bool XmlModelReader::parseAssignmentText(const char* text, Evaluator* e, Form form)
{
    std::size_t exprStart = 0;
    char op = 0;
    const char* pName = getSymbolNameInAssignmentEq(text, exprStart, op);
    if (!pName)
        return false;
    const std::string name(pName);
    const char* rest = text + exprStart;
    if (op == '<')
    {
        const int stat = parseStatsAssignment(name.c_str(), rest);
        if (stat < 0)
            return fail("Canot parse stats assignment to stats object name=@", name.c_str());
        e->setStatistics(stat);
        return true;
    }
    const FormTexts& texts = textsOf(form);
    unsigned char fromParent = 0;
    unsigned char part = 0;
    const int target = parseAssignmentVariable(name.c_str(), fromParent, part);
    if (target == -1)
        return fail(texts.unknownTarget, name.c_str(), text);
    if (target < 0)
        return false;
    const std::string expression(trimmed(rest));
    _lastUsed.clean();
    _collecting = true;
    switch (compileText(expression.c_str(), e))
    {
    case 1: return fail(texts.badExpression, expression.c_str(), text);
    case 2: return fail(texts.noTree, expression.c_str(), text);
    case 3: return form == Form::Limit ? fail(texts.noProgram, text) : fail(texts.noProgram, expression.c_str());
    default: break;
    }
    setAssignmentTarget(e, target, fromParent, part, op);
    return true;
}

template <typename TNode>
bool XmlModelReader::parseAssignmentEq(const TNode& eq, Evaluator* e, Form form, unsigned depth)
{
    if (const td::StringExt* pFx = eq.getAttribValueStrPtr("fx"))
        return parseAssignmentText(pFx->c_str(), e, form);
    if (eq.getAttribValueStrPtr("cond"))
        return parseAssignmentIf(eq, e, form, depth);
    return fail(textsOf(form).empty);
}

template <typename TNode>
bool XmlModelReader::readSignal(const TNode& branch, bool isThen, const char* condition, sc::ISignal::Type& signal)
{
    signal = sc::ISignal::Type::None;
    const td::StringExt* pSignal = branch.getAttribValueStrPtr("signal");
    if (!pSignal)
        return true;
    signal = sc::getSignalType(pSignal);
    if (signal != sc::ISignal::Type::None)
        return true;
    if (isThen)
        return fail("Wrong signal for Then equations for condition: @. Signal=@", condition, *pSignal);
    return fail("Wrong signal for Then equations for condition: @. Signal=", condition);
}

template <typename TNode>
bool XmlModelReader::parseAssignmentIf(const TNode& eq, Evaluator* e, Form form, unsigned depth)
{
    const char* condition = eq.getAttribValueStrPtr("cond")->c_str();
    if (depth >= ExpressionTree::maxNesting)
        return fail("Conditions nested deeper than @ levels: @", unsigned(ExpressionTree::maxNesting), condition);
    const FormTexts& texts = textsOf(form);
    Evaluator* pCondition = _pSolverData->pPools->evaluators.getEntry();
    _collecting = false;
    if (compileText(condition, pCondition) != 0)
        return fail(texts.badCondition, condition);
    const TNode thenBranch = eq.getChildNode("Then");
    if (thenBranch.isEnd())
        return fail(texts.missingThen, condition);
    // Only a limit's branch raises a signal: on its first assignment.
    const bool signals = form == Form::Limit;
    sc::ISignal::Type signal = sc::ISignal::Type::None;
    Evaluator* pThen = nullptr;
    unsigned nThen = 0;
    if ((signals && !readSignal(thenBranch, true, condition, signal)) ||
        !parseAssignmentBranch(thenBranch, true, condition, form, depth, pThen, nThen))
        return false;
    pThen[0].setSignal(signal);
    Evaluator* pElse = nullptr;
    unsigned nElse = 0;
    const TNode elseBranch = eq.getChildNode("Else");
    if (!elseBranch.isEnd())
    {
        if ((signals && !readSignal(elseBranch, false, condition, signal)) ||
            !parseAssignmentBranch(elseBranch, false, condition, form, depth, pElse, nElse))
            return false;
        pElse[0].setSignal(signal);
    }
    e->setIfThenElse(pCondition, pThen, nThen, pElse, nElse);
    return true;
}

// A branch runs its fx, or every one of its Eq elements in order.
template <typename TNode>
bool XmlModelReader::parseAssignmentBranch(const TNode& branch, bool isThen, const char* condition, Form form,
                                           unsigned depth, Evaluator*& pRun, unsigned& n)
{
    const char* name = isThen ? "Then" : "Else";
    const td::StringExt* pFx = branch.getAttribValueStrPtr("fx");
    const TNode eq = branch.getChildNode("Eq");
    if (pFx && !eq.isEnd())
        return fail("If-then equation for condition: @ has specified fx in @ and Eq as child of @!!", condition, name,
                    name);
    ExpressionPools& pools = *_pSolverData->pPools;
    if (pFx)
    {
        n = 1;
        pRun = pools.evaluators.getEntry();
        return parseAssignmentText(pFx->c_str(), pRun, form);
    }
    if (eq.isEnd())
        return fail(isThen ? textsOf(form).emptyThen : textsOf(form).emptyElse, condition);
    n = eq.getCounter();
    pRun = pools.evaluators.getEntries(int(n));
    unsigned k = 0;
    for (TNode it = eq; !it.isEnd(); ++it, ++k)
    {
        if (!parseAssignmentEq(it, &pRun[k], form, depth + 1))
            return false;
    }
    return true;
}

template <typename TNode>
bool XmlModelReader::parsePreOrPostProcData(const TNode& model, const char* element, SolutionLocation location,
                                            EvaluatorVect& target)
{
    const TNode eq = model.getChildNode(element).getChildNode("Eq");
    if (eq.isEnd())
        return true;
    _pSolverData->location = location;
    target.reserve(eq.getCounter());
    target.setSolver(&solver());
    unsigned index = 0;
    for (TNode it = eq; !it.isEnd(); ++it, ++index)
    {
        Evaluator* e = _pSolverData->pPools->evaluators.getEntry();
        if (!parseAssignmentEq(it, e, Form::Processing, 0))
        {
            _pSolverData->setEqErrorNo(index);
            _pSolverData->location = SolutionLocation::Other;
            return false;
        }
        target.addEvaluator(e);
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

template bool XmlModelReader::parsePreOrPostProcData(const XmlFileNode&, const char*, SolutionLocation, EvaluatorVect&);
template bool XmlModelReader::parsePreOrPostProcData(const XmlTextNode&, const char*, SolutionLocation, EvaluatorVect&);
} // namespace SL_NS
