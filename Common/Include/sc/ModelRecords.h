#pragma once
// Token codes of the model text and the records a tokenized model is made of.
// The tokenizer writes the codes, the model loader stores them in token records,
// and the expression lexer and the model compiler read both back.
#include <cstdint>

#include <td/String.h>

namespace sc
{

// One code per kind of model-text token. "T" codes come from the tokenizer,
// "L" codes are written by the loader in place of a name it has resolved.
// The numbering is fixed: the expression engine maps these codes by value.
enum class Token : std::uint8_t
{
    Name = 0,          // T: a name that is no vocabulary word (also every word longer than 9 bytes)
    Var = 1,           // L: a declared variable
    Param = 2,         // L: a declared parameter
    EmbeddedParam = 3, // T: a run-time value such as repeat#
    Function = 4,      // T
    Group = 5,         // T
    AttribName = 6,    // T: only inside attribute brackets
    Identifier = 7,    // T: an attribute value given as a word
    Reserved = 9,      // T
    String = 10,       // T: the text between double quotes
    Integer = 11,      // T
    SpecialConst = 12, // T: pi, e, @solOk#
    Real = 13,         // T: with a decimal point or an exponent
    Imaginary = 14,    // T: a number followed by i in a complex model
    Color = 16,        // T: attribute value, identifier is the td::ColorID
    LinePattern = 17,  // T: attribute value, identifier is the td::LinePattern
    DotPattern = 18,   // T: attribute value, identifier is the td::DotPattern
    True = 20,
    False = 21,
    Switch = 22, // value kind of attributes and header parameters that take true or false
    LeftParen = 23,
    RightParen = 24,
    AttribStart = 25, // [
    AttribEnd = 26,   // ]
    LeftBrace = 27,
    RightBrace = 28,
    Plus = 29,
    Minus = 30,
    Mult = 31,
    Div = 32,
    Modulo = 33,
    Backslash = 34,
    Power = 35,
    MultAssign = 36,
    DivAssign = 37,
    PlusAssign = 38,
    MinusAssign = 39,
    PowerAssign = 40,
    ShiftLeft = 41,
    ShiftRight = 42,
    LeftArrow = 43,  // <-
    RightArrow = 44, // ->
    Assign = 45,
    Apostrophe = 46,
    DoubleApostrophe = 47,
    Bar = 49,
    Ampersand = 50,
    Hash = 51,
    Not = 52, // ! and the word not
    Or = 53,  // || and the word or
    And = 54, // && and the word and
    Xor = 55, // ## and the word xor
    Less = 56,
    LessEq = 57,
    Greater = 58,
    GreaterEq = 59,
    Equal = 60,
    NotEqual = 61,
    Comma = 62,
    Dot = 63,
    Colon = 64,
    SemiColon = 65,
    Distrib = 66,    // L: a declared random generator
    Stat = 67,       // L: a declared statistic
    Comment = 68,    // T: // and the rest of the line
    BlockStart = 69, // T: /* while block comments are on
    BlockEnd = 70,   // T: */ while block comments are on
    EndOfLine = 71,  // T
    Error = 72       // T: a character or token the tokenizer does not accept
};

// One token of an expression or one attribute value (16 bytes).
struct _TokV
{
    // By code: Integer in intVal; SpecialConst, Real and Imaginary in dblVal;
    // names and the texts of Identifier and String in pStr (null when empty);
    // Color and LinePattern in byteVal; 0 for every other code.
    union
    {
        std::int32_t intVal;
        double dblVal;
        const td::StringExt* pStr;
        std::uint8_t byteVal;
        std::uint64_t raw = 0;
    };
    std::uint32_t id = 0xFFFFFFFF; // symbol index, function number, group, reserved or attribute id
    std::uint16_t column = 0;      // first column plus 1; 0 when it does not fit
    Token code = Token::Name;
    // Attribute value: the attribute's id. Expression token: 1 for a main-model
    // name reached from the sub-model through @main, else 0.
    std::uint8_t attribID = 0;

    bool isFromMainModel() const { return attribID == 1; }

    // The numeric value of a number, constant or truth value; false (nothing
    // written) for any other code.
    bool getValue(double& val) const
    {
        switch (code)
        {
        case Token::Integer: val = intVal; return true;
        case Token::SpecialConst:
        case Token::Real:
        case Token::Imaginary: val = dblVal; return true;
        case Token::True: val = 1.0; return true;
        case Token::False: val = 0.0; return true;
        default: return false;
        }
    }
};
static_assert(sizeof(_TokV) == 16);

// One expression of a model level: where it stands and which tokens it owns.
struct _tl
{
    std::uint32_t line = 0;       // source line, counted from the first body line
    std::uint32_t position = 0;   // where the line begins in the text
    std::uint32_t firstToken = 0; // in the expression token list
    std::uint32_t nTokens = 0;
    std::uint32_t firstAttrib = 0; // in the attribute token list
    std::uint32_t nAttribs = 0;
};

// Per group and level: its body lines follow its heading line record.
struct _CP
{
    std::uint32_t nLines = 0;       // line records after the heading
    std::uint32_t headingLine = 0;  // index of the heading's line record
    std::uint32_t nExpressions = 0; // top-level expressions of the group
};

// The lines of a group or model among the declarations: its first line and
// how many lines it holds; both ~0 until seen, the count ~0 while it is open.
struct LineRange
{
    std::uint32_t location = ~0u;
    std::uint32_t count = ~0u;

    bool isOpen() const { return count == ~0u; }
    // The lines after the first one, up to the end of the range.
    bool holds(std::uint32_t line) const { return location < line && (isOpen() || location + count > line); }
};

// The number domain a model is solved in.
enum class Domain : std::uint8_t
{
    Real = 0,
    Complex = 1
};

// Model information of one level, from the attributes of its Model/SubModel line.
struct _MI
{
    double eps = 0;
    const td::StringExt* name = nullptr;
    const td::StringExt* method = nullptr;
    std::uint8_t type = 4; // 0 NL, 1 WLS, 2 ODE, 3 DAE, 4 not given
    std::uint8_t complex = 0;
};

} // namespace sc
