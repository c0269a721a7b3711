#pragma once
// The token kinds of the model text in the expression engine's numbering,
// the names of the special tokens, and the operators the postfix writer uses
// when it writes the right operand first.
#include <expr/Token.h>
#include <sc/ModelRecords.h>

namespace SL_NS
{
// The engine's kind of a model-text token code; NONE for codes without one
// (codes above 70 are never looked up).
Token::Type sTT(sc::Token code);

// "s:LaplaceOperator", "EoLn", ... for the special tokens; "NEDEF" otherwise.
const char* getSpecialTokenName(Token::Type type);

// The reversed operator (value 0, index 0) for -, / and ^; null for every
// other type.
const Token* getReverseToken(Token::Type op);
} // namespace SL_NS
