#pragma once
// One compiled unit of an expression and the numbering of its kinds. The
// lexer writes tokens, the trees hold them, the postfix writer orders them
// and the stack machine's instructions carry the same numbers.
#include <expr/Build.h>
#include <cnt/ListSL.h>
#include <sc/SymbolOrigin.h>

#include <bit>
#include <cstdint>

namespace SL_NS
{
struct Token
{
    enum class Type : std::uint8_t
    {
        NONE = 0,
        IDENTIFIER = 1, // a name not resolved yet
        SYMBOL = 2,     // variable or parameter: index, symbolOrigin
        PARAMETER = 3,  // a parameter as the model text gives it (becomes SYMBOL)
        LAPLACE = 4,    // s of transfer functions
        RND_GEN = 5,    // index: the generator's position
        STAT = 6,       // index: the statistic's position
        FUNCTION = 7,   // functionID holds the function's own type
        INTEGER = 8,
        REAL = 9,
        CONST_PI = 10,
        CONST_E = 11,
        BOOL_TRUE = 12,
        BOOL_FALSE = 13,
        IMAGINARY = 14, // complex build: 0 + b·i
        COMPLEX = 15,   // complex build: a + b·i
        OPEN_PARENTHESIS = 16,
        CLOSE_PARENTHESIS = 17,
        QUOTE = 18,
        SEMICOLON = 19,
        COLON = 20,
        POINT = 21,
        COMMA = 22,
        PRIME = 23,
        DOUBLE_PRIME = 24,
        END_OF_LINE = 25,
        EQUATION_START = 26,
        EMPTY_LINE = 28,
        OPEN_SQUARE_BRACKET = 29,
        CLOSE_SQUARE_BRACKET = 30,
        // Operators.
        PLUS = 31,
        MINUS = 32,
        MULT = 33,
        DIV = 34,
        MODULO = 35,
        BACKSLASH = 36,
        POW = 37,
        OR = 38,
        AND = 39,
        XOR = 40,
        GT = 41,
        GE = 42,
        LT = 43,
        LE = 44,
        EQ = 45,
        NE = 46,
        NOT = 47,
        ASSIGN = 48,
        PLUS_ASSIGN = 49,
        MINUS_ASSIGN = 50,
        MULT_ASSIGN = 51,
        DIV_ASSIGN = 52,
        MINUS_REV = 53, // the postfix writer's operators with swapped operands
        DIV_REV = 54,
        POW_REV = 55,
        POW_ASSIGN = 56,
        // Functions of both builds.
        ABS = 57,
        ACOS = 58,
        ASIN = 59,
        ATG = 60,
        COS = 61,
        EXP = 62,
        SQRT = 63,
        LN = 64,
        LOG = 65,
        SIN = 66,
        TG = 67,
        SQR = 68,
        ATG2 = 69,
        MIN = 70,
        MAX = 71,
        SMIN = 72,
        SMAX = 73,
        AVG = 74,
        VAR = 75,
        DEV = 76,
        DIFF = 77,
        SIGN = 78,
        SINH = 79,
        COSH = 80,
        TGH = 81,
        ASNH = 82,
        ACSH = 83,
        ATGH = 84,
        INT = 85,
        LIMIT = 86,
        RND = 87,
        DISN = 88,
        DISC = 89,
        ROUND = 90,
#if SL_COMPLEX
        CONJ = 91,
        CABS = 92,
        RTOP = 93,
        PTOR = 94,
        REAL_PART = 95,
        IMAG_PART = 96,
        PUSH_I = 97,
        PUSH_F = 98,
        LEXER_START = 99,   // the lexer's previous type before the first token
        SHARED_VALUE = 103, // a value computed once per evaluation pass (index: its slot)
#else
        PUSH_I = 91,
        PUSH_F = 92,
        LEXER_START = 93,
        SHARED_VALUE = 97,
#endif
    };

    static constexpr Type firstOperator = Type::PLUS;
    static constexpr Type firstFunction = Type::ABS;
#if SL_COMPLEX
    static constexpr Type lastFunction = Type::IMAG_PART;
#else
    static constexpr Type lastFunction = Type::ROUND;
#endif

    Value value {};
    union
    {
        std::int32_t index = 0;  // symbols: variables first, then parameters
        std::int32_t functionID; // functions: the low byte is the function's Type
    };
    Type type = Type::NONE;
    sc::SymbolOrigin symbolOrigin = sc::SymbolOrigin::ThisModel;

    // Integer, real, pi, e, true, false, imaginary and complex values.
    static constexpr bool isNumeric(Type t) { return (std::uint8_t(t) & 0xF8) == 8; }
    static constexpr bool isOperator(Type t) { return t >= firstOperator && t < firstFunction; }
    static constexpr bool isFunction(Type t) { return t >= firstFunction && t <= lastFunction; }

    bool isNumeric() const { return isNumeric(type); }
    Type function() const { return Type(std::uint8_t(functionID)); }
    bool isFunctionOf(Type fn) const { return type == Type::FUNCTION && function() == fn; }
};

// An expression as the lexer leaves it, in a list over the solver's pool.
using TokenList = cnt::ListSL<Token, true>;

// The argument of a lim token: the 1-based limit identifier in the low word
// and the derivative position (0 the limited value, k the k-th stored
// derivative) in the high word, carried in the bytes of the real value.
struct LimitArg
{
    std::uint32_t limitID = 0;
    std::uint32_t derivPos = 0;

    double pack() const { return std::bit_cast<double>(std::uint64_t(derivPos) << 32 | limitID); }
    static LimitArg unpack(double packed)
    {
        const auto bits = std::bit_cast<std::uint64_t>(packed);
        return {std::uint32_t(bits), std::uint32_t(bits >> 32)};
    }
};

// The partner of a variable index when conjugate variables are kept
// (variable k at 2k, its conjugate at 2k + 1).
inline constexpr int conjugatePartner(int v) { return (v & 1) ? v - 1 : v + 1; }
} // namespace SL_NS
