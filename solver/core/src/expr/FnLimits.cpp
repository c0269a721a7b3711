#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/FnLimits.h>
#include <mu/Assert.h>

namespace SL_NS
{
namespace
{
double realPart(const Value& v)
{
#if SL_COMPLEX
    return v.real();
#else
    return v;
#endif
}

enum class Zone
{
    Low,
    In,
    High
};

Zone zoneOf(double v, double lower, double upper)
{
    if (v <= lower)
        return Zone::Low;
    return v >= upper ? Zone::High : Zone::In;
}

FnLimit::Dynamic dynamicOf(Zone from, Zone to)
{
    using D = FnLimit::Dynamic;
    // Rows: from Low, In, High; columns: to Low, In, High.
    static constexpr D table[3][3] = {
        {D::LowLow, D::LowIn, D::LowHigh}, {D::InLow, D::InIn, D::InHigh}, {D::HighLow, D::HighIn, D::HighHigh}};
    return table[int(from)][int(to)];
}
} // namespace

FnLimit::Dynamic FnLimit::evaluate(CU& cu)
{
    MU_ASSERT_MSG(_pFnEvaluator, "_pFnEvaluator");
    double v = realPart(_pFnEvaluator->evaluate(cu));
    auto boundValue = [&cu](int index, bool fromParent) {
        return realPart((fromParent ? cu.getParentValues() : cu.getParamValues())[index]);
    };
    if (lowerParam >= 0)
        lower = boundValue(lowerParam, lowerFromParent);
    if (upperParam >= 0)
        upper = boundValue(upperParam, upperFromParent);
    const double old = value;
    if (v <= lower)
        v = lower;
    else if (v >= upper)
        v = upper;
    value = v;
    const Zone now = zoneOf(v, lower, upper);
    if (now == Zone::In)
        for (Derivative& d : _derivEvaluators)
            d.value = d.pEvaluator->evaluate(cu);
    return dynamicOf(zoneOf(old, lower, upper), now);
}

Value FnLimit::getDerivValue(unsigned pos) const
{
    if (value <= lower || value >= upper)
        return Value(0);
    MU_ASSERT_MSG(pos < _derivEvaluators.size(), "derivEvaluator < _derivEvaluators.size()");
    return _derivEvaluators[pos].value;
}

std::size_t FnLimits::index(unsigned limitNo) const
{
    MU_ASSERT_MSG(limitNo > 0, "iLimit > 0");
    MU_ASSERT_MSG(limitNo <= _limits.size(), "pos < sz");
    return limitNo - 1;
}

unsigned FnLimits::appendFnLimit(Evaluator* pEvaluator, const Token& lowerBound, const Token& upperBound, int nVars)
{
    FnLimit& limit = _limits.emplace_back();
    limit._pFnEvaluator = pEvaluator;
    auto setBound = [nVars](const Token& bound, double& value, int& param, bool& fromParent) {
        if (bound.type != Token::Type::SYMBOL)
        {
            value = realPart(bound.value);
            return;
        }
        fromParent = bound.symbolOrigin == sc::SymbolOrigin::ParentModel;
        if (fromParent)
        {
            param = bound.index;
            return;
        }
        MU_ASSERT_MSG(bound.index >= nVars, "pMin->pToken->index >= nVars");
        param = bound.index - nVars;
    };
    setBound(lowerBound, limit.lower, limit.lowerParam, limit.lowerFromParent);
    setBound(upperBound, limit.upper, limit.upperParam, limit.upperFromParent);
    return unsigned(_limits.size());
}

void FnLimits::reserveDerivs(unsigned limitNo, unsigned n)
{
    std::vector<FnLimit::Derivative>& derivs = (*this)[limitNo]._derivEvaluators;
    derivs.clear();
    derivs.reserve(n);
}

void FnLimits::addDerivative(unsigned limitNo, Evaluator* pDeriv, int var)
{
    (*this)[limitNo]._derivEvaluators.push_back({pDeriv, Value(0), var});
}

void FnLimits::getValue(Value& out, unsigned fnLimitID, unsigned pos) const
{
    MU_ASSERT_MSG(fnLimitID > 0, "fnLimitID > 0");
    const FnLimit& limit = (*this)[fnLimitID];
    out = pos == 0 ? Value(limit.value) : limit.getDerivValue(pos - 1);
}
} // namespace SL_NS
