#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/FnLimits.h>
#include <expr/MachineOps.h>
#include <expr/OpTable.h>
#include <expr/Workspace.h>
#include <mu/Assert.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using namespace ops;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double twoTo31 = 2147483648.0;
constexpr double twoTo52 = 4503599627370496.0;

// x rounded at decimal n (a count of digits, toward zero from t); halves
// away from zero. NaN for a digit count that is no 32-bit number.
double roundAt(double x, double t)
{
    if (!(std::fabs(t) < twoTo31))
        return nan;
    const double f = std::pow(10.0, std::trunc(t));
    if (f == 0)
        return std::isfinite(x) ? 0.0 : x;
    const double scaled = x * f;
    // Beyond 2^52 a double has no fraction left: nothing to round.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= twoTo52)
        return x;
    return std::round(scaled) / f;
}

#if SL_COMPLEX
Value roundValue(const Value& s, const Value& t)
{
    return Value(roundAt(s.real(), t.real()), roundAt(s.imag(), t.real()));
}
#else
Value roundValue(const Value& s, const Value& t) { return roundAt(s, t); }

// a moved to the nearest point of the grid b + n h; NaN when there is none.
double discretize(double a, double b, double h)
{
    const double n = a >= b ? std::trunc((a - b) / h + 0.5) : -std::trunc((b - a) / h + 0.5);
    if (!std::isfinite(n))
        return nan;
    return n * h + b;
}
#endif
} // namespace

CU::CU(Workspace* pWorkspace)
    : _pVariableValues(pWorkspace->_x)
    , _paramValues(pWorkspace->_pParams)
    , _pSharedValues(pWorkspace->_sharedValues.data())
    , _pWorkspace(pWorkspace)
{
    if (pWorkspace->_parentSolver)
        _pParentValues = pWorkspace->_parentSolver->_x;
}

Value CU::statistic(Instruction op, const Value& index) const
{
    MU_ASSERT_MSG(_pWorkspace, "_pWorkspace");
    const int iStat = int(re(index));
    MU_ASSERT_MSG(iStat >= 0, "iStat >= 0");
    const math::Stats<double>& s = _pWorkspace->_stats[std::size_t(iStat)];
    switch (T(op))
    {
    case T::SMIN: return s.getMin();
    case T::SMAX: return s.getMax();
    case T::AVG: return s.getMean();
    case T::VAR: return s.getVariance();
    default: return s.getStdDev();
    }
}

Value CU::draw(const Value& index) const
{
    MU_ASSERT_MSG(_pWorkspace, "_pWorkspace");
    const int iGen = int(re(index));
    MU_ASSERT_MSG(iGen >= 0, "iGen >= 0");
    double first = 0;
    _pWorkspace->_rndGens.next((unsigned long)iGen, first);
#if SL_COMPLEX
    double second = 0;
    _pWorkspace->_rndGens.next((unsigned long)iGen, second);
    return Value(first, second);
#else
    return first;
#endif
}

Value CU::limit(const Value& packed) const
{
    MU_ASSERT_MSG(_pWorkspace, "_pWorkspace");
    const LimitArg arg = LimitArg::unpack(re(packed));
    Value out;
    _pWorkspace->_fnLimits.getValue(out, arg.limitID, arg.derivPos);
    return out;
}

Value CU::evaluate(const Evaluator* e)
{
    const Instruction* ip = e->_pInstructionLst;
    const Instruction* const end = ip + e->_nInstructions;
    if (ip == end)
        return Value(0);
    const Value* pConst = e->_pConstData;
    const std::uint32_t* pVar = e->_pIndVars;
    const std::uint32_t* pPar = e->_pIndParams;
    // The writer checked that the program is balanced and fits the stack, so
    // no instruction checks its operands: sp points at the top value. The
    // first slot stays free so that the empty stack points into the array.
    Value* sp = _evalStack;
    for (; ip != end; ++ip)
    {
        switch (*ip)
        {
        case instr::PushI:
        case instr::PushF: *++sp = *pConst++; break;
        case instr::PushVar: *++sp = _pVariableValues[*pVar++]; break;
        case instr::PushParam: *++sp = _paramValues[*pPar++]; break;
        case instr::PushParentValue: *++sp = _pParentValues[*pPar++]; break;
        case instr::PushShared: *++sp = _pSharedValues[*pPar++]; break;

#define SL_FUSED_ARITH(source, operand)                                                                                \
    case instr::fused(source, instr::Arith::Add): *sp += operand; break;                                               \
    case instr::fused(source, instr::Arith::Sub): *sp -= operand; break;                                               \
    case instr::fused(source, instr::Arith::SubRev): *sp = operand - *sp; break;                                       \
    case instr::fused(source, instr::Arith::Mul): *sp *= operand; break;                                               \
    case instr::fused(source, instr::Arith::Div): *sp /= operand; break;                                               \
    case instr::fused(source, instr::Arith::DivRev): *sp = operand / *sp; break;
            SL_FUSED_ARITH(instr::Source::Constant, *pConst++)
            SL_FUSED_ARITH(instr::Source::Variable, _pVariableValues[*pVar++])
            SL_FUSED_ARITH(instr::Source::Parameter, _paramValues[*pPar++])
            SL_FUSED_ARITH(instr::Source::Shared, _pSharedValues[*pPar++])
#undef SL_FUSED_ARITH

// Every pair of sources; the left operand is read first, as both may come
// from the same side list.
// clang-format off
#define SL_RIGHTS(body, left, leftOperand)                                                                             \
    body(left, leftOperand, instr::Source::Constant, *pConst++)                                                        \
    body(left, leftOperand, instr::Source::Variable, _pVariableValues[*pVar++])                                        \
    body(left, leftOperand, instr::Source::Parameter, _paramValues[*pPar++])                                           \
    body(left, leftOperand, instr::Source::Shared, _pSharedValues[*pPar++])
// clang-format on
#define SL_PAIRS(body)                                                                                                 \
    SL_RIGHTS(body, instr::Source::Constant, *pConst++)                                                                \
    SL_RIGHTS(body, instr::Source::Variable, _pVariableValues[*pVar++])                                                \
    SL_RIGHTS(body, instr::Source::Parameter, _paramValues[*pPar++])                                                   \
    SL_RIGHTS(body, instr::Source::Shared, _pSharedValues[*pPar++])
#define SL_PRODUCT(left, leftOperand, right, rightOperand)                                                             \
    case instr::product(left, right):                                                                                  \
    {                                                                                                                  \
        const Value a = leftOperand;                                                                                   \
        *++sp = a * rightOperand;                                                                                      \
        break;                                                                                                         \
    }
#define SL_PRODUCT_ARITH(left, leftOperand, right, rightOperand)                                                       \
    case instr::productArith(left, right, instr::Arith::Add):                                                          \
    {                                                                                                                  \
        const Value a = leftOperand;                                                                                   \
        *sp += a * rightOperand;                                                                                       \
        break;                                                                                                         \
    }                                                                                                                  \
    case instr::productArith(left, right, instr::Arith::Sub):                                                          \
    {                                                                                                                  \
        const Value a = leftOperand;                                                                                   \
        *sp -= a * rightOperand;                                                                                       \
        break;                                                                                                         \
    }                                                                                                                  \
    case instr::productArith(left, right, instr::Arith::SubRev):                                                       \
    {                                                                                                                  \
        const Value a = leftOperand;                                                                                   \
        *sp = a * rightOperand - *sp;                                                                                  \
        break;                                                                                                         \
    }
            SL_PAIRS(SL_PRODUCT)
            SL_PAIRS(SL_PRODUCT_ARITH)
#undef SL_PRODUCT_ARITH
#undef SL_PRODUCT
#undef SL_PAIRS
#undef SL_RIGHTS

        case Instruction(T::PLUS):
        case Instruction(T::PLUS_ASSIGN):
            sp[-1] += sp[0];
            --sp;
            break;
        case Instruction(T::MINUS):
        case Instruction(T::MINUS_ASSIGN):
            sp[-1] -= sp[0];
            --sp;
            break;
        case Instruction(T::MINUS_REV):
            sp[-1] = sp[0] - sp[-1];
            --sp;
            break;
        case Instruction(T::MULT):
        case Instruction(T::MULT_ASSIGN):
            sp[-1] *= sp[0];
            --sp;
            break;
        case Instruction(T::DIV):
        case Instruction(T::DIV_ASSIGN):
            sp[-1] /= sp[0];
            --sp;
            break;
        case Instruction(T::DIV_REV):
            sp[-1] = sp[0] / sp[-1];
            --sp;
            break;
        case Instruction(T::POW):
            sp[-1] = power(sp[-1], sp[0]);
            --sp;
            break;
        case Instruction(T::POW_REV):
            sp[-1] = power(sp[0], sp[-1]);
            --sp;
            break;
        case Instruction(T::ASSIGN):
            sp[-1] = sp[0];
            --sp;
            break;

        case Instruction(T::OR):
            sp[-1] = truth(re(sp[-1]) != 0 || re(sp[0]) != 0);
            --sp;
            break;
        case Instruction(T::AND):
            sp[-1] = truth(re(sp[-1]) != 0 && re(sp[0]) != 0);
            --sp;
            break;
        case Instruction(T::XOR):
            sp[-1] = truth(!isZero(sp[-1]) != !isZero(sp[0]));
            --sp;
            break;
        case Instruction(T::GT):
            sp[-1] = truth(re(sp[-1]) > re(sp[0]));
            --sp;
            break;
        case Instruction(T::GE):
            sp[-1] = truth(re(sp[-1]) >= re(sp[0]));
            --sp;
            break;
        case Instruction(T::LT):
            sp[-1] = truth(re(sp[-1]) < re(sp[0]));
            --sp;
            break;
        case Instruction(T::LE):
            sp[-1] = truth(re(sp[-1]) <= re(sp[0]));
            --sp;
            break;
        case Instruction(T::EQ):
            sp[-1] = truth(sp[-1] == sp[0]);
            --sp;
            break;
        case Instruction(T::NE):
            sp[-1] = truth(sp[-1] != sp[0]);
            --sp;
            break;
        case Instruction(T::MIN):
            if (re(sp[-1]) > re(sp[0]))
                sp[-1] = sp[0];
            --sp;
            break;
        case Instruction(T::MAX):
            if (re(sp[0]) > re(sp[-1]))
                sp[-1] = sp[0];
            --sp;
            break;

#define SL_UNARY(op, f)                                                                                                \
    case Instruction(T::op): *sp = f(*sp); break;
            SL_UNARY_FUNCTIONS(SL_UNARY)
#undef SL_UNARY
#if !SL_COMPLEX
        // atg2(a, b) leaves a below b: atan2(b, a).
        case Instruction(T::ATG2):
            sp[-1] = std::atan2(sp[0], sp[-1]);
            --sp;
            break;
        case Instruction(T::DISC):
            sp[-2] = discretize(sp[-2], sp[-1], sp[0]);
            sp -= 2;
            break;
#endif
        case Instruction(T::ROUND):
            sp[-1] = roundValue(sp[-1], sp[0]);
            --sp;
            break;
        case Instruction(T::SMIN):
        case Instruction(T::SMAX):
        case Instruction(T::AVG):
        case Instruction(T::VAR):
        case Instruction(T::DEV): *sp = statistic(*ip, *sp); break;
        case Instruction(T::RND): *sp = draw(*sp); break;
        case Instruction(T::LIMIT): *sp = limit(*sp); break;
        default: MU_ASSERT_MSG(false, "pInstr"); break;
        }
    }
    MU_ASSERT_MSG(sp == _evalStack + 1, "_stackPos == 0");
    return *sp;
}
} // namespace SL_NS
