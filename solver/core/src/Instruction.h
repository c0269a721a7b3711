#pragma once
// The stack machine's instructions, one byte each: an operation is its own
// token type (from + to the last function, then the two constant pushes),
// followed by the three symbol pushes, which read the side lists of indices.
#include <Token.h>

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
} // namespace instr

// The largest number of values a program may hold on the stack at once;
// the program writer refuses deeper programs.
constexpr int CU_STACK_SIZE = 64;
} // namespace SL_NS
