#include <sc/TokenizerBase.h>
#include <td/ColorID.h>
#include <td/DotPattern.h>
#include <td/LinePattern.h>

namespace sc
{

namespace
{
// Colour number given to a colour name that matches no colour.
constexpr signed char NoColor = static_cast<signed char>(167);

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Bytes announced by a UTF-8 lead byte; 0 for a byte that begins no sequence.
std::uint32_t leadLength(unsigned char c)
{
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0)
        return 2;
    if ((c & 0xF0) == 0xE0)
        return 3;
    if ((c & 0xF8) == 0xF0)
        return 4;
    return 0;
}

// Characters (sequences) in a NUL-terminated text; continuation bytes do not
// count, so a broken sequence never makes the count read past the NUL.
std::uint32_t countChars(const char* p, std::uint32_t nBytes)
{
    std::uint32_t n = 0;
    for (std::uint32_t i = 0; i < nBytes; ++i)
        if (!isContinuation(static_cast<unsigned char>(p[i])))
            ++n;
    return n;
}
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
    _text.erase();
    _line = line;
    _column = 0;
    _position = 0;
    _firstColumn = 0;
    _length = 0;
    _identifier = NoIdentifier;
    _lastToken = Token::Error;
    _valueKind = NoValueKind;
    _attribState = OutsideBrackets;
}

// Length of the complete UTF-8 sequence at _position + off, 0 when its lead
// byte is invalid or the sequence is cut off (by the line's end or otherwise).
template <bool UTF8>
std::uint32_t TokenizerBase<UTF8>::utf8SeqLen(std::uint32_t off) const
{
    const std::uint32_t n = leadLength(static_cast<unsigned char>(at(off)));
    for (std::uint32_t i = 1; i < n; ++i)
        if (!isContinuation(static_cast<unsigned char>(at(off + i))))
            return 0;
    return n;
}

template <bool UTF8>
void TokenizerBase<UTF8>::appendChars(std::uint32_t nBytes)
{
    _text.append(_line + _position, nBytes);
}

// Appends one character of nBytes bytes and counts it.
template <bool UTF8>
void TokenizerBase<UTF8>::take(std::uint32_t nBytes)
{
    appendChars(nBytes);
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
    if (c == '\0' || c == '\n' || c == '\r')
        return Token::EndOfLine;

    _firstColumn = _column;
    const auto uc = static_cast<unsigned char>(c);
    if (isLetter(c) || c == '@' || c == '_' || (uc >= 0x80 && leadLength(uc) > 1))
        return readWord();
    if (uc >= 127)
        return finish(Token::Error);
    if (isDigit(c))
        return readNumber(false);
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
                return readNumber(true);
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

template <bool UTF8>
Token TokenizerBase<UTF8>::readComment()
{
    // the text keeps the whole comment, "//" included
    take(1);
    const char* rest = _line + _position;
    std::uint32_t nBytes = 0;
    while (rest[nBytes] != '\0')
        ++nBytes;
    if (nBytes > 0)
        appendChars(nBytes);
    const std::uint32_t nChars = countChars(rest, nBytes);
    _position += nBytes;
    _column += nChars;
    _length += nChars;
    return finish(Token::Comment);
}

template <bool UTF8>
Token TokenizerBase<UTF8>::readString()
{
    _firstColumn = _column;
    while (cur() != '"')
    {
        if (cur() == '\0')
            return finish(Token::Error);
        const std::uint32_t n = utf8SeqLen(0);
        if (n == 0)
            return finish(Token::Error);
        take(n);
    }
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
Token TokenizerBase<UTF8>::readNumber(bool negative)
{
    Token t = Token::Integer;
    while (isDigit(cur()))
        take(1);
    if (cur() == '.')
    {
        t = Token::Real;
        take(1);
        while (isDigit(cur()))
            take(1);
    }
    if (cur() == 'e' || cur() == 'E')
    {
        t = Token::Real;
        take(1);
        if (cur() == '+' || cur() == '-')
            take(1);
        if (!isDigit(cur()) && !negative)
            return finish(Token::Error);
        while (isDigit(cur()))
            take(1);
    }
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
    std::uint32_t nBytes = 0;
    bool onlyUnderscores = true;
    for (;;)
    {
        const char c = cur();
        const auto uc = static_cast<unsigned char>(c);
        std::uint32_t n = 0;
        if (isLetter(c) || isDigit(c) || c == '#' || c == '@' || c == '_')
            n = 1;
        else if (uc >= 0x80)
        {
            n = utf8SeqLen(0);
            if (n == 0)
                return finish(Token::Error); // a broken or cut-off sequence
        }
        else
            break;
        if (c != '_')
            onlyUnderscores = false;
        take(n);
        nBytes += n;
    }
    return classifyWord(nBytes, onlyUnderscores);
}

template <bool UTF8>
Token TokenizerBase<UTF8>::classifyWord(std::uint32_t nBytes, bool onlyUnderscores)
{
    if (onlyUnderscores)
        return finish(Token::Error);
    const char* word = _text.c_str();
    if (nBytes == 4 && word[0] == 't' && word[1] == 'r' && word[2] == 'u' && word[3] == 'e')
        return attribValue(Token::True);
    if (nBytes == 5 && word[0] == 'f' && word[1] == 'a' && word[2] == 'l' && word[3] == 's' && word[4] == 'e')
        return attribValue(Token::False);

    if (_attribState == AfterAssign)
    {
        _attribState = ExpectName;
        const std::uint8_t kind = _valueKind;
        _valueKind = NoValueKind;
        switch (static_cast<Token>(kind))
        {
        case Token::Color:
            _identifier = static_cast<std::uint8_t>(
                td::toColorID(word, static_cast<int>(nBytes), static_cast<td::ColorID>(NoColor)));
            return finish(Token::Color);
        case Token::LinePattern:
        {
            const auto lp = static_cast<std::uint16_t>(td::toLinePattern(word));
            _identifier = lp == 5 ? 0 : lp; // "NA" is no pattern to draw
            return finish(Token::LinePattern);
        }
        case Token::DotPattern:
        {
            const auto dp = static_cast<std::uint16_t>(td::toDotPattern(word));
            _identifier = dp == 9 ? 0 : dp;
            return finish(Token::DotPattern);
        }
        default: return finish(Token::Identifier);
        }
    }

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
