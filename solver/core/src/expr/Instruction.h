#pragma once
// The stack machine's instructions, one byte each: an operation is its own
// token type (from + to the last function, then the two constant pushes),
// followed by the three symbol pushes, which read the side lists of indices.
#include <expr/Token.h>

#include <cstdint>

namespace SL_NS
{
using Instruction = std::uint8_t;

namespace instr
{
constexpr Instruction PushI = Instruction(Token::Type::PUSH_I);
constexpr Instruction PushF = Instruction(Token::Type::PUSH_F);
constexpr Instruction PushVar = Instruction(Token::Type::LEXER_START) + 1;
constexpr Instruction PushParam = PushVar + 1;
constexpr Instruction PushParentValue = PushVar + 2;
// A value computed once per evaluation pass for several programs; its slot
// comes from the parameter-index list.
constexpr Instruction PushShared = Instruction(Token::Type::SHARED_VALUE);
static_assert(PushShared == PushVar + 3);

// A push followed by an arithmetic operation runs as one instruction that
// takes its right operand straight from memory: most programs of a model
// are sums of products of symbols and constants, and half their
// instructions are pushes.
enum class Source : std::uint8_t
{
    Constant = 0,
    Variable,
    Parameter,
    Shared,
    Count
};

enum class Arith : std::uint8_t
{
    Add = 0,
    Sub,
    SubRev, // pushed - top
    Mul,
    Div,
    DivRev, // pushed / top
    Count
};

constexpr Instruction FusedFirst = 128;
constexpr int nSources = int(Source::Count);
constexpr int nArith = int(Arith::Count);
constexpr int nFused = nSources * nArith;

constexpr Instruction fused(Source s, Arith a) { return Instruction(FusedFirst + int(s) * nArith + int(a)); }
constexpr bool isFused(Instruction i) { return i >= FusedFirst && i < FusedFirst + nFused; }

// Two pushes and a product (a constant times a sine, a voltage times a
// voltage) push the product in one instruction.
constexpr Instruction ProductFirst = FusedFirst + nFused;
constexpr int nProducts = nSources * nSources;
static_assert(int(Token::Type::SHARED_VALUE) < FusedFirst && ProductFirst + nProducts <= 256);

constexpr Instruction product(Source left, Source right)
{
    return Instruction(ProductFirst + int(left) * nSources + int(right));
}
constexpr bool isProduct(Instruction i) { return i >= ProductFirst && i < ProductFirst + nProducts; }

// A product followed by "+", "-" or its reverse (a term of a sum of
// products) goes into the value below it in one instruction.
constexpr Instruction ProductArithFirst = ProductFirst + nProducts;
constexpr int nProductAriths = int(Arith::SubRev) + 1;
static_assert(ProductArithFirst + nProducts * nProductAriths <= 256);

constexpr Instruction productArith(Instruction product, Arith a)
{
    return Instruction(ProductArithFirst + (product - ProductFirst) * nProductAriths + int(a));
}
constexpr Instruction productArith(Source left, Source right, Arith a) { return productArith(product(left, right), a); }
constexpr bool isProductArith(Instruction i)
{
    return i >= ProductArithFirst && i < ProductArithFirst + nProducts * nProductAriths;
}

// The source of a push instruction; Count for any other instruction.
constexpr Source sourceOf(Instruction push)
{
    switch (push)
    {
    case PushI:
    case PushF: return Source::Constant;
    case PushVar: return Source::Variable;
    case PushParam: return Source::Parameter;
    case PushShared: return Source::Shared;
    default: return Source::Count;
    }
}

// The arithmetic of an operation; Count for any other operation.
constexpr Arith arithOf(Token::Type op)
{
    switch (op)
    {
    case Token::Type::PLUS: return Arith::Add;
    case Token::Type::MINUS: return Arith::Sub;
    case Token::Type::MINUS_REV: return Arith::SubRev;
    case Token::Type::MULT: return Arith::Mul;
    case Token::Type::DIV: return Arith::Div;
    case Token::Type::DIV_REV: return Arith::DivRev;
    default: return Arith::Count;
    }
}

// The instructions a fused one, a product or a product with its "+" or "-"
// stands for, for printing a program.
constexpr Instruction pushOf(Source s)
{
    constexpr Instruction pushes[] = {PushF, PushVar, PushParam, PushShared};
    return pushes[int(s)];
}

constexpr Instruction pushOf(Instruction f) { return pushOf(Source((f - FusedFirst) / nArith)); }
constexpr Instruction leftPushOf(Instruction p) { return pushOf(Source((p - ProductFirst) / nSources)); }
constexpr Instruction rightPushOf(Instruction p) { return pushOf(Source((p - ProductFirst) % nSources)); }
constexpr Instruction productOf(Instruction pa)
{
    return Instruction(ProductFirst + (pa - ProductArithFirst) / nProductAriths);
}

constexpr Instruction operationOf(Instruction f)
{
    constexpr Token::Type ops[] = {Token::Type::PLUS, Token::Type::MINUS, Token::Type::MINUS_REV,
                                   Token::Type::MULT, Token::Type::DIV,   Token::Type::DIV_REV};
    return Instruction(ops[isProductArith(f) ? (f - ProductArithFirst) % nProductAriths : (f - FusedFirst) % nArith]);
}
} // namespace instr

// The largest number of values a program may hold on the stack at once;
// the program writer refuses deeper programs.
constexpr int CU_STACK_SIZE = 64;
} // namespace SL_NS
