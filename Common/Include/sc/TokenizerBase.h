#pragma once
// Cuts one line of model text at a time into tokens. It knows no grammar:
// a token is classified by its characters and by the vocabulary dictionaries,
// plus a small state machine for attribute brackets "[name = value ...]".
#include <cstdint>
#include <cnt/Dictionary.h>
#include <sc/ModelRecords.h>
#include <sc/SCLib.h>
#include <td/MutableString.h>
#include <td/StrKey.h>

namespace sc
{

// The one instance, TokenizerBase<true>, reads UTF-8 text: a multi-byte
// sequence is one character of a word, a string or a comment.
template <bool UTF8>
class TokenizerBase
{
public:
    using FnDict = cnt::Dictionary<td::StrKey, int>;
    using ReservedDict = cnt::Dictionary<td::StrKey, sc::_RDS>;
    using GroupDict = cnt::Dictionary<td::StrKey, sc::_GDS>;
    using AttribDict = cnt::Dictionary<td::StrKey, sc::_AttDesc>;
    using ConstDict = cnt::Dictionary<td::StrKey, sc::SpecialConstant>;

    enum AttribState : std::uint8_t
    {
        OutsideBrackets = 0,
        ExpectName = 1,
        AfterName = 2,
        AfterAssign = 3
    };

    static constexpr std::uint16_t NoIdentifier = 0xFFFF;
    static constexpr std::uint8_t NoValueKind = 72;

    // Read directly by the loader after every call.
    td::MutableString _text;
    const FnDict* _pRealFunctions = nullptr;
    const FnDict* _pCmplxFunctions = nullptr;
    const ReservedDict* _pReserved = nullptr;
    const GroupDict* _pGroups = nullptr;
    const AttribDict* _pAttribs = nullptr;
    const ConstDict* _pSpecConsts = nullptr;
    const char* _line = nullptr;    // NUL-terminated bytes of the current line
    std::uint32_t _lineLength = 0;  // its bytes: a NUL before them is a byte of the text
    std::uint32_t _column = 0;      // characters consumed on the line
    std::uint32_t _position = 0;    // bytes consumed on the line
    std::uint32_t _firstColumn = 0; // of the current token, from 0
    std::uint32_t _length = 0;      // of the current token, in characters
    std::uint16_t _identifier = NoIdentifier;
    bool _complex = false;
    std::uint8_t _attribState = OutsideBrackets;
    bool _bracketCheck = true;
    bool _blockComments = false;
    Token _lastToken = Token::Error;
    std::uint8_t _valueKind = NoValueKind;

    TokenizerBase() = default;
    TokenizerBase(const TokenizerBase&) = delete;
    TokenizerBase& operator=(const TokenizerBase&) = delete;
    ~TokenizerBase() = default;

    void setDictionaries(const FnDict* pReal, const FnDict* pCmplx, const ReservedDict* pReserved,
                         const GroupDict* pGroups, const AttribDict* pAttribs, const ConstDict* pConsts);

    // Everything but the dictionaries and the two switches starts over per line.
    // A line of length bytes may hold a NUL before its end: outside a comment
    // that NUL is refused (Token::Error at it), never taken for the line's end.
    void startLine(const char* line, std::uint32_t length);
    void startLine(const char* line);

    // The token refused last is a NUL before the line's end.
    bool refusedNul() const { return _lastToken == Token::Error && _length == 0 && atInnerNul(); }

    Token getNextToken();

    const char* text() const { return _text.c_str(); }

private:
    char cur() const { return _line[_position]; }
    bool atInnerNul() const { return cur() == '\0' && _position < _lineLength; }
    char at(std::uint32_t off) const { return _line[_position + off]; }
    void take(std::uint32_t nBytes);
    void keep(std::uint32_t start, std::uint32_t nChars);
    Token finish(Token t);
    Token readOperator();
    Token readWord();
    Token readNumber();
    Token readString();
    Token readComment();
    Token classifyWord(std::uint32_t nBytes, bool onlyUnderscores);
    Token attribValue(Token t);
    Token attribWordValue(const char* word, std::uint32_t nBytes);
    std::uint32_t utf8SeqLen() const;
    bool takeSequencesUntil(char stop);
};

extern TokenizerBase<true> s_tokenizer;

} // namespace sc
