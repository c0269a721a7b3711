#pragma once
// What each operator and function is, in one table per build: its printed
// name, its binding strength, its argument form, how many values its
// stack-machine instruction takes and how it is differentiated. The lexers,
// the tree builder, the postfix writer, the stack machine and the
// differentiator all read this table.
#include <expr/Token.h>

#include <array>
#include <cstdint>

namespace SL_NS
{
// How the differentiator treats an operation.
enum class DiffRule : std::uint8_t
{
    None,       // no derivative: the equation cannot be compiled for a Jacobian
    Chain,      // unary function: d(u) times the function's own factor
    Sum,        // +
    Difference, // -
    Product,    // *
    Quotient,   // /
    Power,      // ^
    Atg2,       // atan2(b, a): (a db - b da) / (a^2 + b^2)
    Zero,       // sign: the constant 0
    Conj        // conj(d(u))
};

// The arguments a function takes in the model text.
enum class ArgForm : std::uint8_t
{
    Single,           // one expression
    SecondExpression, // two expressions (atg2, min, max)
    SecondLeaf,       // an expression and a symbol or number (diff, round)
    ThirdLeaf,        // an expression and two symbols or numbers (lim, disn, disc)
    Name              // the name of a statistic or generator (smin ... dev, rnd)
};

// How a function of one argument meets a negated argument, where the library
// keeps the identity to the last bit: f(-x) = -f(x) or f(-x) = f(x). The
// shared-term pass computes f(b - a) from f(a - b) by it.
enum class Parity : std::uint8_t
{
    None,
    Odd,
    Even
};

struct OpInfo
{
    const char* text = nullptr; // operator as printed, function's display name
    std::uint8_t priority = 0;  // operators: the higher binds tighter; 0 none
    std::uint8_t nOperands = 0; // values the instruction takes (it leaves one); 0 no instruction
    ArgForm args = ArgForm::Single;
    DiffRule diff = DiffRule::None;
    bool pushesOwnValue = false; // the token's value is pushed before the instruction runs
    bool variesPerRun = false;   // each run gives a new value (a random draw): two calls never agree
    Parity parity = Parity::None;

    constexpr bool hasInstruction() const { return nOperands > 0; }
};

namespace detail
{
using T = Token::Type;

constexpr OpInfo op(const char* text, std::uint8_t priority, std::uint8_t nOperands, DiffRule diff = DiffRule::None)
{
    return {text, priority, nOperands, ArgForm::Single, diff, false};
}

constexpr OpInfo fn(const char* text, std::uint8_t nOperands, DiffRule diff = DiffRule::None,
                    ArgForm args = ArgForm::Single)
{
    return {text, 0, nOperands, args, diff, args == ArgForm::Name};
}

constexpr std::array<OpInfo, 256> makeOpTable()
{
    std::array<OpInfo, 256> t {};
    auto at = [&t](Token::Type type) -> OpInfo& { return t[std::size_t(type)]; };
    using D = DiffRule;
    using A = ArgForm;

    at(T::PLUS) = op("+", 15, 2, D::Sum);
    at(T::MINUS) = op("-", 15, 2, D::Difference);
    at(T::MULT) = op("*", 16, 2, D::Product);
    at(T::DIV) = op("/", 16, 2, D::Quotient);
    at(T::MODULO) = op("%", 16, 0);
    at(T::BACKSLASH) = op("\\", 16, 0);
    at(T::POW) = op("^", 17, 2, D::Power);
    at(T::OR) = op("or", 5, 2);
    at(T::AND) = op("and", 6, 2);
    at(T::XOR) = op("xor", 5, 2);
    at(T::GT) = op(">", 11, 2);
    at(T::GE) = op(">=", 11, 2);
    at(T::LT) = op("<", 11, 2);
    at(T::LE) = op("<=", 11, 2);
    at(T::EQ) = op("==", 10, 2);
    at(T::NE) = op("!=", 10, 2);
    at(T::NOT) = op("not", 20, 1);
    at(T::ASSIGN) = op("=", 1, 2);
    at(T::PLUS_ASSIGN) = op("+=", 1, 2);
    at(T::MINUS_ASSIGN) = op("-=", 1, 2);
    at(T::MULT_ASSIGN) = op("*=", 1, 2);
    at(T::DIV_ASSIGN) = op("/=", 1, 2);
    at(T::MINUS_REV) = op("-'", 1, 2);
    at(T::DIV_REV) = op("/'", 1, 2);
    at(T::POW_REV) = op("^'", 1, 2);
    at(T::POW_ASSIGN) = op("^=", 0, 0);

    // Over complex values abs and the phase angle are not holomorphic: no derivative.
    at(T::ABS) = fn("abs", 1, isComplexBuild ? D::None : D::Chain);
    at(T::ACOS) = fn("acos", 1, D::Chain);
    at(T::ASIN) = fn("asin", 1, D::Chain);
    at(T::ATG) = fn("atg", 1, D::Chain);
    at(T::COS) = fn("cos", 1, D::Chain);
    at(T::EXP) = fn("exp", 1, D::Chain);
    at(T::SQRT) = fn("sqrt", 1, D::Chain);
    at(T::LN) = fn("ln", 1, D::Chain);
    at(T::LOG) = fn("log", 1, D::Chain);
    at(T::SIN) = fn("sin", 1, D::Chain);
    at(T::TG) = fn("tg", 1, D::Chain);
    at(T::SQR) = fn("sqr", 1, D::Chain);
    // The complex machine's atg2 takes one value and gives its phase angle.
    at(T::ATG2) = fn("atan2", isComplexBuild ? 1 : 2, isComplexBuild ? D::None : D::Atg2, A::SecondExpression);
    at(T::MIN) = fn("min", 2, D::None, A::SecondExpression);
    at(T::MAX) = fn("max", 2, D::None, A::SecondExpression);
    at(T::SMIN) = fn("smin", 1, D::None, A::Name);
    at(T::SMAX) = fn("smax", 1, D::None, A::Name);
    at(T::AVG) = fn("avg", 1, D::None, A::Name);
    at(T::VAR) = fn("var", 1, D::None, A::Name);
    at(T::DEV) = fn("dev", 1, D::None, A::Name);
    at(T::DIFF) = fn("diff", 0, D::None, A::SecondLeaf);
    at(T::SIGN) = fn("sign", 1, D::Zero);
    at(T::SINH) = fn("sinh", 1, D::Chain);
    at(T::COSH) = fn("cosh", 1, D::Chain);
    at(T::TGH) = fn("tgh", 1, D::Chain);
    at(T::ASNH) = fn("asnh", 1, D::Chain);
    at(T::ACSH) = fn("acsh", 1, D::Chain);
    at(T::ATGH) = fn("atgh", 1, D::Chain);
    // int and disn are removed by the model compiler before a program is written.
    at(T::INT) = fn("int", 0);
    at(T::LIMIT) = {"lim", 0, 1, A::ThirdLeaf, D::None, true};
    at(T::RND) = fn("rnd", 1, D::None, A::Name);
    at(T::RND).variesPerRun = true;
    at(T::DISN) = fn("disn", 0, D::None, A::ThirdLeaf);
    at(T::DISC) = fn("disc", isComplexBuild ? 0 : 3, D::None, A::ThirdLeaf);
    at(T::ROUND) = fn("round", 2, D::None, A::SecondLeaf);
#if SL_COMPLEX
    at(T::CONJ) = fn("conj", 1, D::Conj);
    at(T::CABS) = fn("cabs", 1);
    at(T::RTOP) = fn("rtop", 1);
    at(T::PTOR) = fn("ptor", 1);
    at(T::REAL_PART) = fn("real", 1);
    at(T::IMAG_PART) = fn("imag", 1);
#endif

    // Over complex values the library keeps the identities of the circular
    // and hyperbolic functions only up to the sign of a zero part (sin and
    // cos of a real argument, say), which a branch cut further on (sqrt, ln)
    // turns into another value, and those of asin, atg and atgh not even to
    // the last bit: there only the functions that move signs and parts fold.
    using P = Parity;
    for (T f : {T::SIN, T::TG, T::ASIN, T::ATG, T::SINH, T::TGH, T::ASNH, T::ATGH})
        at(f).parity = isComplexBuild ? P::None : P::Odd;
    for (T f : {T::COS, T::COSH, T::SQR})
        at(f).parity = isComplexBuild ? P::None : P::Even;
    at(T::SIGN).parity = P::Odd;
    at(T::ABS).parity = P::Even;
#if SL_COMPLEX
    for (T f : {T::CONJ, T::REAL_PART, T::IMAG_PART})
        at(f).parity = P::Odd;
    at(T::CABS).parity = P::Even;
#endif
    return t;
}
} // namespace detail

inline constexpr std::array<OpInfo, 256> s_opTable = detail::makeOpTable();

constexpr const OpInfo& opInfo(Token::Type type) { return s_opTable[std::size_t(type)]; }

namespace detail
{
constexpr std::size_t nFunctions = std::size_t(Token::lastFunction) - std::size_t(Token::firstFunction) + 1;

constexpr std::array<const char*, nFunctions + 3> makeFuncNames()
{
    std::array<const char*, nFunctions + 3> names {};
    for (std::size_t i = 0; i < nFunctions; ++i)
        names[i] = s_opTable[std::size_t(Token::firstFunction) + i].text;
    names[nFunctions] = "pshi";
    names[nFunctions + 1] = "pshf";
    names[nFunctions + 2] = "NA";
    return names;
}

constexpr std::size_t nOperators = std::size_t(Token::firstFunction) - std::size_t(Token::firstOperator);

constexpr std::array<const char*, nOperators> makeOperNames()
{
    std::array<const char*, nOperators> names {};
    for (std::size_t i = 0; i < nOperators; ++i)
        names[i] = s_opTable[std::size_t(Token::firstOperator) + i].text;
    return names;
}
} // namespace detail

// Display names of the functions (from abs on), then of the two push
// instructions and "NA"; printed names of the operators (from + on).
inline constexpr auto g_cFuncNames = detail::makeFuncNames();
inline constexpr auto g_cOperNames = detail::makeOperNames();

// The display name of a function type, or "NA" outside the functions.
constexpr const char* functionDisplayName(Token::Type fn)
{
    return Token::isFunction(fn) ? opInfo(fn).text : g_cFuncNames.back();
}
} // namespace SL_NS
