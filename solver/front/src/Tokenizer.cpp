#include <cstring>
#include <sc/TokenizerBase.h>
#include <td/ColorID.h>
#include <td/DotPattern.h>
#include <td/LinePattern.h>
#include <td/StringUtils.h>

namespace sc
{

namespace
{
// Colour number given to a colour name that matches no colour.
constexpr signed char NoColor = static_cast<signed char>(167);

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool isUtf8Lead(char c) { return td::utf8SequenceLength(static_cast<unsigned char>(c)) > 1; }
} // namespace

template <bool UTF8>
void TokenizerBase<UTF8>::setDictionaries(const FnDict* pReal, const FnDict* pCmplx, const ReservedDict* pReserved,
                                          const GroupDict* pGroups, const AttribDict* pAttribs,
                                          const ConstDict* pConsts)
{
    _pRealFunctions = pReal;
    _pCmplxFunctions = pCmplx;
    _pReserved = pReserved;
    _pGroups = pGroups;
    _pAttribs = pAttribs;
    _pSpecConsts = pConsts;
}

template <bool UTF8>
void TokenizerBase<UTF8>::startLine(const char* line)
{
    startLine(line, static_cast<std::uint32_t>(std::strlen(line)));
}

template <bool UTF8>
void TokenizerBase<UTF8>::startLine(const char* line, std::uint32_t length)
{
    _text.erase();
    _line = line;
    _lineLength = length;
    _column = 0;
    _position = 0;
    _firstColumn = 0;
    _length = 0;
    _identifier = NoIdentifier;
    _lastToken = Token::Error;
    _valueKind = NoValueKind;
    _attribState = OutsideBrackets;
}

// Length of the complete UTF-8 sequence at the position, 0 when its lead
// byte begins none or the sequence is cut off (by the line's end or
// otherwise): the NUL is no continuation byte, so nothing past it is read.
template <bool UTF8>
std::uint32_t TokenizerBase<UTF8>::utf8SeqLen() const
{
    const std::uint32_t n = td::utf8SequenceLength(static_cast<unsigned char>(cur()));
    for (std::uint32_t i = 1; i < n; ++i)
        if (!isContinuation(at(i)))
            return 0;
    return n;
}

// Takes whole UTF-8 sequences up to the stop byte or the line's end, each
// one character; false at a broken sequence, which is left unread.
template <bool UTF8>
bool TokenizerBase<UTF8>::takeSequencesUntil(char stop)
{
    const std::uint32_t start = _position;
    std::uint32_t nChars = 0;
    bool whole = true;
    while (cur() != stop && cur() != '\0')
    {
        const std::uint32_t n = utf8SeqLen();
        if (n == 0)
        {
            whole = false;
            break;
        }
        _position += n;
        ++nChars;
    }
    keep(start, nChars);
    return whole;
}

// The bytes from start up to the position, nChars characters, join the text
// in one append rather than one per character.
template <bool UTF8>
void TokenizerBase<UTF8>::keep(std::uint32_t start, std::uint32_t nChars)
{
    if (_position > start)
        _text.append(_line + start, _position - start);
    _column += nChars;
    _length += nChars;
}

// Appends one character of nBytes bytes and counts it.
template <bool UTF8>
void TokenizerBase<UTF8>::take(std::uint32_t nBytes)
{
    _text.append(_line + _position, nBytes);
    _position += nBytes;
    ++_column;
    ++_length;
}

template <bool UTF8>
Token TokenizerBase<UTF8>::finish(Token t)
{
    _lastToken = t;
    return t;
}

template <bool UTF8>
Token TokenizerBase<UTF8>::getNextToken()
{
    _text.erase();
    _identifier = NoIdentifier;
    _length = 0;

    if (_lastToken == Token::String)
    {
        // the closing quote of the string returned last is still unread
        if (cur() != '"')
            return finish(Token::Error);
        ++_position;
        ++_column;
    }
    if (_lastToken == Token::Comment)
        return finish(Token::EndOfLine);

    while (cur() == ' ' || cur() == '\t')
    {
        ++_position;
        ++_column;
    }
    const char c = cur();
    if (atInnerNul())
    {
        // a NUL inside the line would cut off the rest of it unseen
        _firstColumn = _column;
        return finish(Token::Error);
    }
    if (c == '\0' || c == '\n' || c == '\r')
        return Token::EndOfLine;

    _firstColumn = _column;
    if (isLetter(c) || c == '@' || c == '_' || isUtf8Lead(c))
        return readWord();
    if (static_cast<unsigned char>(c) >= 127)
        return finish(Token::Error);
    if (isDigit(c))
        return readNumber();
    return readOperator();
}

template <bool UTF8>
Token TokenizerBase<UTF8>::readOperator()
{
    const char c = cur();
    if (c == '"')
    {
        // the quote itself is not part of the text
        ++_position;
        ++_column;
        return readString();
    }
    const char next = at(1);
    take(1);
    auto pair = [this](Token t) {
        take(1);
        return finish(t);
    };
    switch (c)
    {
    case '!': return next == '=' ? pair(Token::NotEqual) : finish(Token::Not);
    case '#': return next == '#' ? pair(Token::Xor) : finish(Token::Hash);
    case '%': return finish(Token::Modulo);
    case '&': return next == '&' ? pair(Token::And) : finish(Token::Ampersand);
    case '\'': return next == '\'' ? pair(Token::DoubleApostrophe) : finish(Token::Apostrophe);
    case '(': return finish(Token::LeftParen);
    case ')': return finish(Token::RightParen);
    case '*':
        if (next == '=')
            return pair(Token::MultAssign);
        if (next == '/' && _blockComments)
            return pair(Token::BlockEnd);
        return finish(Token::Mult);
    case '+': return next == '=' ? pair(Token::PlusAssign) : finish(Token::Plus);
    case ',': return finish(Token::Comma);
    case '-':
        if (next == '>')
            return pair(Token::RightArrow);
        if (next == '=')
            return pair(Token::MinusAssign);
        if (isDigit(next))
        {
            const auto last = static_cast<std::uint8_t>(_lastToken);
            if (last > static_cast<std::uint8_t>(Token::RightBrace) || _lastToken == Token::LeftParen ||
                _lastToken == Token::AttribStart || _lastToken == Token::LeftBrace)
                return readNumber();
        }
        return finish(Token::Minus);
    case '.': return finish(Token::Dot);
    case '/':
        if (next == '=')
            return pair(Token::DivAssign);
        if (next == '/')
            return readComment();
        if (next == '*' && _blockComments)
            return pair(Token::BlockStart);
        return finish(Token::Div);
    case ':': return finish(Token::Colon);
    case ';': return finish(Token::SemiColon);
    case '<':
        if (next == '-')
            return pair(Token::LeftArrow);
        if (next == '<')
            return pair(Token::ShiftLeft);
        return next == '=' ? pair(Token::LessEq) : finish(Token::Less);
    case '=':
        if (next == '=')
            return pair(Token::Equal);
        if (_attribState == AfterName)
            _attribState = AfterAssign;
        return finish(Token::Assign);
    case '>':
        if (next == '>')
            return pair(Token::ShiftRight);
        return next == '=' ? pair(Token::GreaterEq) : finish(Token::Greater);
    case '[':
        if (!_bracketCheck)
            return finish(Token::AttribStart);
        if (_attribState != OutsideBrackets)
            return Token::Error; // nested bracket; the last token stays
        _attribState = ExpectName;
        return finish(Token::AttribStart);
    case ']':
        if (!_bracketCheck)
            return finish(Token::AttribEnd);
        if (_attribState != ExpectName)
            return Token::Error; // no bracket open, or a value is missing
        _attribState = OutsideBrackets;
        return finish(Token::AttribEnd);
    case '\\': return finish(Token::Backslash);
    case '^': return next == '=' ? pair(Token::PowerAssign) : finish(Token::Power);
    case '{': return finish(Token::LeftBrace);
    case '}': return finish(Token::RightBrace);
    case '|': return next == '|' ? pair(Token::Or) : finish(Token::Bar);
    default: return finish(Token::Error);
    }
}

// The text keeps the whole comment, "//" included, whatever its bytes: files
// written in another encoding hold comments that are no UTF-8. A broken
// sequence counts as one character, and the count stops at the NUL.
template <bool UTF8>
Token TokenizerBase<UTF8>::readComment()
{
    take(1);
    const std::uint32_t start = _position;
    const auto [nBytes, nChars] = td::getLenUTF8(_line + start);
    _position += nBytes;
    keep(start, nChars);
    return finish(Token::Comment);
}

template <bool UTF8>
Token TokenizerBase<UTF8>::readString()
{
    _firstColumn = _column;
    if (!takeSequencesUntil('"') || cur() != '"')
        return finish(Token::Error);
    // the closing quote is stepped over by the next call
    return attribValue(Token::String);
}

template <bool UTF8>
Token TokenizerBase<UTF8>::attribValue(Token t)
{
    if (_attribState == AfterAssign)
        _attribState = ExpectName;
    return finish(t);
}

template <bool UTF8>
Token TokenizerBase<UTF8>::readNumber()
{
    // a number is ASCII: a byte is a character
    const std::uint32_t start = _position;
    auto skipDigits = [this] {
        while (isDigit(cur()))
            ++_position;
    };
    Token t = Token::Integer;
    skipDigits();
    if (cur() == '.')
    {
        t = Token::Real;
        ++_position;
        skipDigits();
    }
    if (cur() == 'e' || cur() == 'E')
    {
        t = Token::Real;
        ++_position;
        if (cur() == '+' || cur() == '-')
            ++_position;
        if (!isDigit(cur()))
        {
            keep(start, _position - start);
            return finish(Token::Error);
        }
        skipDigits();
    }
    keep(start, _position - start);
    if (_complex && cur() == 'i')
    {
        // the i counts in the length but is not part of the text
        ++_position;
        ++_column;
        ++_length;
        t = Token::Imaginary;
    }
    return attribValue(t);
}

template <bool UTF8>
Token TokenizerBase<UTF8>::readWord()
{
    const std::uint32_t start = _position;
    std::uint32_t nChars = 0;
    bool onlyUnderscores = true;
    bool broken = false; // a broken or cut-off sequence ends the word as an error
    for (;;)
    {
        const char c = cur();
        std::uint32_t n = 0;
        if (isLetter(c) || isDigit(c) || c == '#' || c == '@' || c == '_')
            n = 1;
        else if (static_cast<unsigned char>(c) >= 0x80)
        {
            n = utf8SeqLen();
            broken = n == 0;
        }
        if (n == 0)
            break;
        if (c != '_')
            onlyUnderscores = false;
        _position += n;
        ++nChars;
    }
    keep(start, nChars);
    return broken ? finish(Token::Error) : classifyWord(_position - start, onlyUnderscores);
}

// A word after "attribute =" is the value, read by the kind the attribute
// takes; no dictionary is asked.
template <bool UTF8>
Token TokenizerBase<UTF8>::attribWordValue(const char* word, std::uint32_t nBytes)
{
    _attribState = ExpectName;
    const auto kind = static_cast<Token>(_valueKind);
    _valueKind = NoValueKind;
    switch (kind)
    {
    case Token::Color:
        _identifier =
            static_cast<std::uint8_t>(td::toColorID(word, static_cast<int>(nBytes), static_cast<td::ColorID>(NoColor)));
        return finish(Token::Color);
    case Token::LinePattern:
    {
        const td::LinePattern lp = td::toLinePattern(word);
        _identifier = lp == td::LinePattern::NA ? 0 : static_cast<std::uint16_t>(lp); // NA draws nothing
        return finish(Token::LinePattern);
    }
    case Token::DotPattern:
    {
        const td::DotPattern dp = td::toDotPattern(word);
        _identifier = dp == td::DotPattern::NA ? 0 : static_cast<std::uint16_t>(dp);
        return finish(Token::DotPattern);
    }
    default: return finish(Token::Identifier);
    }
}

template <bool UTF8>
Token TokenizerBase<UTF8>::classifyWord(std::uint32_t nBytes, bool onlyUnderscores)
{
    if (onlyUnderscores)
        return finish(Token::Error);
    const char* word = _text.c_str();
    if (nBytes == 4 && std::memcmp(word, "true", 4) == 0)
        return attribValue(Token::True);
    if (nBytes == 5 && std::memcmp(word, "false", 5) == 0)
        return attribValue(Token::False);

    if (_attribState == AfterAssign)
        return attribWordValue(word, nBytes);

    // dictionary keys hold at most 9 bytes: a longer word is always a name
    if (nBytes > td::StrKey::Length)
        return finish(Token::Name);
    const td::StrKey key(word, static_cast<int>(nBytes));

    if (_attribState == ExpectName && _pAttribs)
        if (const sc::_AttDesc* pAtt = _pAttribs->findValPtr(key))
        {
            _identifier = static_cast<std::uint16_t>(pAtt->id);
            _valueKind = static_cast<std::uint8_t>(pAtt->valueType);
            _attribState = AfterName;
            return finish(Token::AttribName);
        }
    int iVal = 0;
    if (const FnDict* pFns = _complex ? _pCmplxFunctions : _pRealFunctions)
        if (pFns->find(key, iVal))
        {
            _identifier = static_cast<std::uint16_t>(iVal);
            return finish(Token::Function);
        }
    sc::SpecialConstant konst;
    if (_pSpecConsts && _pSpecConsts->find(key, konst))
    {
        _identifier = static_cast<std::uint16_t>(konst);
        return finish(Token::SpecialConst);
    }
    if (_pReserved)
        if (const sc::_RDS* pRes = _pReserved->findValPtr(key))
        {
            _identifier = static_cast<std::uint16_t>(pRes->id);
            return finish(Token::Reserved);
        }
    if (_pGroups)
        if (const sc::_GDS* pGr = _pGroups->findValPtr(key))
        {
            _identifier = static_cast<std::uint16_t>(pGr->id);
            return finish(Token::Group);
        }
    Token logical;
    if (sc::s_logicalTokenMap.find(key, logical))
        return finish(logical);
    if (sc::s_embeddedParamMap.find(key, iVal))
    {
        _identifier = static_cast<std::uint16_t>(iVal);
        _lastToken = Token::Name; // a following "-" is a subtraction
        return Token::EmbeddedParam;
    }
    return finish(Token::Name);
}

template class TokenizerBase<true>;

TokenizerBase<true> s_tokenizer;

} // namespace sc
