// Storing an evaluator's value into the symbol it assigns.
#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/Workspace.h>
#include <mu/Assert.h>

#include <cmath>

namespace SL_NS
{
namespace
{
using A = Evaluator::AssignmentType;

template <typename V>
void apply(V& target, const V& value, char op)
{
    switch (op)
    {
    case '=': target = value; break;
    case '+': target += value; break;
    case '-': target -= value; break;
    case '*': target *= value; break;
    case '/': target /= value; break; // a zero divisor gives the IEEE result
    case '^': target = std::pow(target, value); break;
    default: MU_ASSERT_MSG(false, "false"); break;
    }
}

#if SL_COMPLEX
Value conjugate(const Value& v) { return Value(v.real(), -v.imag()); }
#endif
} // namespace

void processAssingment(Value& target, const Value& value, char op) { apply(target, value, op); }

#if SL_COMPLEX
void processAssingmentCmplxPart(Value& target, const Value& value, Evaluator::AssignmentType type, char op)
{
    const bool realPart = type == A::VariableReal || type == A::ParameterReal || type == A::ParentReal;
    const bool imagPart = type == A::VariableImag || type == A::ParameterImag || type == A::ParentImag;
    MU_ASSERT_MSG(realPart || imagPart, "false");
    double part = realPart ? target.real() : target.imag();
    apply(part, value.real(), op);
    if (realPart)
        target.real(part);
    else
        target.imag(part);
}

void Evaluator::setVariableIndex(int index, unsigned char isVariable, unsigned char part, unsigned char parentModel,
                                 char op)
{
    const int which = part == 0 ? 0 : (part == 1 ? 1 : 2);
    static constexpr A parentTypes[] = {A::Parent, A::ParentReal, A::ParentImag};
    static constexpr A variableTypes[] = {A::Variable, A::VariableReal, A::VariableImag};
    static constexpr A parameterTypes[] = {A::Parameter, A::ParameterReal, A::ParameterImag};
    const A* types = parentModel ? parentTypes : (isVariable ? variableTypes : parameterTypes);
    setVariableIndex(index, types[which], op);
}
#endif

void Evaluator::setVariableIndex(int index, AssignmentType type, char op)
{
    _varIndex = index;
    _assignmentType = type;
    _assignOper = op;
}

bool Evaluator::store(CU& cu, const Value& value) const
{
    switch (_assignmentType)
    {
    case A::Variable:
    {
        Value& target = cu.getVariableValues()[_varIndex];
        processAssingment(target, value, _assignOper);
#if SL_COMPLEX
        // The conjugate partner of variable k (at 2k) follows it.
        if (cu.getWorkspace()->_conjVars)
            cu.getVariableValues()[conjugatePartner(_varIndex)] = conjugate(target);
#endif
        return true;
    }
    case A::Parameter: processAssingment(cu.getParamValues()[_varIndex], value, _assignOper); return true;
#if SL_COMPLEX
    case A::VariableReal:
    case A::VariableImag:
    {
        Value& target = cu.getVariableValues()[_varIndex];
        processAssingmentCmplxPart(target, value, _assignmentType, _assignOper);
        if (cu.getWorkspace()->_conjVars)
            cu.getVariableValues()[conjugatePartner(_varIndex)] = conjugate(target);
        return true;
    }
    case A::ParameterReal:
    case A::ParameterImag:
        processAssingmentCmplxPart(cu.getParamValues()[_varIndex], value, _assignmentType, _assignOper);
        return true;
    case A::ParentReal:
    case A::ParentImag:
#endif
    case A::Parent:
    {
        Workspace* pParent = cu.getParentSolver();
        MU_ASSERT_MSG(pParent, "parentSolver");
        pParent->setSymbolValue(value, _varIndex, _assignmentType, _assignOper);
        return true;
    }
    default: return false;
    }
}

void Workspace::setSymbolValue(const Value& value, int symbIndex, Evaluator::AssignmentType type, char op)
{
    MU_ASSERT_MSG(symbIndex >= 0, "symbIndex >= 0");
    MU_ASSERT_MSG(symbIndex < _nVars + _nParams, "symbIndex < _nVars + _nParams");
    MU_ASSERT_MSG(_x, "_x");
    Value& target = _x[symbIndex];
#if SL_COMPLEX
    if (type == A::Parent)
        processAssingment(target, value, op);
    else
        processAssingmentCmplxPart(target, value, type, op);
    // A variable of a model that keeps conjugates carries its partner along.
    if (_conjVars && symbIndex < _nVars && conjugatePartner(symbIndex) < _nVars)
        _x[conjugatePartner(symbIndex)] = conjugate(target);
#else
    (void)type;
    processAssingment(target, value, op);
#endif
}
} // namespace SL_NS
