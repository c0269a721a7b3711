#pragma once
// The limited expressions of a model, lim(expression, min, max): each
// clamps the value of its inner program between two bounds (constants, or
// parameters re-read at every evaluation) and keeps the derivatives of the
// inner expression for the Jacobian while the value lies inside the bounds.
#include <expr/Build.h>
#include <expr/Token.h>

#include <cstdint>
#include <vector>

namespace SL_NS
{
class CU;
class Evaluator;

class FnLimit
{
public:
    // How the value moved between two evaluations: from low, inside or high
    // (at or below the lower bound, strictly between, at or above the upper).
    enum class Dynamic : std::uint8_t
    {
        LowLow = 0,
        InIn,
        HighHigh,
        LowIn,
        HighIn,
        InLow,
        InHigh,
        HighLow,
        LowHigh
    };

    struct Derivative
    {
        Evaluator* pEvaluator = nullptr;
        Value value {};
        int var = -1;
    };

    // Clamps the inner expression's value and, inside the bounds, refreshes
    // the derivatives.
    Dynamic evaluate(CU& cu);
    // 0 at or beyond a bound, else the stored derivative at pos.
    Value getDerivValue(unsigned pos) const;

    double value = 0;
    double lower = 0;
    double upper = 0;
    Evaluator* _pFnEvaluator = nullptr;
    std::vector<Derivative> _derivEvaluators;
    int lowerParam = -1; // parameter index of a parameter bound, -1 for a constant
    int upperParam = -1;
    // A bound that is a symbol of the parent model reads the parent's array
    // (variables, then parameters) at its index.
    bool lowerFromParent = false;
    bool upperFromParent = false;
};

class FnLimits
{
public:
    // Registers a limit over pEvaluator with its bounds (a parameter symbol
    // or a number each) and returns its number, counted from 1.
    unsigned appendFnLimit(Evaluator* pEvaluator, const Token& lowerBound, const Token& upperBound, int nVars);
    void reserveDerivs(unsigned limitNo, unsigned n);
    void addDerivative(unsigned limitNo, Evaluator* pDeriv, int var);
    // The value (pos 0) or derivative pos of limit fnLimitID.
    void getValue(Value& out, unsigned fnLimitID, unsigned pos) const;

    unsigned size() const { return unsigned(_limits.size()); }
    void clear() { _limits.clear(); }
    FnLimit& operator[](unsigned limitNo) { return _limits[index(limitNo)]; }
    const FnLimit& operator[](unsigned limitNo) const { return _limits[index(limitNo)]; }

private:
    std::size_t index(unsigned limitNo) const;

    std::vector<FnLimit> _limits;
};
} // namespace SL_NS
